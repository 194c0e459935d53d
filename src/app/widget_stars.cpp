#include "app/widget_stars.h"

#include <chrono>
#include <cstdint>
#include <optional>

#include "render/alpha_bitmap.h"
#include "render/png_decoder.h"

namespace tindrel {
namespace {

// The sprite's transparent pixels are black before they are made transparent.
constexpr Colour kStarFill = 0x000000;

}  // namespace

void WidgetStars::LoadSprite(const std::string& path) {
  sprite_ = FrameBitmap();
  const DecodedPng picture = DecodePngFile(path);
  sprite_ = PngToAlphaBitmap(picture, kStarFill);
  field_.Reset();
  random_ = MersenneRandom(static_cast<std::uint32_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

void WidgetStars::Tick(const FrameBitmap* skin) {
  std::optional<SkinSize> size;
  if (skin) size = SkinSize{skin->Width(), skin->Height()};
  field_.Tick(size, random_);
}

}  // namespace tindrel
