#pragma once
// When assistive technology is told that the widget's name (its caption) has changed. The caption
// changes every second, and a screen reader told of each change would read nothing else; so the
// change is told at most once a minute, and at once when the due date changes.

#include <cstdint>
#include <optional>

#include "base/date_time.h"

namespace tindrel {

class CaptionAnnouncer {
 public:
  static constexpr std::uint64_t kIntervalMs = 60'000;

  // A frame shows the caption counting down to `target`; `now_ms` is a reading of a steady clock
  // in milliseconds. True when the change is to be told now.
  bool Due(std::uint64_t now_ms, DateTime target);

 private:
  std::optional<std::uint64_t> last_told_ms_;
  std::optional<DateTime> last_target_;
};

}  // namespace tindrel
