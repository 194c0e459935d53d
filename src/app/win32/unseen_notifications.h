#pragma once
// The system's word that nobody can see the widget although it is shown: the session is locked, or
// the display is off. The widget stops its frames then, as while it is hidden.

#include <windows.h>

#include <optional>

namespace tindrel::win {

// Asks the system to tell `window` of the session's locking and unlocking
// (WM_WTSSESSION_CHANGE) and of the display going off and on (WM_POWERBROADCAST with
// PBT_POWERSETTINGCHANGE); the requests are withdrawn when it goes. A request the system refuses
// is done without: the widget then only stops its frames when it is hidden.
class UnseenNotifications {
 public:
  explicit UnseenNotifications(HWND window);
  ~UnseenNotifications();
  UnseenNotifications(const UnseenNotifications&) = delete;
  UnseenNotifications& operator=(const UnseenNotifications&) = delete;

 private:
  HWND window_;
  bool session_registered_ = false;
  HPOWERNOTIFY display_ = nullptr;
};

// Whether a session change locks (true) or unlocks (false) the session; nothing for the others.
std::optional<bool> SessionLockedBy(WPARAM session_change);

// Whether the display is off, from the setting a PBT_POWERSETTINGCHANGE broadcast carries;
// nothing when it is about another setting. A dimmed display can still be seen.
std::optional<bool> DisplayOffFrom(LPARAM power_setting);

}  // namespace tindrel::win
