// The decoder against the libpng of the Windows build: its error path (setjmp/longjmp in 32-bit
// MinGW code), its chunk handling and its transforms must behave as in the native build.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error.h"
#include "render/alpha_bitmap.h"
#include "render/png_decoder.h"
#include "support/png_writer.h"

namespace tindrel {
namespace {

using test::Bytes;

using test::DecodeError;

TEST(WindowsPngDecoder, DamagedAndHostileDataThrowsAndDecodingGoesOnAfterwards) {
  const Bytes good = test::RgbaPng(2, 1, {255, 255, 255, 128, 1, 2, 3, 255});
  const Bytes truncated(good.begin(), good.end() - 20);
  EXPECT_EQ(DecodeError(truncated), "Cannot decode the PNG picture: Unexpected end of file");
  EXPECT_EQ(DecodeError({'G', 'I', 'F', '8', '9', 'a', 0, 0}),
            "Cannot decode the PNG picture: Not a PNG file");
  EXPECT_NE(DecodeError(test::GreyPngOfZeros(16385, 1, 16386)).find("exceeds user limit"),
            std::string::npos);
  EXPECT_NE(DecodeError(test::GreyPngOfZeros(4, 4, std::size_t{8} << 20)).find("image data"),
            std::string::npos);
  EXPECT_NE(DecodeError(test::WithChunkAfterHeader(good, "ZZZZ", {1})), "");
  for (int i = 0; i < 200; ++i) ASSERT_NE(DecodeError(truncated), "");

  const DecodedPng png = DecodePngBytes(good);
  EXPECT_EQ(png.alpha, (std::vector<std::uint8_t>{128, 255}));
  const FrameBitmap bitmap = PngToAlphaBitmap(png, 0x808080);
  EXPECT_EQ(bitmap.ScanLine(0)[0], 95);
  EXPECT_EQ(bitmap.ScanLine(0)[3], 128);
}

TEST(WindowsPngDecoder, ColorKeyGammaAndInterlaceMatchTheNativeBuild) {
  test::PngRecipe key;
  key.color_type = 0;
  key.bit_depth = 16;
  key.width = 2;
  key.samples = {0x1234, 0x12FF};
  key.color_key = true;
  key.key_grey = 0x1234;
  EXPECT_EQ(DecodePngBytes(test::WritePng(key)).transparency, (std::vector<std::uint8_t>{0, 255}));

  const Bytes plain = test::RgbPng(1, 1, {128, 128, 128});
  const Bytes gama = test::WithChunkAfterHeader(plain, "gAMA", {0x00, 0x01, 0x86, 0xA0});
  EXPECT_EQ(DecodePngBytes(test::WithChunkAfterHeader(gama, "sRGB", {0})).colors[0], 186);

  test::PngRecipe interlaced;
  interlaced.color_type = 3;
  interlaced.bit_depth = 2;
  interlaced.width = 5;
  interlaced.height = 5;
  interlaced.interlaced = true;
  interlaced.palette = {{0, 0, 0}, {10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
  for (int i = 0; i < 25; ++i) interlaced.samples.push_back(static_cast<std::uint16_t>(i % 4));
  const DecodedPng png = DecodePngBytes(test::WritePng(interlaced));
  EXPECT_EQ(png.colors[3 * 24], 0);       // index 0
  EXPECT_EQ(png.colors[3 * 23 + 2], 90);  // index 3
}

}  // namespace
}  // namespace tindrel
