#pragma once
// The chime of the refresh tick: the current sound plays when the minute of the hour turns to 0
// (with "Every Hour" or "Every Half Hour" checked) or to 30 (with "Every Half Hour" checked).
// Only the minute of the hour is compared, so a minute missed entirely is never caught up. Each
// slot (the hour or half hour of one day) chimes at most once, however the clock is set.

#include <cstdint>
#include <functional>
#include <optional>

#include "base/clock.h"

namespace tindrel {

// How long it is from `now` until the next minute at which a chime can fall due, in
// milliseconds: the next top of the hour, or the next half hour as well with
// `every_half_hour_checked`; nothing when neither entry is checked. A minute that has begun is
// passed: from 12:00:00.000 on, the next slot is 12:30 or 13:00.
std::optional<std::uint32_t> MillisecondsToNextChimeSlot(const LocalTimeParts& now,
                                                         bool every_hour_checked,
                                                         bool every_half_hour_checked);

class ChimeSchedule {
 public:
  // The two schedule entries that can call for a chime, read at each check.
  struct Entries {
    std::function<bool()> every_hour_checked;
    std::function<bool()> every_half_hour_checked;
  };

  // Records the current minute, so that a start within minute 0 or 30 does not chime in it.
  ChimeSchedule(Clock& clock, Entries entries, std::function<void()> play_sound);

  // The chime check, run by each refresh tick after its frame. A minute counts as done before its
  // chime plays: a chime that fails propagates its error once and is not tried again in that
  // minute, so the ticks that follow cannot stack up error reports.
  void CheckChime();

  // The clock jumped (the machine woke from sleep, the user set the clock): the minute seen before
  // says nothing about the minute now. The next check decides from the clock alone, so the slot
  // the clock is now in may chime once, if it is not done yet, and no slot passed over chimes.
  void Resync();

  // The check of a timer set for a slot (MillisecondsToNextSlot) while no ticks run: it decides
  // from the clock alone, as after a clock jump, so the slot the clock is now in chimes once if it
  // is due and not done yet.
  void CheckChimeAtSlot();

  // MillisecondsToNextChimeSlot from the clock now and the entries as they are checked now.
  std::optional<std::uint32_t> MillisecondsToNextSlot() const;

  // The minute of the hour seen by the previous check (0..59).
  unsigned LastMinute() const { return last_minute_; }

 private:
  // The minute of one day in which a chime falls due, told apart from the same minute of other
  // hours and days.
  struct Slot {
    int year, month, day, hour, minute;
    bool operator==(const Slot& other) const;
  };

  unsigned CurrentMinute() const;
  bool ChimesAt(unsigned minute) const;

  Clock& clock_;
  Entries entries_;
  std::function<void()> play_sound_;
  unsigned last_minute_;
  // Set by Resync: the next check takes any minute as new.
  bool minute_unknown_ = false;
  std::optional<Slot> last_chimed_slot_;
};

}  // namespace tindrel
