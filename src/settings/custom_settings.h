#pragma once
// The main window's own part of the stored settings: what the settings store runs at the end of
// every load (RestoreWidgetChoices) and every save (SaveWidgetChoices).

#include <array>
#include <cstdint>
#include <string>

#include "base/stored_names.h"
#include "settings/settings_store.h"

namespace tindrel {

// The due-date items in the order in which a load applies the ticked one.
inline constexpr std::array<const char*, 4> kDueDateRestoreOrder = {
    item_names::kDueChristmasEve, item_names::kDueChristmas, item_names::kDueJulianChristmas,
    item_names::kDueNewYear};

// The due date applied, and ticked, by a load that finds none of the four ticked: December 25.
inline constexpr const char* kDefaultDueDate = item_names::kDueChristmas;

// What restoring and saving the choices need from the main window.
class SettingsChoices {
 public:
  virtual ~SettingsChoices() = default;

  virtual std::string FoundPlace() = 0;
  virtual void SetFoundPlace(const std::string& text) = 0;
  virtual std::int32_t SelectedWeather() = 0;
  virtual void SetSelectedWeather(std::int32_t value) = 0;
  virtual std::string SkinName() = 0;
  // Loads the skin by base name, falling back to "glass", and records the name it used.
  virtual void LoadSkin(const std::string& name) = 0;
  virtual std::string SoundName() = 0;
  virtual void SetSoundName(const std::string& name) = 0;
  virtual void Redraw() = 0;
  // Brings the start-with-Windows entry in line with its mark; throws Error when that fails.
  virtual void ApplyStartWithSystem() = 0;

  // The caption font: face, size in points, colour (0x00BBGGRR) and style bits.
  virtual std::string FontName() = 0;
  virtual std::int32_t FontSize() = 0;
  virtual std::int32_t FontColor() = 0;
  virtual std::int32_t FontStyle() = 0;
  virtual void SetFontName(const std::string& name) = 0;
  virtual void SetFontSize(std::int32_t points) = 0;
  virtual void SetFontColor(std::int32_t color) = 0;
  virtual void SetFontStyle(std::int32_t style_bits) = 0;

  virtual bool IsChecked(const std::string& item) = 0;
  // Sets a menu mark without running its command; checking a radio item unchecks its group.
  virtual void SetChecked(const std::string& item, bool checked) = 0;
  virtual void ChooseDueDate(const std::string& item) = 0;

  // The application's error report (a message box); must not throw.
  virtual void ReportError(const std::string& message) = 0;
};

// Reads "foundPlace", "SelectedWeather", "sSkinName", "sSoundName", redraws, brings the start
// entry in line, then reads the font and applies the ticked due date (December 25, ticked, when
// none is). A failing start entry is reported and the load goes on.
void RestoreWidgetChoices(SettingsStore& storage, SettingsChoices& window);

// Writes the eight values in the order they are read.
void SaveWidgetChoices(SettingsStore& storage, SettingsChoices& window);

}  // namespace tindrel
