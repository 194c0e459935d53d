#include <gtest/gtest.h>

#include <array>

#include "render/caption.h"
#include "render/gblur3.h"
#include "render/win32/gdi_text_painter.h"
#include "support/pixels.h"

namespace tindrel::win {
namespace {

using test::Pixel;
using test::PixelOf;

FontSpec LargeTahoma(Color color) {
  FontSpec font;
  font.face = "Tahoma";
  font.height = -64;
  font.color = color;
  font.style = font_style::kBold;
  return font;
}

const char kText[] = "H8";

struct Census {
  int opaque = 0;
  int clear = 0;
};

// Every pixel must be the font colour premultiplied by its own alpha, as the mask makes it.
Census CheckCarriesFontColor(const FrameBitmap& caption, Color color) {
  Census census;
  for (int y = 0; y < caption.Height(); ++y) {
    for (int x = 0; x < caption.Width(); ++x) {
      const Pixel p = PixelOf(caption, x, y);
      const int a = p[3];
      EXPECT_EQ(p[0], BlueOf(color) * a / 255) << x << "," << y;
      EXPECT_EQ(p[1], GreenOf(color) * a / 255) << x << "," << y;
      EXPECT_EQ(p[2], RedOf(color) * a / 255) << x << "," << y;
      if (a == 255) ++census.opaque;
      if (p == Pixel{0, 0, 0, 0}) ++census.clear;
    }
  }
  return census;
}

TEST(GdiCaption, MeasuresTextInTheFont) {
  GdiTextPainter painter;
  const TextExtent zero = painter.Measure(LargeTahoma(0xFFFFFF), "0");
  const TextExtent two = painter.Measure(LargeTahoma(0xFFFFFF), "00");
  EXPECT_GT(zero.width, 10);
  EXPECT_GE(zero.height, 64);
  EXPECT_EQ(two.width, 2 * zero.width);
  EXPECT_EQ(two.height, zero.height);
}

// The painter keeps the font of its last call; a caption in another size or style must not be
// drawn with it, and coming back to the first font gives the first caption again.
TEST(GdiCaption, APainterThatDrewInOneFontDrawsTheNextOneAsAFreshPainterDoes) {
  BuildSharedBlurKernel();
  const FontSpec large = LargeTahoma(0x2040FF);
  FontSpec small = large;
  small.height = -20;
  FontSpec regular = large;
  regular.style = 0;
  GdiTextPainter used;
  for (const FontSpec& font : {large, small, regular, large}) {
    GdiTextPainter fresh;
    const FrameBitmap expected = RenderCaption(fresh, kText, font, true, 0);
    const FrameBitmap actual = RenderCaption(used, kText, font, true, 0);
    ASSERT_EQ(actual.Width(), expected.Width()) << font.height << " " << font.style;
    ASSERT_EQ(actual.Height(), expected.Height());
    int differing = 0;
    for (int y = 0; y < expected.Height(); ++y) {
      for (int x = 0; x < expected.Width(); ++x)
        differing += PixelOf(actual, x, y) != PixelOf(expected, x, y);
    }
    EXPECT_EQ(differing, 0) << font.height << " " << font.style;
  }
}

TEST(GdiCaption, BitmapIsTheMeasuredExtentPlusTwo) {
  GdiTextPainter painter;
  const FontSpec font = LargeTahoma(0xFFFFFF);
  const TextExtent extent = painter.Measure(font, kText);
  for (bool shadow : {false, true}) {
    const FrameBitmap caption = RenderCaption(painter, kText, font, shadow, 0);
    EXPECT_EQ(caption.Width(), extent.width + 2);
    EXPECT_EQ(caption.Height(), extent.height + 2);
  }
  const FrameBitmap empty = RenderCaption(painter, "", font, true, 0);
  EXPECT_GE(empty.Width(), 2);
  EXPECT_GE(empty.Height(), 2);
}

TEST(GdiCaption, WhiteFontIsMattedAndCarriesItsColor) {
  GdiTextPainter painter;
  const FrameBitmap caption = RenderCaption(painter, kText, LargeTahoma(0xFFFFFF), false, 0);
  const Census census = CheckCarriesFontColor(caption, 0xFFFFFF);
  EXPECT_GT(census.opaque, 50);
  EXPECT_GT(census.clear, 50);
  EXPECT_EQ(PixelOf(caption, caption.Width() - 1, caption.Height() - 1), (Pixel{0, 0, 0, 0}));
}

TEST(GdiCaption, NavyFontIsMattedAndCarriesItsColor) {
  GdiTextPainter painter;
  const FrameBitmap caption = RenderCaption(painter, kText, LargeTahoma(0x800000), false, 0);
  const Census census = CheckCarriesFontColor(caption, 0x800000);
  EXPECT_GT(census.opaque, 50);
  EXPECT_GT(census.clear, 50);
}

TEST(GdiCaption, ShadowStaysUnderTheFullyCoveredText) {
  BuildSharedBlurKernel();
  GdiTextPainter painter;
  const FontSpec font = LargeTahoma(0x800000);
  const FrameBitmap plain = RenderCaption(painter, kText, font, false, 0);
  const FrameBitmap shadowed = RenderCaption(painter, kText, font, true, 0x000000);
  int shadow_only = 0;
  for (int y = 0; y < plain.Height(); ++y) {
    for (int x = 0; x < plain.Width(); ++x) {
      const Pixel text = PixelOf(plain, x, y);
      const Pixel both = PixelOf(shadowed, x, y);
      if (text[3] == 255) {
        EXPECT_EQ(both, (Pixel{128, 0, 0, 255})) << x << "," << y;
      } else if (text[3] == 0) {
        EXPECT_EQ(both[0], 0) << x << "," << y;
        EXPECT_EQ(both[1], 0) << x << "," << y;
        EXPECT_EQ(both[2], 0) << x << "," << y;
        EXPECT_LE(both[3], 175) << x << "," << y;
        if (both[3] > 0) ++shadow_only;
      }
    }
  }
  EXPECT_GT(shadow_only, 50);
}

}  // namespace
}  // namespace tindrel::win
