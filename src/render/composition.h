#pragma once
// One complete picture of the widget: the skin, the countdown caption under it and the visible
// stars over it. Handing the picture to the window manager is the main window's part.

#include <string>

#include "render/frame_bitmap.h"
#include "render/stars.h"
#include "render/text_painter.h"

namespace tindrel {

struct FrameInputs {
  std::string caption_text;  // the remaining time, already formatted
  FontSpec font;
  bool display_shadow = true;                // DisplayShadow1
  bool show_days = true;                     // ShowDays1
  bool show_stars = true;                    // ShowRandomStars1
  const FrameBitmap* skin = nullptr;         // nullptr: no skin loaded, composed as a 0 x 0 skin
  const FrameBitmap* star_sprite = nullptr;  // nullptr or 0 x 0: stars draw nothing
  const TStars* stars = nullptr;             // nullptr: no stars
};

// The estimated caption width that sizes the frame and centres the caption: the width of "0" in
// the font times (characters - 2), never below 0.
int EstimatedCaptionWidth(TextPainter& painter, const FontSpec& font, const std::string& text);

// A new frame of max(Tw, skin width) x (skin height + caption height) pixels, owned by the caller;
// its size is the window's size. The skin is centred on column max(5, W div 2) at the top, the
// caption (when the days line is on) below it, centred on the estimate Tw, and each star is drawn
// with its own opacity where the frame composed so far is solid at its centre.
FrameBitmap ComposeFrame(TextPainter& painter, const FrameInputs& inputs);

}  // namespace tindrel
