// The display scale: the 96-DPI layout's lengths at other DPIs, the resampling of pictures made
// for another scale, and which of them a scale draws from.
#include "render/display_scale.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "render/caption.h"
#include "render/gblur3.h"
#include "render/resample.h"
#include "render/scaled_picture.h"
#include "render/text_painter.h"
#include "support/pixels.h"

namespace tindrel {
namespace {

using test::Pixel;
using test::PixelOf;

struct ScaleCase {
  int dpi;
  int caption_margin;  // also the shadow's offset
  int least_centre;    // the frame's centre column at least
  int minimum_side;    // the window's least width and height
  int font_height;     // 16 points: 21 pixels at 96 DPI, scaled
  int blur_radius;
  int skin_width;  // the default skin, 300 x 260 at 96
  int skin_height;
};

class ScaleArithmetic : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleArithmetic, EveryLengthOfTheLayoutFollowsTheDpiRoundedHalfAway) {
  const ScaleCase& c = GetParam();
  EXPECT_EQ(ScaledLength(kCaptionMargin, c.dpi), c.caption_margin);
  EXPECT_EQ(ScaledLength(5, c.dpi), c.least_centre);
  EXPECT_EQ(ScaledLength(32, c.dpi), c.minimum_side);
  EXPECT_EQ(ScaledLength(FontHeightFromPoints(16, kBaseDpi), c.dpi), c.font_height);
  EXPECT_EQ(BlurKernelForDpi(c.dpi).radius, c.blur_radius);
  EXPECT_EQ(ScaledLength(300, c.dpi), c.skin_width);
  EXPECT_EQ(ScaledLength(260, c.dpi), c.skin_height);
}

INSTANTIATE_TEST_SUITE_P(From100To300Percent, ScaleArithmetic,
                         ::testing::Values(ScaleCase{96, 2, 5, 32, -21, 2, 300, 260},
                                           ScaleCase{120, 3, 6, 40, -26, 3, 375, 325},
                                           ScaleCase{144, 3, 8, 48, -32, 4, 450, 390},
                                           ScaleCase{168, 4, 9, 56, -37, 4, 525, 455},
                                           ScaleCase{192, 4, 10, 64, -42, 5, 600, 520},
                                           ScaleCase{288, 6, 15, 96, -63, 8, 900, 780}));

TEST(ScaleArithmetic, AtNinetySixTheSharedKernelIsUsedWeightForWeight) {
  const BlurKernel kernel = BlurKernelForDpi(96);
  EXPECT_EQ(kernel.radius, SharedBlurKernel().radius);
  EXPECT_EQ(kernel.weights, SharedBlurKernel().weights);
}

// One row of premultiplied pixels, B G R A each.
FrameBitmap Row(const std::vector<Pixel>& pixels) {
  FrameBitmap row(static_cast<int>(pixels.size()), 1);
  for (int x = 0; x < row.Width(); ++x) {
    for (int c = 0; c < 4; ++c) row.PixelAt(x, 0)[c] = static_cast<std::uint8_t>(pixels[x][c]);
  }
  return row;
}

std::vector<Pixel> PixelsOf(const FrameBitmap& bitmap) {
  std::vector<Pixel> pixels;
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) pixels.push_back(PixelOf(bitmap, x, y));
  }
  return pixels;
}

TEST(ResampleBitmap, ShrinkingAveragesTheCoveredAreaExactlyWithoutDarkFringes) {
  // An opaque orange pixel beside a transparent one: the mean is half as opaque and, once the
  // premultiplication is undone, still orange; a fringe would darken it.
  EXPECT_EQ(PixelsOf(ResampleBitmap(Row({{50, 100, 200, 255}, {0, 0, 0, 0}}), 1, 1)),
            (std::vector<Pixel>{{25, 50, 100, 128}}));
  // Three to two: each target pixel covers one and a half source pixels (weights 2:1 and 1:2).
  EXPECT_EQ(
      PixelsOf(ResampleBitmap(Row({{0, 0, 0, 0}, {90, 90, 90, 90}, {180, 180, 180, 255}}), 2, 1)),
      (std::vector<Pixel>{{30, 30, 30, 30}, {150, 150, 150, 200}}));
  // Two by two to one: the four pixels' mean, halves rounded up.
  FrameBitmap square(2, 2);
  square.PixelAt(0, 0)[kAlpha] = 255;
  square.PixelAt(1, 1)[kAlpha] = 1;
  EXPECT_EQ(PixelsOf(ResampleBitmap(square, 1, 1)), (std::vector<Pixel>{{0, 0, 0, 64}}));
}

TEST(ResampleBitmap, EnlargingInterpolatesBetweenPixelCentresInsteadOfRepeatingPixels) {
  EXPECT_EQ(PixelsOf(ResampleBitmap(Row({{0, 0, 0, 0}, {200, 200, 200, 200}}), 4, 1)),
            (std::vector<Pixel>{
                {0, 0, 0, 0}, {50, 50, 50, 50}, {150, 150, 150, 150}, {200, 200, 200, 200}}));
}

TEST(ResampleBitmap, TheSameSizeGivesTheSameBytesAndEveryResultStaysPremultiplied) {
  FrameBitmap picture(7, 5);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 7; ++x) {
      std::uint8_t* p = picture.PixelAt(x, y);
      p[kAlpha] = static_cast<std::uint8_t>((x * 53 + y * 97) % 256);
      for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(p[kAlpha] * ((x + c) % 3) / 2);
    }
  }
  EXPECT_EQ(PixelsOf(ResampleBitmap(picture, 7, 5)), PixelsOf(picture));
  for (const auto& [width, height] : std::vector<std::pair<int, int>>{{3, 2}, {5, 9}, {16, 11}}) {
    const FrameBitmap resized = ResampleBitmap(picture, width, height);
    ASSERT_EQ(resized.Width(), width);
    ASSERT_EQ(resized.Height(), height);
    for (const Pixel& p : PixelsOf(resized)) {
      EXPECT_LE(std::max({p[0], p[1], p[2]}), p[3]) << width << " x " << height;
    }
  }
  EXPECT_EQ(PixelsOf(ResampleBitmap(FrameBitmap(), 2, 1)), (std::vector<Pixel>(2, Pixel{})));
}

TEST(ChoosePictureDpi, ThePictureMadeForTheScaleElseTheNextLargerElseTheLargest) {
  const auto having = [](std::set<int> dpis) {
    return [dpis](int dpi) { return dpis.count(dpi) != 0; };
  };
  const auto both = having({144, 192});
  EXPECT_EQ(ChoosePictureDpi(96, both), 96);
  EXPECT_EQ(ChoosePictureDpi(120, both), 144);
  EXPECT_EQ(ChoosePictureDpi(144, both), 144);
  EXPECT_EQ(ChoosePictureDpi(168, both), 192);
  EXPECT_EQ(ChoosePictureDpi(192, both), 192);
  EXPECT_EQ(ChoosePictureDpi(288, both), 192);
  EXPECT_EQ(ChoosePictureDpi(120, having({192})), 192);
  EXPECT_EQ(ChoosePictureDpi(192, having({144})), 144);
  EXPECT_EQ(ChoosePictureDpi(144, having({})), 96);
}

}  // namespace
}  // namespace tindrel
