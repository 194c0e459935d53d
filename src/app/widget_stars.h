#pragma once
// The stars over the skin: the sprite each star is drawn with, the twinkling field, and the random
// source that places them.

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "render/display_scale.h"
#include "render/frame_bitmap.h"
#include "render/stars.h"

namespace tindrel {

class WidgetStars {
 public:
  // Loads the sprite "star.png" of `folder` (ending in a path separator) for `dpi`, from the
  // picture made for that scale where there is one; the field starts afresh and the random source
  // is seeded from the time. Throws tindrel::Error when the 1x picture cannot be read: the widget
  // then draws no stars, and the random source keeps its fixed default seed. A larger picture that
  // cannot be read is passed over (the 1x one is resized) and its problem thrown after the load.
  void LoadSprite(const std::string& folder, int dpi);
  // Frees the sprite (the window's destruction).
  void ReleaseSprite() { sprite_ = FrameBitmap(); }

  // The window's DPI changed: the stars keep their places on the skin, scaled with it, and the
  // sprite is loaded again for the new scale (thrown as LoadSprite throws).
  void SetDpi(int dpi);

  // The animation as far as the time `now_ms` (of a clock that only counts on, in milliseconds):
  // every 25 ms tick since the last advance is run, over a skin of that size (none: no stars), at
  // most kMaxStarCatchUpTicks of them; the part of a tick left over counts towards the next
  // advance. The first advance only starts the count. Frames advance the stars when they are
  // composed, so no timer runs for them.
  void AdvanceTo(std::uint64_t now_ms, const FrameBitmap* skin);
  // A new skin: the stars start afresh.
  void Reset() { field_.Reset(); }

  const FrameBitmap& Sprite() const { return sprite_; }
  const StarArray& Stars() const { return field_.Stars(); }

 private:
  // Loads the sprite for `dpi_`; the problems of a larger picture that was passed over.
  std::vector<std::string> LoadSpriteForDpi();

  std::string folder_;                           // empty until a sprite was asked for
  std::optional<std::uint64_t> advanced_to_ms_;  // the time the ticks run so far reach
  int dpi_ = kBaseDpi;
  FrameBitmap sprite_;
  StarField field_;
  MersenneRandom random_{std::mt19937::default_seed};
};

}  // namespace tindrel
