#pragma once
// One complete picture of the widget: the skin, the countdown caption under it and the visible
// stars over it. Handing the picture to the window manager is the main window's part.

#include <cstdint>
#include <optional>
#include <string>

#include "render/caption.h"
#include "render/display_scale.h"
#include "render/frame_bitmap.h"
#include "render/stars.h"
#include "render/text_painter.h"

namespace tindrel {

struct FrameInputs {
  std::string caption_text;  // the remaining time, already formatted
  FontSpec font;
  bool display_shadow = true;                // the entry item_names::kDisplayShadow
  bool show_days = true;                     // the entry item_names::kShowDays
  bool show_stars = true;                    // the entry item_names::kShowStars
  const FrameBitmap* skin = nullptr;         // nullptr: no skin loaded, composed as a 0 x 0 skin
  std::uint64_t skin_version = 0;            // changes whenever the bitmap behind `skin` changes
  const FrameBitmap* star_sprite = nullptr;  // nullptr or 0 x 0: stars draw nothing
  const StarArray* stars = nullptr;          // nullptr: no stars
  // The window's DPI: the caption's margin and shadow and the frame's margins follow it; the font,
  // the skin, the sprite and the stars come in its scale already.
  int dpi = kBaseDpi;
};

// The estimated caption width that sizes the frame and centres the caption: the width of "0" in
// the font times (characters - 2), never below 0.
int EstimatedCaptionWidth(TextPainter& painter, const FontSpec& font, const std::string& text);

// A new frame of max(Tw, skin width) x (skin height + caption height) pixels, owned by the caller;
// its size is the window's size. The skin is centred on column max(5, W div 2) at the top (5
// pixels at 96 DPI, scaled with the DPI), the
// caption (when the days line is on) below it, centred on the estimate Tw, and each star is drawn
// with its own opacity where the frame composed so far is solid at its centre.
FrameBitmap ComposeFrame(TextPainter& painter, const FrameInputs& inputs);

// Composes the same frames as ComposeFrame, byte for byte, while recomputing only what changed
// since the previous frame: the caption layer with its shadow is rebuilt when its text, font,
// shadow flag or DPI changes (in bitmaps kept while its size stays), and the skin-and-caption
// picture when the caption, the skin (pointer or version), the frame's size, the DPI or the days
// line changes. A steady frame costs one copy of that picture and the star blends. The frame it
// returns is its own and stays valid until the next call.
class FrameComposer {
 public:
  const FrameBitmap& Compose(TextPainter& painter, const FrameInputs& inputs);

  // Forgets every cached layer (the painter's fonts may have changed under the same names).
  void Invalidate();

 private:
  struct CaptionKey {
    std::string text;
    FontSpec font;
    bool shadow = false;
    int dpi = kBaseDpi;
    bool operator==(const CaptionKey& other) const;
  };
  // What the skin-and-caption picture is made of, besides the caption of caption_key_.
  struct BackgroundKey {
    const FrameBitmap* skin = nullptr;
    std::uint64_t skin_version = 0;
    int width = 0;
    int height = 0;
    int dpi = kBaseDpi;
    bool show_days = false;
    bool operator==(const BackgroundKey& other) const;
  };

  void UpdateCaption(TextPainter& painter, const FrameInputs& inputs);
  void UpdateBackground(const FrameInputs& inputs, int width, int height);

  std::optional<CaptionKey> caption_key_;
  CaptionRenderer caption_renderer_;  // holds the caption of caption_key_
  int caption_width_ = 0;             // the estimated width Tw for the cached caption
  // Unset when the caption changed: the picture is made again.
  std::optional<BackgroundKey> background_key_;
  FrameBitmap background_;  // skin and caption, no stars
  FrameBitmap frame_;
};

}  // namespace tindrel
