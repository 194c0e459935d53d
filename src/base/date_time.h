#pragma once
// The date-time value: days since 30 December 1899 00:00 local time, the time of day as the
// fraction, millisecond resolution.

namespace tindrel {

using DateTime = double;

struct LocalTimeParts {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

}  // namespace tindrel
