#include "render/alpha_bitmap.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <string>
#include <vector>

#include "base/error.h"
#include "support/error_message.h"

namespace tindrel {
namespace {

using Bgra = std::array<int, 4>;

Bgra PixelOf(const FrameBitmap& bitmap, int x, int y) {
  const std::uint8_t* p = bitmap.ScanLine(y) + x * 4;
  return {p[kBlue], p[kGreen], p[kRed], p[kAlpha]};
}

void SetPixel(FrameBitmap& bitmap, int x, int y, Bgra value) {
  std::uint8_t* p = bitmap.ScanLine(y) + x * 4;
  for (int c = 0; c < 4; ++c) p[c] = static_cast<std::uint8_t>(value[c]);
}

void FillWith(FrameBitmap& bitmap, Bgra value) {
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) SetPixel(bitmap, x, y, value);
  }
}

// A one-row picture from R, G, B triples, with alpha rows for types 4 and 6 or tRNS transparency.
DecodedPng Picture(int color_type, std::vector<std::uint8_t> rgb, std::vector<std::uint8_t> alpha,
                   std::vector<std::uint8_t> transparency = {}) {
  DecodedPng png;
  png.color_type = color_type;
  png.width = static_cast<int>(rgb.size() / 3);
  png.height = 1;
  png.colors = std::move(rgb);
  png.alpha = std::move(alpha);
  png.transparency = std::move(transparency);
  return png;
}

TEST(PngToAlphaBitmap, HalfTransparentWhiteIsTintedByTheFill) {
  const DecodedPng white = Picture(kPngRgbAlpha, {255, 255, 255}, {128});
  EXPECT_EQ(PixelOf(PngToAlphaBitmap(white, 0x808080), 0, 0), (Bgra{95, 95, 95, 128}));
  EXPECT_EQ(PixelOf(PngToAlphaBitmap(white, 0x000000), 0, 0), (Bgra{64, 64, 64, 128}));
}

TEST(PngToAlphaBitmap, TransparentPixelEndsFullyTransparentWhateverTheFill) {
  const DecodedPng clear = Picture(kPngRgbAlpha, {200, 100, 50}, {0});
  for (Color fill : {0x808080u, 0xFFFFFFu, 0x000000u, 0x0000FFu}) {
    EXPECT_EQ(PixelOf(PngToAlphaBitmap(clear, fill), 0, 0), (Bgra{0, 0, 0, 0})) << fill;
  }
}

TEST(PngToAlphaBitmap, OpaquePixelKeepsItsColorAndGetsFullAlpha) {
  const DecodedPng opaque = Picture(kPngRgbAlpha, {1, 128, 254}, {255});
  EXPECT_EQ(PixelOf(PngToAlphaBitmap(opaque, 0x808080), 0, 0), (Bgra{254, 128, 1, 255}));
  const DecodedPng grey = Picture(kPngGreyAlpha, {200, 200, 200}, {255});
  EXPECT_EQ(PixelOf(PngToAlphaBitmap(grey, 0x000000), 0, 0), (Bgra{200, 200, 200, 255}));
}

TEST(PngToAlphaBitmap, PictureWithoutAlphaKeepsItsColorsWithZeroAlpha) {
  const DecodedPng rgb = Picture(kPngRgb, {10, 20, 30, 255, 255, 255}, {});
  const FrameBitmap bitmap = PngToAlphaBitmap(rgb, 0x808080);
  ASSERT_EQ(bitmap.Width(), 2);
  EXPECT_EQ(PixelOf(bitmap, 0, 0), (Bgra{30, 20, 10, 0}));
  EXPECT_EQ(PixelOf(bitmap, 1, 0), (Bgra{255, 255, 255, 0}));
  EXPECT_FALSE(IsSolidPixel(bitmap, 0, 0));
  EXPECT_FALSE(IsSolidPixel(bitmap, 1, 0));
}

TEST(PngToAlphaBitmap, TransparencyChunkCompositesOverTheFillButAddsNoAlpha) {
  // Palette entries with alpha 0, 128 and none listed; the fill is pure red.
  const DecodedPng palette =
      Picture(kPngPalette, {255, 255, 255, 255, 255, 255, 7, 8, 9}, {}, {0, 128, 255});
  const FrameBitmap bitmap = PngToAlphaBitmap(palette, 0x0000FF);
  EXPECT_EQ(PixelOf(bitmap, 0, 0), (Bgra{0, 0, 255, 0}));
  // (255 * 128 + f * 127 + 255) >> 8 with f = 0 for blue and green, 255 for red
  EXPECT_EQ(PixelOf(bitmap, 1, 0), (Bgra{128, 128, 255, 0}));
  EXPECT_EQ(PixelOf(bitmap, 2, 0), (Bgra{9, 8, 7, 0}));

  const DecodedPng keyed = Picture(kPngGrey, {50, 50, 50, 60, 60, 60}, {}, {0, 255});
  const FrameBitmap grey = PngToAlphaBitmap(keyed, 0x808080);
  EXPECT_EQ(PixelOf(grey, 0, 0), (Bgra{128, 128, 128, 0}));
  EXPECT_EQ(PixelOf(grey, 1, 0), (Bgra{60, 60, 60, 0}));
}

TEST(PngToAlphaBitmap, InconsistentPictureIsRefusedAndEmptyOneGivesEmptyBitmap) {
  DecodedPng short_colors = Picture(kPngRgbAlpha, {1, 2, 3}, {255});
  short_colors.width = 2;
  EXPECT_THROW(PngToAlphaBitmap(short_colors, 0), Error);
  EXPECT_THROW(PngToAlphaBitmap(Picture(kPngRgbAlpha, {1, 2, 3}, {}), 0), Error);
  EXPECT_THROW(PngToAlphaBitmap(Picture(kPngRgb, {1, 2, 3}, {255}), 0), Error);
  EXPECT_TRUE(PngToAlphaBitmap(Picture(kPngRgb, {}, {}), 0).Empty());
}

TEST(ImportPngAlpha, PremultipliesTheTargetAtTheGivenPlace) {
  FrameBitmap bitmap(3, 3);
  FillWith(bitmap, {200, 100, 50, 0});
  DecodedPng picture = Picture(kPngRgbAlpha, {0, 0, 0, 0, 0, 0}, {128, 0});
  ImportPngAlpha(bitmap, picture, 1, 2);
  EXPECT_EQ(PixelOf(bitmap, 1, 2), (Bgra{100, 50, 25, 128}));
  EXPECT_EQ(PixelOf(bitmap, 2, 2), (Bgra{0, 0, 0, 0}));
  EXPECT_EQ(PixelOf(bitmap, 0, 2), (Bgra{200, 100, 50, 0}));
  EXPECT_EQ(PixelOf(bitmap, 1, 1), (Bgra{200, 100, 50, 0}));
}

TEST(ImportPngAlpha, RefusesPicturesWithoutAlphaOrOutsideTheBitmapAndChangesNothing) {
  FrameBitmap bitmap(2, 2);
  FillWith(bitmap, {9, 9, 9, 9});
  EXPECT_EQ(test::ErrorMessageOf([&] {
              ImportPngAlpha(bitmap, Picture(kPngRgb, {1, 2, 3}, {}), 0, 0);
            }),
            "The picture has no alpha channel");
  const DecodedPng two_wide = Picture(kPngRgbAlpha, {0, 0, 0, 0, 0, 0}, {1, 1});
  EXPECT_NE(test::ErrorMessageOf([&] { ImportPngAlpha(bitmap, two_wide, 1, 0); }), "");
  EXPECT_NE(test::ErrorMessageOf([&] { ImportPngAlpha(bitmap, two_wide, -1, 0); }), "");
  EXPECT_EQ(test::ErrorMessageOf([&] { ImportPngAlpha(bitmap, two_wide, 0, 2); }),
            "Scan line index out of range");
  EXPECT_EQ(test::ErrorMessageOf([&] { ImportPngAlpha(bitmap, two_wide, 0, INT_MAX); }),
            "Scan line index out of range");
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) EXPECT_EQ(PixelOf(bitmap, x, y), (Bgra{9, 9, 9, 9}));
  }
}

TEST(IsSolidPixel, ThresholdLiesBetween155And156) {
  FrameBitmap bitmap(4, 1);
  SetPixel(bitmap, 0, 0, {0, 0, 0, 155});
  SetPixel(bitmap, 1, 0, {0, 0, 0, 156});
  SetPixel(bitmap, 2, 0, {0, 0, 0, 255});
  EXPECT_FALSE(IsSolidPixel(bitmap, 0, 0));
  EXPECT_TRUE(IsSolidPixel(bitmap, 1, 0));
  EXPECT_TRUE(IsSolidPixel(bitmap, 2, 0));
  EXPECT_FALSE(IsSolidPixel(bitmap, 3, 0));
}

TEST(IsSolidPixel, ColumnOutsideIsNotSolidAndRowOutsideIsTheScanLineError) {
  FrameBitmap bitmap(1, 1);
  SetPixel(bitmap, 0, 0, {0, 0, 0, 255});
  EXPECT_FALSE(IsSolidPixel(bitmap, -1, 0));
  EXPECT_FALSE(IsSolidPixel(bitmap, 1, 0));
  EXPECT_EQ(test::ErrorMessageOf([&] { IsSolidPixel(bitmap, 0, 1); }),
            "Scan line index out of range");
  EXPECT_EQ(test::ErrorMessageOf([&] { IsSolidPixel(bitmap, 0, -1); }),
            "Scan line index out of range");
}

TEST(ContrastColor, DarkTextOnLightColorsAndLightOnDark) {
  EXPECT_EQ(ContrastColor(0xFFFFFF), 0x000000u);  // 2040
  EXPECT_EQ(ContrastColor(0x4080FF), 0x000000u);  // 1214
  EXPECT_EQ(ContrastColor(0x808080), 0x000000u);  // exactly 1024
  EXPECT_EQ(ContrastColor(0x7F7F7F), 0xFFFFFFu);  // 1016
  EXPECT_EQ(ContrastColor(0x0000FF), 0xFFFFFFu);  // 510
  EXPECT_EQ(ContrastColor(0x00FF00), 0x000000u);  // 1275
  EXPECT_EQ(ContrastColor(0x000000), 0xFFFFFFu);
}

TEST(MatteFromPair, CoverageComesFromTheDifferenceBetweenTheTwoDrawings) {
  FrameBitmap on_black(4, 1);
  FrameBitmap on_white(4, 1);
  SetPixel(on_black, 0, 0, {0, 0, 0, 0});  // background
  SetPixel(on_white, 0, 0, {255, 255, 255, 0});
  SetPixel(on_black, 1, 0, {40, 80, 120, 0});  // fully covered
  SetPixel(on_white, 1, 0, {40, 80, 120, 0});
  SetPixel(on_black, 2, 0, {10, 10, 10, 0});  // edge: d = 3 * 100
  SetPixel(on_white, 2, 0, {110, 110, 110, 0});
  SetPixel(on_black, 3, 0, {10, 10, 10, 0});  // on-white one below: that channel counts 255
  SetPixel(on_white, 3, 0, {10, 10, 9, 7});
  MatteFromPair(on_black, on_white);
  EXPECT_EQ(PixelOf(on_black, 0, 0), (Bgra{0, 0, 0, 0}));
  EXPECT_EQ(PixelOf(on_black, 1, 0), (Bgra{40, 80, 120, 255}));
  EXPECT_EQ(PixelOf(on_black, 2, 0), (Bgra{10, 10, 10, 155}));
  EXPECT_EQ(PixelOf(on_black, 3, 0), (Bgra{10, 10, 10, 170}));
  EXPECT_EQ(PixelOf(on_white, 3, 0), (Bgra{10, 10, 9, 7}));
}

// The coverage divides the summed difference by 3 and drops the remainder, whatever it is: a
// difference one or two above a multiple of 3 gives the same alpha as that multiple.
TEST(MatteFromPair, TheQuotientByThreeIsTruncatedForEveryRemainder) {
  FrameBitmap on_black(6, 1);
  FrameBitmap on_white(6, 1);
  // B, G, R on black, then on white; the channel differences differ from one another.
  SetPixel(on_black, 0, 0, {10, 20, 30, 0});  // 100 + 100 + 100 = 300, remainder 0
  SetPixel(on_white, 0, 0, {110, 120, 130, 0});
  SetPixel(on_black, 1, 0, {10, 20, 30, 0});  // 100 + 101 + 100 = 301, remainder 1
  SetPixel(on_white, 1, 0, {110, 121, 130, 0});
  SetPixel(on_black, 2, 0, {10, 20, 30, 0});  // 100 + 101 + 101 = 302, remainder 2
  SetPixel(on_white, 2, 0, {110, 121, 131, 0});
  SetPixel(on_black, 3, 0, {0, 0, 0, 0});  // 1 + 0 + 1 = 2, remainder 2: still fully covered
  SetPixel(on_white, 3, 0, {1, 0, 1, 0});
  SetPixel(on_black, 4, 0, {0, 0, 1, 0});  // 255 + 255 + 254 = 764, remainder 2
  SetPixel(on_white, 4, 0, {255, 255, 255, 0});
  SetPixel(on_black, 5, 0, {200, 3, 7, 0});  // (5 - 200) mod 256 = 61, + 2 + 2 = 65, remainder 2
  SetPixel(on_white, 5, 0, {5, 5, 9, 0});
  MatteFromPair(on_black, on_white);
  EXPECT_EQ(PixelOf(on_black, 0, 0)[3], 255 - 100);
  EXPECT_EQ(PixelOf(on_black, 1, 0)[3], 255 - 100);
  EXPECT_EQ(PixelOf(on_black, 2, 0)[3], 255 - 100);
  EXPECT_EQ(PixelOf(on_black, 3, 0)[3], 255);
  EXPECT_EQ(PixelOf(on_black, 4, 0)[3], 255 - 254);
  EXPECT_EQ(PixelOf(on_black, 5, 0)[3], 255 - 21);
  EXPECT_EQ(PixelOf(on_black, 2, 0), (Bgra{10, 20, 30, 155}));  // the colour stays
}

TEST(MatteFromPair, SmallerOnWhiteBitmapIsRefused) {
  FrameBitmap on_black(3, 2);
  FrameBitmap narrow(2, 2);
  FrameBitmap low(3, 1);
  EXPECT_THROW(MatteFromPair(on_black, narrow), Error);
  EXPECT_THROW(MatteFromPair(on_black, low), Error);
  FrameBitmap larger(4, 3);
  EXPECT_NO_THROW(MatteFromPair(on_black, larger));
}

TEST(ApplyAlphaMask, TargetTakesTheMaskAlphaAndIsPremultipliedByIt) {
  FrameBitmap target(2, 1);
  FrameBitmap mask(2, 1);
  SetPixel(target, 0, 0, {200, 100, 50, 9});
  SetPixel(mask, 0, 0, {1, 2, 3, 128});
  SetPixel(target, 1, 0, {200, 100, 50, 9});
  SetPixel(mask, 1, 0, {1, 2, 3, 0});
  ApplyAlphaMask(target, mask);
  EXPECT_EQ(PixelOf(target, 0, 0), (Bgra{100, 50, 25, 128}));
  EXPECT_EQ(PixelOf(target, 1, 0), (Bgra{0, 0, 0, 0}));
  EXPECT_EQ(PixelOf(mask, 0, 0), (Bgra{1, 2, 3, 128}));
  FrameBitmap small(1, 1);
  EXPECT_THROW(ApplyAlphaMask(target, small), Error);
}

TEST(FrameBitmapRows, ScanLineOutsideTheBitmapIsAnError) {
  FrameBitmap bitmap(2, 2);
  const FrameBitmap& view = bitmap;
  EXPECT_EQ(test::ErrorMessageOf([&] { bitmap.ScanLine(-1); }), "Scan line index out of range");
  EXPECT_EQ(test::ErrorMessageOf([&] { bitmap.ScanLine(2); }), "Scan line index out of range");
  EXPECT_EQ(test::ErrorMessageOf([&] { view.ScanLine(2); }), "Scan line index out of range");
  FrameBitmap empty;
  EXPECT_EQ(test::ErrorMessageOf([&] { empty.ScanLine(0); }), "Scan line index out of range");
  EXPECT_EQ(bitmap.ScanLine(1) - bitmap.ScanLine(0), 8);
}

TEST(BlendOnto, FullConstantAlphaCopiesAnOpaqueSource) {
  FrameBitmap target(1, 1);
  FrameBitmap source(1, 1);
  SetPixel(target, 0, 0, {1, 2, 3, 255});
  SetPixel(source, 0, 0, {200, 100, 0, 255});
  BlendOnto(target, source, 0, 0, 255);
  EXPECT_EQ(PixelOf(target, 0, 0), (Bgra{200, 100, 0, 255}));
}

TEST(BlendOnto, ConstantAlphaScalesTheSourceByTheRoundedFormula) {
  FrameBitmap target(1, 1);
  FrameBitmap source(1, 1);
  SetPixel(target, 0, 0, {0, 0, 200, 255});
  SetPixel(source, 0, 0, {200, 100, 0, 255});
  BlendOnto(target, source, 0, 0, 128);
  // Of the destination, 255 - round(255 * 128 / 255) = 127 shows through.
  // B round(200 * 128 / 255) = round(100.39) = 100, plus round(0 * 127 / 255) = 0: 100.
  // G round(100 * 128 / 255) = round(50.20) = 50, plus 0: 50.
  // R round(0 * 128 / 255) = 0, plus round(200 * 127 / 255) = round(99.61) = 100: 100.
  // A round(255 * 128 / 255) = 128, plus round(255 * 127 / 255) = 127: 255.
  EXPECT_EQ(PixelOf(target, 0, 0), (Bgra{100, 50, 100, 255}));

  FrameBitmap clear(1, 1);
  FrameBitmap half(1, 1);
  SetPixel(half, 0, 0, {64, 64, 64, 128});
  BlendOnto(clear, half, 0, 0, 255);
  EXPECT_EQ(PixelOf(clear, 0, 0), (Bgra{64, 64, 64, 128}));
}

TEST(BlendOnto, TransparentSourceLeavesTheTargetAsItIs) {
  FrameBitmap target(2, 1);
  SetPixel(target, 0, 0, {10, 20, 30, 0});  // colour without alpha, as a plain skin has
  SetPixel(target, 1, 0, {10, 20, 30, 255});
  FrameBitmap source(2, 1);
  BlendOnto(target, source, 0, 0, 255);
  EXPECT_EQ(PixelOf(target, 0, 0), (Bgra{10, 20, 30, 0}));
  EXPECT_EQ(PixelOf(target, 1, 0), (Bgra{10, 20, 30, 255}));
}

TEST(BlendOnto, SourceIsClippedAtEveryEdge) {
  const Bgra background{1, 1, 1, 255};
  // Every source pixel differs, so a clipped row read from the wrong column or row shows.
  const auto source_pixel = [](long long sx, long long sy) {
    return Bgra{static_cast<int>(10 + sx), static_cast<int>(20 + sy),
                static_cast<int>(30 + sx + 3 * sy), 255};
  };
  FrameBitmap source(3, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) SetPixel(source, x, y, source_pixel(x, y));
  }
  const std::vector<std::pair<int, int>> places = {{-1, -1},
                                                   {2, -1},
                                                   {-1, 2},
                                                   {2, 2},
                                                   {-2, 1},
                                                   {3, 1},
                                                   {1, -2},
                                                   {1, 3},
                                                   {-3, 0},
                                                   {4, 0},
                                                   {0, -3},
                                                   {0, 4},
                                                   {-1, -1},
                                                   {INT_MIN, 0},
                                                   {INT_MAX, 0},
                                                   {0, INT_MIN},
                                                   {0, INT_MAX},
                                                   {INT_MIN, INT_MIN},
                                                   {INT_MAX - 1, INT_MAX - 1}};
  for (const auto& [left, top] : places) {
    FrameBitmap target(4, 4);
    FillWith(target, background);
    BlendOnto(target, source, left, top, 255);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 4; ++x) {
        const bool covered =
            static_cast<long long>(x) >= left && x < static_cast<long long>(left) + 3 &&
            static_cast<long long>(y) >= top && y < static_cast<long long>(top) + 3;
        const Bgra expected = covered ? source_pixel(x - static_cast<long long>(left),
                                                     y - static_cast<long long>(top))
                                      : background;
        EXPECT_EQ(PixelOf(target, x, y), expected)
            << "source at " << left << "," << top << " pixel " << x << "," << y;
      }
    }
  }
}

TEST(BlendOnto, EmptyBitmapsBlendNothing) {
  FrameBitmap target(2, 2);
  FrameBitmap empty;
  EXPECT_NO_THROW(BlendOnto(target, empty, 0, 0, 255));
  FrameBitmap source(2, 2);
  EXPECT_NO_THROW(BlendOnto(empty, source, 0, 0, 255));
}

}  // namespace
}  // namespace tindrel
