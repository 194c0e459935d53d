#include "settings/custom_settings.h"

#include "base/error.h"

namespace tindrel {
namespace {

void RestoreFont(SettingsStore& storage, SettingsChoices& window) {
  window.SetFontName(storage.ReadText("FontName", defaults::kFontName));
  window.SetFontSize(storage.ReadNumber("FontSize", defaults::kFontSize));
  window.SetFontColor(storage.ReadNumber("FontColor", defaults::kFontColor));
  // Only the four style bits mean anything; others from a hand-edited value are dropped.
  window.SetFontStyle(storage.ReadNumber("FontStyle", defaults::kFontStyle) & font_style::kAllBits);
}

void ApplyTickedDueDate(SettingsChoices& window) {
  bool applied = false;
  for (const char* item : kDueDateRestoreOrder) {
    if (!window.IsChecked(item)) continue;
    window.ChooseDueDate(item);
    applied = true;
  }
  if (applied) return;
  // None ticked (a save cut short, or an older version's click on the ticked holiday): the widget
  // would count from the first day of its calendar. The first-start holiday takes its place.
  window.SetChecked(kDefaultDueDate, true);
  window.ChooseDueDate(kDefaultDueDate);
}

}  // namespace

void RestoreWidgetChoices(SettingsStore& storage, SettingsChoices& window) {
  window.SetFoundPlace(storage.ReadText("foundPlace", ""));
  window.SetSelectedWeather(storage.ReadNumber("SelectedWeather", 0));
  window.LoadSkin(storage.ReadText("sSkinName", defaults::kSkinName));
  window.SetSoundName(storage.ReadText("sSoundName", defaults::kSoundName));
  window.Redraw();
  // A start entry that cannot be written is reported; the rest of the load still restores the
  // user's font and due date, which the next save would otherwise overwrite with defaults.
  try {
    window.ApplyStartWithSystem();
  } catch (const Error& error) {
    window.ReportError(error.what());
  }
  RestoreFont(storage, window);
  ApplyTickedDueDate(window);
}

void SaveWidgetChoices(SettingsStore& storage, SettingsChoices& window) {
  storage.WriteText("foundPlace", window.FoundPlace());
  storage.WriteNumber("SelectedWeather", window.SelectedWeather());
  storage.WriteText("sSkinName", window.SkinName());
  storage.WriteText("sSoundName", window.SoundName());
  storage.WriteText("FontName", window.FontName());
  storage.WriteNumber("FontSize", window.FontSize());
  storage.WriteNumber("FontColor", window.FontColor());
  storage.WriteNumber("FontStyle", window.FontStyle());
}

}  // namespace tindrel
