#include "app/countdown.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/error.h"
#include "base/stored_names.h"
#include "base/utf16.h"

namespace tindrel {
namespace {

// 1899-12-30, day 0 of the date-time value, counted from 1970-01-01.
constexpr std::int64_t kEpochOffsetFrom1970 = -25569;

// Beyond the years 1..9999 by a wide margin, and far inside the exact integer range of a double
// once scaled to milliseconds.
constexpr double kLargestDayCount = 1.0e7;

constexpr std::int64_t kMillisecondsPerHour = 3'600'000;
constexpr std::int64_t kMillisecondsPerMinute = 60'000;
constexpr std::int64_t kMillisecondsPerSecond = 1'000;

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Days since 1970-01-01 of a proleptic Gregorian date (the era-based civil calendar algorithm).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = FloorDiv(year, 400);
  const std::int64_t year_of_era = year - era * 400;
  const std::int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

struct CivilDate {
  int year;
  int month;
  int day;
};

CivilDate CivilFromDays(std::int64_t days_since_1970) {
  const std::int64_t z = days_since_1970 + 719468;
  const std::int64_t era = FloorDiv(z, 146097);
  const std::int64_t day_of_era = z - era * 146097;
  const std::int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t shifted_month = (5 * day_of_year + 2) / 153;
  const int day = static_cast<int>(day_of_year - (153 * shifted_month + 2) / 5 + 1);
  const int month = static_cast<int>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
  const int year = static_cast<int>(year_of_era + era * 400 + (month <= 2 ? 1 : 0));
  return {year, month, day};
}

void CheckDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month)) {
    throw Error("Invalid date " + std::to_string(year) + "-" + std::to_string(month) + "-" +
                std::to_string(day));
  }
}

std::int64_t MillisecondOfDay(const LocalTimeParts& parts) {
  if (parts.hour < 0 || parts.hour > 23 || parts.minute < 0 || parts.minute > 59 ||
      parts.second < 0 || parts.second > 59 || parts.millisecond < 0 || parts.millisecond > 999) {
    throw Error("Invalid time of day");
  }
  return parts.hour * kMillisecondsPerHour + parts.minute * kMillisecondsPerMinute +
         parts.second * kMillisecondsPerSecond + parts.millisecond;
}

// "D days, hh:mm:ss" of a distance in milliseconds; the seconds are truncated.
std::string TimeLeftText(std::int64_t distance) {
  const std::int64_t days = distance / kMillisecondsPerDay;
  const std::int64_t of_day = distance % kMillisecondsPerDay;
  char time_of_day[16];
  std::snprintf(time_of_day, sizeof time_of_day, "%02d:%02d:%02d",
                static_cast<int>(of_day / kMillisecondsPerHour),
                static_cast<int>(of_day / kMillisecondsPerMinute % 60),
                static_cast<int>(of_day % kMillisecondsPerMinute / kMillisecondsPerSecond));
  return std::to_string(days) + " days, " + time_of_day;
}

DateTime NextOccurrence(DateTime now, int month, int day) {
  const DateTime date = EncodeDate(YearOf(now), month, day);
  return MillisecondsOf(now) > MillisecondsOf(date) ? AddOneYear(date) : date;
}

}  // namespace

DateTime EncodeDate(int year, int month, int day) {
  CheckDate(year, month, day);
  return static_cast<DateTime>(DaysFromCivil(year, month, day) - kEpochOffsetFrom1970);
}

DateTime EncodeDateTime(const LocalTimeParts& parts) {
  const std::int64_t millisecond_of_day = MillisecondOfDay(parts);
  return EncodeDate(parts.year, parts.month, parts.day) +
         static_cast<double>(millisecond_of_day) / static_cast<double>(kMillisecondsPerDay);
}

std::int64_t MillisecondsOf(DateTime value) {
  if (!std::isfinite(value) || std::fabs(value) > kLargestDayCount) {
    throw Error("Invalid date-time value");
  }
  return std::llround(value * static_cast<double>(kMillisecondsPerDay));
}

LocalTimeParts DecodeDateTime(DateTime value) {
  const std::int64_t milliseconds = MillisecondsOf(value);
  const std::int64_t day = FloorDiv(milliseconds, kMillisecondsPerDay);
  const std::int64_t of_day = milliseconds - day * kMillisecondsPerDay;
  const CivilDate date = CivilFromDays(day + kEpochOffsetFrom1970);
  LocalTimeParts parts;
  parts.year = date.year;
  parts.month = date.month;
  parts.day = date.day;
  parts.hour = static_cast<int>(of_day / kMillisecondsPerHour);
  parts.minute = static_cast<int>(of_day / kMillisecondsPerMinute % 60);
  parts.second = static_cast<int>(of_day / kMillisecondsPerSecond % 60);
  parts.millisecond = static_cast<int>(of_day % kMillisecondsPerSecond);
  return parts;
}

DateTime CurrentInstant(Clock& clock) {
  return EncodeDateTime(clock.NowParts());
}

int YearOf(DateTime value) {
  return DecodeDateTime(value).year;
}

int MinuteOf(DateTime value) {
  return DecodeDateTime(value).minute;
}

DateTime AddOneYear(DateTime value) {
  LocalTimeParts parts = DecodeDateTime(value);
  parts.year += 1;
  if (parts.day > DaysInMonth(parts.year, parts.month))
    parts.day = DaysInMonth(parts.year, parts.month);
  return EncodeDateTime(parts);
}

double TimePart(DateTime value) {
  double whole = 0;
  return std::modf(value, &whole);
}

std::int64_t WholeDaysBetween(DateTime a, DateTime b) {
  return std::llabs(MillisecondsOf(a) - MillisecondsOf(b)) / kMillisecondsPerDay;
}

std::string DueYearText(DateTime now, int month, int day) {
  return std::to_string(YearOf(NextOccurrence(now, month, day)));
}

const std::array<DueDateChoice, 4>& DueDateChoices() {
  static constexpr std::array<DueDateChoice, 4> kChoices = {{
      {item_names::kDueChristmasEve, 3, 12, 24, "Christmas - December 24 "},
      {item_names::kDueChristmas, 0, 12, 25, "Christmas - December 25 "},
      {item_names::kDueNewYear, 1, 1, 1, "New Year - January 1 "},
      {item_names::kDueJulianChristmas, 2, 1, 7, "Julian Christmas - January 7 "},
  }};
  return kChoices;
}

const DueDateChoice& DueDateChoiceForTag(int tag) {
  for (const DueDateChoice& choice : DueDateChoices()) {
    if (choice.tag == tag) return choice;
  }
  throw Error("No due date has the tag " + std::to_string(tag));
}

std::string DueDateCaption(const DueDateChoice& choice, DateTime now) {
  return choice.caption_prefix + DueYearText(now, choice.month, choice.day);
}

DateTime DueTargetFor(int tag, DateTime now) {
  const DueDateChoice& choice = DueDateChoiceForTag(tag);
  return NextOccurrence(now, choice.month, choice.day);
}

std::u16string DueDateTipText(const std::string& caption) {
  std::u16string text = Utf8ToUtf16("Till " + caption);
  if (text.size() > kDueDateTipMaxChars) {
    text.resize(kDueDateTipMaxChars);
    if (text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
  }
  return text;
}

DueDateApplication ApplyDueDate(const std::string& caption, int tag, DateTime now) {
  return {DueDateTipText(caption), DueTargetFor(tag, now)};
}

std::string RemainingTimeText(DateTime target, DateTime now) {
  // Whole milliseconds make the days and the left-over time of day exact: before the due instant
  // the remainder is the time left after the whole days, after it the time elapsed beyond them.
  return TimeLeftText(std::llabs(MillisecondsOf(target) - MillisecondsOf(now)));
}

std::string RemainingTimeText(DateTime target, Clock& clock) {
  const ZonedTimeParts now = clock.NowWithUtcOffset();
  const std::int64_t target_offset = clock.UtcOffsetAt(DecodeDateTime(target));
  // The wall-clock distance, less the time the clocks are put forward in between (or plus the
  // time they are put back).
  const std::int64_t wall = MillisecondsOf(target) - MillisecondsOf(EncodeDateTime(now.local));
  return TimeLeftText(std::llabs(wall - (target_offset - now.utc_offset_ms)));
}

}  // namespace tindrel
