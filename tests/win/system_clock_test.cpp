// The system clock's local time and the zone rules it converts with, under Wine.
#include "app/win32/system_clock.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "app/countdown.h"

namespace tindrel::win {
namespace {

constexpr std::int64_t kHourMs = 3'600'000;

// A rule's day: the `week`th (5: the last) `weekday` (0: Sunday) of `month`, at `hour`.
SYSTEMTIME Rule(WORD month, WORD week, WORD hour) {
  SYSTEMTIME rule{};
  rule.wMonth = month;
  rule.wDayOfWeek = 0;
  rule.wDay = week;
  rule.wHour = hour;
  return rule;
}

// Central Europe: UTC+1, UTC+2 from the last Sunday of March to that of October.
TIME_ZONE_INFORMATION NorthernZone() {
  TIME_ZONE_INFORMATION zone{};
  zone.Bias = -60;
  zone.StandardDate = Rule(10, 5, 3);
  zone.DaylightDate = Rule(3, 5, 2);
  zone.DaylightBias = -60;
  return zone;
}

// Sydney: UTC+10, UTC+11 from the first Sunday of October to that of April.
TIME_ZONE_INFORMATION SouthernZone() {
  TIME_ZONE_INFORMATION zone{};
  zone.Bias = -600;
  zone.StandardDate = Rule(4, 1, 3);
  zone.DaylightDate = Rule(10, 1, 2);
  zone.DaylightBias = -60;
  return zone;
}

TEST(ZoneRules, TheOffsetFollowsDaylightSavingInBothHemispheres) {
  EXPECT_EQ(UtcOffsetUnder(NorthernZone(), {2024, 12, 25, 0, 0, 0, 0}), 1 * kHourMs);
  EXPECT_EQ(UtcOffsetUnder(NorthernZone(), {2024, 7, 15, 12, 0, 0, 0}), 2 * kHourMs);
  EXPECT_EQ(UtcOffsetUnder(NorthernZone(), {2024, 3, 31, 1, 59, 59, 0}), 1 * kHourMs);
  EXPECT_EQ(UtcOffsetUnder(NorthernZone(), {2024, 3, 31, 3, 0, 0, 0}), 2 * kHourMs);
  EXPECT_EQ(UtcOffsetUnder(SouthernZone(), {2024, 12, 25, 0, 0, 0, 0}), 11 * kHourMs);
  EXPECT_EQ(UtcOffsetUnder(SouthernZone(), {2025, 1, 7, 0, 0, 0, 0}), 11 * kHourMs);
  EXPECT_EQ(UtcOffsetUnder(SouthernZone(), {2024, 7, 15, 12, 0, 0, 0}), 10 * kHourMs);
}

TEST(SystemClockZone, NowAndItsOffsetAgreeWithTheLocalClockAndTheZoneRules) {
  SystemClock clock;
  const LocalTimeParts before = clock.NowParts();
  const ZonedTimeParts now = clock.NowWithUtcOffset();
  const std::int64_t apart =
      MillisecondsOf(EncodeDateTime(now.local)) - MillisecondsOf(EncodeDateTime(before));
  EXPECT_GE(apart, 0);
  EXPECT_LT(apart, 2000);
  EXPECT_EQ(now.utc_offset_ms % (15 * 60'000), 0) << "whole quarter hours";
  EXPECT_EQ(clock.UtcOffsetAt(now.local), now.utc_offset_ms);
  // A date before the first the system can convert keeps the offset of now.
  EXPECT_EQ(clock.UtcOffsetAt({1600, 1, 1, 0, 0, 0, 0}), now.utc_offset_ms);
}

}  // namespace
}  // namespace tindrel::win
