#pragma once
// A clock with a time zone for the countdown's tests: it runs on UTC and shows local time.

#include <cstdint>
#include <utility>
#include <vector>

#include "app/countdown.h"
#include "base/clock.h"

namespace tindrel::test {

// A zone `standard_hours` ahead of UTC and an hour more in each summer, given from and to as UTC
// instants; its clock runs on UTC and shows local time.
class ZoneClock : public Clock {
 public:
  static constexpr std::int64_t kHourMs = 3'600'000;

  ZoneClock(int standard_hours, std::vector<std::pair<DateTime, DateTime>> summers_utc)
      : standard_ms_(standard_hours * kHourMs), summers_utc_(std::move(summers_utc)) {}

  void SetLocal(DateTime local) {
    utc_ms_ = MillisecondsOf(local) - UtcOffsetAt(DecodeDateTime(local));
  }
  void Advance(std::int64_t milliseconds) { utc_ms_ += milliseconds; }

  LocalTimeParts NowParts() override { return NowWithUtcOffset().local; }
  ZonedTimeParts NowWithUtcOffset() override {
    const std::int64_t offset = OffsetAtUtc(utc_ms_);
    const double local_days = static_cast<double>(utc_ms_ + offset) / kMillisecondsPerDay;
    return {DecodeDateTime(local_days), offset};
  }
  // A wall-clock time shown twice in autumn counts as summer time.
  std::int64_t UtcOffsetAt(const LocalTimeParts& local) override {
    const std::int64_t summer_ms = standard_ms_ + kHourMs;
    const std::int64_t wall_ms = MillisecondsOf(EncodeDateTime(local));
    return OffsetAtUtc(wall_ms - summer_ms) == summer_ms ? summer_ms : standard_ms_;
  }

 private:
  std::int64_t OffsetAtUtc(std::int64_t utc_ms) const {
    for (const auto& [from, to] : summers_utc_) {
      if (utc_ms >= MillisecondsOf(from) && utc_ms < MillisecondsOf(to))
        return standard_ms_ + kHourMs;
    }
    return standard_ms_;
  }

  std::int64_t standard_ms_;
  std::vector<std::pair<DateTime, DateTime>> summers_utc_;
  std::int64_t utc_ms_ = 0;
};

}  // namespace tindrel::test
