#include "app/caption_announcer.h"

#include <gtest/gtest.h>

namespace tindrel {
namespace {

constexpr DateTime kChristmas = 46016.0;
constexpr DateTime kNewYear = 46023.0;

TEST(CaptionAnnouncer, TellsTheFirstCaptionThenAtMostOnceAMinute) {
  CaptionAnnouncer announcer;
  EXPECT_TRUE(announcer.Due(5'000, kChristmas));
  EXPECT_FALSE(announcer.Due(6'000, kChristmas));
  EXPECT_FALSE(announcer.Due(64'999, kChristmas));
  EXPECT_TRUE(announcer.Due(65'000, kChristmas));
  EXPECT_FALSE(announcer.Due(65'220, kChristmas));
  EXPECT_TRUE(announcer.Due(200'000, kChristmas));
}

TEST(CaptionAnnouncer, ANewDueDateIsToldAtOnceAndStartsTheMinuteAgain) {
  CaptionAnnouncer announcer;
  EXPECT_TRUE(announcer.Due(5'000, kChristmas));
  EXPECT_TRUE(announcer.Due(7'000, kNewYear));
  EXPECT_FALSE(announcer.Due(66'000, kNewYear));
  EXPECT_TRUE(announcer.Due(67'000, kNewYear));
  EXPECT_TRUE(announcer.Due(67'220, kChristmas));
}

}  // namespace
}  // namespace tindrel
