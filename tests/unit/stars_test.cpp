#include "render/stars.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "doubles/scripted_random.h"

namespace tindrel {
namespace {

using test::ScriptedRandom;

// Respawns star 0 with the given start and every other star with start 0 at (0, 0).
std::deque<int> FirstRespawn(int x, int y, int start) {
  std::deque<int> values{x, y, start};
  for (int i = 1; i < kStarCount; ++i) values.insert(values.end(), {0, 0, 0});
  return values;
}

const SkinSize kSkin{300, 200};

TEST(StarAnimation, RespawnWithStart254ShowsFullOpacityAtOnce) {
  StarField field;
  ScriptedRandom random(FirstRespawn(17, 42, 254));
  field.Tick(kSkin, random);
  const Star& star = field.Stars()[0];
  EXPECT_EQ(star.x, 17);
  EXPECT_EQ(star.y, 42);
  EXPECT_EQ(star.alpha, 255);
  EXPECT_EQ(star.direction, 1);
}

TEST(StarAnimation, RespawnWithStart0ShowsTen) {
  StarField field;
  ScriptedRandom random(FirstRespawn(0, 0, 0));
  field.Tick(kSkin, random);
  EXPECT_EQ(field.Stars()[0].alpha, 10);
  EXPECT_EQ(field.Stars()[0].direction, 1);
}

TEST(StarAnimation, DrawsPositionAndStartFromTheSkinSizeAndBelow255) {
  StarField field;
  ScriptedRandom random({});
  field.Tick(kSkin, random);
  ASSERT_EQ(random.ranges.size(), 3u * kStarCount);
  for (int i = 0; i < kStarCount; ++i) {
    EXPECT_EQ(random.ranges[3 * i], 300);
    EXPECT_EQ(random.ranges[3 * i + 1], 200);
    EXPECT_EQ(random.ranges[3 * i + 2], 255);  // 0 .. 254
  }
}

TEST(StarAnimation, CycleAfterThePeakDimsToZeroIdlesAndRespawns) {
  StarField field;
  std::deque<int> values = FirstRespawn(5, 6, 250);
  ScriptedRandom random(values);
  field.Tick(kSkin, random);
  ASSERT_EQ(field.Stars()[0].alpha, 255);  // 250 + 10, clamped

  std::vector<int> seen;
  for (int tick = 0; tick < 26; ++tick) {
    field.Tick(kSkin, random);
    seen.push_back(field.Stars()[0].alpha);
  }
  std::vector<int> expected;
  for (int a = 235; a >= 5; a -= 10) expected.push_back(a);
  expected.push_back(0);
  expected.push_back(0);
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(field.Stars()[0].direction, 0);

  // The next tick respawns it: three more draws for star 0, at its turn in the order.
  ScriptedRandom respawn({123, 45, 100});
  field.Tick(kSkin, respawn);
  EXPECT_EQ(field.Stars()[0].x, 123);
  EXPECT_EQ(field.Stars()[0].y, 45);
  EXPECT_EQ(field.Stars()[0].alpha, 110);
  EXPECT_EQ(field.Stars()[0].direction, 1);
}

TEST(StarAnimation, BrighteningClimbsByTenUntilThePeak) {
  StarField field;
  ScriptedRandom random(FirstRespawn(0, 0, 1));
  std::vector<int> seen;
  for (int tick = 0; tick < 27; ++tick) {
    field.Tick(kSkin, random);
    seen.push_back(field.Stars()[0].alpha);
  }
  // 11, 21, ..., 251 (25 ticks), then 255 at the 26th, then the turn to 235.
  EXPECT_EQ(seen.front(), 11);
  EXPECT_EQ(seen[24], 251);
  EXPECT_EQ(seen[25], 255);
  EXPECT_EQ(seen[26], 235);
}

TEST(StarAnimation, ResetMakesEveryStarIdleAndTheNextTickRespawnsInsideTheNewSkin) {
  StarField field;
  ScriptedRandom random({});
  for (int tick = 0; tick < 5; ++tick) field.Tick(kSkin, random);
  field.Reset();
  for (const Star& star : field.Stars()) {
    EXPECT_EQ(star.x, 0);
    EXPECT_EQ(star.y, 0);
    EXPECT_EQ(star.alpha, 0);
    EXPECT_EQ(star.direction, 0);
  }
  MersenneRandom real(12345);
  const SkinSize small{7, 3};
  for (int round = 0; round < 50; ++round) {
    field.Reset();
    field.Tick(small, real);
    for (const Star& star : field.Stars()) {
      EXPECT_GE(star.x, 0);
      EXPECT_LT(star.x, 7);
      EXPECT_GE(star.y, 0);
      EXPECT_LT(star.y, 3);
      EXPECT_GE(star.alpha, 10);
      EXPECT_LE(star.alpha, 255);
    }
  }
}

TEST(StarAnimation, WithoutASkinTicksChangeNothing) {
  StarField field;
  ScriptedRandom random({});
  field.Tick(std::nullopt, random);
  field.Tick(SkinSize{0, 0}, random);
  field.Tick(SkinSize{10, 0}, random);
  EXPECT_TRUE(random.ranges.empty());
  for (const Star& star : field.Stars()) {
    EXPECT_EQ(star.alpha, 0);
    EXPECT_EQ(star.direction, 0);
  }
}

}  // namespace
}  // namespace tindrel
