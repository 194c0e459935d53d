#include "render/composition.h"

#include <algorithm>

#include "render/alpha_bitmap.h"
#include "render/caption.h"

namespace tindrel {
namespace {

constexpr Colour kShadowColour = 0x000000;
constexpr std::uint8_t kOpaque = 255;

int CharacterCount(const std::string& utf8) {
  return static_cast<int>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;  // not a continuation byte
  }));
}

// Star coordinates are frame coordinates; a star placed on a larger skin than the current one can
// lie outside the frame, where there is nothing to test or draw.
bool InsideFrame(const FrameBitmap& frame, int x, int y) {
  return x >= 0 && y >= 0 && x < frame.Width() && y < frame.Height();
}

void DrawStars(FrameBitmap& frame, const FrameBitmap& sprite, const TStars& stars) {
  for (const TStar& star : stars) {
    if (!InsideFrame(frame, star.X, star.Y) || !IsSolidPixel(frame, star.X, star.Y)) continue;
    BlendOnto(frame, sprite, star.X - sprite.Width() / 2, star.Y - sprite.Height() / 2,
              static_cast<std::uint8_t>(star.Alpha & 0xFF));
  }
}

}  // namespace

int EstimatedCaptionWidth(TextPainter& painter, const FontSpec& font, const std::string& text) {
  // Shorter than two characters the formula would go negative; such a caption needs no width.
  return std::max(0, painter.Measure(font, "0").width * (CharacterCount(text) - 2));
}

FrameBitmap ComposeFrame(TextPainter& painter, const FrameInputs& inputs) {
  const FrameBitmap no_skin;
  const FrameBitmap& skin = inputs.skin ? *inputs.skin : no_skin;
  const FrameBitmap caption = RenderCaption(painter, inputs.caption_text, inputs.font,
                                            inputs.display_shadow, kShadowColour);
  const int text_width = EstimatedCaptionWidth(painter, inputs.font, inputs.caption_text);

  // The frame keeps the caption's height even when the caption is not drawn.
  FrameBitmap frame(std::max(text_width, skin.Width()), skin.Height() + caption.Height());
  const int centre = std::max(5, frame.Width() / 2);
  BlendOnto(frame, skin, centre - skin.Width() / 2, 0, kOpaque);
  if (inputs.show_days) BlendOnto(frame, caption, centre - text_width / 2, skin.Height(), kOpaque);
  if (inputs.show_stars && inputs.star_sprite && inputs.stars) {
    DrawStars(frame, *inputs.star_sprite, *inputs.stars);
  }
  return frame;
}

}  // namespace tindrel
