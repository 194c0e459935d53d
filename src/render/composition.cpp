#include "render/composition.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "render/alpha_bitmap.h"
#include "render/caption.h"

namespace tindrel {
namespace {

constexpr Color kShadowColor = 0x000000;
constexpr std::uint8_t kOpaque = 255;
constexpr int kLeastCentre = 5;

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

void DrawStars(FrameBitmap& frame, const FrameBitmap& sprite, const StarArray& stars) {
  for (const Star& star : stars) {
    if (!InsideFrame(frame, star.x, star.y) || !IsSolidPixel(frame, star.x, star.y)) continue;
    BlendOnto(frame, sprite, star.x - sprite.Width() / 2, star.y - sprite.Height() / 2,
              static_cast<std::uint8_t>(star.alpha & 0xFF));
  }
}

}  // namespace

int EstimatedCaptionWidth(TextPainter& painter, const FontSpec& font, const std::string& text) {
  // Shorter than two characters the formula would go negative; such a caption needs no width.
  return std::max(0, painter.Measure(font, "0").width * (CharacterCount(text) - 2));
}

namespace {

// The frame keeps the caption's height even when the caption is not drawn.
int FrameWidth(const FrameBitmap& skin, int text_width) {
  return std::max(text_width, skin.Width());
}
int FrameHeight(const FrameBitmap& skin, const FrameBitmap& caption) {
  return skin.Height() + caption.Height();
}
// The column the skin and the caption are centred on: W div 2, but at least 5 pixels of the
// 96-DPI layout in.
int FrameCentre(int frame_width, int dpi) {
  return std::max(ScaledLength(kLeastCentre, dpi), frame_width / 2);
}

// The skin at the top of a transparent frame, centred on the frame's centre column.
void PlaceSkin(FrameBitmap& frame, const FrameBitmap& skin, int dpi) {
  BlendOnto(frame, skin, FrameCentre(frame.Width(), dpi) - skin.Width() / 2, 0, kOpaque);
}

// The caption below the skin, centred on the estimate.
void PlaceCaption(FrameBitmap& frame, const FrameBitmap& caption, int text_width, int skin_height,
                  int dpi) {
  BlendOnto(frame, caption, FrameCentre(frame.Width(), dpi) - text_width / 2, skin_height, kOpaque);
}

// Byte copy between bitmaps of the same size; rows are contiguous without padding.
void CopyPixels(FrameBitmap& target, const FrameBitmap& source) {
  if (source.Empty()) return;
  std::memcpy(target.ScanLine(0), source.ScanLine(0),
              static_cast<std::size_t>(source.Width()) * source.Height() * 4);
}

void DrawStarsIfShown(FrameBitmap& frame, const FrameInputs& inputs) {
  if (inputs.show_stars && inputs.star_sprite && inputs.stars) {
    DrawStars(frame, *inputs.star_sprite, *inputs.stars);
  }
}

const FrameBitmap& SkinOf(const FrameInputs& inputs) {
  static const FrameBitmap kNoSkin;
  return inputs.skin ? *inputs.skin : kNoSkin;
}

}  // namespace

FrameBitmap ComposeFrame(TextPainter& painter, const FrameInputs& inputs) {
  const FrameBitmap caption = RenderCaption(painter, inputs.caption_text, inputs.font,
                                            inputs.display_shadow, kShadowColor, inputs.dpi);
  const int text_width = EstimatedCaptionWidth(painter, inputs.font, inputs.caption_text);
  const FrameBitmap& skin = SkinOf(inputs);
  FrameBitmap frame(FrameWidth(skin, text_width), FrameHeight(skin, caption));
  PlaceSkin(frame, skin, inputs.dpi);
  if (inputs.show_days) PlaceCaption(frame, caption, text_width, skin.Height(), inputs.dpi);
  DrawStarsIfShown(frame, inputs);
  return frame;
}

bool FrameComposer::CaptionKey::operator==(const CaptionKey& other) const {
  return text == other.text && font == other.font && shadow == other.shadow && dpi == other.dpi;
}

bool FrameComposer::BackgroundKey::operator==(const BackgroundKey& other) const {
  return skin == other.skin && skin_version == other.skin_version && width == other.width &&
         height == other.height && dpi == other.dpi && show_days == other.show_days;
}

const FrameBitmap& FrameComposer::Compose(TextPainter& painter, const FrameInputs& inputs) {
  UpdateCaption(painter, inputs);
  const FrameBitmap& skin = SkinOf(inputs);
  const int width = FrameWidth(skin, caption_width_);
  const int height = FrameHeight(skin, caption_renderer_.Caption());
  UpdateBackground(inputs, width, height);
  frame_.Resize(width, height);
  CopyPixels(frame_, background_);
  DrawStarsIfShown(frame_, inputs);
  return frame_;
}

void FrameComposer::Invalidate() {
  caption_key_.reset();
  background_key_.reset();
}

void FrameComposer::UpdateCaption(TextPainter& painter, const FrameInputs& inputs) {
  CaptionKey key{inputs.caption_text, inputs.font, inputs.display_shadow, inputs.dpi};
  if (caption_key_ && *caption_key_ == key) return;
  // A caption that cannot be drawn leaves the renderer's bitmaps unfinished: it is drawn again
  // next time.
  caption_key_.reset();
  background_key_.reset();
  caption_renderer_.Render(painter, inputs.caption_text, inputs.font, inputs.display_shadow,
                           kShadowColor, inputs.dpi);
  caption_width_ = EstimatedCaptionWidth(painter, inputs.font, inputs.caption_text);
  caption_key_ = std::move(key);
}

// Made afresh whenever anything in it changes (the caption does every second): a blend of the
// skin costs less than keeping the skin placed in a picture of its own all season.
void FrameComposer::UpdateBackground(const FrameInputs& inputs, int width, int height) {
  const BackgroundKey key{inputs.skin, inputs.skin_version, width,
                          height,      inputs.dpi,          inputs.show_days};
  if (background_key_ && *background_key_ == key) return;
  background_key_.reset();
  background_.Resize(width, height);
  background_.Fill(0x000000);  // transparent black, as a new bitmap starts
  PlaceSkin(background_, SkinOf(inputs), inputs.dpi);
  if (inputs.show_days) {
    PlaceCaption(background_, caption_renderer_.Caption(), caption_width_, SkinOf(inputs).Height(),
                 inputs.dpi);
  }
  background_key_ = key;
}

}  // namespace tindrel
