#pragma once
// One widget per user session. The first start holds a mutex named for the session and the user;
// a later start of the same user finds it, brings the running widget into view through a
// registered message and ends. Another user, even in the same session, has another name and so
// gets a widget of their own.

#include <windows.h>

#include <string>

#include "base/win32/raii.h"

namespace tindrel::win {

inline constexpr wchar_t kShowWidgetMessageName[] = L"Tindrel.ShowWidget";
inline constexpr wchar_t kWidgetMutexPrefix[] = L"Local\\Tindrel.Widget.";

// The message a second start sends to the running widget's main window; 0 when the system has
// no message left to register.
UINT ShowWidgetMessage();

// The security identifier of the user that runs `process`, as text ("S-1-5-21-..."); empty when
// it cannot be read (a process of another user that this one may not look into).
std::wstring ProcessUserSid(HANDLE process);

class SingleInstanceLock {
 public:
  // Creates the mutex of the current user's widget, or opens it when a widget already runs. When
  // neither is possible the start goes on as the only one: a widget too many is better than none.
  SingleInstanceLock();

  // True when another start of the same user in this session holds the widget's mutex, also when
  // that start runs with rights that deny this one access to it.
  bool AlreadyRunning() const { return already_running_; }

 private:
  ScopedKernelHandle mutex_;
  bool already_running_ = false;
};

// Finds the running widget of the current user and asks it to show itself, waiting up to
// `patience_ms` for its window, which a start still under way may not have made yet. Returns
// false when no such window came up in time.
bool ShowRunningWidget(const wchar_t* main_window_class, DWORD patience_ms);

}  // namespace tindrel::win
