#pragma once
// The widget as the settings store sees it: the window's place and the menu's marks, and the
// widget's own choices (skin, sound, caption font, due date, start with the system). It owns the
// store, bound to these, and the two choices only the store keeps.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "app/win32/application.h"
#include "app/win32/error_report.h"
#include "app/win32/widget_menu.h"
#include "base/win32/win_registry.h"
#include "render/skin.h"
#include "render/text_painter.h"
#include "settings/custom_settings.h"
#include "settings/screen_fit.h"
#include "settings/settings_store.h"
#include "sound/sound_player.h"

namespace tindrel::win {

class WidgetSettings final : public SettingsWindow, public SettingsChoices {
 public:
  // The parts of the widget the settings read and change; all outlive the settings.
  struct Widget {
    HWND window;
    Application& application;
    ErrorReport& report;
    WidgetMenu& menu;
    WidgetSkin& skin;
    SoundPlayer& player;
    FontSpec& font;  // the caption's font in the 96-DPI layout
    ScreenKeeper& screen_keeper;
    Registry& registry;
    // The screen's logical pixels per inch at start, which the store keeps with the position.
    int pixels_per_inch;
    std::function<void()> redraw;
    std::function<void(const std::string& item)> choose_due_date;
  };

  explicit WidgetSettings(Widget widget);
  WidgetSettings(const WidgetSettings&) = delete;
  WidgetSettings& operator=(const WidgetSettings&) = delete;

  SettingsStore& Store() { return store_; }

  // SettingsWindow.
  WindowPlacementData GetPlacement() override;
  void SetPlacement(const WindowPlacementData& placement) override;
  void SetWindowState(WindowState state) override;
  bool IsWindowVisible() override;
  bool IsApplicationMinimized() override;
  int ScreenWidth() override;
  int ScreenHeight() override;
  int PixelsPerInch() override { return widget_.pixels_per_inch; }
  WindowBounds CurrentBounds() override;
  bool IsChecked(const std::string& item) override;
  void SetChecked(const std::string& item, bool checked) override;
  void ReportError(const std::string& message) override;

  // SettingsChoices.
  std::string FoundPlace() override { return found_place_; }
  void SetFoundPlace(const std::string& text) override { found_place_ = text; }
  std::int32_t SelectedWeather() override { return selected_weather_; }
  void SetSelectedWeather(std::int32_t value) override { selected_weather_ = value; }
  std::string SkinName() override { return widget_.skin.SkinName(); }
  void LoadSkin(const std::string& name) override { widget_.skin.LoadSkin(name); }
  std::string SoundName() override { return widget_.player.SoundName(); }
  void SetSoundName(const std::string& name) override { widget_.player.SetSoundName(name); }
  void Redraw() override { widget_.redraw(); }
  void ApplyStartWithSystem() override;
  std::string FontName() override { return widget_.font.face; }
  std::int32_t FontSize() override;
  std::int32_t FontColor() override;
  std::int32_t FontStyle() override { return widget_.font.style; }
  void SetFontName(const std::string& name) override { widget_.font.face = name; }
  void SetFontSize(std::int32_t points) override;
  void SetFontColor(std::int32_t color) override;
  void SetFontStyle(std::int32_t style_bits) override { widget_.font.style = style_bits; }
  void ChooseDueDate(const std::string& item) override { widget_.choose_due_date(item); }

 private:
  Widget widget_;
  SettingsStore store_;
  std::string found_place_;
  std::int32_t selected_weather_ = 0;
};

}  // namespace tindrel::win
