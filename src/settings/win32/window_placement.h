#pragma once
// The window-system side of the settings store's window needs: the placement in and out of
// WINDOWPLACEMENT, and the screen measures.

#include <windows.h>

#include <vector>

#include "settings/settings_store.h"

namespace tindrel::win {

// GetWindowPlacement / SetWindowPlacement; both throw Error with the system's text on failure.
WindowPlacementData ReadWindowPlacement(HWND window);
void ApplyWindowPlacement(HWND window, const WindowPlacementData& placement);

// LOGPIXELSY of the screen; measured once at start by the caller. Throws Error when the screen's
// device context cannot be had.
int ScreenPixelsPerInch();

// The work area of every monitor (its rectangle without the taskbar and docked bars), in screen
// coordinates; empty when the system cannot list them.
std::vector<PlacementRect> MonitorWorkAreas();

}  // namespace tindrel::win
