#include "app/win32/window_dpi.h"

#include "base/win32/raii.h"
#include "settings/win32/window_placement.h"

namespace tindrel::win {
namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

// Looked up rather than linked: the x86 build also runs on systems that lack the call.
GetDpiForWindowFunction FindGetDpiForWindow() {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32) return nullptr;
  const FARPROC address = GetProcAddress(user32, "GetDpiForWindow");
  return reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void (*)()>(address));
}

}  // namespace

int WindowDpi(HWND window) {
  static const GetDpiForWindowFunction get_dpi_for_window = FindGetDpiForWindow();
  if (get_dpi_for_window) {
    if (const UINT dpi = get_dpi_for_window(window)) return static_cast<int>(dpi);
  }
  return ScreenPixelsPerInch();
}

int NotificationIconSize() {
  const int size = GetSystemMetrics(SM_CXSMICON);
  return size > 0 ? size : 16;
}

ScopedIcon LoadNotificationIcon(HINSTANCE instance, WORD resource) {
  const int size = NotificationIconSize();
  return ScopedIcon(static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(resource), IMAGE_ICON, size, size, 0)));
}

}  // namespace tindrel::win
