#include "sound/chime_schedule.h"

#include <utility>

namespace tindrel {

ChimeSchedule::ChimeSchedule(Clock& clock, Entries entries, std::function<void()> play_sound)
    : clock_(clock),
      entries_(std::move(entries)),
      play_sound_(std::move(play_sound)),
      last_minute_(CurrentMinute()) {}

void ChimeSchedule::CheckChime() {
  const unsigned minute = CurrentMinute();
  if (minute == last_minute_) return;
  last_minute_ = minute;
  if (ChimesAt(minute)) play_sound_();
}

unsigned ChimeSchedule::CurrentMinute() const {
  return static_cast<unsigned>(clock_.NowParts().minute);
}

bool ChimeSchedule::ChimesAt(unsigned minute) const {
  if (minute == 0) return entries_.every_hour_checked() || entries_.every_half_hour_checked();
  if (minute == 30) return entries_.every_half_hour_checked();
  return false;
}

}  // namespace tindrel
