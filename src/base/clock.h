#pragma once
// The source of the current local instant. It is a seam so that tests can set any instant.

#include "base/date_time.h"

namespace tindrel {

class Clock {
 public:
  virtual ~Clock() = default;
  // The current local instant, read to the millisecond.
  virtual LocalTimeParts NowParts() = 0;
};

}  // namespace tindrel
