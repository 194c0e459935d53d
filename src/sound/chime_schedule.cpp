#include "sound/chime_schedule.h"

#include <utility>

namespace tindrel {

std::optional<std::uint32_t> MillisecondsToNextChimeSlot(const LocalTimeParts& now,
                                                         bool every_hour_checked,
                                                         bool every_half_hour_checked) {
  if (!every_hour_checked && !every_half_hour_checked) return std::nullopt;
  const int next_minute = every_half_hour_checked && now.minute < 30 ? 30 : 60;
  const int ms = ((next_minute - now.minute) * 60 - now.second) * 1000 - now.millisecond;
  return static_cast<std::uint32_t>(ms);
}

ChimeSchedule::ChimeSchedule(Clock& clock, Entries entries, std::function<void()> play_sound)
    : clock_(clock),
      entries_(std::move(entries)),
      play_sound_(std::move(play_sound)),
      last_minute_(CurrentMinute()) {}

bool ChimeSchedule::Slot::operator==(const Slot& other) const {
  return year == other.year && month == other.month && day == other.day && hour == other.hour &&
         minute == other.minute;
}

void ChimeSchedule::CheckChime() {
  const LocalTimeParts now = clock_.NowParts();
  const auto minute = static_cast<unsigned>(now.minute);
  if (minute == last_minute_ && !minute_unknown_) return;
  last_minute_ = minute;
  minute_unknown_ = false;
  if (!ChimesAt(minute)) return;
  // A clock set back into a slot that has chimed already does not chime it again.
  const Slot slot{now.year, now.month, now.day, now.hour, now.minute};
  if (last_chimed_slot_ == slot) return;
  last_chimed_slot_ = slot;
  play_sound_();
}

void ChimeSchedule::Resync() {
  minute_unknown_ = true;
}

void ChimeSchedule::CheckChimeAtSlot() {
  Resync();
  CheckChime();
}

std::optional<std::uint32_t> ChimeSchedule::MillisecondsToNextSlot() const {
  return MillisecondsToNextChimeSlot(clock_.NowParts(), entries_.every_hour_checked(),
                                     entries_.every_half_hour_checked());
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
