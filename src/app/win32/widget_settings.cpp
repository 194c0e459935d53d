#include "app/win32/widget_settings.h"

#include <utility>

#include "base/file_system.h"
#include "base/stored_names.h"
#include "base/win32/last_error.h"
#include "render/display_scale.h"
#include "settings/startup.h"
#include "settings/win32/window_placement.h"

namespace tindrel::win {

WidgetSettings::WidgetSettings(Widget widget)
    : widget_(std::move(widget)), store_(widget_.registry, *this) {
  store_.after_load = [this] { RestoreWidgetChoices(store_, *this); };
  store_.after_save = [this] { SaveWidgetChoices(store_, *this); };
}

WindowPlacementData WidgetSettings::GetPlacement() {
  WindowPlacementData placement = ReadWindowPlacement(widget_.window);
  // A window put on screen in place of a stored position keeps that position in the settings
  // until the user moves it.
  placement.normal_position = widget_.screen_keeper.StoredRect(placement.normal_position);
  return placement;
}

void WidgetSettings::SetPlacement(const WindowPlacementData& placement) {
  WindowPlacementData on_screen = placement;
  on_screen.normal_position =
      widget_.screen_keeper.Place(placement.normal_position, MonitorWorkAreas());
  ApplyWindowPlacement(widget_.window, on_screen);
}

void WidgetSettings::SetWindowState(WindowState) {
  // The widget has no sizing border and its size follows every frame, so a stored maximised
  // state shows it at its normal place like the normal state does.
}

bool WidgetSettings::IsWindowVisible() {
  return ::IsWindowVisible(widget_.window) != FALSE;
}

bool WidgetSettings::IsApplicationMinimized() {
  return widget_.application.IsMinimized();
}

int WidgetSettings::ScreenWidth() {
  return GetSystemMetrics(SM_CXSCREEN);
}

int WidgetSettings::ScreenHeight() {
  return GetSystemMetrics(SM_CYSCREEN);
}

WindowBounds WidgetSettings::CurrentBounds() {
  RECT rect{};
  if (!GetWindowRect(widget_.window, &rect)) ThrowLastError("GetWindowRect");
  return WindowBounds{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

bool WidgetSettings::IsChecked(const std::string& item) {
  return widget_.menu.Checked(item);
}

void WidgetSettings::SetChecked(const std::string& item, bool checked) {
  widget_.menu.Entry(item).SetChecked(checked);
}

void WidgetSettings::ReportError(const std::string& message) {
  widget_.report.ShowError(ReportSource::kSettings, message);
}

void WidgetSettings::ApplyStartWithSystem() {
  SyncStartWithSystem(widget_.registry, ExecutablePath(),
                      widget_.menu.Checked(item_names::kStartWithSystem));
}

// The size in points is kept with the 96-DPI layout's height; the frames scale that height with
// everything else they draw.
std::int32_t WidgetSettings::FontSize() {
  return FontPointsFromHeight(widget_.font.height, kBaseDpi);
}

void WidgetSettings::SetFontSize(std::int32_t points) {
  widget_.font.height = FontHeightFromPoints(points, kBaseDpi);
}

std::int32_t WidgetSettings::FontColor() {
  return static_cast<std::int32_t>(widget_.font.color);
}

void WidgetSettings::SetFontColor(std::int32_t color) {
  widget_.font.color = static_cast<Color>(color);
}

}  // namespace tindrel::win
