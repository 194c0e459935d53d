#include "render/caption.h"

#include "render/alpha_bitmap.h"
#include "render/gblur3.h"

namespace tindrel {
namespace {

constexpr Color kBlack = 0x000000;
constexpr Color kWhite = 0xFFFFFF;
// The shadow's shape is drawn in mid grey; only its coverage is kept.
constexpr Color kShadowInk = 0x808080;

// The platform's text drawing writes no alpha, so the coverage of the text is read from the
// difference between a drawing on white (`layer`) and the same drawing on black (`scratch`).
// Afterwards `layer` holds `colour` premultiplied by that coverage.
void DrawTextLayer(TextPainter& painter, const std::string& text, const FontSpec& font, int x,
                   int y, Color ink, Color color, FrameBitmap& layer, FrameBitmap& scratch) {
  layer.Fill(kWhite);
  painter.Draw(layer, font, text, x, y, ink);
  scratch.Fill(kBlack);
  painter.Draw(scratch, font, text, x, y, ink);
  MatteFromPair(scratch, layer);
  layer.Fill(color);
  ApplyAlphaMask(layer, scratch);
}

}  // namespace

FrameBitmap RenderCaption(TextPainter& painter, const std::string& text, const FontSpec& font,
                          bool with_shadow, Color shadow_color, int dpi) {
  CaptionRenderer renderer;
  renderer.Render(painter, text, font, with_shadow, shadow_color, dpi);
  return renderer.TakeCaption();
}

const FrameBitmap& CaptionRenderer::Render(TextPainter& painter, const std::string& text,
                                           const FontSpec& font, bool with_shadow,
                                           Color shadow_color, int dpi) {
  const int margin = ScaledLength(kCaptionMargin, dpi);
  const TextExtent extent = painter.Measure(font, text);
  const int width = extent.width + margin;
  const int height = extent.height + margin;
  layer_.Resize(width, height);
  scratch_.Resize(width, height);
  result_.Resize(width, height);
  result_.Fill(kBlack);

  if (with_shadow) {
    DrawTextLayer(painter, text, font, margin, margin, kShadowInk, shadow_color, layer_, scratch_);
    BlurBitmap(layer_, BlurKernelForDpi(dpi));
    BlendOnto(result_, layer_, 0, 0, kShadowOpacity);
  }

  // Only the coverage of this drawing is kept; it is drawn in black or white, whichever stands
  // out from the font colour, which then fills the text's shape.
  DrawTextLayer(painter, text, font, 0, 0, ContrastColor(font.color), font.color, layer_, scratch_);
  BlendOnto(result_, layer_, 0, 0, 255);
  return result_;
}

}  // namespace tindrel
