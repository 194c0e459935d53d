#include "render/gblur3.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "base/error.h"

namespace tindrel {
namespace {

std::uint32_t BitsOf(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

int RadiusFor(double sigma) {
  BlurKernel kernel;
  BuildBlurKernel(kernel, sigma, 255.0, 1.0);
  return kernel.radius;
}

TEST(BlurKernel, SharedKernelHasRadiusTwoAndTheExactSinglePrecisionWeights) {
  const BlurKernel& kernel = SharedBlurKernel();
  EXPECT_EQ(kernel.radius, 2);
  EXPECT_EQ(BitsOf(kernel.Weight(-2)), 0x3D5F2F87u);
  EXPECT_EQ(BitsOf(kernel.Weight(2)), 0x3D5F2F87u);
  EXPECT_EQ(BitsOf(kernel.Weight(-1)), 0x3E7A0FEBu);
  EXPECT_EQ(BitsOf(kernel.Weight(1)), 0x3E7A0FEBu);
  EXPECT_EQ(BitsOf(kernel.Weight(0)), 0x3ECE2434u);
}

// Sigma and the radius its kernel is cut at.
class BlurKernelRadius : public ::testing::TestWithParam<std::pair<double, int>> {};

TEST_P(BlurKernelRadius, IsCutWhereTheDroppedTailsReachTheThreshold) {
  const auto& [sigma, radius] = GetParam();
  EXPECT_EQ(RadiusFor(sigma), radius);
}

INSTANTIATE_TEST_SUITE_P(SigmasOfTheDisplayScales, BlurKernelRadius,
                         ::testing::Values(std::pair{0.5, 1}, std::pair{1.0, 2}, std::pair{1.5, 4},
                                           std::pair{2.0, 5}, std::pair{3.0, 8}));

TEST(BlurKernel, RadiusStaysWithinOneToHundred) {
  EXPECT_EQ(RadiusFor(0.01), 1);  // every tail weight underflows to 0
  BlurKernel wide;
  BuildBlurKernel(wide, 1000.0, 255.0, 1.0);
  EXPECT_EQ(wide.radius, 99);  // the first step (both weights at 100) already reaches it
  BlurKernel uncut;
  BuildBlurKernel(uncut, 1.0, 255.0, 0.0);
  EXPECT_EQ(uncut.radius, 100);  // a threshold of 0 is reached before any step
}

TEST(BlurKernel, RejectsASigmaThatIsNotPositive) {
  BlurKernel kernel;
  EXPECT_THROW(BuildBlurKernel(kernel, 0.0, 255.0, 1.0), Error);
  EXPECT_THROW(BuildBlurKernel(kernel, -1.0, 255.0, 1.0), Error);
  EXPECT_THROW(BuildBlurKernel(kernel, std::nan(""), 255.0, 1.0), Error);
}

// The blur written down as directly as possible: every output byte is the clamped sum taken in
// double precision, j ascending, rounded half to even; rows first, then columns.
void ReferenceBlurLine(std::vector<std::uint8_t>& line, const BlurKernel& kernel) {
  const int n = static_cast<int>(line.size()) / 4;
  std::vector<std::uint8_t> out(line.size());
  for (int i = 0; i < n; ++i) {
    for (int c = 0; c < 4; ++c) {
      double s = 0.0;
      for (int j = -kernel.radius; j <= kernel.radius; ++j) {
        s += static_cast<double>(kernel.Weight(j)) * line[std::clamp(i + j, 0, n - 1) * 4 + c];
      }
      out[i * 4 + c] = static_cast<std::uint8_t>(std::nearbyint(s));
    }
  }
  line = out;
}

void ReferenceBlurBitmap(FrameBitmap& bitmap, const BlurKernel& kernel) {
  const int w = bitmap.Width();
  const int h = bitmap.Height();
  for (int y = 0; y < h; ++y) {
    std::vector<std::uint8_t> line(bitmap.ScanLine(y), bitmap.ScanLine(y) + w * 4);
    ReferenceBlurLine(line, kernel);
    std::copy(line.begin(), line.end(), bitmap.ScanLine(y));
  }
  for (int x = 0; x < w; ++x) {
    std::vector<std::uint8_t> column(h * 4);
    for (int y = 0; y < h; ++y) std::copy_n(bitmap.PixelAt(x, y), 4, &column[y * 4]);
    ReferenceBlurLine(column, kernel);
    for (int y = 0; y < h; ++y) std::copy_n(&column[y * 4], 4, bitmap.PixelAt(x, y));
  }
}

FrameBitmap RandomBitmap(int width, int height, std::mt19937& random) {
  FrameBitmap bitmap(width, height);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int y = 0; y < height; ++y) {
    for (int k = 0; k < width * 4; ++k)
      bitmap.ScanLine(y)[k] = static_cast<std::uint8_t>(byte(random));
  }
  return bitmap;
}

FrameBitmap CopyOf(const FrameBitmap& source) {
  FrameBitmap copy(source.Width(), source.Height());
  for (int y = 0; y < source.Height(); ++y) {
    std::copy_n(source.ScanLine(y), source.Width() * 4, copy.ScanLine(y));
  }
  return copy;
}

bool SamePixels(const FrameBitmap& a, const FrameBitmap& b) {
  for (int y = 0; y < a.Height(); ++y) {
    if (!std::equal(a.ScanLine(y), a.ScanLine(y) + a.Width() * 4, b.ScanLine(y))) return false;
  }
  return true;
}

std::vector<std::uint8_t> GreyLine(std::initializer_list<int> values) {
  std::vector<std::uint8_t> line;
  for (int v : values) line.insert(line.end(), 4, static_cast<std::uint8_t>(v));
  return line;
}

std::vector<int> FirstChannel(const std::vector<std::uint8_t>& line) {
  std::vector<int> out;
  for (std::size_t k = 0; k < line.size(); k += 4) out.push_back(line[k]);
  return out;
}

std::vector<int> BlurredGreyLine(std::initializer_list<int> values) {
  std::vector<std::uint8_t> line = GreyLine(values);
  std::vector<std::uint8_t> scratch(line.size());
  BlurLine(line.data(), static_cast<int>(line.size() / 4) - 1, SharedBlurKernel(), scratch.data());
  return FirstChannel(line);
}

TEST(BlurLine, RepeatsTheFirstPixelBeforeTheStart) {
  EXPECT_EQ(BlurredGreyLine({255, 0, 0, 0, 0, 0, 0}), (std::vector<int>{179, 76, 14, 0, 0, 0, 0}));
}

TEST(BlurLine, SpreadsAMiddlePixelOverTwoNeighboursEachSide) {
  EXPECT_EQ(BlurredGreyLine({0, 0, 0, 255, 0, 0, 0}),
            (std::vector<int>{0, 14, 62, 103, 62, 14, 0}));
}

// The ends of a line are summed apart from its middle, and in double precision too: pixel 0 of
// this line sums to 54.5000027, which rounds to 55, where a sum kept in single precision comes to
// 54.5 exactly and rounds (half to even) to 54. The last pixel mirrors it. Random lines almost
// never come that close to a half.
TEST(BlurLine, TheEndsAreSummedInDoublePrecision) {
  const std::initializer_list<int> values = {7, 185, 81, 0, 0, 81, 185, 7};
  const std::vector<int> blurred = BlurredGreyLine(values);
  EXPECT_EQ(blurred.front(), 55);
  EXPECT_EQ(blurred.back(), 55);
  std::vector<std::uint8_t> expected = GreyLine(values);
  ReferenceBlurLine(expected, SharedBlurKernel());
  EXPECT_EQ(blurred, FirstChannel(expected));

  // The rows of a bitmap are blurred the same way.
  FrameBitmap row(8, 1);
  const std::vector<std::uint8_t> line = GreyLine(values);
  std::copy(line.begin(), line.end(), row.ScanLine(0));
  BlurBitmap(row);
  EXPECT_EQ(row.PixelAt(0, 0)[kRed], 55);
  EXPECT_EQ(row.PixelAt(7, 0)[kRed], 55);
}

TEST(BlurLine, ShortLinesClampAtBothEndsAndWriteOnlyTheirOwnPixels) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int n = 1; n < 5; ++n) {
    // Exactly sized heap buffers, so that a stray write is an AddressSanitizer report; the guard
    // bytes of a second, larger buffer catch it in an ordinary build too.
    std::vector<std::uint8_t> line(n * 4);
    for (auto& b : line) b = static_cast<std::uint8_t>(byte(random));
    std::vector<std::uint8_t> expected = line;
    ReferenceBlurLine(expected, SharedBlurKernel());

    std::vector<std::uint8_t> scratch(n * 4);
    BlurLine(line.data(), n - 1, SharedBlurKernel(), scratch.data());
    EXPECT_EQ(line, expected) << n;

    std::vector<std::uint8_t> guarded(n * 4 + 8, 0xA5);
    std::vector<std::uint8_t> guarded_scratch(n * 4 + 8, 0x5A);
    std::copy(expected.begin(), expected.end(), guarded.begin());  // any content will do
    BlurLine(guarded.data(), n - 1, SharedBlurKernel(), guarded_scratch.data());
    EXPECT_TRUE(
        std::all_of(guarded.begin() + n * 4, guarded.end(), [](int b) { return b == 0xA5; }));
    EXPECT_TRUE(std::all_of(guarded_scratch.begin() + n * 4, guarded_scratch.end(),
                            [](int b) { return b == 0x5A; }));
  }
}

TEST(BlurLine, MatchesTheDirectFormulaForWiderKernelsOnRandomLines) {
  std::mt19937 random(11);
  std::uniform_int_distribution<int> byte(0, 255);
  for (double sigma : {0.5, 1.5, 3.0}) {
    BlurKernel kernel;
    BuildBlurKernel(kernel, sigma, 255.0, 1.0);
    for (int n : {1, 2, 8, 16, 17, 18, 40, 301}) {
      std::vector<std::uint8_t> line(n * 4);
      for (auto& b : line) b = static_cast<std::uint8_t>(byte(random));
      std::vector<std::uint8_t> expected = line;
      ReferenceBlurLine(expected, kernel);
      std::vector<std::uint8_t> scratch(line.size());
      BlurLine(line.data(), n - 1, kernel, scratch.data());
      EXPECT_EQ(line, expected) << "sigma " << sigma << " n " << n;
    }
  }
}

TEST(BlurBitmap, ImpulseGivesTheFiveByFivePattern) {
  FrameBitmap bitmap(7, 7);
  bitmap.PixelAt(3, 3)[kRed] = 255;
  BlurBitmap(bitmap);
  const int expected[5][5] = {
      {1, 3, 6, 3, 1}, {3, 15, 25, 15, 3}, {6, 25, 41, 25, 6}, {3, 15, 25, 15, 3}, {1, 3, 6, 3, 1}};
  int sum = 0;
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 7; ++x) {
      const bool inside = x >= 1 && x <= 5 && y >= 1 && y <= 5;
      EXPECT_EQ(bitmap.PixelAt(x, y)[kRed], inside ? expected[y - 1][x - 1] : 0) << x << "," << y;
      EXPECT_EQ(bitmap.PixelAt(x, y)[kBlue], 0);
      EXPECT_EQ(bitmap.PixelAt(x, y)[kAlpha], 0);
      sum += bitmap.PixelAt(x, y)[kRed];
    }
  }
  EXPECT_EQ(sum, 253);
}

TEST(BlurBitmap, UniformAndSinglePixelBitmapsAreUnchanged) {
  FrameBitmap uniform(9, 6);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 9; ++x) {
      std::uint8_t* p = uniform.PixelAt(x, y);
      p[kBlue] = 10, p[kGreen] = 20, p[kRed] = 200, p[kAlpha] = 255;
    }
  }
  const FrameBitmap before = CopyOf(uniform);
  BlurBitmap(uniform);
  EXPECT_TRUE(SamePixels(uniform, before));

  FrameBitmap single(1, 1);
  std::uint8_t* p = single.PixelAt(0, 0);
  p[kBlue] = 1, p[kGreen] = 128, p[kRed] = 254, p[kAlpha] = 77;
  BlurBitmap(single);
  EXPECT_EQ(single.PixelAt(0, 0)[kBlue], 1);
  EXPECT_EQ(single.PixelAt(0, 0)[kGreen], 128);
  EXPECT_EQ(single.PixelAt(0, 0)[kRed], 254);
  EXPECT_EQ(single.PixelAt(0, 0)[kAlpha], 77);
}

TEST(BlurBitmap, EmptyBitmapsAreLeftAlone) {
  FrameBitmap none;
  BlurBitmap(none);
  FrameBitmap no_rows(5, 0);
  BlurBitmap(no_rows);
  EXPECT_EQ(no_rows.Width(), 5);
}

TEST(BlurBitmap, EqualsTheDirectFormulaOnRandomBitmaps) {
  std::mt19937 random(2024);
  const int sizes[][2] = {{1, 7}, {7, 1}, {2, 3}, {4, 4}, {5, 5}, {6, 9}, {33, 17}, {300, 40}};
  for (const auto& size : sizes) {
    FrameBitmap bitmap = RandomBitmap(size[0], size[1], random);
    FrameBitmap expected = CopyOf(bitmap);
    ReferenceBlurBitmap(expected, SharedBlurKernel());
    BlurBitmap(bitmap);
    EXPECT_TRUE(SamePixels(bitmap, expected)) << size[0] << " x " << size[1];
  }
}

}  // namespace
}  // namespace tindrel
