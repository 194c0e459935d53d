#include "app/widget_stars.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/error.h"
#include "render/png_decoder.h"
#include "render/scaled_picture.h"

namespace tindrel {
namespace {

constexpr char kSpriteFile[] = "star.png";
// The sprite's transparent pixels are black before they are made transparent.
constexpr Color kStarFill = 0x000000;

// A larger picture that could not be read leaves the sprite drawn from the 1x one; the problem
// is still the caller's to report.
void ThrowFirstProblem(const std::vector<std::string>& problems) {
  if (!problems.empty()) throw Error(problems.front());
}

}  // namespace

void WidgetStars::LoadSprite(const std::string& folder, int dpi) {
  folder_ = folder;
  dpi_ = dpi;
  const std::vector<std::string> problems = LoadSpriteForDpi();
  field_.Reset();
  random_ = MersenneRandom(static_cast<std::uint32_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
  ThrowFirstProblem(problems);
}

void WidgetStars::SetDpi(int dpi) {
  if (dpi == dpi_) return;
  field_.ScalePositions(dpi_, dpi);
  dpi_ = dpi;
  if (!folder_.empty()) ThrowFirstProblem(LoadSpriteForDpi());
}

std::vector<std::string> WidgetStars::LoadSpriteForDpi() {
  sprite_ = FrameBitmap();
  const DecodedPng picture = DecodePngFile(folder_ + kSpriteFile);
  std::vector<std::string> problems;
  sprite_ = PictureForDpi(picture, folder_, kSpriteFile, kStarFill, dpi_, problems);
  return problems;
}

void WidgetStars::AdvanceTo(std::uint64_t now_ms, const FrameBitmap* skin) {
  if (!advanced_to_ms_ || now_ms < *advanced_to_ms_) {
    advanced_to_ms_ = now_ms;
    return;
  }
  const std::uint64_t ticks = (now_ms - *advanced_to_ms_) / kStarTickMs;
  if (ticks == 0) return;
  std::optional<SkinSize> size;
  if (skin) size = SkinSize{skin->Width(), skin->Height()};
  if (ticks > static_cast<std::uint64_t>(kMaxStarCatchUpTicks)) {
    field_.Advance(kMaxStarCatchUpTicks, size, random_);
    advanced_to_ms_ = now_ms;  // the rest of a long gap is let go
    return;
  }
  field_.Advance(static_cast<int>(ticks), size, random_);
  *advanced_to_ms_ += ticks * kStarTickMs;
}

}  // namespace tindrel
