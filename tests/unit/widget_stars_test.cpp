#include "app/widget_stars.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "base/error.h"
#include "support/png_writer.h"
#include "support/temp_folder.h"

namespace tindrel {
namespace {

bool SameStars(const StarArray& a, const StarArray& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(WidgetStars, ASpriteThatFailsToLoadLeavesNoSpriteOfBefore) {
  test::TempFolder folder;
  test::WriteFile(folder.File("star.png"),
                  test::RgbaPng(3, 2, std::vector<std::uint16_t>(3 * 2 * 4, 255)));
  WidgetStars stars;
  stars.LoadSprite(folder.WithSeparator(), 96);
  EXPECT_EQ(stars.Sprite().Width(), 3);
  EXPECT_EQ(stars.Sprite().Height(), 2);

  test::TempFolder empty;
  EXPECT_THROW(stars.LoadSprite(empty.WithSeparator(), 96), Error);
  EXPECT_EQ(stars.Sprite().Width(), 0) << "the widget draws no stars rather than stale ones";
  EXPECT_EQ(stars.Sprite().Height(), 0);
}

TEST(WidgetStars, AnotherDpiScalesTheStarsPlacesAndTakesTheSpriteMadeForIt) {
  test::TempFolder folder;
  test::WriteFile(folder.File("star.png"),
                  test::RgbaPng(3, 3, std::vector<std::uint16_t>(3 * 3 * 4, 255)));
  std::filesystem::create_directory(folder.Path() / "2x");
  test::WriteFile(folder.File("2x/star.png"),
                  test::RgbaPng(6, 6, std::vector<std::uint16_t>(6 * 6 * 4, 255)));
  WidgetStars stars;
  stars.LoadSprite(folder.WithSeparator(), 144);
  EXPECT_EQ(stars.Sprite().Width(), 5) << "3 px at 150 %, shrunk from the 2x picture";
  const FrameBitmap skin(41, 31);
  stars.AdvanceTo(0, &skin);
  stars.AdvanceTo(kStarTickMs, &skin);
  const StarArray before = stars.Stars();

  stars.SetDpi(192);
  EXPECT_EQ(stars.Sprite().Width(), 6);
  for (int i = 0; i < kStarCount; ++i) {
    EXPECT_EQ(stars.Stars()[i].x, before[i].x * 192 / 144);
    EXPECT_EQ(stars.Stars()[i].y, before[i].y * 192 / 144);
    EXPECT_EQ(stars.Stars()[i].alpha, before[i].alpha);
  }
}

TEST(WidgetStars, StarsMoveOnlyOverASkinAndStartAfreshOnReset) {
  WidgetStars stars;
  const StarArray idle = stars.Stars();
  stars.AdvanceTo(0, nullptr);
  stars.AdvanceTo(1000, nullptr);
  EXPECT_TRUE(SameStars(stars.Stars(), idle)) << "no skin, no stars";

  const FrameBitmap skin(40, 30);
  stars.AdvanceTo(1025, &skin);
  EXPECT_FALSE(SameStars(stars.Stars(), idle)) << "idle stars respawn over a skin";

  stars.Reset();
  EXPECT_TRUE(SameStars(stars.Stars(), idle));
}

// The ticks a frame runs are the 25 ms ticks that have passed: frames every 220 ms see exactly
// the records that a 25 ms timer would have left by then, from the same random sequence.
TEST(WidgetStars, FramesAdvanceTheStarsByTheTicksThatHavePassedAndCatchUpOnlySoFar) {
  const FrameBitmap skin(200, 150);
  const SkinSize size{200, 150};
  WidgetStars framed;
  StarField ticked;
  MersenneRandom random{std::mt19937::default_seed};
  framed.AdvanceTo(1000, &skin);
  int ticks = 0;
  for (std::uint64_t now = 1000; now <= 1000 + 220 * 40; now += 220) {
    framed.AdvanceTo(now, &skin);
    for (; ticks < static_cast<int>((now - 1000) / kStarTickMs); ++ticks) ticked.Tick(size, random);
    ASSERT_TRUE(SameStars(framed.Stars(), ticked.Stars())) << "at " << now;
  }
  // Hidden for an hour: one cycle's worth of ticks at most, then on as before.
  const std::uint64_t later = 1000 + 220 * 40 + 3600 * 1000;
  framed.AdvanceTo(later, &skin);
  ticked.Advance(1000, size, random);
  EXPECT_TRUE(SameStars(framed.Stars(), ticked.Stars()));
  framed.AdvanceTo(later + 250, &skin);
  ticked.Advance(10, size, random);
  EXPECT_TRUE(SameStars(framed.Stars(), ticked.Stars()));
}

}  // namespace
}  // namespace tindrel
