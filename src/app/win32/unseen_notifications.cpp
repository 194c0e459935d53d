#include "app/win32/unseen_notifications.h"

#include <wtsapi32.h>

#include <cstring>

namespace tindrel::win {
namespace {

// The console display's state (Windows 8 and later): 0 off, 1 on, 2 dimmed.
constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
// Its older form (Windows 7): 0 off, 1 on.
constexpr GUID kMonitorPowerOn = {
    0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

bool SameGuid(const GUID& a, const GUID& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

UnseenNotifications::UnseenNotifications(HWND window) : window_(window) {
  session_registered_ = WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION) != FALSE;
  display_ =
      RegisterPowerSettingNotification(window, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
  if (!display_) {
    display_ =
        RegisterPowerSettingNotification(window, &kMonitorPowerOn, DEVICE_NOTIFY_WINDOW_HANDLE);
  }
}

UnseenNotifications::~UnseenNotifications() {
  if (display_) UnregisterPowerSettingNotification(display_);
  if (session_registered_) WTSUnRegisterSessionNotification(window_);
}

std::optional<bool> SessionLockedBy(WPARAM session_change) {
  if (session_change == WTS_SESSION_LOCK) return true;
  if (session_change == WTS_SESSION_UNLOCK) return false;
  return std::nullopt;
}

std::optional<bool> DisplayOffFrom(LPARAM power_setting) {
  const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(power_setting);
  if (!setting || setting->DataLength < sizeof(DWORD)) return std::nullopt;
  if (!SameGuid(setting->PowerSetting, kConsoleDisplayState) &&
      !SameGuid(setting->PowerSetting, kMonitorPowerOn)) {
    return std::nullopt;
  }
  DWORD state = 0;
  std::memcpy(&state, setting->Data, sizeof state);
  return state == 0;
}

}  // namespace tindrel::win
