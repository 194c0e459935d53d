#pragma once
// A local clock set by the test, kept as milliseconds since midnight of 24 December 2024; a count
// beyond a day runs into the days after.

#include "base/clock.h"

namespace tindrel::test {

class FakeClock : public Clock {
 public:
  static constexpr int kMsPerDay = 24 * 3600 * 1000;

  LocalTimeParts NowParts() override {
    LocalTimeParts parts;
    parts.year = 2024;
    parts.month = 12;
    parts.day = 24 + now_ms / kMsPerDay;
    const int ms = now_ms % kMsPerDay;
    parts.hour = ms / 3600000;
    parts.minute = ms / 60000 % 60;
    parts.second = ms / 1000 % 60;
    parts.millisecond = ms % 1000;
    return parts;
  }
  void Set(int hour, int minute, int second, int millisecond = 0) {
    now_ms = ((hour * 60 + minute) * 60 + second) * 1000 + millisecond;
  }
  int now_ms = 0;
};

}  // namespace tindrel::test
