#include "app/widget_stars.h"

#include <gtest/gtest.h>

#include <cstring>
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
  stars.LoadSprite(folder.File("star.png"));
  EXPECT_EQ(stars.Sprite().Width(), 3);
  EXPECT_EQ(stars.Sprite().Height(), 2);

  EXPECT_THROW(stars.LoadSprite(folder.File("missing.png")), Error);
  EXPECT_EQ(stars.Sprite().Width(), 0) << "the widget draws no stars rather than stale ones";
  EXPECT_EQ(stars.Sprite().Height(), 0);
}

TEST(WidgetStars, StarsMoveOnlyOverASkinAndStartAfreshOnReset) {
  WidgetStars stars;
  const StarArray idle = stars.Stars();
  for (int tick = 0; tick < 20; ++tick) stars.Tick(nullptr);
  EXPECT_TRUE(SameStars(stars.Stars(), idle)) << "no skin, no stars";

  const FrameBitmap skin(40, 30);
  stars.Tick(&skin);
  EXPECT_FALSE(SameStars(stars.Stars(), idle)) << "idle stars respawn over a skin";

  stars.Reset();
  EXPECT_TRUE(SameStars(stars.Stars(), idle));
}

}  // namespace
}  // namespace tindrel
