// The countdown through a clock with a time zone: the real time to the due instant when the clocks
// are changed for daylight saving time in between, in both hemispheres.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "app/countdown.h"
#include "doubles/zone_clock.h"

namespace tindrel {
namespace {

using test::ZoneClock;

constexpr std::int64_t kHourMs = 3'600'000;

DateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return EncodeDateTime({year, month, day, hour, minute, second, 0});
}

// Central Europe: one hour ahead of UTC, two from the last Sunday of March to that of October.
ZoneClock NorthernClock() {
  return ZoneClock(1, {{At(2023, 3, 26, 1), At(2023, 10, 29, 1)},
                       {At(2024, 3, 31, 1), At(2024, 10, 27, 1)},
                       {At(2025, 3, 30, 1), At(2025, 10, 26, 1)}});
}

// Sydney: ten hours ahead of UTC, eleven from the first Sunday of October to that of April.
ZoneClock SouthernClock() {
  return ZoneClock(
      10, {{At(2023, 9, 30, 16), At(2024, 4, 6, 16)}, {At(2024, 10, 5, 16), At(2025, 4, 5, 16)}});
}

TEST(CountdownAcrossClockChanges, AutumnInTheNorthAddsTheHourTheClocksGoBack) {
  ZoneClock clock = NorthernClock();
  clock.SetLocal(At(2024, 10, 20, 12));
  EXPECT_EQ(RemainingTimeText(At(2024, 12, 25), At(2024, 10, 20, 12)), "65 days, 12:00:00");
  EXPECT_EQ(RemainingTimeText(At(2024, 12, 25), clock), "65 days, 13:00:00");
}

TEST(CountdownAcrossClockChanges, SpringInTheSouthTakesAwayTheHourTheClocksGoForward) {
  ZoneClock clock = SouthernClock();
  clock.SetLocal(At(2024, 9, 30, 12));
  EXPECT_EQ(RemainingTimeText(At(2024, 12, 25), clock), "85 days, 11:00:00");
  clock.SetLocal(At(2024, 8, 1, 18, 30));
  EXPECT_EQ(RemainingTimeText(At(2025, 1, 7), clock), "158 days, 04:30:00");
}

TEST(CountdownAcrossClockChanges, ElapsedTimeAfterTheDueInstantCountsTheChangeToo) {
  ZoneClock clock = NorthernClock();
  clock.SetLocal(At(2024, 4, 1, 12));
  EXPECT_EQ(RemainingTimeText(At(2023, 12, 25), clock), "98 days, 11:00:00");
}

TEST(CountdownAcrossClockChanges, WithoutANetChangeEveryCaptionStaysTheWallClockOne) {
  for (ZoneClock clock : {NorthernClock(), SouthernClock()}) {
    // Both changes of the year lie in between, or none.
    for (const DateTime now : {At(2024, 2, 10, 12, 34, 56), At(2024, 11, 2, 7, 8, 9)}) {
      clock.SetLocal(now);
      EXPECT_EQ(RemainingTimeText(At(2024, 12, 25), clock),
                RemainingTimeText(At(2024, 12, 25), now));
    }
  }
}

TEST(CountdownAcrossClockChanges, TheCountGoesOnSmoothlyThroughTheChangeItself) {
  ZoneClock clock = NorthernClock();
  clock.SetLocal(At(2024, 10, 27, 2, 59, 59));  // summer time, a second before the change
  EXPECT_EQ(RemainingTimeText(At(2024, 12, 25), clock), "58 days, 22:00:01");
  clock.Advance(1000);  // the clocks show 02:00:00 again, now in winter time
  EXPECT_EQ(clock.NowParts().hour, 2);
  EXPECT_EQ(RemainingTimeText(At(2024, 12, 25), clock), "58 days, 22:00:00");
}

}  // namespace
}  // namespace tindrel
