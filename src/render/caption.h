#pragma once
// The countdown caption as a premultiplied bitmap: the text in the font's colour with its true
// anti-aliased coverage, optionally over a soft shadow offset down and to the right.

#include <cstdint>
#include <string>

#include "render/frame_bitmap.h"
#include "render/text_painter.h"

namespace tindrel {

// Margin right of and below the text, and the shadow's offset: both 2 pixels.
constexpr int kCaptionMargin = 2;
// The shadow is blended at most this opaque (of 255).
constexpr std::uint8_t kShadowOpacity = 175;

// A new bitmap of the text's measured extent plus the margin, owned by the caller. The text's
// top-left corner is at (0, 0). With `with_shadow` the text is drawn over its own shape, offset by
// the margin, in `shadow_colour`, blurred with the shared kernel and blended at 175/255.
FrameBitmap RenderCaption(TextPainter& painter, const std::string& text, const FontSpec& font,
                          bool with_shadow, Colour shadow_colour);

}  // namespace tindrel
