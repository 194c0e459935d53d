#pragma once
// The DPI a window is drawn at, on every Windows the builds run on.

#include <windows.h>

#include "base/win32/raii.h"

namespace tindrel::win {

// What the system reports for the window (Windows 10 version 1607 and later look it up for the
// monitor the window is on); on older systems, which scale every window of a program alike, the
// screen's logical pixels per inch.
int WindowDpi(HWND window);

// The size in pixels, square, of the icon the notification area shows at the system's DPI.
int NotificationIconSize();

// The icon resource's image made for NotificationIconSize(), rather than one the shell would have
// to shrink; null when the resource is missing.
ScopedIcon LoadNotificationIcon(HINSTANCE instance, WORD resource);

}  // namespace tindrel::win
