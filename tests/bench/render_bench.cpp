// Costs of the per-frame rendering work: a frame composed from scratch, a steady frame and a frame
// with a new caption as the widget composes them, the caption alone, and the blur of a
// caption-sized bitmap.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "doubles/fake_text_painter.h"
#include "render/caption.h"
#include "render/composition.h"
#include "render/gblur3.h"

namespace tindrel {
namespace {

using test::FakeTextPainter;

void SetPremultiplied(FrameBitmap& bitmap, int x, int y, int b, int g, int r, int a) {
  std::uint8_t* p = bitmap.PixelAt(x, y);
  p[kBlue] = static_cast<std::uint8_t>(b * a / 255);
  p[kGreen] = static_cast<std::uint8_t>(g * a / 255);
  p[kRed] = static_cast<std::uint8_t>(r * a / 255);
  p[kAlpha] = static_cast<std::uint8_t>(a);
}

// An opaque rounded picture whose alpha falls off over its outer 12 pixels.
FrameBitmap SkinLikeBitmap(int width, int height) {
  FrameBitmap skin(width, height);
  const double cx = width / 2.0;
  const double cy = height / 2.0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double dx = (x + 0.5 - cx) / cx;
      const double dy = (y + 0.5 - cy) / cy;
      const double inside = (1.0 - std::sqrt(dx * dx + dy * dy)) * std::min(cx, cy) / 12.0;
      const int a = static_cast<int>(std::clamp(inside, 0.0, 1.0) * 255.0);
      SetPremultiplied(skin, x, y, 40 + x % 200, 90 + y % 150, 200, a);
    }
  }
  return skin;
}

FrameBitmap StarSprite() {
  FrameBitmap sprite(15, 15);
  for (int y = 0; y < 15; ++y) {
    for (int x = 0; x < 15; ++x) {
      const int d = std::abs(x - 7) + std::abs(y - 7);
      SetPremultiplied(sprite, x, y, 255, 255, 255, std::max(0, 255 - d * 36));
    }
  }
  return sprite;
}

// Frame inputs as the refresh tick gives them: a skin, the caption with its shadow, eight stars.
struct FrameScene {
  FrameScene() {
    BuildSharedBlurKernel();
    for (int i = 0; i < kStarCount; ++i) stars[i] = {60 + 25 * i, 40 + 20 * i, 30 * i + 20, 1};
    inputs.caption_text = "12 days, 05:07:09";
    inputs.display_shadow = true;
    inputs.show_days = true;
    inputs.show_stars = true;
    inputs.skin = &skin;
    inputs.skin_version = 1;
    inputs.star_sprite = &sprite;
    inputs.stars = &stars;
  }
  // The stars move at every frame, as they do between two refresh ticks.
  void NextStars() {
    for (Star& star : stars) star.alpha = (star.alpha + 10) % 256;
  }
  FakeTextPainter painter;
  FrameBitmap skin = SkinLikeBitmap(300, 260);
  FrameBitmap sprite = StarSprite();
  StarArray stars{};
  FrameInputs inputs;
};

// Everything composed from scratch, as every frame was before the composition kept its layers.
void BM_WholeFrame(benchmark::State& state) {
  FrameScene scene;
  for (auto _ : state) {
    scene.NextStars();
    FrameBitmap frame = ComposeFrame(scene.painter, scene.inputs);
    benchmark::DoNotOptimize(frame.ScanLine(0));
  }
}
BENCHMARK(BM_WholeFrame)->Unit(benchmark::kMicrosecond);

// The same caption as the previous frame: only the stars are new.
void BM_SteadyStateFrame(benchmark::State& state) {
  FrameScene scene;
  FrameComposer composer;
  composer.Compose(scene.painter, scene.inputs);
  for (auto _ : state) {
    scene.NextStars();
    const FrameBitmap& frame = composer.Compose(scene.painter, scene.inputs);
    benchmark::DoNotOptimize(frame.ScanLine(0));
  }
}
BENCHMARK(BM_SteadyStateFrame)->Unit(benchmark::kMicrosecond);

// A new second: the caption layer and the skin-and-caption picture are rebuilt.
void BM_FrameWithANewCaption(benchmark::State& state) {
  FrameScene scene;
  FrameComposer composer;
  const std::string captions[2] = {"12 days, 05:07:09", "12 days, 05:07:08"};
  int second = 0;
  for (auto _ : state) {
    scene.NextStars();
    scene.inputs.caption_text = captions[++second % 2];
    const FrameBitmap& frame = composer.Compose(scene.painter, scene.inputs);
    benchmark::DoNotOptimize(frame.ScanLine(0));
  }
}
BENCHMARK(BM_FrameWithANewCaption)->Unit(benchmark::kMicrosecond);

void BM_ShadowedCaption(benchmark::State& state) {
  BuildSharedBlurKernel();
  FakeTextPainter painter;
  const FontSpec font;
  for (auto _ : state) {
    FrameBitmap caption = RenderCaption(painter, "12 days, 05:07:09", font, true, 0);
    benchmark::DoNotOptimize(caption.ScanLine(0));
  }
}
BENCHMARK(BM_ShadowedCaption)->Unit(benchmark::kMicrosecond);

void BM_BlurBitmap300x40(benchmark::State& state) {
  BuildSharedBlurKernel();
  FrameBitmap bitmap(300, 40);
  std::mt19937 random(1);
  for (int y = 0; y < 40; ++y) {
    for (int k = 0; k < 300 * 4; ++k) bitmap.ScanLine(y)[k] = static_cast<std::uint8_t>(random());
  }
  for (auto _ : state) {
    BlurBitmap(bitmap);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BlurBitmap300x40)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tindrel
