#pragma once
// The main window's registry-backed settings store. It keeps the window's place and the menu's
// check marks in HKEY_CURRENT_USER\Software\Quillmoor\Tindrel\MainForm, one REG_SZ per value, and
// hands over to the main window's own values at the end of every load and every save.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/registry.h"
#include "base/stored_names.h"

namespace tindrel {

inline constexpr char kProductKey[] = "Software\\Quillmoor\\Tindrel";
inline constexpr char kStorageKey[] = "Software\\Quillmoor\\Tindrel\\MainForm";
inline constexpr std::int32_t kFormVersion = 0;

// The menu entries whose marks the store keeps, in saving order.
inline constexpr std::array<const char*, 13> kStoredMarkItems = {
    item_names::kStartWithSystem,    item_names::kDisplayShadow,      item_names::kAlwaysOnTop,
    item_names::kShowHide,           item_names::kChimeEveryHalfHour, item_names::kChimeEveryHour,
    item_names::kChimeNever,         item_names::kShowStars,          item_names::kDueChristmas,
    item_names::kDueJulianChristmas, item_names::kDueNewYear,         item_names::kDueChristmasEve,
    item_names::kShowDays,
};

// The mark of the entry "chbStartup" is kept under "chbStartup_Checked".
std::string StoredMarkValueName(const std::string& item);

// Show states as WINDOWPLACEMENT carries them.
inline constexpr std::uint32_t kShowHide = 0;
inline constexpr std::uint32_t kShowMinimized = 2;

struct PlacementPoint {
  int x = 0;
  int y = 0;
};

struct PlacementRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// WINDOWPLACEMENT without the Windows types.
struct WindowPlacementData {
  std::uint32_t flags = 0;
  std::uint32_t show_cmd = 0;
  PlacementPoint min_position;
  PlacementPoint max_position;
  PlacementRect normal_position;
};

struct WindowBounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

enum class WindowState { kNormal, kMaximized };

// What the store needs from the main window and the application around it.
class SettingsWindow {
 public:
  virtual ~SettingsWindow() = default;

  virtual WindowPlacementData GetPlacement() = 0;
  virtual void SetPlacement(const WindowPlacementData& placement) = 0;
  virtual void SetWindowState(WindowState state) = 0;
  virtual bool IsWindowVisible() = 0;
  virtual bool IsApplicationMinimized() = 0;
  // The primary screen's size in pixels at the moment of the call.
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;
  // The screen's logical pixels per inch as measured once at program start.
  virtual int PixelsPerInch() = 0;
  virtual WindowBounds CurrentBounds() = 0;

  // Menu marks by item name. Setting one runs no command, but checking a radio item still
  // unchecks the other items of its group.
  virtual bool IsChecked(const std::string& item) = 0;
  virtual void SetChecked(const std::string& item, bool checked) = 0;

  // The application's error report (a message box); must not throw.
  virtual void ReportError(const std::string& message) = 0;
};

class SettingsStore {
 public:
  SettingsStore(Registry& registry, SettingsWindow& window);

  // Runs before every showing of the main window. Throws nothing of its own: a value of the
  // wrong type is reported and replaced by its default, and the load goes on.
  void LoadSettings();
  // Runs at every hiding and closing. Does nothing before the first load; throws Error when the
  // key cannot be created or a value cannot be written, leaving the values written before it.
  void SaveSettings();
  // The store's own saves: when a close request is granted, and while the window is destroyed
  // (only when nothing was saved since the last load; this save alone writes "Visible" = "1").
  void SaveOnCloseRequest();
  void SaveOnDestroy();

  // Values of the "MainForm" section. A missing key or value, or a number that is not a decimal
  // 32-bit integer, gives the default; a value of another registry type is reported and gives the
  // default. Writes create the section when needed and throw Error when that or the write fails.
  std::string ReadText(const std::string& name, const std::string& default_text);
  std::int32_t ReadNumber(const std::string& name, std::int32_t default_number);
  void WriteText(const std::string& name, const std::string& text);
  void WriteNumber(const std::string& name, std::int32_t number);

  bool SettingsLoaded() const { return loaded_; }
  bool SettingsSaved() const { return saved_; }

  // Run at the end of a load and of a save; bound by the main window to RestoreWidgetChoices and
  // SaveWidgetChoices.
  std::function<void()> after_load;
  std::function<void()> after_save;

 private:
  void Save(bool destroying);
  void RestorePosition();
  void RestoreState();
  void RestoreCheckMarks();
  void SavePlacement(bool destroying);
  void SaveCheckMarks();

  // The text stored under the name, or nothing when it is missing; a value of another type is
  // reported (when asked to) and counts as missing.
  std::optional<std::string> StoredText(const std::string& name, bool report_wrong_type);
  // The words of the position stored under the name tagged with the current resolution, else
  // under the plain name; nothing when neither holds a text.
  std::optional<std::vector<std::string>> StoredPositionWords(const std::string& name);
  std::string ResolutionTagged(const std::string& name);

  Registry& registry_;
  SettingsWindow& window_;
  bool loaded_ = false;
  bool saved_ = false;
};

}  // namespace tindrel
