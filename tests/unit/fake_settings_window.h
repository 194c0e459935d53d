#pragma once
// A stand-in for the main window as the settings store sees it: design-time state, the menu's
// radio groups, and a log of every call that changes something, in order.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "settings/custom_settings.h"
#include "settings/settings_store.h"

namespace tindrel::testing {

class FakeSettingsWindow : public SettingsWindow, public SettingsChoices {
 public:
  FakeSettingsWindow() {
    placement.flags = 0;
    placement.showCmd = 1;
    placement.minPosition = {-1, -1};
    placement.maxPosition = {-1, -1};
    placement.normalPosition = {366, 216, 366 + 396, 216 + 353};
  }

  // --- SettingsWindow ---
  WindowPlacementData GetPlacement() override { return placement; }
  void SetPlacement(const WindowPlacementData& applied) override {
    placement = applied;
    appliedPlacements.push_back(applied);
    log.push_back("SetPlacement");
  }
  void SetWindowState(WindowState state) override {
    log.push_back(state == WindowState::kMaximized ? "WindowState:maximized"
                                                   : "WindowState:normal");
  }
  bool IsWindowVisible() override { return visible; }
  bool IsApplicationMinimized() override { return applicationMinimized; }
  int ScreenWidth() override { return screenWidth; }
  int ScreenHeight() override { return screenHeight; }
  int PixelsPerInch() override { return pixelsPerInch; }
  WindowBounds CurrentBounds() override {
    const auto& rect = placement.normalPosition;
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
  }
  bool IsChecked(const std::string& item) override { return checked.count(item) != 0; }
  void SetChecked(const std::string& item, bool check) override {
    if (!check) {
      checked.erase(item);
      return;
    }
    for (const auto& group : kRadioGroups) {
      if (group.count(item)) {
        for (const auto& other : group) checked.erase(other);
      }
    }
    checked.insert(item);
  }
  void ReportError(const std::string& message) override { reports.push_back(message); }

  // --- SettingsChoices ---
  std::string FoundPlace() override { return foundPlace; }
  void SetFoundPlace(const std::string& text) override { foundPlace = text; }
  std::int32_t SelectedWeather() override { return selectedWeather; }
  void SetSelectedWeather(std::int32_t value) override { selectedWeather = value; }
  std::string SkinName() override { return skinName; }
  void LoadSkin(const std::string& name) override {
    log.push_back("LoadSkin:" + name);
    skinName = name.empty() ? kDefaultSkinName : name;
  }
  std::string SoundName() override { return soundName; }
  void SetSoundName(const std::string& name) override {
    log.push_back("SoundName:" + name);
    soundName = name;
  }
  void OnDrawWidget() override { log.push_back("OnDrawWidget"); }
  void chbStartupClick() override {
    log.push_back("chbStartupClick");
    if (startupClick) startupClick();
  }
  std::string FontName() override { return fontName; }
  std::int32_t FontSize() override { return fontSize; }
  std::int32_t FontColor() override { return fontColor; }
  std::int32_t FontStyle() override { return fontStyle; }
  void SetFontName(const std::string& name) override {
    log.push_back("FontName:" + name);
    fontName = name;
  }
  void SetFontSize(std::int32_t points) override {
    log.push_back("FontSize:" + std::to_string(points));
    fontSize = points;
  }
  void SetFontColor(std::int32_t color) override {
    log.push_back("FontColor:" + std::to_string(color));
    fontColor = color;
  }
  void SetFontStyle(std::int32_t style) override {
    log.push_back("FontStyle:" + std::to_string(style));
    fontStyle = style;
  }
  void DueDateClick(const std::string& item) override { log.push_back("DueDateClick:" + item); }

  // The design-time marks of the menu.
  std::set<std::string> checked = {"chbStartup",       "DisplayShadow1", "OnTop1",   "EveryHour1",
                                   "ShowRandomStars1", "Christmas1",     "ShowDays1"};
  WindowPlacementData placement;
  std::vector<WindowPlacementData> appliedPlacements;
  bool visible = false;
  bool applicationMinimized = false;
  int screenWidth = 1920;
  int screenHeight = 1080;
  int pixelsPerInch = 96;

  std::string foundPlace;
  std::int32_t selectedWeather = 0;
  std::string skinName = kDefaultSkinName;
  std::string soundName = kDefaultSoundName;
  // The font of the window's definition: DS-Digital, 20 pixels (15 points), 0x004080FF.
  std::string fontName = "DS-Digital";
  std::int32_t fontSize = 15;
  std::int32_t fontColor = 0x004080FF;
  std::int32_t fontStyle = 0;

  std::function<void()> startupClick;
  std::vector<std::string> log;
  std::vector<std::string> reports;

 private:
  inline static const std::vector<std::set<std::string>> kRadioGroups = {
      {"ChristmasDecember2420071", "Christmas1", "NewYear1", "ChristmasJanuary71"},
      {"EveryHour1", "EveryHalfHour1", "Never1"},
  };
};

// Binds the store's two events to the main window's handlers, as the main window does.
inline void BindPlacementHandlers(FormStorage& storage, SettingsChoices& window) {
  storage.OnRestorePlacement = [&storage, &window] {
    FormStorage1RestorePlacement(storage, window);
  };
  storage.OnSavePlacement = [&storage, &window] { FormStorage1SavePlacement(storage, window); };
}

}  // namespace tindrel::testing
