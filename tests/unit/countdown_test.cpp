#include "app/countdown.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "base/error.h"
#include "doubles/fake_clock.h"

namespace tindrel {
namespace {

DateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
            int millisecond = 0) {
  return EncodeDateTime({year, month, day, hour, minute, second, millisecond});
}

constexpr int kChristmas = 0;
constexpr int kNewYear = 1;
constexpr int kJulianChristmas = 2;
constexpr int kChristmasEve = 3;

TEST(CalendarEncoding, DayCountsFromTheLastDaysOf1899) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
  EXPECT_EQ(EncodeDate(2024, 12, 25), 45651.0);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
}

TEST(CalendarEncoding, LeapYearsFollowTheGregorianRule) {
  EXPECT_EQ(EncodeDate(2024, 3, 1) - EncodeDate(2024, 2, 28), 2.0);
  EXPECT_EQ(EncodeDate(2023, 3, 1) - EncodeDate(2023, 2, 28), 1.0);
  EXPECT_EQ(EncodeDate(1900, 3, 1) - EncodeDate(1900, 2, 28), 1.0);
  EXPECT_EQ(EncodeDate(2000, 3, 1) - EncodeDate(2000, 2, 28), 2.0);
  EXPECT_NO_THROW(EncodeDate(2024, 2, 29));
  EXPECT_THROW(EncodeDate(2023, 2, 29), Error);
  EXPECT_THROW(EncodeDate(1900, 2, 29), Error);
}

TEST(CalendarEncoding, RejectsDatesAndTimesThatDoNotExist) {
  EXPECT_THROW(EncodeDate(2024, 13, 1), Error);
  EXPECT_THROW(EncodeDate(2024, 4, 31), Error);
  EXPECT_THROW(EncodeDate(0, 1, 1), Error);
  EXPECT_THROW(EncodeDate(10000, 1, 1), Error);
  EXPECT_THROW(At(2024, 1, 1, 24), Error);
  EXPECT_THROW(At(2024, 1, 1, 0, 0, 0, 1000), Error);
  EXPECT_THROW(MillisecondsOf(std::numeric_limits<double>::infinity()), Error);
}

// The parts of a local instant in the order they are written, for comparisons.
std::vector<int> Fields(const LocalTimeParts& parts) {
  return {parts.year,   parts.month,  parts.day,        parts.hour,
          parts.minute, parts.second, parts.millisecond};
}

// The parts written as a date and a time, for the test's output.
std::string Written(const LocalTimeParts& parts) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", parts.year, parts.month,
                parts.day, parts.hour, parts.minute, parts.second, parts.millisecond);
  return text;
}

struct Instant {
  LocalTimeParts parts;
  friend void PrintTo(const Instant& instant, std::ostream* out) { *out << Written(instant.parts); }
};

class CalendarRoundTrip : public ::testing::TestWithParam<Instant> {};

TEST_P(CalendarRoundTrip, EncodedPartsDecodeBackToTheMillisecond) {
  const LocalTimeParts& parts = GetParam().parts;
  EXPECT_EQ(Fields(DecodeDateTime(EncodeDateTime(parts))), Fields(parts));
}

// The last millisecond before Christmas, the first after a leap day's midnight, an evening before
// day 0 and the last instant of the calendar.
INSTANTIATE_TEST_SUITE_P(FromTheFirstYearsToTheLast, CalendarRoundTrip,
                         ::testing::Values(Instant{{2024, 12, 24, 23, 59, 59, 999}},
                                           Instant{{2024, 2, 29, 0, 0, 0, 1}},
                                           Instant{{1899, 12, 29, 18, 0, 0, 0}},
                                           Instant{{9999, 12, 31, 23, 59, 59, 999}}));

TEST(CalendarEncoding, TimeOfDayIsTheFraction) {
  EXPECT_EQ(At(1899, 12, 30, 12), 0.5);
  EXPECT_EQ(YearOf(At(2024, 12, 31, 23, 59, 59, 999)), 2024);
  EXPECT_EQ(MinuteOf(At(2024, 6, 1, 13, 29, 59, 999)), 29);
  EXPECT_EQ(MinuteOf(At(2024, 6, 1, 13, 30)), 30);
}

TEST(CalendarArithmetic, AddOneYearKeepsTheTimeAndClampsTheLeapDay) {
  EXPECT_EQ(AddOneYear(At(2024, 12, 25)), At(2025, 12, 25));
  EXPECT_EQ(AddOneYear(At(2024, 2, 29, 12, 34, 56, 789)), At(2025, 2, 28, 12, 34, 56, 789));
  EXPECT_EQ(AddOneYear(At(2023, 3, 1, 6)), At(2024, 3, 1, 6));
}

TEST(CalendarArithmetic, TimePartKeepsItsSignAndWholeDaysAreTruncated) {
  EXPECT_EQ(TimePart(2.75), 0.75);
  EXPECT_EQ(TimePart(-1.25), -0.25);
  EXPECT_EQ(WholeDaysBetween(0.0, 1.999), 1);
  EXPECT_EQ(WholeDaysBetween(10.0, 3.5), 6);
  EXPECT_EQ(WholeDaysBetween(At(2024, 12, 25), At(2024, 12, 24, 0, 0, 0, 1)), 0);
  EXPECT_EQ(WholeDaysBetween(At(2024, 12, 25), At(2024, 12, 24)), 1);
}

TEST(CalendarArithmetic, CurrentInstantReadsTheClockSeam) {
  test::FakeClock clock;
  clock.Set(23, 59, 59, 250);
  EXPECT_EQ(CurrentInstant(clock), At(2024, 12, 24, 23, 59, 59, 250));
}

TEST(DueYear, MidnightOfTheDueDayStaysInTheYearAndOneMillisecondLaterMovesOn) {
  EXPECT_EQ(DueYearText(At(2024, 12, 25), 12, 25), "2024");
  EXPECT_EQ(DueYearText(At(2024, 12, 25, 0, 0, 0, 1), 12, 25), "2025");
  EXPECT_EQ(DueYearText(At(2024, 12, 24, 23, 59, 59, 999), 12, 25), "2024");
  EXPECT_EQ(DueYearText(At(2025, 1, 3), 1, 1), "2026");
  EXPECT_EQ(DueYearText(At(2025, 1, 3), 1, 7), "2025");
}

TEST(DueYear, CaptionsMadeAtCreationCarryTheNextOccurrence) {
  const DateTime january_third = At(2025, 1, 3, 9);
  const auto& choices = DueDateChoices();
  EXPECT_EQ(DueDateCaption(choices[0], january_third), "Christmas - December 24 2025");
  EXPECT_EQ(DueDateCaption(choices[1], january_third), "Christmas - December 25 2025");
  EXPECT_EQ(DueDateCaption(choices[2], january_third), "New Year - January 1 2026");
  EXPECT_EQ(DueDateCaption(choices[3], january_third), "Julian Christmas - January 7 2025");
}

struct HolidayCase {
  int tag;
  LocalTimeParts due_from_summer_2024;
  friend void PrintTo(const HolidayCase& holiday, std::ostream* out) {
    *out << "tag " << holiday.tag << ", due " << Written(holiday.due_from_summer_2024);
  }
};

class DueTargetOfTag : public ::testing::TestWithParam<HolidayCase> {};

TEST_P(DueTargetOfTag, TagsSelectTheirHolidays) {
  EXPECT_EQ(DueTargetFor(GetParam().tag, At(2024, 7, 1, 12)),
            EncodeDateTime(GetParam().due_from_summer_2024));
}

INSTANTIATE_TEST_SUITE_P(TheFourHolidays, DueTargetOfTag,
                         ::testing::Values(HolidayCase{kChristmas, {2024, 12, 25}},
                                           HolidayCase{kNewYear, {2025, 1, 1}},
                                           HolidayCase{kJulianChristmas, {2025, 1, 7}},
                                           HolidayCase{kChristmasEve, {2024, 12, 24}}));

TEST(DueTarget, TagsOfNoHolidayAreRefused) {
  const DateTime summer = At(2024, 7, 1, 12);
  EXPECT_THROW(DueTargetFor(4, summer), Error);
  EXPECT_THROW(DueTargetFor(-1, summer), Error);
}

TEST(DueTarget, OneSecondBeforeChristmasCountsTheLastSecond) {
  const DateTime now = At(2024, 12, 24, 23, 59, 59);
  const DateTime target = DueTargetFor(kChristmas, now);
  EXPECT_EQ(target, At(2024, 12, 25));
  EXPECT_EQ(RemainingTimeText(target, now), "0 days, 00:00:01");
  EXPECT_EQ(RemainingTimeText(target, At(2024, 12, 24, 23, 59, 59, 1)), "0 days, 00:00:00");
  EXPECT_EQ(RemainingTimeText(target, At(2024, 12, 24, 23, 59, 59, 999)), "0 days, 00:00:00");
}

TEST(DueTarget, EveryInstantOfChristmasDayAfterMidnightCountsToNextYear) {
  EXPECT_EQ(DueTargetFor(kChristmas, At(2024, 12, 25)), At(2024, 12, 25));
  const DateTime just_after = At(2024, 12, 25, 0, 0, 0, 1);
  EXPECT_EQ(DueTargetFor(kChristmas, just_after), At(2025, 12, 25));
  EXPECT_EQ(RemainingTimeText(DueTargetFor(kChristmas, just_after), just_after),
            "364 days, 23:59:59");
  const DateTime last = At(2024, 12, 25, 23, 59, 59, 999);
  EXPECT_EQ(RemainingTimeText(DueTargetFor(kChristmas, last), last), "364 days, 00:00:00");
  // From Christmas 2023 the next one lies beyond 29 February 2024.
  const DateTime leap_span = At(2023, 12, 25, 0, 0, 0, 1);
  EXPECT_EQ(RemainingTimeText(DueTargetFor(kChristmas, leap_span), leap_span),
            "365 days, 23:59:59");
}

TEST(DueTarget, NewYearChosenOnJanuaryThirdIsNextYears) {
  const DateTime now = At(2025, 1, 3, 10, 15);
  EXPECT_EQ(DueTargetFor(kNewYear, now), At(2026, 1, 1));
  EXPECT_EQ(DueYearText(now, 1, 1), "2026");
}

TEST(RemainingTime, FormatsDaysAndTwoDigitTime) {
  const DateTime target = At(2024, 12, 25);
  EXPECT_EQ(RemainingTimeText(target, At(2024, 12, 12, 18, 52, 51)), "12 days, 05:07:09");
  // Seconds are truncated, not rounded.
  EXPECT_EQ(RemainingTimeText(target, At(2024, 12, 12, 18, 52, 50, 1)), "12 days, 05:07:09");
  EXPECT_EQ(RemainingTimeText(target, target), "0 days, 00:00:00");
}

TEST(RemainingTime, CountsUpAfterTheDueInstant) {
  const DateTime target = At(2024, 12, 25);
  EXPECT_EQ(RemainingTimeText(target, At(2024, 12, 25, 1)), "0 days, 01:00:00");
  EXPECT_EQ(RemainingTimeText(target, At(2024, 12, 26, 1)), "1 days, 01:00:00");
  EXPECT_EQ(RemainingTimeText(target, At(2024, 12, 25, 0, 0, 0, 999)), "0 days, 00:00:00");
}

TEST(RemainingTime, TargetZeroCountsTheDaysSinceTheEpoch) {
  EXPECT_EQ(RemainingTimeText(0.0, At(2024, 12, 25, 12)), "45651 days, 12:00:00");
}

TEST(RemainingTime, EveryWholeSecondOfTheLastDayGivesItsExactText) {
  const DateTime target = At(2024, 12, 25);
  for (int second_of_day = 0; second_of_day < 86400; ++second_of_day) {
    const DateTime now =
        At(2024, 12, 24, second_of_day / 3600, second_of_day / 60 % 60, second_of_day % 60);
    const int left = 86400 - second_of_day;
    char expected[40];
    std::snprintf(expected, sizeof expected, "%d days, %02d:%02d:%02d", left / 86400,
                  left % 86400 / 3600, left / 60 % 60, left % 60);
    ASSERT_EQ(RemainingTimeText(target, now), expected) << "second " << second_of_day;
  }
}

TEST(DueDateTip, IsTillAndTheCaptionAsTheEntryHoldsIt) {
  EXPECT_EQ(DueDateTipText("Christmas - December 25 2024"), u"Till Christmas - December 25 2024");
  EXPECT_EQ(DueDateTipText("&Christmas - December 25 2024"), u"Till &Christmas - December 25 2024");
  EXPECT_EQ(DueDateTipText("No\xC3\xABl"), u"Till No\u00EBl");
  EXPECT_EQ(DueDateTipText("bad \xFF"), u"Till bad \uFFFD");
}

TEST(DueDateTip, KeepsAtMost256CodeUnitsWithoutSplittingAPair) {
  const std::u16string long_tip = DueDateTipText(std::string(300, 'x'));
  EXPECT_EQ(long_tip.size(), 256u);
  EXPECT_EQ(long_tip.substr(0, 6), u"Till x");
  // 5 + 250 units, then a character that needs a surrogate pair.
  const std::u16string cut = DueDateTipText(std::string(250, 'a') + "\xF0\x9F\x8E\x84");
  EXPECT_EQ(cut.size(), 255u);
  EXPECT_EQ(cut.back(), u'a');
}

TEST(DueDateTip, ApplyingAChoiceGivesTipAndTarget) {
  const DueDateApplication applied =
      ApplyDueDate("New Year - January 1 2026", kNewYear, At(2025, 1, 3));
  EXPECT_EQ(applied.tip_text, u"Till New Year - January 1 2026");
  EXPECT_EQ(applied.target, At(2026, 1, 1));
}

}  // namespace
}  // namespace tindrel
