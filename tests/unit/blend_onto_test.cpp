#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <utility>

#include "render/alpha_bitmap.h"

namespace tindrel {
namespace {

// The blend of one byte, S.c * k + D.c * (1 - S.A * k / 255) with k = constant / 255, as the
// widget computes it: in whole numbers, with three roundings of a quotient by 255 to the nearest
// integer (255 is odd, so no such quotient lies halfway):
//   the source's share          s = round(S.c * constant / 255)
//   what of the destination shows  t = 255 - round(S.A * constant / 255)
//   the destination's share     d = round(D.c * t / 255)
//   the byte                    min(255, s + d)
// This is the widget's pixel contract: every frame is byte for byte what this formula gives. It is
// never more than 1.49 units from the exact value, which cannot be seen. The minimum holds a source
// whose colour is above its alpha (not premultiplied) at 255.
int RoundedQuotientBy255(int x) {
  return (2 * x + 255) / 510;
}

int BlendedByte(int s, int sa, int d, int constant) {
  const int shows_through = 255 - RoundedQuotientBy255(sa * constant);
  return std::min(255,
                  RoundedQuotientBy255(s * constant) + RoundedQuotientBy255(d * shows_through));
}

// The exact value, for the contract's bound: (S.c * constant * 255 + D.c * (255^2 - S.A *
// constant)) / 255^2.
double ExactBlend(int s, int sa, int d, int constant) {
  constexpr double kDenominator = 255.0 * 255.0;
  return (static_cast<double>(s) * constant * 255 +
          static_cast<double>(d) * (kDenominator - sa * constant)) /
         kDenominator;
}

::testing::AssertionResult FollowsTheFormula(int result, int s, int sa, int d, int constant) {
  const int expected = BlendedByte(s, sa, d, constant);
  if (result == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << result << " where the formula gives " << expected << " (exactly "
         << ExactBlend(s, sa, d, constant) << ") for source " << s << ", source alpha " << sa
         << ", destination " << d << ", constant " << constant;
}

TEST(BlendOnto, EveryByteFollowsTheSourceOverRule) {
  std::mt19937 random(3);
  std::uniform_int_distribution<int> byte(0, 255);
  const int kWidth = 300;  // more than one of the routine's internal chunks
  FrameBitmap target(kWidth, 40);
  FrameBitmap source(kWidth, 40);
  for (int y = 0; y < 40; ++y) {
    for (int i = 0; i < kWidth * 4; ++i) {
      target.ScanLine(y)[i] = static_cast<std::uint8_t>(byte(random));
      // Mostly premultiplied sources, some not (colour above alpha), which the clamp catches.
      source.ScanLine(y)[i] = static_cast<std::uint8_t>(byte(random));
    }
  }
  for (int k : {0, 1, 100, 175, 254, 255}) {
    FrameBitmap blended(kWidth, 40);
    for (int y = 0; y < 40; ++y) std::copy_n(target.ScanLine(y), kWidth * 4, blended.ScanLine(y));
    BlendOnto(blended, source, 0, 0, static_cast<std::uint8_t>(k));
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const std::uint8_t* s = source.PixelAt(x, y);
        for (int c = 0; c < 4; ++c) {
          ASSERT_TRUE(FollowsTheFormula(blended.PixelAt(x, y)[c], s[c], s[kAlpha],
                                        target.PixelAt(x, y)[c], k))
              << "at " << x << "," << y << " byte " << c;
        }
      }
    }
  }
}

TEST(BlendOnto, ExhaustiveOverAlphaDestinationAndConstantForPremultipliedSources) {
  FrameBitmap target(256, 1);
  FrameBitmap source(256, 1);
  double largest_difference = 0.0;
  for (int k : {1, 37, 128, 175, 255}) {
    for (int sa = 0; sa < 256; ++sa) {
      for (int x = 0; x < 256; ++x) {
        std::uint8_t* s = source.PixelAt(x, 0);
        s[kBlue] = static_cast<std::uint8_t>(sa), s[kGreen] = static_cast<std::uint8_t>(sa / 2);
        s[kRed] = 0, s[kAlpha] = static_cast<std::uint8_t>(sa);
        std::fill_n(target.PixelAt(x, 0), 4, static_cast<std::uint8_t>(x));
      }
      BlendOnto(target, source, 0, 0, static_cast<std::uint8_t>(k));
      for (int x = 0; x < 256; ++x) {
        const std::uint8_t* p = target.PixelAt(x, 0);
        ASSERT_TRUE(FollowsTheFormula(p[kBlue], sa, sa, x, k));
        ASSERT_TRUE(FollowsTheFormula(p[kGreen], sa / 2, sa, x, k));
        ASSERT_TRUE(FollowsTheFormula(p[kRed], 0, sa, x, k));
        ASSERT_TRUE(FollowsTheFormula(p[kAlpha], sa, sa, x, k));
        for (const int s : {sa, sa / 2, 0}) {
          largest_difference = std::max(
              largest_difference, std::abs(BlendedByte(s, sa, x, k) - ExactBlend(s, sa, x, k)));
        }
      }
    }
  }
  // The contract's bound: the three roundings never add up to a unit and a half.
  EXPECT_LT(largest_difference, 1.5);
}

// Figures worked out by hand where the exact value is a whole number, so that rounding has
// nothing to move. Every byte of the pixel, alpha included, follows the same rule.
TEST(BlendOnto, WholeNumberResultsAreExact) {
  FrameBitmap target(2, 1);
  FrameBitmap source(2, 1);
  std::uint8_t* d0 = target.PixelAt(0, 0);
  std::uint8_t* s0 = source.PixelAt(0, 0);
  // Constant 255, source alpha 204: the destination keeps 51/255 = 1/5.
  // B 10 + 50/5 = 20, G 100 + 100/5 = 120, R 204 + 255/5 = 255, A 204 + 255/5 = 255.
  s0[kBlue] = 10, s0[kGreen] = 100, s0[kRed] = 204, s0[kAlpha] = 204;
  d0[kBlue] = 50, d0[kGreen] = 100, d0[kRed] = 255, d0[kAlpha] = 255;
  std::uint8_t* d1 = target.PixelAt(1, 0);
  std::uint8_t* s1 = source.PixelAt(1, 0);
  // Constant 51 (k = 1/5), source alpha 255: the source counts 1/5, the destination keeps
  // 1 - 255 * 51 / 255^2 = 4/5. B 0 + 200 * 4/5 = 160, G 100/5 + 50 * 4/5 = 60,
  // R 255/5 + 5 * 4/5 = 55, A 255/5 + 255 * 4/5 = 255.
  s1[kBlue] = 0, s1[kGreen] = 100, s1[kRed] = 255, s1[kAlpha] = 255;
  d1[kBlue] = 200, d1[kGreen] = 50, d1[kRed] = 5, d1[kAlpha] = 255;

  // Both placements blend the same source onto fresh copies of the destination.
  FrameBitmap at_full(2, 1);
  std::copy_n(target.ScanLine(0), 8, at_full.ScanLine(0));
  BlendOnto(at_full, source, 0, 0, 255);
  const std::uint8_t* p = at_full.PixelAt(0, 0);
  EXPECT_EQ((std::array<int, 4>{p[kBlue], p[kGreen], p[kRed], p[kAlpha]}),
            (std::array<int, 4>{20, 120, 255, 255}));

  BlendOnto(target, source, 0, 0, 51);
  p = target.PixelAt(1, 0);
  EXPECT_EQ((std::array<int, 4>{p[kBlue], p[kGreen], p[kRed], p[kAlpha]}),
            (std::array<int, 4>{160, 60, 55, 255}));
}

TEST(BlendOnto, TransparentSourceLeavesTheTargetAsItWas) {
  FrameBitmap target(3, 1);
  for (int i = 0; i < 12; ++i) target.ScanLine(0)[i] = static_cast<std::uint8_t>(i * 20 + 1);
  const FrameBitmap clear(3, 1);
  BlendOnto(target, clear, 0, 0, 255);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(target.ScanLine(0)[i], i * 20 + 1);
}

TEST(BlendOnto, IsClippedToTheTarget) {
  FrameBitmap source(4, 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x)
      std::fill_n(source.PixelAt(x, y), 4, static_cast<std::uint8_t>(255));
  }
  FrameBitmap target(5, 5);
  BlendOnto(target, source, -2, 3, 255);  // only columns 0..1 of rows 3..4 are inside
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) {
      const bool covered = x < 2 && y >= 3;
      EXPECT_EQ(target.PixelAt(x, y)[kAlpha], covered ? 255 : 0) << x << "," << y;
    }
  }
  BlendOnto(target, source, 5, 0, 255);   // entirely right of the target
  BlendOnto(target, source, 0, -4, 255);  // entirely above it
  EXPECT_EQ(target.PixelAt(0, 0)[kAlpha], 0);
}

// A source whose every pixel tells its own column and row, opaque, at full constant: each pixel
// of the target inside the placement shows exactly the source pixel (x - left, y - top), so a
// source row read from the wrong column at a clipped edge shows.
FrameBitmap TellTaleSource(int width, int height) {
  FrameBitmap source(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = source.PixelAt(x, y);
      p[kBlue] = static_cast<std::uint8_t>(10 + x);
      p[kGreen] = static_cast<std::uint8_t>(100 + y);
      p[kRed] = static_cast<std::uint8_t>(x * 16 + y);
      p[kAlpha] = 255;
    }
  }
  return source;
}

void ExpectPlacedAt(const FrameBitmap& target, const FrameBitmap& source, int left, int top) {
  for (int y = 0; y < target.Height(); ++y) {
    for (int x = 0; x < target.Width(); ++x) {
      const int sx = x - left;
      const int sy = y - top;
      const bool inside = sx >= 0 && sy >= 0 && sx < source.Width() && sy < source.Height();
      const std::uint8_t* p = target.PixelAt(x, y);
      const std::array<int, 4> got{p[kBlue], p[kGreen], p[kRed], p[kAlpha]};
      const std::array<int, 4> expected =
          inside ? std::array<int, 4>{10 + sx, 100 + sy, sx * 16 + sy, 255}
                 : std::array<int, 4>{0, 0, 0, 0};
      EXPECT_EQ(got, expected) << "placed at " << left << "," << top << ": pixel " << x << "," << y;
    }
  }
}

TEST(BlendOnto, ClippedSourceKeepsEveryPixelInItsPlace) {
  const FrameBitmap source = TellTaleSource(5, 4);
  // Clipped on the left and top, on the right and bottom, on every side, and not at all.
  for (const auto& [left, top] :
       std::array<std::pair<int, int>, 6>{{{-2, -1}, {-4, 2}, {3, 4}, {-1, -3}, {1, 1}, {6, -2}}}) {
    FrameBitmap target(7, 6);
    BlendOnto(target, source, left, top, 255);
    ExpectPlacedAt(target, source, left, top);
  }
  FrameBitmap small(3, 2);  // smaller than the source on both sides
  BlendOnto(small, source, -1, -1, 255);
  ExpectPlacedAt(small, source, -1, -1);
}

}  // namespace
}  // namespace tindrel
