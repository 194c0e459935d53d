#pragma once
// The source of the current local instant and of the local time zone's rules. It is a seam so that
// tests can set any instant and any zone.

#include <cstdint>

#include "base/date_time.h"

namespace tindrel {

// A local instant and how far the local clock is then ahead of UTC, in milliseconds (negative
// west of Greenwich).
struct ZonedTimeParts {
  LocalTimeParts local;
  std::int64_t utc_offset_ms = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // The current local instant, read to the millisecond.
  virtual LocalTimeParts NowParts() = 0;

  // The current local instant with the offset in force at that moment, both from one reading, so
  // that they agree also in the moment the clocks are changed. A clock that knows no time zone (a
  // test's) keeps local time as UTC.
  virtual ZonedTimeParts NowWithUtcOffset() { return {NowParts(), 0}; }
  // The offset the local time zone's rules give the local wall-clock time `local`; for a time the
  // clock shows twice, or skips, when it is changed, one of the two offsets around it.
  virtual std::int64_t UtcOffsetAt(const LocalTimeParts& /*local*/) { return 0; }
};

}  // namespace tindrel
