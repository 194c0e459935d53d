#pragma once
// Small actions on the widget's window, each a Win32 call or two. Those that throw raise the
// program's error with the system's text of the failed call.

#include <windows.h>

#include "settings/screen_fit.h"

namespace tindrel::win {

// Gives the window per-pixel alpha; returns the system error code, 0 on success.
DWORD MakeLayered(HWND window);
// Owned by the desktop, the window stays out of the taskbar whoever owned it before.
void ReownToDesktop(HWND window);
// Moves the window onto a monitor when it does not show on any (monitors or work areas changed,
// or a stored place off every screen), and back to its stored place once that shows again.
void KeepOnScreen(HWND window, ScreenKeeper& keeper);
void SetAlwaysOnTop(HWND window, bool on_top);
// Hands the window to the system's own move loop, which drags it with the mouse. True when the
// window ended the drag in another place.
bool DragWindow(HWND window);
// Where a context menu asked for by WM_CONTEXTMENU opens: the point a click carries, or the
// middle of the window for one asked for from the keyboard (the context-menu key, Shift+F10).
POINT ContextMenuPoint(HWND window, LPARAM lparam);

}  // namespace tindrel::win
