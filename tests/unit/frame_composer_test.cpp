#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

#include "base/error.h"
#include "doubles/fake_text_painter.h"
#include "render/composition.h"
#include "render/frame_difference.h"
#include "render/gblur3.h"
#include "support/pixels.h"

namespace tindrel {
namespace {

using test::FakeTextPainter;

// The fake painter, with two things it lacks for these tests: the face changes the glyphs (a face
// of n letters draws as if its height were n pixels larger), and it counts its drawings.
class CountingPainter : public FakeTextPainter {
 public:
  TextExtent Measure(const FontSpec& font, const std::string& text) override {
    return FakeTextPainter::Measure(WithFaceHeight(font), text);
  }
  void Draw(FrameBitmap& target, const FontSpec& font, const std::string& text, int x, int y,
            Color color) override {
    ++drawings;
    FakeTextPainter::Draw(target, WithFaceHeight(font), text, x, y, color);
  }
  int drawings = 0;

 private:
  static FontSpec WithFaceHeight(FontSpec font) {
    font.height -= static_cast<int>(font.face.size());
    return font;
  }
};

// A skin with soft edges and no two neighbouring pixels alike, so that a skin placed one column
// off, or the old skin kept, shows in the bytes.
FrameBitmap VariedSkin(int width, int height, int seed) {
  FrameBitmap skin(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int edge = std::min(std::min(x, width - 1 - x), std::min(y, height - 1 - y));
      const int a = std::min(255, 40 + edge * 60);
      std::uint8_t* p = skin.PixelAt(x, y);
      p[kBlue] = static_cast<std::uint8_t>((x * 7 + seed) % 256 * a / 255);
      p[kGreen] = static_cast<std::uint8_t>((y * 13 + seed * 3) % 256 * a / 255);
      p[kRed] = static_cast<std::uint8_t>((x * y + seed) % 256 * a / 255);
      p[kAlpha] = static_cast<std::uint8_t>(a);
    }
  }
  return skin;
}

FrameBitmap Sprite() {
  FrameBitmap sprite(5, 5);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) {
      const int a = 255 - 50 * (std::abs(x - 2) + std::abs(y - 2));
      std::uint8_t* p = sprite.PixelAt(x, y);
      p[kBlue] = p[kGreen] = p[kRed] = p[kAlpha] = static_cast<std::uint8_t>(a);
    }
  }
  return sprite;
}

bool SameBytes(const FrameBitmap& a, const FrameBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y) {
    if (std::memcmp(a.ScanLine(y), b.ScanLine(y), static_cast<std::size_t>(a.Width()) * 4) != 0) {
      return false;
    }
  }
  return true;
}

class FrameComposerTest : public ::testing::Test {
 protected:
  FrameComposerTest() {
    BuildSharedBlurKernel();
    inputs.caption_text = "12 days, 05:07:09";
    inputs.font.height = -14;
    inputs.font.color = 0x00336699;
    inputs.display_shadow = true;
    inputs.show_days = true;
    inputs.show_stars = true;
    inputs.skin = &skin;
    inputs.skin_version = 1;
    inputs.star_sprite = &sprite;
    inputs.stars = &stars;
    // Stars inside the skin, on its soft edge, on the caption and outside the frame.
    stars[0] = {30, 30, 200, 1};
    stars[1] = {1, 1, 120, -1};
    stars[2] = {60, 70, 90, 1};
    stars[3] = {500, 10, 255, 1};
  }

  // The cached frame must equal the one composed from scratch, byte for byte.
  void ExpectSameAsUncached(const std::string& step) {
    const FrameBitmap& cached = composer.Compose(painter, inputs);
    CountingPainter reference_painter;
    const FrameBitmap uncached = ComposeFrame(reference_painter, inputs);
    EXPECT_TRUE(SameBytes(cached, uncached))
        << step << ": cached " << cached.Width() << " x " << cached.Height() << ", uncached "
        << uncached.Width() << " x " << uncached.Height();
  }

  CountingPainter painter;
  FrameComposer composer;
  FrameInputs inputs;
  FrameBitmap skin = VariedSkin(90, 64, 1);
  FrameBitmap sprite = Sprite();
  StarArray stars{};
};

TEST_F(FrameComposerTest, EveryChangeGivesExactlyTheFrameComposedFromScratch) {
  ExpectSameAsUncached("first frame");
  ExpectSameAsUncached("steady frame");
  inputs.caption_text = "12 days, 05:07:08";
  ExpectSameAsUncached("next second");
  stars[0].alpha = 210;
  stars[4] = {45, 20, 60, 1};
  ExpectSameAsUncached("star tick");
  inputs.display_shadow = false;
  ExpectSameAsUncached("shadow off");
  inputs.display_shadow = true;
  ExpectSameAsUncached("shadow on again");
  inputs.font.face = "Courier";
  ExpectSameAsUncached("font face");
  inputs.font.height = -30;  // the caption now sets the frame's width
  ExpectSameAsUncached("font size");
  inputs.font.color = 0x00FFFFFF;
  ExpectSameAsUncached("font colour");
  inputs.font.style = font_style::kBold;
  ExpectSameAsUncached("font style");
  inputs.show_days = false;
  ExpectSameAsUncached("days line off");
  inputs.show_days = true;
  inputs.show_stars = false;
  ExpectSameAsUncached("stars off");
  inputs.show_stars = true;
  inputs.caption_text = "x";  // shorter than two characters: no estimated width
  ExpectSameAsUncached("one-character caption");
  inputs.caption_text = "12 days, 05:07:09";
  inputs.dpi = 192;  // the same font and skin: only the caption's margin and blur change
  ExpectSameAsUncached("another display scale");
}

TEST_F(FrameComposerTest, ANewSkinIsSeenEvenInTheSameBitmapObject) {
  ExpectSameAsUncached("first skin");
  // The skin owner replaces the bitmap in place and says so with a new version.
  skin = VariedSkin(90, 64, 2);
  inputs.skin_version = 2;
  ExpectSameAsUncached("same size, other pixels");
  skin = VariedSkin(140, 30, 3);
  inputs.skin_version = 3;
  ExpectSameAsUncached("other size");
  inputs.skin = nullptr;
  ExpectSameAsUncached("no skin");
  FrameBitmap other = VariedSkin(40, 40, 4);
  inputs.skin = &other;
  ExpectSameAsUncached("another bitmap");
}

// On a skin wider than the caption a new font size changes only the frame's height: the skin
// placed in the frame is made again at the new height, not taken from the frame of the old one.
TEST_F(FrameComposerTest, ACaptionOfAnotherHeightAloneGivesAFrameOfThatHeight) {
  skin = VariedSkin(300, 64, 5);
  inputs.skin_version = 5;
  ExpectSameAsUncached("a skin wider than the caption");
  const int width = composer.Compose(painter, inputs).Width();
  inputs.font.height = -20;
  ExpectSameAsUncached("a taller caption");
  EXPECT_EQ(composer.Compose(painter, inputs).Width(), width) << "only the height may change";
  inputs.font.height = -26;
  ExpectSameAsUncached("taller again");
}

TEST_F(FrameComposerTest, ASteadyFrameDrawsNoTextAndTheCaptionIsDrawnOncePerChange) {
  composer.Compose(painter, inputs);
  const int per_caption = painter.drawings;  // shadow and text: two drawings each
  ASSERT_GT(per_caption, 0);
  for (int tick = 0; tick < 5; ++tick) {
    stars[0].alpha = 10 * tick;
    composer.Compose(painter, inputs);
  }
  EXPECT_EQ(painter.drawings, per_caption);
  inputs.caption_text = "12 days, 05:07:08";
  composer.Compose(painter, inputs);
  EXPECT_EQ(painter.drawings, 2 * per_caption);
  composer.Invalidate();
  composer.Compose(painter, inputs);
  EXPECT_EQ(painter.drawings, 3 * per_caption);
}

TEST_F(FrameComposerTest, ACaptionThatCannotBeDrawnLeavesTheComposerWorking) {
  ExpectSameAsUncached("before");
  const FontSpec good = inputs.font;
  inputs.font.height = -20000;  // a caption bitmap beyond the size limit
  EXPECT_THROW(composer.Compose(painter, inputs), Error);
  EXPECT_THROW(composer.Compose(painter, inputs), Error);
  inputs.font = good;
  ExpectSameAsUncached("same font as before the failure");
  inputs.caption_text = "11 days, 23:59:59";
  ExpectSameAsUncached("after");
}

// A copy of a frame, to compare the next one with.
FrameBitmap CopyOf(const FrameBitmap& frame) {
  FrameBitmap copy(frame.Width(), frame.Height());
  CopyRect(copy, frame, PixelRect{0, 0, frame.Width(), frame.Height()});
  return copy;
}

TEST_F(FrameComposerTest, WhatIsHandedOverIsEveryChangedPixelWithinTheCaptionAndTheStars) {
  const FrameBitmap first = CopyOf(composer.Compose(painter, inputs));
  EXPECT_FALSE(ChangedRect(first, composer.Compose(painter, inputs))) << "a steady frame";

  inputs.caption_text = "12 days, 05:07:08";  // the same block glyphs: no pixel changes
  stars[2].alpha = 120;                       // the star on the caption, fainter
  stars[4] = {100, 30, 255, 1};               // a star that comes up on the skin
  const FrameBitmap& next = composer.Compose(painter, inputs);
  const std::optional<PixelRect> changed = ChangedRect(first, next);
  ASSERT_TRUE(changed);
  PixelRect differing{next.Width(), next.Height(), 0, 0};
  for (int y = 0; y < next.Height(); ++y) {
    for (int x = 0; x < next.Width(); ++x) {
      if (test::PixelOf(first, x, y) == test::PixelOf(next, x, y)) continue;
      differing = {std::min(differing.left, x), std::min(differing.top, y),
                   std::max(differing.right, x + 1), std::max(differing.bottom, y + 1)};
    }
  }
  EXPECT_EQ(*changed, differing) << "exactly the box of the changed pixels";
  // The two stars' sprites, 5 x 5 around (60, 70) and (100, 30), and nothing more.
  EXPECT_EQ(*changed, (PixelRect{58, 28, 103, 73}));
  EXPECT_EQ(ChangedRect(FrameBitmap(2, 2), next), (PixelRect{0, 0, next.Width(), next.Height()}))
      << "another size: all of it";
}

}  // namespace
}  // namespace tindrel
