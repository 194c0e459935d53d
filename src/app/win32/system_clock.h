#pragma once
#include "base/clock.h"

namespace tindrel::win {

// The local wall clock, to the millisecond (GetLocalTime).
class SystemClock final : public Clock {
 public:
  LocalTimeParts NowParts() override;
};

}  // namespace tindrel::win
