#include "render/composition.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "doubles/fake_text_painter.h"
#include "support/pixels.h"

namespace tindrel {
namespace {

using test::FakeTextPainter;
using test::Pixel;
using test::PixelOf;
constexpr Pixel kClear{0, 0, 0, 0};
constexpr Color kOrange = 0x004080FF;
const Pixel kOrangeOpaque{0x40, 0x80, 0xFF, 255};

FrameBitmap Picture(int width, int height, const std::function<Pixel(int, int)>& pixel) {
  FrameBitmap bitmap(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Pixel p = pixel(x, y);
      for (int c = 0; c < 4; ++c) bitmap.PixelAt(x, y)[c] = static_cast<std::uint8_t>(p[c]);
    }
  }
  return bitmap;
}

// A skin whose pixels tell where they came from: blue = its column, green = its row, opaque.
FrameBitmap TellTaleSkin(int width, int height) {
  return Picture(width, height, [](int x, int y) { return Pixel{x % 256, y % 256, 9, 255}; });
}

class ComposeFrameTest : public ::testing::Test {
 protected:
  ComposeFrameTest() {
    inputs.caption_text = "12 days";  // 7 characters: Tw = 10 * 5 = 50; caption 72 x 22
    inputs.font.height = -20;
    inputs.font.color = kOrange;
    inputs.display_shadow = false;
    inputs.show_days = true;
    inputs.show_stars = false;
    inputs.star_sprite = &sprite;
    inputs.stars = &stars;
  }

  FrameBitmap Compose() { return ComposeFrame(painter, inputs); }

  FakeTextPainter painter;
  FrameInputs inputs;
  FrameBitmap sprite = Picture(3, 3, [](int, int) { return Pixel{255, 255, 255, 255}; });
  StarArray stars{};
};

TEST_F(ComposeFrameTest, EstimateIsTheWidthOfZeroTimesTwoCharactersFewer) {
  EXPECT_EQ(EstimatedCaptionWidth(painter, inputs.font, "12 days, 05:07:09"), 150);
  EXPECT_EQ(EstimatedCaptionWidth(painter, inputs.font, "ab"), 0);
  EXPECT_EQ(EstimatedCaptionWidth(painter, inputs.font, "a"), 0);                 // never negative
  EXPECT_EQ(EstimatedCaptionWidth(painter, inputs.font, u8"\u00e9t\u00e9"), 10);  // characters
}

TEST_F(ComposeFrameTest, SkinAtTheTopLeftAndCaptionCentredUnderItOnTheEstimate) {
  const FrameBitmap skin = TellTaleSkin(100, 60);
  inputs.skin = &skin;
  const FrameBitmap frame = Compose();
  ASSERT_EQ(frame.Width(), 100);
  ASSERT_EQ(frame.Height(), 60 + 22);
  EXPECT_EQ(PixelOf(frame, 0, 0), (Pixel{0, 0, 9, 255}));
  EXPECT_EQ(PixelOf(frame, 99, 59), (Pixel{99, 59, 9, 255}));
  // Cx = 50, caption left = 50 - 50 div 2 = 25, top = 60.
  EXPECT_EQ(PixelOf(frame, 24, 60), kClear);
  EXPECT_EQ(PixelOf(frame, 25, 60), kOrangeOpaque);
  EXPECT_EQ(PixelOf(frame, 25 + 8, 60 + 19), kOrangeOpaque);
  EXPECT_EQ(PixelOf(frame, 25 + 20, 60 + 5), kClear);  // the space
}

TEST_F(ComposeFrameTest, NarrowSkinIsCentredOnColumnFive) {
  const FrameBitmap skin = TellTaleSkin(9, 4);
  inputs.skin = &skin;
  inputs.caption_text = "";  // Tw = 0: W = 9, Cx = max(5, 4) = 5, skin left = 5 - 4 = 1
  const FrameBitmap frame = Compose();
  ASSERT_EQ(frame.Width(), 9);
  EXPECT_EQ(PixelOf(frame, 0, 0), kClear);
  EXPECT_EQ(PixelOf(frame, 1, 0), (Pixel{0, 0, 9, 255}));
  EXPECT_EQ(PixelOf(frame, 8, 3), (Pixel{7, 3, 9, 255}));  // the skin's last column is clipped
}

TEST_F(ComposeFrameTest, DaysLineOffKeepsTheSizeAndATransparentBand) {
  const FrameBitmap skin = TellTaleSkin(100, 60);
  inputs.skin = &skin;
  inputs.show_days = false;
  inputs.display_shadow = true;
  const FrameBitmap frame = Compose();
  ASSERT_EQ(frame.Width(), 100);
  ASSERT_EQ(frame.Height(), 82);
  for (int y = 60; y < 82; ++y) {
    for (int x = 0; x < 100; ++x) ASSERT_EQ(PixelOf(frame, x, y), kClear) << x << "," << y;
  }
}

TEST_F(ComposeFrameTest, CaptionWiderThanTheSkinWidensTheFrameAndMovesTheSkinRight) {
  const FrameBitmap skin = TellTaleSkin(40, 30);
  inputs.skin = &skin;
  inputs.caption_text = "12 days, 05:07:09";  // Tw = 150, caption bitmap 172 wide
  const FrameBitmap frame = Compose();
  ASSERT_EQ(frame.Width(), 150);
  ASSERT_EQ(frame.Height(), 30 + 22);
  // Cx = 75: the skin starts at 75 - 20 = 55, the caption at 75 - 75 = 0.
  EXPECT_EQ(PixelOf(frame, 54, 0), kClear);
  EXPECT_EQ(PixelOf(frame, 55, 0), (Pixel{0, 0, 9, 255}));
  EXPECT_EQ(PixelOf(frame, 94, 29), (Pixel{39, 29, 9, 255}));
  EXPECT_EQ(PixelOf(frame, 95, 29), kClear);
  EXPECT_EQ(PixelOf(frame, 0, 30), kOrangeOpaque);
  EXPECT_EQ(PixelOf(frame, 148, 30), kOrangeOpaque);  // the caption is clipped at the right edge
}

TEST_F(ComposeFrameTest, WithoutSkinTheFrameIsTheCaptionAlone) {
  inputs.skin = nullptr;
  inputs.show_stars = true;
  const FrameBitmap frame = Compose();
  ASSERT_EQ(frame.Width(), 50);
  ASSERT_EQ(frame.Height(), 22);
  // Cx = 25, caption at 25 - 25 = 0.
  EXPECT_EQ(PixelOf(frame, 0, 0), kOrangeOpaque);

  inputs.caption_text = "";
  const FrameBitmap empty = Compose();
  EXPECT_EQ(empty.Width(), 0);
  EXPECT_EQ(empty.Height(), 22);
}

// A skin that is opaque black in columns 0..19, alpha 156 in column 30, alpha 155 in column 31
// and transparent elsewhere.
FrameBitmap StarSkin() {
  return Picture(60, 40, [](int x, int) {
    if (x < 20) return Pixel{0, 0, 0, 255};
    if (x == 30) return Pixel{0, 0, 0, 156};
    if (x == 31) return Pixel{0, 0, 0, 155};
    return kClear;
  });
}

TEST_F(ComposeFrameTest, StarsAreDrawnOnlyOnSolidPixelsCentredOnTheirPosition) {
  const FrameBitmap skin = StarSkin();
  inputs.skin = &skin;
  inputs.show_stars = true;
  stars[0] = {10, 10, 255, 1};  // opaque skin
  stars[1] = {30, 20, 255, 1};  // alpha 156: solid
  stars[2] = {31, 30, 255, 1};  // alpha 155: not solid
  stars[3] = {45, 5, 255, 1};   // transparent
  const FrameBitmap frame = Compose();
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      EXPECT_EQ(PixelOf(frame, 10 + dx, 10 + dy), (Pixel{255, 255, 255, 255}));
    }
  }
  EXPECT_EQ(PixelOf(frame, 12, 10), (Pixel{0, 0, 0, 255}));
  EXPECT_EQ(PixelOf(frame, 29, 20), (Pixel{255, 255, 255, 255}));
  EXPECT_EQ(PixelOf(frame, 32, 30), kClear);
  EXPECT_EQ(PixelOf(frame, 45, 5), kClear);
}

TEST_F(ComposeFrameTest, EachStarUsesItsOwnOpacity) {
  const FrameBitmap skin = StarSkin();
  inputs.skin = &skin;
  inputs.show_stars = true;
  stars[0] = {5, 5, 100, 1};
  stars[1] = {5, 20, 200, -1};
  stars[2] = {15, 30, 0, 0};
  const FrameBitmap frame = Compose();
  // White at k = 100/255 over opaque black: colour 100, alpha 100 + 255 * 155 / 255.
  EXPECT_EQ(PixelOf(frame, 5, 5), (Pixel{100, 100, 100, 255}));
  EXPECT_EQ(PixelOf(frame, 5, 20), (Pixel{200, 200, 200, 255}));
  EXPECT_EQ(PixelOf(frame, 15, 30), (Pixel{0, 0, 0, 255}));
}

TEST_F(ComposeFrameTest, AStarOnAnEarlierStarIsDrawnButNotTheOtherWayRound) {
  const FrameBitmap skin = StarSkin();
  inputs.skin = &skin;
  inputs.show_stars = true;
  stars[0] = {19, 10, 255, 1};  // last opaque column; its sprite reaches column 20
  stars[1] = {20, 10, 255, 1};  // transparent skin, but on star 0's sprite
  FrameBitmap frame = Compose();
  EXPECT_EQ(PixelOf(frame, 21, 10), (Pixel{255, 255, 255, 255}));

  std::swap(stars[0], stars[1]);  // now tested before the star under it is drawn
  frame = Compose();
  EXPECT_EQ(PixelOf(frame, 21, 10), kClear);
  EXPECT_EQ(PixelOf(frame, 20, 10), (Pixel{255, 255, 255, 255}));
}

TEST_F(ComposeFrameTest, StarsOutsideTheFrameAreSkipped) {
  const FrameBitmap skin = StarSkin();  // 60 x 40, frame 60 x 62
  inputs.skin = &skin;
  inputs.show_stars = true;
  stars[0] = {60, 10, 255, 1};
  stars[1] = {10, 62, 255, 1};
  stars[2] = {500, 900, 255, 1};
  stars[3] = {-1, 5, 255, 1};
  const FrameBitmap frame = Compose();
  EXPECT_EQ(PixelOf(frame, 59, 10), kClear);
  EXPECT_EQ(PixelOf(frame, 10, 61), kClear);
  EXPECT_EQ(PixelOf(frame, 0, 5), (Pixel{0, 0, 0, 255}));
}

// A sprite whose pixels tell their column and row shows which of them land where when a star at
// the frame's corner is clipped: at full opacity each pixel is copied as it is.
TEST_F(ComposeFrameTest, StarsAtTheCornersAreClippedWithEveryPixelInPlace) {
  const FrameBitmap skin = TellTaleSkin(10, 6);  // W = 10: Cx = 5, the skin at column 0
  inputs.skin = &skin;
  inputs.caption_text = "";
  inputs.show_stars = true;
  sprite = Picture(3, 3, [](int x, int y) { return Pixel{x * 10 + y + 1, 50 + y, 100 + x, 255}; });
  stars[0] = {0, 0, 255, 1};  // sprite at (-1, -1): its first column and row fall outside
  stars[1] = {9, 5, 255, 1};  // sprite at (8, 4): its last column is right of the frame
  const FrameBitmap frame = Compose();
  ASSERT_EQ(frame.Width(), 10);
  EXPECT_EQ(PixelOf(frame, 0, 0), (Pixel{12, 51, 101, 255}));  // sprite (1, 1)
  EXPECT_EQ(PixelOf(frame, 1, 0), (Pixel{22, 51, 102, 255}));  // sprite (2, 1)
  EXPECT_EQ(PixelOf(frame, 0, 1), (Pixel{13, 52, 101, 255}));  // sprite (1, 2)
  EXPECT_EQ(PixelOf(frame, 1, 1), (Pixel{23, 52, 102, 255}));  // sprite (2, 2)
  EXPECT_EQ(PixelOf(frame, 2, 0), (Pixel{2, 0, 9, 255}));      // the skin again
  EXPECT_EQ(PixelOf(frame, 8, 4), (Pixel{1, 50, 100, 255}));   // sprite (0, 0)
  EXPECT_EQ(PixelOf(frame, 9, 4), (Pixel{11, 50, 101, 255}));  // sprite (1, 0)
  EXPECT_EQ(PixelOf(frame, 9, 6), (Pixel{13, 52, 101, 255}));  // sprite (1, 2), below the skin
  EXPECT_EQ(PixelOf(frame, 7, 5), (Pixel{7, 5, 9, 255}));      // left of the sprite: the skin
}

TEST_F(ComposeFrameTest, StarsSwitchedOffOrWithoutSpriteDrawNothing) {
  const FrameBitmap skin = StarSkin();
  inputs.skin = &skin;
  stars[0] = {10, 10, 255, 1};
  inputs.show_stars = false;
  EXPECT_EQ(PixelOf(Compose(), 11, 10), (Pixel{0, 0, 0, 255}));

  inputs.show_stars = true;
  const FrameBitmap no_sprite;
  inputs.star_sprite = &no_sprite;
  EXPECT_EQ(PixelOf(Compose(), 10, 10), (Pixel{0, 0, 0, 255}));
}

TEST_F(ComposeFrameTest, EvenSpriteSizesPutTheCentreRightOfAndBelowTheMiddle) {
  const FrameBitmap skin = StarSkin();
  inputs.skin = &skin;
  inputs.show_stars = true;
  sprite = Picture(4, 2, [](int x, int y) { return Pixel{x * 10 + y, 0, 0, 255}; });
  stars[0] = {10, 10, 255, 1};  // top-left at (8, 9)
  const FrameBitmap frame = Compose();
  EXPECT_EQ(PixelOf(frame, 8, 9), (Pixel{0, 0, 0, 255}));
  EXPECT_EQ(PixelOf(frame, 11, 10), (Pixel{31, 0, 0, 255}));
  EXPECT_EQ(PixelOf(frame, 12, 10), (Pixel{0, 0, 0, 255}));
}

}  // namespace
}  // namespace tindrel
