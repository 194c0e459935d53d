#include "settings/win32/window_placement.h"

#include "base/error.h"
#include "base/win32/raii.h"

namespace tindrel::win {

WindowPlacementData ReadWindowPlacement(HWND window) {
  WINDOWPLACEMENT native{};
  native.length = sizeof(native);
  if (!GetWindowPlacement(window, &native)) ThrowLastError("GetWindowPlacement");
  WindowPlacementData placement;
  placement.flags = native.flags;
  placement.showCmd = native.showCmd;
  placement.minPosition = {native.ptMinPosition.x, native.ptMinPosition.y};
  placement.maxPosition = {native.ptMaxPosition.x, native.ptMaxPosition.y};
  placement.normalPosition = {native.rcNormalPosition.left, native.rcNormalPosition.top,
                              native.rcNormalPosition.right, native.rcNormalPosition.bottom};
  return placement;
}

void ApplyWindowPlacement(HWND window, const WindowPlacementData& placement) {
  WINDOWPLACEMENT native{};
  native.length = sizeof(native);
  native.flags = placement.flags;
  native.showCmd = placement.showCmd;
  native.ptMinPosition = {placement.minPosition.x, placement.minPosition.y};
  native.ptMaxPosition = {placement.maxPosition.x, placement.maxPosition.y};
  native.rcNormalPosition = {placement.normalPosition.left, placement.normalPosition.top,
                             placement.normalPosition.right, placement.normalPosition.bottom};
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
