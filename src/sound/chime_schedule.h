#pragma once
// The chime of the refresh tick: the current sound plays when the minute of the hour turns to 0
// (with "Every Hour" or "Every Half Hour" checked) or to 30 (with "Every Half Hour" checked).
// Only the minute of the hour is compared, so a minute missed entirely is never caught up. Each
// slot (the hour or half hour of one day) chimes at most once, however the clock is set.

#include <functional>
#include <optional>

#include "base/clock.h"

namespace tindrel {

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
