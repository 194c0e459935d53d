#pragma once
// The countdown caption as a premultiplied bitmap: the text in the font's colour with its true
// anti-aliased coverage, optionally over a soft shadow offset down and to the right.

#include <cstdint>
#include <string>

#include "render/display_scale.h"
#include "render/frame_bitmap.h"
#include "render/text_painter.h"

namespace tindrel {

// Margin right of and below the text, and the shadow's offset: both 2 pixels at 96 DPI.
constexpr int kCaptionMargin = 2;
// The shadow is blended at most this opaque (of 255).
constexpr std::uint8_t kShadowOpacity = 175;

// A new bitmap of the text's measured extent plus the margin, owned by the caller. The text's
// top-left corner is at (0, 0). With `with_shadow` the text is drawn over its own shape, offset by
// the margin, in `shadow_colour`, blurred and blended at 175/255. The margin and the blur follow
// `dpi` (the font's height already does): at 96 the margin is 2 pixels and the blur the shared
// kernel's.
FrameBitmap RenderCaption(TextPainter& painter, const std::string& text, const FontSpec& font,
                          bool with_shadow, Color shadow_color, int dpi = kBaseDpi);

// Renders captions as RenderCaption does into bitmaps it keeps from one caption to the next while
// their size stays the same: the countdown's caption changes every second, its size seldom.
class CaptionRenderer {
 public:
  // The caption, byte for byte RenderCaption's; the bitmap is the renderer's own and stays valid
  // until the next call. A call that throws leaves it unfinished.
  const FrameBitmap& Render(TextPainter& painter, const std::string& text, const FontSpec& font,
                            bool with_shadow, Color shadow_color, int dpi = kBaseDpi);
  // The last caption rendered.
  const FrameBitmap& Caption() const { return result_; }
  // Hands the last caption over, for a caller that keeps it.
  FrameBitmap TakeCaption() { return std::move(result_); }

 private:
  FrameBitmap layer_;
  FrameBitmap scratch_;
  FrameBitmap result_;
};

}  // namespace tindrel
