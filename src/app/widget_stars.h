#pragma once
// The stars over the skin: the sprite each star is drawn with, the twinkling field, and the random
// source that places them.

#include <random>
#include <string>

#include "render/frame_bitmap.h"
#include "render/stars.h"

namespace tindrel {

class WidgetStars {
 public:
  // Loads the sprite from a PNG file; the field starts afresh and the random source is seeded
  // from the time. Throws tindrel::Error when the picture cannot be read: the widget then draws
  // no stars, and the random source keeps its fixed default seed.
  void LoadSprite(const std::string& path);
  // Frees the sprite (the window's destruction).
  void ReleaseSprite() { sprite_ = FrameBitmap(); }

  // One step of the animation over a skin of that size (none: no stars).
  void Tick(const FrameBitmap* skin);
  // A new skin: the stars start afresh.
  void Reset() { field_.Reset(); }

  const FrameBitmap& Sprite() const { return sprite_; }
  const StarArray& Stars() const { return field_.Stars(); }

 private:
  FrameBitmap sprite_;
  StarField field_;
  MersenneRandom random_{std::mt19937::default_seed};
};

}  // namespace tindrel
