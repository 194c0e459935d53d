#include "render/png_decoder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <string>
#include <vector>

#include "base/error.h"
#include "support/error_message.h"
#include "support/largest_allocation.h"
#include "support/png_writer.h"
#include "support/temp_folder.h"

namespace tindrel {
namespace {

using test::Bytes;
using test::PngRecipe;

std::array<int, 3> ColorAt(const DecodedPng& png, int x, int y) {
  const std::uint8_t* p = png.ColorRow(y) + x * 3;
  return {p[0], p[1], p[2]};
}

PngRecipe Recipe(int color_type, int depth, int width, std::vector<std::uint16_t> samples) {
  PngRecipe recipe;
  recipe.color_type = color_type;
  recipe.bit_depth = depth;
  recipe.width = width;
  recipe.height = 1;
  recipe.samples = std::move(samples);
  return recipe;
}

// The message of the Error that decoding throws ("" when it does not throw).
using test::DecodeError;

TEST(PngDecoderColorTypes, GreyOfEveryDepthIsWidenedToEightBitsInEachChannel) {
  for (int depth : {1, 2, 4, 8}) {
    const int top = (1 << depth) - 1;
    std::vector<std::uint16_t> samples;
    for (int v = 0; v <= top; ++v) samples.push_back(static_cast<std::uint16_t>(v));
    const DecodedPng png = DecodePngBytes(test::WritePng(Recipe(0, depth, top + 1, samples)));
    ASSERT_EQ(png.width, top + 1);
    EXPECT_EQ(png.color_type, kPngGrey);
    EXPECT_TRUE(png.alpha.empty());
    EXPECT_TRUE(png.transparency.empty());
    for (int v = 0; v <= top; ++v) {
      const int expected = v * 255 / top;
      EXPECT_EQ(ColorAt(png, v, 0), (std::array<int, 3>{expected, expected, expected}))
          << "depth " << depth << " sample " << v;
    }
  }
}

TEST(PngDecoderColorTypes, SixteenBitSamplesKeepTheirHighByte) {
  const DecodedPng grey =
      DecodePngBytes(test::WritePng(Recipe(0, 16, 3, {0x12FF, 0xAB00, 0xFFFF})));
  EXPECT_EQ(ColorAt(grey, 0, 0), (std::array<int, 3>{0x12, 0x12, 0x12}));
  EXPECT_EQ(ColorAt(grey, 1, 0), (std::array<int, 3>{0xAB, 0xAB, 0xAB}));
  EXPECT_EQ(ColorAt(grey, 2, 0), (std::array<int, 3>{0xFF, 0xFF, 0xFF}));

  const DecodedPng rgb = DecodePngBytes(test::WritePng(Recipe(2, 16, 1, {0x01FF, 0x8080, 0xFE01})));
  EXPECT_EQ(rgb.color_type, kPngRgb);
  EXPECT_EQ(ColorAt(rgb, 0, 0), (std::array<int, 3>{0x01, 0x80, 0xFE}));
}

TEST(PngDecoderColorTypes, RgbEightBitIsTakenAsItIs) {
  const DecodedPng png = DecodePngBytes(test::WritePng(Recipe(2, 8, 2, {1, 2, 3, 250, 128, 0})));
  EXPECT_EQ(ColorAt(png, 0, 0), (std::array<int, 3>{1, 2, 3}));
  EXPECT_EQ(ColorAt(png, 1, 0), (std::array<int, 3>{250, 128, 0}));
  EXPECT_TRUE(png.alpha.empty());
  EXPECT_TRUE(png.transparency.empty());
}

TEST(PngDecoderColorTypes, PaletteEntriesAreResolvedAtEveryDepth) {
  for (int depth : {1, 2, 4, 8}) {
    const int entries = depth == 1 ? 2 : 4;
    PngRecipe recipe = Recipe(3, depth, entries, {});
    for (int i = 0; i < entries; ++i) {
      recipe.palette.push_back({static_cast<std::uint8_t>(i * 40),
                                static_cast<std::uint8_t>(255 - i),
                                static_cast<std::uint8_t>(i * 7)});
      recipe.samples.push_back(static_cast<std::uint16_t>(entries - 1 - i));
    }
    const DecodedPng png = DecodePngBytes(test::WritePng(recipe));
    EXPECT_EQ(png.color_type, kPngPalette);
    EXPECT_TRUE(png.transparency.empty()) << "depth " << depth;
    for (int x = 0; x < entries; ++x) {
      const int i = entries - 1 - x;
      EXPECT_EQ(ColorAt(png, x, 0), (std::array<int, 3>{i * 40, 255 - i, i * 7}))
          << "depth " << depth;
    }
  }
}

TEST(PngDecoderColorTypes, PaletteTransparencyGivesEachEntrysAlphaAndOpaqueBeyondTheList) {
  for (int depth : {1, 2, 4, 8}) {
    PngRecipe recipe = Recipe(3, depth, 2, {0, 1});
    recipe.palette = {{10, 20, 30}, {40, 50, 60}};
    recipe.palette_alpha = {0};  // only the first entry listed
    if (depth > 1) {
      recipe.palette.push_back({70, 80, 90});
      recipe.palette_alpha = {0, 128};
      recipe.width = 3;
      recipe.samples = {0, 1, 2};
    }
    const DecodedPng png = DecodePngBytes(test::WritePng(recipe));
    ASSERT_EQ(png.transparency.size(), static_cast<std::size_t>(recipe.width)) << "depth " << depth;
    EXPECT_TRUE(png.alpha.empty());
    EXPECT_EQ(png.transparency[0], 0);
    EXPECT_EQ(ColorAt(png, 0, 0), (std::array<int, 3>{10, 20, 30}));
    if (depth > 1) {
      EXPECT_EQ(png.transparency[1], 128);
      EXPECT_EQ(png.transparency[2], 255);
    } else {
      EXPECT_EQ(png.transparency[1], 255);
    }
  }
}

TEST(PngDecoderColorTypes, AlphaTypesGiveOneAlphaRowPerPictureRow) {
  const DecodedPng ga8 = DecodePngBytes(test::WritePng(Recipe(4, 8, 2, {200, 0, 100, 128})));
  EXPECT_EQ(ga8.color_type, kPngGreyAlpha);
  EXPECT_EQ(ColorAt(ga8, 0, 0), (std::array<int, 3>{200, 200, 200}));
  EXPECT_EQ(ga8.alpha, (std::vector<std::uint8_t>{0, 128}));
  EXPECT_TRUE(ga8.transparency.empty());

  const DecodedPng ga16 = DecodePngBytes(test::WritePng(Recipe(4, 16, 1, {0x40FF, 0x81FF})));
  EXPECT_EQ(ColorAt(ga16, 0, 0), (std::array<int, 3>{0x40, 0x40, 0x40}));
  EXPECT_EQ(ga16.alpha, (std::vector<std::uint8_t>{0x81}));

  PngRecipe rgba8 = Recipe(6, 8, 2, {1, 2, 3, 4, 5, 6, 7, 255});
  rgba8.height = 1;
  const DecodedPng png8 = DecodePngBytes(test::WritePng(rgba8));
  EXPECT_EQ(png8.color_type, kPngRgbAlpha);
  EXPECT_EQ(ColorAt(png8, 1, 0), (std::array<int, 3>{5, 6, 7}));
  EXPECT_EQ(png8.alpha, (std::vector<std::uint8_t>{4, 255}));

  const DecodedPng png16 =
      DecodePngBytes(test::WritePng(Recipe(6, 16, 1, {0x1111, 0x2222, 0x3333, 0x7FFF})));
  EXPECT_EQ(ColorAt(png16, 0, 0), (std::array<int, 3>{0x11, 0x22, 0x33}));
  EXPECT_EQ(png16.alpha, (std::vector<std::uint8_t>{0x7F}));
}

TEST(PngDecoderColorTypes, AlphaRowsAreWidthBytesFromTheTop) {
  PngRecipe recipe = Recipe(6, 8, 2, {0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4});
  recipe.height = 2;
  const DecodedPng png = DecodePngBytes(test::WritePng(recipe));
  EXPECT_EQ(png.AlphaRow(0)[0], 1);
  EXPECT_EQ(png.AlphaRow(0)[1], 2);
  EXPECT_EQ(png.AlphaRow(1)[0], 3);
  EXPECT_EQ(png.AlphaRow(1)[1], 4);
}

TEST(PngDecoderColorKey, GreyKeyIsComparedAtThePicturesOwnDepth) {
  PngRecipe grey8 = Recipe(0, 8, 3, {77, 78, 0});
  grey8.color_key = true;
  grey8.key_grey = 77;
  EXPECT_EQ(DecodePngBytes(test::WritePng(grey8)).transparency,
            (std::vector<std::uint8_t>{0, 255, 255}));

  // Same high byte, different low byte: only the exact 16-bit sample is the key.
  PngRecipe grey16 = Recipe(0, 16, 2, {0x1234, 0x12FF});
  grey16.color_key = true;
  grey16.key_grey = 0x1234;
  const DecodedPng png16 = DecodePngBytes(test::WritePng(grey16));
  EXPECT_EQ(png16.transparency, (std::vector<std::uint8_t>{0, 255}));
  EXPECT_EQ(ColorAt(png16, 0, 0), (std::array<int, 3>{0x12, 0x12, 0x12}));

  PngRecipe grey2 = Recipe(0, 2, 4, {0, 1, 2, 3});
  grey2.color_key = true;
  grey2.key_grey = 2;
  const DecodedPng png2 = DecodePngBytes(test::WritePng(grey2));
  EXPECT_EQ(png2.transparency, (std::vector<std::uint8_t>{255, 255, 0, 255}));
  EXPECT_EQ(ColorAt(png2, 2, 0), (std::array<int, 3>{170, 170, 170}));
}

TEST(PngDecoderColorKey, RgbKeyMatchesOnlyTheExactColor) {
  PngRecipe rgb8 = Recipe(2, 8, 2, {10, 20, 30, 10, 20, 31});
  rgb8.color_key = true;
  rgb8.key_red = 10;
  rgb8.key_green = 20;
  rgb8.key_blue = 30;
  const DecodedPng png8 = DecodePngBytes(test::WritePng(rgb8));
  EXPECT_EQ(png8.color_type, kPngRgb);
  EXPECT_EQ(png8.transparency, (std::vector<std::uint8_t>{0, 255}));
  EXPECT_EQ(ColorAt(png8, 0, 0), (std::array<int, 3>{10, 20, 30}));

  PngRecipe rgb16 = Recipe(2, 16, 2, {0x0102, 0x0304, 0x0506, 0x0102, 0x0304, 0x05FF});
  rgb16.color_key = true;
  rgb16.key_red = 0x0102;
  rgb16.key_green = 0x0304;
  rgb16.key_blue = 0x0506;
  EXPECT_EQ(DecodePngBytes(test::WritePng(rgb16)).transparency,
            (std::vector<std::uint8_t>{0, 255}));
}

TEST(PngDecoderInterlace, AdamSevenPictureDecodesLikeThePlainOne) {
  PngRecipe recipe = Recipe(6, 8, 9, {});
  recipe.height = 7;
  for (int i = 0; i < 9 * 7 * 4; ++i)
    recipe.samples.push_back(static_cast<std::uint16_t>(i * 37 % 256));
  const DecodedPng plain = DecodePngBytes(test::WritePng(recipe));
  recipe.interlaced = true;
  const DecodedPng interlaced = DecodePngBytes(test::WritePng(recipe));
  EXPECT_EQ(interlaced.colors, plain.colors);
  EXPECT_EQ(interlaced.alpha, plain.alpha);
  EXPECT_EQ(plain.ColorRow(6)[8 * 3], (6 * 9 + 8) * 4 * 37 % 256);
}

TEST(PngDecoderInterlace, EveryPassLandsOnItsPixelsAtOddSizesAndEveryColorType) {
  for (const auto& [width, height] :
       std::vector<std::pair<int, int>>{{1, 1}, {2, 9}, {5, 3}, {8, 8}, {9, 17}, {33, 4}}) {
    for (int color_type : {0, 2, 3, 4, 6}) {
      PngRecipe recipe = Recipe(color_type, 8, width, {});
      recipe.height = height;
      const int samples = width * height * test::ChannelsOf(color_type);
      for (int i = 0; i < samples; ++i)
        recipe.samples.push_back(static_cast<std::uint16_t>(i * 73 % (color_type == 3 ? 4 : 256)));
      if (color_type == 3) {
        recipe.palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {100, 110, 120}};
        recipe.palette_alpha = {0, 128};
      }
      const DecodedPng plain = DecodePngBytes(test::WritePng(recipe));
      recipe.interlaced = true;
      const DecodedPng interlaced = DecodePngBytes(test::WritePng(recipe));
      SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height) + ", colour type " +
                   std::to_string(color_type));
      EXPECT_EQ(interlaced.colors, plain.colors);
      EXPECT_EQ(interlaced.alpha, plain.alpha);
      EXPECT_EQ(interlaced.transparency, plain.transparency);
      EXPECT_EQ(plain.colors.size(), static_cast<std::size_t>(width) * height * 3);
    }
  }
}

TEST(PngDecoderGamma, GamaOf45455KeepsEveryValue) {
  PngRecipe recipe = Recipe(2, 8, 256, {});
  for (int c = 0; c < 256; ++c)
    recipe.samples.insert(recipe.samples.end(), 3, static_cast<std::uint16_t>(c));
  recipe.gama = 45455;
  const DecodedPng png = DecodePngBytes(test::WritePng(recipe));
  for (int c = 0; c < 256; ++c) EXPECT_EQ(ColorAt(png, c, 0), (std::array<int, 3>{c, c, c}));
}

TEST(PngDecoderGamma, GamaOf100000TurnsMidValueIntoHigherOneAndLeavesAlpha) {
  PngRecipe rgb = Recipe(2, 8, 3, {128, 128, 128, 0, 0, 0, 255, 255, 255});
  rgb.gama = 100000;
  const DecodedPng png = DecodePngBytes(test::WritePng(rgb));
  EXPECT_EQ(ColorAt(png, 0, 0), (std::array<int, 3>{186, 186, 186}));
  EXPECT_EQ(ColorAt(png, 1, 0), (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(ColorAt(png, 2, 0), (std::array<int, 3>{255, 255, 255}));

  PngRecipe rgba = Recipe(6, 8, 1, {128, 64, 0, 128});
  rgba.gama = 100000;
  const DecodedPng with_alpha = DecodePngBytes(test::WritePng(rgba));
  EXPECT_EQ(ColorAt(with_alpha, 0, 0)[0], 186);
  EXPECT_EQ(with_alpha.alpha, (std::vector<std::uint8_t>{128}));

  // The mapping works on the sample reduced to eight bits.
  PngRecipe rgb16 = Recipe(2, 16, 1, {0x80FF, 0x80FF, 0x80FF});
  rgb16.gama = 100000;
  EXPECT_EQ(ColorAt(DecodePngBytes(test::WritePng(rgb16)), 0, 0)[0], 186);
}

TEST(PngDecoderGamma, OnlyRgbColorTypesAreMapped) {
  PngRecipe grey = Recipe(0, 8, 1, {128});
  grey.gama = 100000;
  EXPECT_EQ(ColorAt(DecodePngBytes(test::WritePng(grey)), 0, 0)[0], 128);

  PngRecipe grey_alpha = Recipe(4, 8, 1, {128, 255});
  grey_alpha.gama = 100000;
  EXPECT_EQ(ColorAt(DecodePngBytes(test::WritePng(grey_alpha)), 0, 0)[0], 128);

  PngRecipe palette = Recipe(3, 8, 1, {0});
  palette.palette = {{128, 128, 128}};
  palette.gama = 100000;
  EXPECT_EQ(ColorAt(DecodePngBytes(test::WritePng(palette)), 0, 0)[0], 128);
}

TEST(PngDecoderGamma, ZeroGamaIsIgnoredAndOtherColorChunksDoNotChangeTheValue) {
  const Bytes plain = test::WritePng(Recipe(2, 8, 1, {128, 128, 128}));
  const Bytes zero = test::WithChunkAfterHeader(plain, "gAMA", {0, 0, 0, 0});
  EXPECT_EQ(ColorAt(DecodePngBytes(zero), 0, 0)[0], 128);

  // An sRGB chunk beside a gAMA of 100000 leaves the gAMA value in charge.
  const Bytes gama = test::WithChunkAfterHeader(plain, "gAMA", {0x00, 0x01, 0x86, 0xA0});
  const Bytes both = test::WithChunkAfterHeader(gama, "sRGB", {0});
  EXPECT_EQ(ColorAt(DecodePngBytes(both), 0, 0)[0], 186);
}

TEST(PngDecoderGamma, MappingRoundsHalvesToEven) {
  EXPECT_EQ(RoundHalfToEven(0.5), 0.0);
  EXPECT_EQ(RoundHalfToEven(1.5), 2.0);
  EXPECT_EQ(RoundHalfToEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfToEven(185.5), 186.0);
  EXPECT_EQ(RoundHalfToEven(186.4999), 186.0);
  EXPECT_EQ(RoundHalfToEven(186.5001), 187.0);
  EXPECT_EQ(GammaMapped(128, 100000), 186);
  EXPECT_EQ(GammaMapped(128, 0), 128);
  EXPECT_EQ(GammaMapped(0, 100000), 0);
  EXPECT_EQ(GammaMapped(255, 4000000000u), 255);
}

TEST(PngDecoderChunks, UnknownAncillaryChunksAreSkippedAndUnknownCriticalOnesRefused) {
  const Bytes plain = test::WritePng(Recipe(2, 8, 1, {1, 2, 3}));
  const Bytes noted = test::WithChunkAfterHeader(plain, "zzZz", Bytes(5 << 20, 'x'));
  EXPECT_EQ(ColorAt(DecodePngBytes(noted), 0, 0), (std::array<int, 3>{1, 2, 3}));

  const Bytes critical = test::WithChunkAfterHeader(plain, "ZZZZ", {1});
  EXPECT_NE(DecodeError(critical), "");
}

TEST(PngDecoderDamage, EmptyGarbageAndTruncatedDataAreRefusedWithAMessage) {
  EXPECT_EQ(DecodeError({}), "Cannot decode the PNG picture: The file is empty");
  EXPECT_EQ(DecodeError({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}),
            "Cannot decode the PNG picture: Not a PNG file");
  EXPECT_EQ(DecodeError({0x89, 'P', 'N'}), "Cannot decode the PNG picture: Not a PNG file");
  EXPECT_EQ(DecodeError(test::Signature()),
            "Cannot decode the PNG picture: Unexpected end of file");

  PngRecipe noise = Recipe(2, 8, 64, {});
  noise.height = 64;
  for (int i = 0; i < 64 * 64 * 3; ++i)
    noise.samples.push_back(static_cast<std::uint16_t>(i * 7919 % 251));
  const Bytes whole = test::WritePng(noise);
  const Bytes half(whole.begin(), whole.begin() + whole.size() / 2);
  EXPECT_EQ(DecodeError(half), "Cannot decode the PNG picture: Unexpected end of file");
  const Bytes without_end(whole.begin(), whole.end() - 12);
  EXPECT_EQ(DecodeError(without_end), "Cannot decode the PNG picture: Unexpected end of file");
}

// libpng drops a known ancillary chunk with a bad CRC (tRNS) but keeps one it leaves to the
// decoder (gAMA); the decoder ignores both alike, and a later good gAMA still counts.
TEST(PngDecoderDamage, AncillaryChunksWithABadChecksumAreIgnoredAlike) {
  auto spoil_checksum = [](Bytes png, const char* type) {
    const std::size_t at = test::FindChunk(png, type);
    EXPECT_NE(at, std::string::npos) << type;
    png[at + 8 + png[at + 3]] ^= 0x01;  // first checksum byte after a short chunk
    return png;
  };
  PngRecipe recipe = Recipe(2, 8, 2, {128, 128, 128, 7, 8, 9});
  recipe.gama = 100000;
  recipe.color_key = true;
  recipe.key_red = 7;
  recipe.key_green = 8;
  recipe.key_blue = 9;
  const Bytes good = test::WritePng(recipe);
  ASSERT_EQ(ColorAt(DecodePngBytes(good), 0, 0)[0], 186);
  ASSERT_EQ(DecodePngBytes(good).transparency, (std::vector<std::uint8_t>{255, 0}));

  const DecodedPng bad_gama = DecodePngBytes(spoil_checksum(good, "gAMA"));
  EXPECT_EQ(ColorAt(bad_gama, 0, 0), (std::array<int, 3>{128, 128, 128}));
  EXPECT_EQ(bad_gama.transparency, (std::vector<std::uint8_t>{255, 0}));
  const DecodedPng bad_trns = DecodePngBytes(spoil_checksum(good, "tRNS"));
  EXPECT_TRUE(bad_trns.transparency.empty());
  EXPECT_EQ(ColorAt(bad_trns, 0, 0)[0], 186);

  Bytes second_good = spoil_checksum(good, "gAMA");
  const std::size_t after = test::FindChunk(second_good, "gAMA") + 16;
  const Bytes gama_50000 = test::Chunk("gAMA", {0x00, 0x00, 0xC3, 0x50});
  second_good.insert(second_good.begin() + static_cast<std::ptrdiff_t>(after), gama_50000.begin(),
                     gama_50000.end());
  EXPECT_EQ(ColorAt(DecodePngBytes(second_good), 0, 0)[0], GammaMapped(128, 50000));
}

TEST(PngDecoderDamage, BadChecksumsInCriticalChunksAreRefused) {
  const Bytes good = test::WritePng(Recipe(2, 8, 4, std::vector<std::uint16_t>(12, 9)));
  Bytes idat = good;
  const std::size_t at = test::FindChunk(idat, "IDAT");
  idat[at + 8 + idat[at + 3]] ^= 0x01;  // first checksum byte after a short IDAT
  ASSERT_LT(idat[at + 3], 200);
  ASSERT_EQ(idat[at + 2], 0);
  EXPECT_NE(DecodeError(idat).find("CRC error"), std::string::npos) << DecodeError(idat);
  Bytes ihdr = good;
  ihdr[8 + 8 + 13] ^= 0xFF;  // first byte of the IHDR checksum
  EXPECT_NE(DecodeError(ihdr).find("CRC error"), std::string::npos) << DecodeError(ihdr);
  Bytes data = good;
  data[at + 9] ^= 0x01;  // inside the zlib header
  EXPECT_NE(DecodeError(data), "");
}

TEST(PngDecoderHostile, SidesBeyondTheLimitAreRefusedBeforeAnyPixelIsRead) {
  const Bytes widest = test::GreyPngOfZeros(16384, 1, 16385);
  EXPECT_EQ(DecodePngBytes(widest).width, 16384);

  const std::string too_wide = DecodeError(test::GreyPngOfZeros(16385, 1, 16386));
  EXPECT_NE(too_wide.find("exceeds user limit"), std::string::npos) << too_wide;

  Bytes huge = test::Signature();
  const Bytes ihdr = test::Chunk("IHDR", test::IhdrData(100000, 100000, 16, 6));
  huge.insert(huge.end(), ihdr.begin(), ihdr.end());
  EXPECT_NE(DecodeError(huge).find("exceeds user limit"), std::string::npos);
}

TEST(PngDecoderHostile, PictureOverThePixelLimitIsRefusedThoughItsDataIsValid) {
  // 16000 x 4200 = 67.2 million pixels of zeros in about 65 KB of zlib data.
  const Bytes bomb = test::GreyPngOfZeros(16000, 4200, std::size_t{4200} * 16001);
  EXPECT_LT(bomb.size(), 200u * 1024);
  EXPECT_EQ(DecodeError(bomb),
            "Cannot decode the PNG picture: 16000 x 4200 pixels is more than the 67108864 pixels "
            "allowed");
}

TEST(PngDecoderHostile, SmallPictureWithAnOversizedZlibStreamFails) {
  // 4 x 4 grey needs 20 bytes; the stream inflates to 64 MB.
  const Bytes bomb = test::GreyPngOfZeros(4, 4, std::size_t{64} << 20);
  const std::string message = DecodeError(bomb);
  EXPECT_EQ(message.rfind("Cannot decode the PNG picture: ", 0), 0u) << message;
  EXPECT_NE(message.find("image data"), std::string::npos) << message;
}

TEST(PngDecoderHostile, StreamShorterThanThePictureFails) {
  const std::string message = DecodeError(test::GreyPngOfZeros(4, 4, 10));
  EXPECT_NE(message.find("image data"), std::string::npos) << message;
}

// 69 bytes that declare 8192 x 8192 pixels. The memory a picture takes follows the rows that
// actually arrive, so the file is refused when its data runs out, with no more than a few rows
// reserved, plain or interlaced; the full picture would be 192 MB of colours and 64 MB of alpha.
TEST(PngDecoderHostile, DeclaredSizeIsReservedOnlyAsItsDataArrives) {
  if (!test::LargestAllocation::Available()) GTEST_SKIP() << "needs the sanitized build's hooks";
  for (int color_type : {0, 6}) {
    for (bool interlaced : {false, true}) {
      const Bytes tiny = test::PngOfZeros(8192, 8192, color_type, interlaced, 4);
      SCOPED_TRACE("colour type " + std::to_string(color_type) +
                   (interlaced ? ", interlaced" : ", plain"));
      EXPECT_LT(tiny.size(), 70u);
      std::string message;
      std::size_t largest = 0;
      {
        test::LargestAllocation watch;
        message = DecodeError(tiny);
        largest = watch.Bytes();
      }
      EXPECT_NE(message.find("image data"), std::string::npos) << message;
      EXPECT_LE(largest, std::size_t{1} << 20);
    }
  }
}

TEST(PngDecoderHostile, PictureDeclaredLargerThanItsDataIsRefused) {
  // Rows of 16 pixels, a few of them present, 16000 declared.
  const Bytes png = test::PngOfZeros(16, 16000, 0, false, 100);
  EXPECT_NE(DecodeError(png).find("image data"), std::string::npos) << DecodeError(png);
  const Bytes interlaced = test::PngOfZeros(16, 16000, 6, true, 100);
  EXPECT_NE(DecodeError(interlaced).find("image data"), std::string::npos);
}

class PngDecoderFiles : public ::testing::Test {
 protected:
  test::TempFolder folder_;
};

TEST_F(PngDecoderFiles, MissingFileGivesTheFileOpenMessage) {
  const std::string path = folder_.File("none.png");
  EXPECT_EQ(test::ErrorMessageOf([&] { DecodePngFile(path); }),
            "Cannot open file \"" + path + "\". No such file or directory");
}

TEST_F(PngDecoderFiles, FolderAndFifoAreRefusedWithoutBlocking) {
  const std::string folder = folder_.File("dir.png");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  EXPECT_EQ(test::ErrorMessageOf([&] { DecodePngFile(folder); }),
            "Cannot open file \"" + folder + "\". Is a directory");
  const std::string fifo = folder_.File("pipe.png");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_THROW(DecodePngFile(fifo), Error);
}

TEST_F(PngDecoderFiles, DamagedFileMessageNamesTheFile) {
  const std::string path = folder_.File("broken.png");
  test::WriteFile(path, {'n', 'o', 'p', 'e', 0, 0, 0, 0, 0});
  EXPECT_EQ(test::ErrorMessageOf([&] { DecodePngFile(path); }),
            "Cannot decode the PNG picture \"" + path + "\": Not a PNG file");
}

TEST_F(PngDecoderFiles, OddFileNamesDecode) {
  const std::string path = folder_.File("sky \xE2\x80\x93 \xC3\xBCn\xC3\xAF 'q' \"x\".png");
  test::WriteFile(path, test::RgbPng(1, 1, {9, 8, 7}));
  EXPECT_EQ(ColorAt(DecodePngFile(path), 0, 0), (std::array<int, 3>{9, 8, 7}));
}

}  // namespace
}  // namespace tindrel
