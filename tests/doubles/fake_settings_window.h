#pragma once
// A stand-in for the main window as the settings store sees it: design-time state, the menu's
// radio groups, and a log of every call that changes something, in order.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/menu_model.h"
#include "settings/custom_settings.h"
#include "settings/settings_store.h"

namespace tindrel::test {

// The names of the radio entries under `menu` and its submenus, one set per group of one parent.
inline std::vector<std::set<std::string>> RadioGroupsOf(const MenuItem& menu) {
  std::map<int, std::set<std::string>> by_group;
  std::vector<std::set<std::string>> groups;
  for (const auto& entry : menu.items()) {
    if (entry->radio) by_group[entry->group].insert(entry->name);
    for (auto& group : RadioGroupsOf(*entry)) groups.push_back(std::move(group));
  }
  for (auto& [group, names] : by_group) groups.push_back(std::move(names));
  return groups;
}

class FakeSettingsWindow : public SettingsWindow, public SettingsChoices {
 public:
  FakeSettingsWindow() {
    placement.flags = 0;
    placement.show_cmd = 1;
    placement.min_position = {-1, -1};
    placement.max_position = {-1, -1};
    placement.normal_position = {366, 216, 366 + 396, 216 + 353};
  }

  // --- SettingsWindow ---
  WindowPlacementData GetPlacement() override { return placement; }
  void SetPlacement(const WindowPlacementData& applied) override {
    placement = applied;
    applied_placements.push_back(applied);
    log.push_back("SetPlacement");
  }
  void SetWindowState(WindowState state) override {
    log.push_back(state == WindowState::kMaximized ? "WindowState:maximized"
                                                   : "WindowState:normal");
  }
  bool IsWindowVisible() override { return visible; }
  bool IsApplicationMinimized() override { return application_minimized; }
  int ScreenWidth() override { return screen_width; }
  int ScreenHeight() override { return screen_height; }
  int PixelsPerInch() override { return pixels_per_inch; }
  WindowBounds CurrentBounds() override {
    const auto& rect = placement.normal_position;
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
  }
  bool IsChecked(const std::string& item) override { return checked.count(item) != 0; }
  void SetChecked(const std::string& item, bool check) override {
    if (!check) {
      checked.erase(item);
      return;
    }
    for (const auto& group : radio_groups_) {
      if (group.count(item)) {
        for (const auto& other : group) checked.erase(other);
      }
    }
    checked.insert(item);
  }
  void ReportError(const std::string& message) override { reports.push_back(message); }

  // --- SettingsChoices ---
  std::string FoundPlace() override { return found_place; }
  void SetFoundPlace(const std::string& text) override { found_place = text; }
  std::int32_t SelectedWeather() override { return selected_weather; }
  void SetSelectedWeather(std::int32_t value) override { selected_weather = value; }
  std::string SkinName() override { return skin_name; }
  void LoadSkin(const std::string& name) override {
    log.push_back("LoadSkin:" + name);
    skin_name = name.empty() ? "glass" : name;
  }
  std::string SoundName() override { return sound_name; }
  void SetSoundName(const std::string& name) override {
    log.push_back("SoundName:" + name);
    sound_name = name;
  }
  void Redraw() override { log.push_back("Redraw"); }
  void ApplyStartWithSystem() override {
    log.push_back("ApplyStartWithSystem");
    if (start_with_system) start_with_system();
  }
  std::string FontName() override { return font_name; }
  std::int32_t FontSize() override { return font_size; }
  std::int32_t FontColor() override { return font_color; }
  std::int32_t FontStyle() override { return font_style; }
  void SetFontName(const std::string& name) override {
    log.push_back("FontName:" + name);
    font_name = name;
  }
  void SetFontSize(std::int32_t points) override {
    log.push_back("FontSize:" + std::to_string(points));
    font_size = points;
  }
  void SetFontColor(std::int32_t color) override {
    log.push_back("FontColor:" + std::to_string(color));
    font_color = color;
  }
  void SetFontStyle(std::int32_t style) override {
    log.push_back("FontStyle:" + std::to_string(style));
    font_style = style;
  }
  void ChooseDueDate(const std::string& item) override { log.push_back("ChooseDueDate:" + item); }

  // The design-time marks of the menu.
  std::set<std::string> checked = {"chbStartup",       "DisplayShadow1", "OnTop1",   "EveryHour1",
                                   "ShowRandomStars1", "Christmas1",     "ShowDays1"};
  WindowPlacementData placement;
  std::vector<WindowPlacementData> applied_placements;
  bool visible = false;
  bool application_minimized = false;
  int screen_width = 1920;
  int screen_height = 1080;
  int pixels_per_inch = 96;

  std::string found_place;
  std::int32_t selected_weather = 0;
  std::string skin_name = "glass";
  std::string sound_name = "JingleBells";
  // The font of the window's definition: DS-Digital, 20 pixels (15 points), 0x004080FF.
  std::string font_name = "DS-Digital";
  std::int32_t font_size = 15;
  std::int32_t font_color = 0x004080FF;
  std::int32_t font_style = 0;

  std::function<void()> start_with_system;
  std::vector<std::string> log;
  std::vector<std::string> reports;

 private:
  // The radio groups of the real menu: checking one of a group unchecks the others.
  std::vector<std::set<std::string>> radio_groups_ = RadioGroupsOf(*BuildPopupMenu());
};

// Binds the store's ends of load and save to the main window's choices, as the main window does.
inline void BindWidgetChoices(SettingsStore& storage, SettingsChoices& window) {
  storage.after_load = [&storage, &window] { RestoreWidgetChoices(storage, window); };
  storage.after_save = [&storage, &window] { SaveWidgetChoices(storage, window); };
}

}  // namespace tindrel::test
