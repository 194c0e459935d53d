#include "app/win32/window_actions.h"

#include "base/win32/last_error.h"
#include "settings/win32/window_placement.h"

namespace tindrel::win {
namespace {

constexpr WPARAM kDragCommand = SC_MOVE | HTCAPTION;  // 0xF012

}  // namespace

DWORD MakeLayered(HWND window) {
  const LONG style = GetWindowLongW(window, GWL_EXSTYLE);
  SetLastError(0);
  if (SetWindowLongW(window, GWL_EXSTYLE, style | WS_EX_LAYERED) == 0) return GetLastError();
  return 0;
}

void ReownToDesktop(HWND window) {
  SetWindowLongChecked(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(GetDesktopWindow()));
}

void KeepOnScreen(HWND window, ScreenKeeper& keeper) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) ThrowLastError("GetWindowRect");
  const auto moved =
      keeper.Refit(PlacementRect{rect.left, rect.top, rect.right, rect.bottom}, MonitorWorkAreas());
  if (!moved) return;
  if (!SetWindowPos(window, nullptr, moved->left, moved->top, 0, 0,
                    SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)) {
    ThrowLastError("SetWindowPos");
  }
}

void SetAlwaysOnTop(HWND window, bool on_top) {
  if (!SetWindowPos(window, on_top ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                    SWP_NOMOVE | SWP_NOSIZE)) {
    ThrowLastError("SetWindowPos");
  }
}

bool DragWindow(HWND window) {
  RECT before{};
  GetWindowRect(window, &before);
  // The move loop needs the capture released first.
  ReleaseCapture();
  SendMessageW(window, WM_SYSCOMMAND, kDragCommand, 0);
  // A window closed in the loop has no place left to tell.
  RECT after{};
  if (!GetWindowRect(window, &after)) return false;
  return after.left != before.left || after.top != before.top;
}

POINT ContextMenuPoint(HWND window, LPARAM lparam) {
  POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  // The keyboard's request carries -1 for both coordinates, whether or not its sign is extended
  // to the upper half of a 64-bit parameter.
  if (at.x != -1 || at.y != -1) return at;
  RECT rect{};
  if (!GetWindowRect(window, &rect)) {
    GetCursorPos(&at);
    return at;
  }
  return POINT{rect.left + (rect.right - rect.left) / 2, rect.top + (rect.bottom - rect.top) / 2};
}

}  // namespace tindrel::win
