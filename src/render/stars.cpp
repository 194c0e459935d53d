#include "render/stars.h"

#include <algorithm>

namespace tindrel {
namespace {

constexpr std::int32_t kIdle = 0;
constexpr std::int32_t kBrightening = 1;
constexpr std::int32_t kDimming = -1;
constexpr std::int32_t kAlphaStep = 10;
constexpr std::int32_t kOpaque = 255;

void RespawnIfIdle(Star& star, const SkinSize& skin, RandomSource& random) {
  if (star.direction != kIdle) return;
  star.x = random.Below(skin.width);
  star.y = random.Below(skin.height);
  star.alpha = random.Below(kOpaque);  // 0 .. 254
  star.direction = kBrightening;
}

void Brighten(Star& star) {
  if (star.direction != kBrightening) return;
  if (star.alpha >= kOpaque) {
    star.direction = kDimming;
    star.alpha -= kAlphaStep;
  } else {
    star.alpha += kAlphaStep;
  }
}

// Runs after Brighten in the same tick, so the turn at the peak dims twice at once.
void Dim(Star& star) {
  if (star.direction != kDimming) return;
  if (star.alpha <= 0) {
    star.direction = kIdle;
  } else {
    star.alpha -= kAlphaStep;
  }
}

}  // namespace

void StarField::Advance(int ticks, const std::optional<SkinSize>& skin, RandomSource& random) {
  for (int tick = 0; tick < std::min(ticks, kMaxStarCatchUpTicks); ++tick) Tick(skin, random);
}

void StarField::ScalePositions(int from_dpi, int to_dpi) {
  if (from_dpi <= 0 || to_dpi <= 0) return;
  for (Star& star : stars_) {
    star.x = static_cast<std::int32_t>(std::int64_t{star.x} * to_dpi / from_dpi);
    star.y = static_cast<std::int32_t>(std::int64_t{star.y} * to_dpi / from_dpi);
  }
}

void StarField::Tick(const std::optional<SkinSize>& skin, RandomSource& random) {
  // An empty skin has no place for a star; it is treated like no skin at all.
  if (!skin || skin->width <= 0 || skin->height <= 0) return;
  for (Star& star : stars_) {
    RespawnIfIdle(star, *skin, random);
    Brighten(star);
    Dim(star);
    star.alpha = std::clamp(star.alpha, 0, kOpaque);
  }
}

}  // namespace tindrel
