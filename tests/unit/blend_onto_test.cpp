#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "render/alpha_bitmap.h"

namespace tindrel {
namespace {

// x / 255 rounded to nearest; 255 is odd, so there are no halves.
int Rounded255(int x) {
  return (2 * x + 255) / 510;
}

// Source-over of one byte, written from the definition.
int ExpectedByte(int s, int sa, int d, int k) {
  const int keep = 255 - Rounded255(sa * k);
  return std::min(Rounded255(s * k) + Rounded255(d * keep), 255);
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
          ASSERT_EQ(blended.PixelAt(x, y)[c],
                    ExpectedByte(s[c], s[kAlpha], target.PixelAt(x, y)[c], k))
              << "k " << k << " at " << x << "," << y << " byte " << c;
        }
      }
    }
  }
}

TEST(BlendOnto, ExhaustiveOverAlphaDestinationAndConstantForPremultipliedSources) {
  FrameBitmap target(256, 1);
  FrameBitmap source(256, 1);
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
        ASSERT_EQ(p[kBlue], ExpectedByte(sa, sa, x, k));
        ASSERT_EQ(p[kGreen], ExpectedByte(sa / 2, sa, x, k));
        ASSERT_EQ(p[kRed], ExpectedByte(0, sa, x, k));
        ASSERT_EQ(p[kAlpha], ExpectedByte(sa, sa, x, k));
      }
    }
  }
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

}  // namespace
}  // namespace tindrel
