#include "sound/chime_schedule.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/error.h"
#include "doubles/fake_clock.h"
#include "doubles/fake_media_device.h"
#include "sound/sound_player.h"

namespace tindrel {
namespace {

using test::FakeClock;

constexpr int kRefreshMs = 220;

std::string ClockText(int ms) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", ms / 3600000 % 24, ms / 60000 % 60,
                ms / 1000 % 60);
  return text;
}

class ChimeScheduleTest : public ::testing::Test {
 protected:
  ChimeSchedule MakeSchedule() {
    return ChimeSchedule(clock, {[this] { return every_hour; }, [this] { return every_half_hour; }},
                         [this] {
                           chimes.push_back(ClockText(clock.now_ms));
                           if (!chime_error.empty()) throw Error(chime_error);
                         });
  }

  // Refresh ticks every 220 ms until the clock reaches `end_ms`.
  void TickUntil(ChimeSchedule& schedule, int end_ms) {
    while (clock.now_ms + kRefreshMs <= end_ms) {
      clock.now_ms += kRefreshMs;
      schedule.CheckChime();
    }
  }

  static int At(int hour, int minute, int second) {
    return ((hour * 60 + minute) * 60 + second) * 1000;
  }

  FakeClock clock;
  bool every_hour = true;
  bool every_half_hour = false;
  std::string chime_error;
  std::vector<std::string> chimes;
};

TEST_F(ChimeScheduleTest, CreationRecordsCurrentMinute) {
  clock.Set(9, 41, 7);
  EXPECT_EQ(MakeSchedule().LastMinute(), 41u);
}

TEST_F(ChimeScheduleTest, StartInsideMinuteZeroWaitsForNextHour) {
  clock.Set(12, 0, 20);
  auto schedule = MakeSchedule();
  TickUntil(schedule, At(13, 0, 30));
  EXPECT_EQ(chimes, (std::vector<std::string>{"13:00:00"}));
}

TEST_F(ChimeScheduleTest, StartJustBeforeTheHourChimesOnFirstTickOfMinuteZero) {
  clock.Set(11, 59, 58);
  auto schedule = MakeSchedule();
  TickUntil(schedule, At(12, 5, 0));
  EXPECT_EQ(chimes, (std::vector<std::string>{"12:00:00"}));
}

TEST_F(ChimeScheduleTest, EveryHalfHourChimesAtZeroAndThirty) {
  every_hour = false;
  every_half_hour = true;
  clock.Set(9, 10, 0);
  auto schedule = MakeSchedule();
  TickUntil(schedule, At(11, 10, 0));
  EXPECT_EQ(chimes, (std::vector<std::string>{"09:30:00", "10:00:00", "10:30:00", "11:00:00"}));
}

TEST_F(ChimeScheduleTest, EveryHourChimesOnlyAtZero) {
  clock.Set(9, 10, 0);
  auto schedule = MakeSchedule();
  TickUntil(schedule, At(11, 10, 0));
  EXPECT_EQ(chimes, (std::vector<std::string>{"10:00:00", "11:00:00"}));
}

TEST_F(ChimeScheduleTest, NoEntryCheckedNeverChimes) {
  every_hour = false;
  clock.Set(9, 10, 0);
  auto schedule = MakeSchedule();
  TickUntil(schedule, At(11, 10, 0));
  EXPECT_TRUE(chimes.empty());
}

TEST_F(ChimeScheduleTest, ClockSetForwardIntoMinuteThirtyChimesAtOnce) {
  every_hour = false;
  every_half_hour = true;
  clock.Set(10, 17, 0);
  auto schedule = MakeSchedule();
  TickUntil(schedule, At(10, 17, 5));
  clock.Set(10, 30, 0, 100);
  schedule.CheckChime();
  EXPECT_EQ(chimes, (std::vector<std::string>{"10:30:00"}));
}

TEST_F(ChimeScheduleTest, TicksStalledAcrossAnHourToTheSameMinuteDoNotChime) {
  every_half_hour = true;
  clock.Set(11, 30, 5);
  auto schedule = MakeSchedule();
  TickUntil(schedule, At(11, 30, 10));
  clock.Set(12, 30, 5);
  schedule.CheckChime();
  TickUntil(schedule, At(12, 31, 0));
  EXPECT_TRUE(chimes.empty());
}

TEST_F(ChimeScheduleTest, MissedMinuteZeroIsNotCaughtUp) {
  clock.Set(11, 58, 0);
  auto schedule = MakeSchedule();
  TickUntil(schedule, At(11, 59, 50));
  clock.Set(12, 1, 3);  // asleep over the top of the hour
  schedule.CheckChime();
  TickUntil(schedule, At(12, 50, 0));
  EXPECT_TRUE(chimes.empty());
}

TEST_F(ChimeScheduleTest, FailedChimeIsReportedOnceAndItsMinuteCountsAsDone) {
  chime_error = "The specified file was not found";
  clock.Set(11, 59, 59);
  auto schedule = MakeSchedule();
  clock.Set(12, 0, 0, 100);
  EXPECT_THROW(schedule.CheckChime(), Error);
  EXPECT_EQ(schedule.LastMinute(), 0u);
  EXPECT_NO_THROW(TickUntil(schedule, At(12, 59, 59)));
  EXPECT_EQ(chimes, (std::vector<std::string>{"12:00:00"}));
  EXPECT_THROW(TickUntil(schedule, At(13, 0, 1)), Error);  // tried again at the next hour
  EXPECT_EQ(chimes.size(), 2u);
}

TEST_F(ChimeScheduleTest, ClockSetBackIntoAChimedMinuteDoesNotChimeItAgain) {
  every_half_hour = true;
  clock.Set(10, 29, 50);
  auto schedule = MakeSchedule();
  TickUntil(schedule, At(10, 30, 40));
  clock.Set(10, 29, 55);  // set back by the user
  schedule.Resync();
  TickUntil(schedule, At(10, 31, 0));
  EXPECT_EQ(chimes, (std::vector<std::string>{"10:30:00"}));
}

TEST_F(ChimeScheduleTest, ClockSetForwardByWholeHoursChimesTheSlotItLandsInOnce) {
  clock.Set(9, 0, 30);  // started in minute 0: no chime for 9:00
  auto schedule = MakeSchedule();
  TickUntil(schedule, At(9, 0, 40));
  clock.Set(14, 0, 41);  // the minute of the hour is the same as before
  schedule.Resync();
  TickUntil(schedule, At(14, 5, 0));
  EXPECT_EQ(chimes, (std::vector<std::string>{"14:00:41"}));
}

TEST_F(ChimeScheduleTest, WakingOutsideAChimeMinuteChimesNothingForTheSlotsSleptThrough) {
  every_half_hour = true;
  clock.Set(22, 10, 0);
  auto schedule = MakeSchedule();
  TickUntil(schedule, At(22, 10, 10));
  clock.Set(30, 17, 0);  // 06:17 the next morning
  schedule.Resync();
  TickUntil(schedule, At(30, 31, 0));
  EXPECT_EQ(chimes, (std::vector<std::string>{"06:30:00"}));
}

TEST_F(ChimeScheduleTest, ResyncInsideTheSameChimedMinuteKeepsItDone) {
  clock.Set(11, 59, 59);
  auto schedule = MakeSchedule();
  TickUntil(schedule, At(12, 0, 30));
  schedule.Resync();  // a short sleep, or the clock set by a few seconds
  TickUntil(schedule, At(12, 1, 0));
  EXPECT_EQ(chimes, (std::vector<std::string>{"12:00:00"}));
}

TEST_F(ChimeScheduleTest, SameMinuteOfAnotherDayIsANewSlot) {
  clock.Set(11, 59, 59);
  auto schedule = MakeSchedule();
  TickUntil(schedule, At(12, 0, 30));
  clock.Set(36, 0, 20);  // 12:00 the next day
  schedule.Resync();
  schedule.CheckChime();
  EXPECT_EQ(chimes, (std::vector<std::string>{"12:00:00", "12:00:20"}));
}

// While the widget is hidden no ticks run: a timer set for the next slot fires the check.
class ChimeSlotTimerTest : public ChimeScheduleTest {
 protected:
  // Waits as the timer would, then checks at the slot; returns the clock text of the firing.
  void FireAtTheNextSlot(ChimeSchedule& schedule, int early_ms = 0) {
    const auto wait = schedule.MillisecondsToNextSlot();
    ASSERT_TRUE(wait);
    clock.now_ms += static_cast<int>(*wait) - early_ms;
    schedule.CheckChimeAtSlot();
  }
};

TEST_F(ChimeSlotTimerTest, TheNextSlotIsTheFirstChimeMinuteAfterNowForEveryMinuteOfADay) {
  for (const bool half_hour : {false, true}) {
    for (int minute_of_day = 0; minute_of_day < 24 * 60; ++minute_of_day) {
      const int now = minute_of_day * 60000 + (minute_of_day * 7919) % 60000;
      clock.now_ms = now;
      const auto wait = MillisecondsToNextChimeSlot(clock.NowParts(), true, half_hour);
      ASSERT_TRUE(wait);
      // The first later minute boundary that chimes, found by walking minute by minute.
      int slot = (now / 60000 + 1) * 60000;
      while (slot / 60000 % 60 != 0 && !(half_hour && slot / 60000 % 60 == 30)) slot += 60000;
      ASSERT_EQ(now + static_cast<int>(*wait), slot) << ClockText(now) << " half: " << half_hour;
    }
  }
  EXPECT_FALSE(MillisecondsToNextChimeSlot(clock.NowParts(), false, false)) << "nothing due";
  clock.Set(12, 0, 0);
  EXPECT_EQ(MillisecondsToNextChimeSlot(clock.NowParts(), false, true), 30u * 60000);
}

TEST_F(ChimeSlotTimerTest, EachSlotChimesOnceWhenOnlyTheTimerChecks) {
  clock.Set(11, 59, 59);
  auto schedule = MakeSchedule();
  TickUntil(schedule, At(12, 0, 30));  // shown: the 12:00 chime, then hidden in minute 0
  FireAtTheNextSlot(schedule);
  FireAtTheNextSlot(schedule, 4);  // a timer that fires a little early waits on
  FireAtTheNextSlot(schedule);
  every_half_hour = true;  // a new choice sets the timer again
  FireAtTheNextSlot(schedule);
  EXPECT_EQ(chimes, (std::vector<std::string>{"12:00:00", "13:00:00", "14:00:00", "14:30:00"}));
}

TEST_F(ChimeSlotTimerTest, AClockSetForwardWhileWaitingSetsTheTimerFromTheNewTime) {
  clock.Set(10, 17, 0);
  auto schedule = MakeSchedule();
  every_half_hour = true;
  clock.Set(10, 29, 59, 900);  // the clock is set; the timer is set again from it
  EXPECT_EQ(schedule.MillisecondsToNextSlot(), 100u);
  FireAtTheNextSlot(schedule);
  EXPECT_EQ(chimes, (std::vector<std::string>{"10:30:00"}));
}

// The schedule driving the real player: "Never" clears both entries, and the player's own test
// keeps a chime silent even when one comes through.
TEST(ChimeScheduleWithPlayer, MissingClipFailsTheChimeOnceWithItsText) {
  test::FakeMediaDevice device;
  test::FakeFadeTimer fade;
  SoundPlayer player(device, fade, "C:\\gone\\sounds", [] { return false; });
  FakeClock clock;
  clock.Set(7, 59, 59, 900);
  ChimeSchedule schedule(clock, {[] { return true; }, [] { return false; }},
                         [&player] { player.PlaySound(); });
  device.open_error = "The specified file was not found";
  int reports = 0;
  for (int tick = 0; tick < 300; ++tick) {
    clock.now_ms += kRefreshMs;
    try {
      schedule.CheckChime();
    } catch (const Error& error) {
      EXPECT_STREQ(error.what(), "The specified file was not found");
      ++reports;
    }
  }
  EXPECT_EQ(reports, 1);
  EXPECT_EQ(device.log, (std::vector<std::string>{"Open C:\\gone\\sounds\\JingleBells.mp3"}));
  EXPECT_FALSE(fade.on);
}

TEST(ChimeScheduleWithPlayer, NeverCheckedKeepsAChimeSilent) {
  test::FakeMediaDevice device;
  test::FakeFadeTimer fade;
  SoundPlayer player(device, fade, "C:\\Tindrel\\sounds", [] { return true; });
  FakeClock clock;
  clock.Set(7, 59, 59, 900);
  ChimeSchedule schedule(clock, {[] { return true; }, [] { return false; }},
                         [&player] { player.PlaySound(); });
  clock.Set(8, 0, 0, 120);
  schedule.CheckChime();
  EXPECT_TRUE(device.log.empty());
  EXPECT_EQ(schedule.LastMinute(), 0u);
}

}  // namespace
}  // namespace tindrel
