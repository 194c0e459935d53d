#include "render/stars.h"

#include <algorithm>

namespace tindrel {
namespace {

constexpr std::int32_t kIdle = 0;
constexpr std::int32_t kBrightening = 1;
constexpr std::int32_t kDimming = -1;
constexpr std::int32_t kAlphaStep = 10;
constexpr std::int32_t kOpaque = 255;

void RespawnIfIdle(TStar& star, const SkinSize& skin, RandomSource& random) {
  if (star.Direction != kIdle) return;
  star.X = random.Below(skin.width);
  star.Y = random.Below(skin.height);
  star.Alpha = random.Below(kOpaque);  // 0 .. 254
  star.Direction = kBrightening;
}

void Brighten(TStar& star) {
  if (star.Direction != kBrightening) return;
  if (star.Alpha >= kOpaque) {
    star.Direction = kDimming;
    star.Alpha -= kAlphaStep;
  } else {
    star.Alpha += kAlphaStep;
  }
}

// Runs after Brighten in the same tick, so the turn at the peak dims twice at once.
void Dim(TStar& star) {
  if (star.Direction != kDimming) return;
  if (star.Alpha <= 0) {
    star.Direction = kIdle;
  } else {
    star.Alpha -= kAlphaStep;
  }
}

}  // namespace

void StarField::Tick(const std::optional<SkinSize>& skin, RandomSource& random) {
  // An empty skin has no place for a star; it is treated like no skin at all.
  if (!skin || skin->width <= 0 || skin->height <= 0) return;
  for (TStar& star : FStars) {
    RespawnIfIdle(star, *skin, random);
    Brighten(star);
    Dim(star);
    star.Alpha = std::clamp(star.Alpha, 0, kOpaque);
  }
}

}  // namespace tindrel
