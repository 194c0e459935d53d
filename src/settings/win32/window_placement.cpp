#include "settings/win32/window_placement.h"

#include "base/error.h"
#include "base/win32/last_error.h"
#include "base/win32/raii.h"

namespace tindrel::win {

WindowPlacementData ReadWindowPlacement(HWND window) {
  WINDOWPLACEMENT native{};
  native.length = sizeof(native);
  if (!GetWindowPlacement(window, &native)) ThrowLastError("GetWindowPlacement");
  WindowPlacementData placement;
  placement.flags = native.flags;
  placement.show_cmd = native.showCmd;
  placement.min_position = {native.ptMinPosition.x, native.ptMinPosition.y};
  placement.max_position = {native.ptMaxPosition.x, native.ptMaxPosition.y};
  placement.normal_position = {native.rcNormalPosition.left, native.rcNormalPosition.top,
                               native.rcNormalPosition.right, native.rcNormalPosition.bottom};
  return placement;
}

void ApplyWindowPlacement(HWND window, const WindowPlacementData& placement) {
  WINDOWPLACEMENT native{};
  native.length = sizeof(native);
  native.flags = placement.flags;
  native.showCmd = placement.show_cmd;
  native.ptMinPosition = {placement.min_position.x, placement.min_position.y};
  native.ptMaxPosition = {placement.max_position.x, placement.max_position.y};
  native.rcNormalPosition = {placement.normal_position.left, placement.normal_position.top,
                             placement.normal_position.right, placement.normal_position.bottom};
  if (!SetWindowPlacement(window, &native)) ThrowLastError("SetWindowPlacement");
}

namespace {

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoW(monitor, &info)) {
    reinterpret_cast<std::vector<PlacementRect>*>(areas)->push_back(
        {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom});
  }
  return TRUE;
}

}  // namespace

std::vector<PlacementRect> MonitorWorkAreas() {
  std::vector<PlacementRect> areas;
  EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
  return areas;
}

int ScreenPixelsPerInch() {
  const ScopedWindowDc screen(nullptr);
  if (!screen.get()) ThrowLastError("GetDC");
  const int pixels_per_inch = GetDeviceCaps(screen.get(), LOGPIXELSY);
  // Font sizes are converted with this value for the whole run: a nonsensical one would store a
  // wrong "FontSize" at the next save.
  if (pixels_per_inch <= 0) ThrowLastError("GetDeviceCaps");
  return pixels_per_inch;
}

}  // namespace tindrel::win
