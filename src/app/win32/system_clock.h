#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>

#include "base/clock.h"

namespace tindrel::win {

// The local wall clock, to the millisecond (GetLocalTime), and the rules of the time zone the
// system is set to.
class SystemClock final : public Clock {
 public:
  LocalTimeParts NowParts() override;
  ZonedTimeParts NowWithUtcOffset() override;
  // By the rules the system keeps for the year of `local`, else by the zone's current rules; the
  // offset now when neither gives an answer.
  std::int64_t UtcOffsetAt(const LocalTimeParts& local) override;
};

// How far `zone`'s local time is ahead of UTC at its wall-clock time `local`, in milliseconds;
// nothing when the system cannot convert that time.
std::optional<std::int64_t> UtcOffsetUnder(const TIME_ZONE_INFORMATION& zone,
                                           const LocalTimeParts& local);

}  // namespace tindrel::win
