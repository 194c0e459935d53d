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
                          bool with_shadow, Colour shadow_colour, int dpi = kBaseDpi);

}  // namespace tindrel
