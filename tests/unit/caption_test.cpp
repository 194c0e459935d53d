#include "render/caption.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "doubles/fake_text_painter.h"
#include "support/pixels.h"

namespace tindrel {
namespace {

using test::FakeTextPainter;
using test::Pixel;
using test::PixelOf;

FontSpec FontOfColor(Color color) {
  FontSpec font;
  font.face = "Block";
  font.height = -20;  // the fake's cells: 10 x 20, the last column of each an edge
  font.color = color;
  return font;
}

constexpr Color kWhite = 0xFFFFFF;
constexpr Color kNavy = 0x800000;
constexpr Color kOrange = 0x004080FF;

TEST(RenderCaption, IsTheMeasuredExtentPlusTwoWithAndWithoutShadow) {
  FakeTextPainter painter;
  const FontSpec font = FontOfColor(kWhite);
  for (bool shadow : {false, true}) {
    const FrameBitmap caption = RenderCaption(painter, "12:34", font, shadow, 0x000000);
    EXPECT_EQ(caption.Width(), 50 + 2) << shadow;
    EXPECT_EQ(caption.Height(), 20 + 2) << shadow;
  }
}

TEST(RenderCaption, EmptyTextGivesATransparentBitmapOfAtLeastTwoByTwo) {
  FakeTextPainter painter;
  for (bool shadow : {false, true}) {
    const FrameBitmap caption = RenderCaption(painter, "", FontOfColor(kWhite), shadow, 0);
    ASSERT_GE(caption.Width(), 2);
    ASSERT_GE(caption.Height(), 2);
    for (int y = 0; y < caption.Height(); ++y) {
      for (int x = 0; x < caption.Width(); ++x)
        EXPECT_EQ(PixelOf(caption, x, y), (Pixel{0, 0, 0, 0}));
    }
  }
}

TEST(RenderCaption, FullyCoveredPixelHasTheFontColorAndFullAlpha) {
  FakeTextPainter painter;
  for (Color color : {kWhite, kNavy, kOrange, Color{0x000000}}) {
    for (bool shadow : {false, true}) {
      const FrameBitmap caption = RenderCaption(painter, "00", FontOfColor(color), shadow, 0);
      const Pixel expected{BlueOf(color), GreenOf(color), RedOf(color), 255};
      EXPECT_EQ(PixelOf(caption, 0, 0), expected) << std::hex << color << " " << shadow;
      EXPECT_EQ(PixelOf(caption, 5, 10), expected) << std::hex << color << " " << shadow;
      EXPECT_EQ(PixelOf(caption, 18, 19), expected) << std::hex << color << " " << shadow;
    }
  }
}

TEST(RenderCaption, WithoutShadowUntouchedPixelsStayTransparent) {
  FakeTextPainter painter;
  const FrameBitmap caption = RenderCaption(painter, "0 0", FontOfColor(kWhite), false, 0);
  EXPECT_EQ(PixelOf(caption, 12, 5), (Pixel{0, 0, 0, 0}));  // inside the space's cell
  EXPECT_EQ(PixelOf(caption, 30, 0), (Pixel{0, 0, 0, 0}));  // right margin
  EXPECT_EQ(PixelOf(caption, 3, 20), (Pixel{0, 0, 0, 0}));  // bottom margin
  EXPECT_EQ(PixelOf(caption, 31, 21), (Pixel{0, 0, 0, 0}));
}

TEST(RenderCaption, WhiteFontEdgePixelCarriesItsCoverage) {
  // The edge reads 128 on the white drawing (black ink) and 0 on the black one:
  // A = 255 - 384 div 3 = 127, colour 255 * 127 div 255 = 127.
  FakeTextPainter painter;
  const FrameBitmap caption = RenderCaption(painter, "0", FontOfColor(kWhite), false, 0);
  EXPECT_EQ(PixelOf(caption, 9, 7), (Pixel{127, 127, 127, 127}));
}

TEST(RenderCaption, NavyFontIsMattedWithWhiteInkAndKeepsItsColor) {
  // White ink: the edge reads 255 on white and 127 on black, so A = 255 - 384 div 3 = 127 and
  // blue 128 * 127 div 255 = 63.
  FakeTextPainter painter;
  const FrameBitmap caption = RenderCaption(painter, "0", FontOfColor(kNavy), false, 0);
  EXPECT_EQ(PixelOf(caption, 4, 4), (Pixel{128, 0, 0, 255}));
  EXPECT_EQ(PixelOf(caption, 9, 4), (Pixel{63, 0, 0, 127}));
}

TEST(RenderCaption, ShadowOnlyPixelsAreShadowColoredAndAtMost175Opaque) {
  FakeTextPainter painter;
  const FrameBitmap caption = RenderCaption(painter, "0 0", FontOfColor(kWhite), true, 0x000000);
  // The text covers columns 0..9 and 20..29 of rows 0..19; everything else is the shadow's.
  int shadowed = 0;
  for (int y = 0; y < caption.Height(); ++y) {
    for (int x = 0; x < caption.Width(); ++x) {
      const bool text = y < 20 && (x < 10 || (x >= 20 && x < 30));
      if (text) continue;
      const Pixel p = PixelOf(caption, x, y);
      EXPECT_EQ(p[0], 0) << x << "," << y;
      EXPECT_EQ(p[1], 0) << x << "," << y;
      EXPECT_EQ(p[2], 0) << x << "," << y;
      EXPECT_LE(p[3], 175) << x << "," << y;
      if (p[3] > 0) ++shadowed;
    }
  }
  EXPECT_GT(shadowed, 0);
  // Right of the first glyph, in the space's cell, lies the end of the first shadow glyph: on rows
  // clear of its top and bottom the blur of its alpha in columns 8..12 (255, 255, 255, 127, 0) is
  // 210, and 210 at 175/255 is 144.
  EXPECT_EQ(PixelOf(caption, 10, 10), (Pixel{0, 0, 0, 144}));
  EXPECT_GT(PixelOf(caption, 31, 21)[3], 0);  // the blur reaches the bottom-right corner
}

TEST(RenderCaption, ShadowTakesTheShadowColorPremultiplied) {
  FakeTextPainter painter;
  const Color red = 0x0000FF;
  const FrameBitmap caption = RenderCaption(painter, "0 0", FontOfColor(kWhite), true, red);
  const Pixel p = PixelOf(caption, 10, 10);
  EXPECT_EQ(p, (Pixel{0, 0, 144, 144}));  // red, premultiplied by its alpha
}

// With the painter's squared (gamma 2) mixing the drawings' edge depends on the ink, so these
// figures hold only for the inks the caption must use. The edge has coverage 127 of 255; an ink
// i over a background b reads the root of (i^2 * 127 + b^2 * 128) / 255, to the nearest integer:
//   black ink: 181 on white, 0 on black (difference 181)
//   white ink: 255 on white, 180 on black (difference 75)
//   grey 128:  202 on white, 90 on black (difference 112)
//   64:        186 on white, 45 on black (difference 141)
// The alpha is 255 - (sum of the three differences) div 3, each colour byte times alpha div 255.
class GammaMixedCaption : public ::testing::Test {
 protected:
  FakeTextPainter painter{FakeTextPainter::InkMixing::kSquared};
};

TEST_F(GammaMixedCaption, LightFontsAreMattedInBlackInk) {
  // White: black ink, A = 255 - 543 div 3 = 74, each colour 255 * 74 div 255 = 74.
  const FrameBitmap white = RenderCaption(painter, "0", FontOfColor(kWhite), false, 0);
  EXPECT_EQ(PixelOf(white, 9, 7), (Pixel{74, 74, 74, 74}));
  EXPECT_EQ(PixelOf(white, 8, 7), (Pixel{255, 255, 255, 255}));
  // Orange (2 * 255 + 5 * 128 + 64 = 1214): black ink as well, A = 74;
  // B 64 * 74 div 255 = 18, G 128 * 74 div 255 = 37, R 255 * 74 div 255 = 74.
  const FrameBitmap orange = RenderCaption(painter, "0", FontOfColor(kOrange), false, 0);
  EXPECT_EQ(PixelOf(orange, 9, 7), (Pixel{18, 37, 74, 74}));
  EXPECT_EQ(PixelOf(orange, 0, 0), (Pixel{64, 128, 255, 255}));
}

TEST_F(GammaMixedCaption, DarkFontsAreMattedInWhiteInk) {
  // Navy (2 * 0 + 5 * 0 + 128 = 128): white ink, A = 255 - 225 div 3 = 180,
  // blue 128 * 180 div 255 = 90.
  const FrameBitmap navy = RenderCaption(painter, "0", FontOfColor(kNavy), false, 0);
  EXPECT_EQ(PixelOf(navy, 9, 7), (Pixel{90, 0, 0, 180}));
  EXPECT_EQ(PixelOf(navy, 3, 3), (Pixel{128, 0, 0, 255}));
}

TEST_F(GammaMixedCaption, ShadowShapeIsDrawnInMidGrey) {
  // Grey ink: the shadow glyph's edge, column 11, has A = 255 - 336 div 3 = 143, its inner columns
  // 2..10 have 255, and column 12 (the space) has 0. Row 10 lies deep inside the glyph's rows
  // 2..21, so the column pass leaves the row pass's result as it is. With the kernel weights
  // 0.054488685, 0.24420135, 0.40261996, 0.24420135, 0.054488685:
  //   column 10: 255 * (0.054488685 + 0.24420135 + 0.40261996) + 143 * 0.24420135 = 213.75 -> 214
  //   column 11: 255 * (0.054488685 + 0.24420135) + 143 * 0.40261996 = 133.74 -> 134
  // Blended at 175/255 onto the transparent result: 214 * 175 / 255 = 146.86 -> 147 and
  // 134 * 175 / 255 = 91.96 -> 92. The text covers only columns 0..9 there.
  const FrameBitmap black = RenderCaption(painter, "0 0", FontOfColor(kWhite), true, 0x000000);
  EXPECT_EQ(PixelOf(black, 10, 10), (Pixel{0, 0, 0, 147}));
  EXPECT_EQ(PixelOf(black, 11, 10), (Pixel{0, 0, 0, 92}));
  const Color red = 0x0000FF;
  const FrameBitmap reddish = RenderCaption(painter, "0 0", FontOfColor(kWhite), true, red);
  EXPECT_EQ(PixelOf(reddish, 10, 10), (Pixel{0, 0, 147, 147}));
  EXPECT_EQ(PixelOf(reddish, 11, 10), (Pixel{0, 0, 92, 92}));
  // Where the text covers the pixel fully, it has the font colour whatever lies under it.
  EXPECT_EQ(PixelOf(black, 5, 10), (Pixel{255, 255, 255, 255}));
}

// The shipped digital face stands in for the default one only while the default is missing, and
// only for that face: a face the user picked is drawn as it is.
TEST(CaptionFace, TheStandInReplacesOnlyTheMissingDefaultFace) {
  const FaceStandIn stand_in{"DS-Digital", "DSEG14 Classic"};
  std::vector<std::string> asked;
  const auto none_installed = [&asked](const std::string& face) {
    asked.push_back(face);
    return false;
  };
  const auto all_installed = [](const std::string&) { return true; };

  EXPECT_EQ(FaceToDraw("DS-Digital", stand_in, none_installed), "DSEG14 Classic");
  EXPECT_EQ(FaceToDraw("ds-DIGITAL", stand_in, none_installed), "DSEG14 Classic");
  EXPECT_EQ(FaceToDraw("DS-Digital", stand_in, all_installed), "DS-Digital");
  EXPECT_EQ(FaceToDraw("Arial", stand_in, none_installed), "Arial");
  EXPECT_EQ(FaceToDraw("DS-Digita", stand_in, none_installed), "DS-Digita");
  EXPECT_EQ(FaceToDraw("DS-Digital ", stand_in, none_installed), "DS-Digital ");
  EXPECT_EQ(FaceToDraw("", stand_in, none_installed), "");
  // Only the replaced face is looked up, once for each of its two spellings above.
  EXPECT_EQ(asked, (std::vector<std::string>{"DS-Digital", "ds-DIGITAL"}));
  // Without a loaded stand-in (the file was missing or damaged) nothing is replaced.
  EXPECT_EQ(FaceToDraw("DS-Digital", std::nullopt, none_installed), "DS-Digital");
}

TEST(FontSizeConversion, HeightAndPointsRoundAsMulDiv) {
  EXPECT_EQ(FontHeightFromPoints(16, 96), -21);  // 21.33
  EXPECT_EQ(FontPointsFromHeight(-21, 96), 16);  // 15.75
  EXPECT_EQ(FontHeightFromPoints(12, 96), -16);
  EXPECT_EQ(FontPointsFromHeight(-16, 96), 12);
  EXPECT_EQ(FontHeightFromPoints(9, 120), -15);
  EXPECT_EQ(FontPointsFromHeight(-15, 120), 9);
  EXPECT_EQ(FontHeightFromPoints(3, 60), -3);   // 2.5 rounds away from zero
  EXPECT_EQ(FontPointsFromHeight(-5, 144), 3);  // -2.5 likewise
}

TEST(FontSizeConversion, MulDivRoundsHalvesAwayFromZeroAndFailsAsTheSystemDoes) {
  EXPECT_EQ(MulDivRounded(5, 1, 2), 3);
  EXPECT_EQ(MulDivRounded(-5, 1, 2), -3);
  EXPECT_EQ(MulDivRounded(5, -1, 2), -3);
  EXPECT_EQ(MulDivRounded(-5, -1, -2), -3);
  EXPECT_EQ(MulDivRounded(7, 1, 3), 2);
  EXPECT_EQ(MulDivRounded(1 << 30, 8, 2), -1);       // does not fit
  EXPECT_EQ(MulDivRounded(1 << 30, 8, 4), -1);       // 2^31 is one past the largest int
  EXPECT_EQ(MulDivRounded(1 << 30, 8, 8), 1 << 30);  // the product itself may exceed 32 bits
  EXPECT_EQ(MulDivRounded(3, 4, 0), -1);
}

}  // namespace
}  // namespace tindrel
