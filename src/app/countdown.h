#pragma once
// The countdown model: calendar arithmetic on date-time values, the four holidays the widget can
// count down to, the years shown in their menu captions, the instant of the chosen holiday and
// the caption text of the time left.
//
// Date-time values carry millisecond resolution. The arithmetic that produces visible figures
// works on whole milliseconds so that exact instants (23:59:59.000, midnight) never drift by a
// rounding step of the floating-point day count.

#include <array>
#include <cstdint>
#include <string>

#include "base/clock.h"

namespace tindrel {

inline constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

// The day count of a calendar date at 00:00 in the proleptic Gregorian calendar. Throws
// tindrel::Error for a year outside 1..9999 or a month or day that does not exist.
DateTime EncodeDate(int year, int month, int day);

// The date-time value of local clock parts, milliseconds included. Throws like EncodeDate, and
// for a time of day outside 00:00:00.000..23:59:59.999.
DateTime EncodeDateTime(const LocalTimeParts& parts);

// The calendar parts of a value, read to the nearest millisecond.
LocalTimeParts DecodeDateTime(DateTime value);

// The current local instant of the clock.
DateTime CurrentInstant(Clock& clock);

int YearOf(DateTime value);
int MinuteOf(DateTime value);

// The value rounded to whole milliseconds since 30 December 1899 00:00.
std::int64_t MillisecondsOf(DateTime value);

// The same month and day one year later at the same time of day; 29 February becomes 28
// February when the next year is not a leap year.
DateTime AddOneYear(DateTime value);

// The fractional part of the value, keeping its sign.
double TimePart(DateTime value);

// The absolute difference truncated to whole days.
std::int64_t WholeDaysBetween(DateTime a, DateTime b);

// The year of the next occurrence of month/day seen from `now`: the date in the year of `now` at
// 00:00, one year later when `now` is strictly later than it.
std::string DueYearText(DateTime now, int month, int day);

// One holiday of the Due Date submenu.
struct DueDateChoice {
  const char* item_name;
  int tag;
  int month;
  int day;
  const char* caption_prefix;
};

// The four holidays in menu order: December 24, December 25, January 1, January 7.
const std::array<DueDateChoice, 4>& DueDateChoices();

// The holiday a menu tag selects. Throws tindrel::Error for a tag that selects none.
const DueDateChoice& DueDateChoiceForTag(int tag);

// The caption a holiday's menu entry receives at window creation: prefix and year.
std::string DueDateCaption(const DueDateChoice& choice, DateTime now);

// The next occurrence of the tagged holiday at 00:00 seen from `now`.
DateTime DueTargetFor(int tag, DateTime now);

// The due-date tooltip.
inline constexpr const char* kDueDateTipTitle = "Countdown";
inline constexpr std::uint32_t kDueDateTipBackColor = 0x00FF0000;  // blue, 0x00BBGGRR
inline constexpr std::uint32_t kDueDateTipTextColor = 0x00800000;  // navy
inline constexpr std::size_t kDueDateTipMaxChars = 256;

// "Till " and the entry's caption as it stands (an accelerator "&" included), in UTF-16 and cut
// to at most 256 code units without splitting a surrogate pair.
std::u16string DueDateTipText(const std::string& caption);

// What choosing a holiday entry yields: the tooltip text and the new due instant.
struct DueDateApplication {
  std::u16string tip_text;
  DateTime target = 0;
};
DueDateApplication ApplyDueDate(const std::string& caption, int tag, DateTime now);

// The caption of the time left: "D days, hh:mm:ss"; after the due instant it counts the time
// elapsed since it. Both instants are taken on one offset from UTC.
std::string RemainingTimeText(DateTime target, DateTime now);

// The caption of the real time left from the clock's current instant to the due instant, the
// local midnight `target` as the zone's rules place it: a change of daylight saving time in
// between counts. Without one, the caption is that of RemainingTimeText(target, now).
std::string RemainingTimeText(DateTime target, Clock& clock);

}  // namespace tindrel
