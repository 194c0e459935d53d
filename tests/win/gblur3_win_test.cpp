// The blur built by the Windows compiler (the 32-bit build evaluates doubles through SSE2, the
// 64-bit one does so anyway): the kernel and the blurred bytes are those of double arithmetic,
// the same as in every other build.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "render/gblur3.h"

namespace tindrel {
namespace {

std::uint32_t BitsOf(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

TEST(WindowsBlur, SharedKernelHasTheExactSinglePrecisionWeights) {
  BuildSharedBlurKernel();
  const BlurKernel& kernel = SharedBlurKernel();
  EXPECT_EQ(kernel.radius, 2);
  EXPECT_EQ(BitsOf(kernel.Weight(-2)), 0x3D5F2F87u);
  EXPECT_EQ(BitsOf(kernel.Weight(-1)), 0x3E7A0FEBu);
  EXPECT_EQ(BitsOf(kernel.Weight(0)), 0x3ECE2434u);
  EXPECT_EQ(BitsOf(kernel.Weight(1)), 0x3E7A0FEBu);
  EXPECT_EQ(BitsOf(kernel.Weight(2)), 0x3D5F2F87u);
}

TEST(WindowsBlur, RadiiForOtherSigmas) {
  const double sigmas[] = {0.5, 1.5, 2.0, 3.0};
  const int radii[] = {1, 4, 5, 8};
  for (int i = 0; i < 4; ++i) {
    BlurKernel kernel;
    BuildBlurKernel(kernel, sigmas[i], 255.0, 1.0);
    EXPECT_EQ(kernel.radius, radii[i]) << sigmas[i];
  }
}

TEST(WindowsBlur, LinesAndImpulseGiveTheKnownBytes) {
  std::vector<std::uint8_t> line(7 * 4, 0);
  std::vector<std::uint8_t> scratch(7 * 4);
  line[3 * 4] = 255;
  BlurLine(line.data(), 6, SharedBlurKernel(), scratch.data());
  const int middle[] = {0, 14, 62, 103, 62, 14, 0};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(line[i * 4], middle[i]) << i;

  FrameBitmap bitmap(7, 7);
  bitmap.PixelAt(3, 3)[kAlpha] = 255;
  BlurBitmap(bitmap);
  const int centre_row[] = {0, 6, 25, 41, 25, 6, 0};
  int sum = 0;
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 7; ++x) sum += bitmap.PixelAt(x, y)[kAlpha];
  }
  for (int x = 0; x < 7; ++x) EXPECT_EQ(bitmap.PixelAt(x, 3)[kAlpha], centre_row[x]) << x;
  EXPECT_EQ(sum, 253);
}

}  // namespace
}  // namespace tindrel
