#include "settings/custom_settings.h"

#include "base/error.h"

namespace tindrel {
namespace {

void RestoreFont(FormStorage& storage, SettingsChoices& window) {
  window.SetFontName(storage.ReadText("FontName", kDefaultFontName));
  window.SetFontSize(storage.ReadNumber("FontSize", kDefaultFontSize));
  window.SetFontColor(storage.ReadNumber("FontColor", kDefaultFontColor));
  // Only the four style bits mean anything; others from a hand-edited value are dropped.
  window.SetFontStyle(storage.ReadNumber("FontStyle", kDefaultFontStyle) & kFontStyleBits);
}

void ApplyTickedDueDate(SettingsChoices& window) {
  for (const char* item : kDueDateRestoreOrder) {
    if (window.IsChecked(item)) window.DueDateClick(item);
  }
}

}  // namespace

void FormStorage1RestorePlacement(FormStorage& storage, SettingsChoices& window) {
  window.SetFoundPlace(storage.ReadText("foundPlace", ""));
  window.SetSelectedWeather(storage.ReadNumber("SelectedWeather", 0));
  window.LoadSkin(storage.ReadText("sSkinName", kDefaultSkinName));
  window.SetSoundName(storage.ReadText("sSoundName", kDefaultSoundName));
  window.OnDrawWidget();
  // A start entry that cannot be written is reported; the rest of the load still restores the
  // user's font and due date, which the next save would otherwise overwrite with defaults.
  try {
    window.chbStartupClick();
  } catch (const Error& error) {
    window.ReportError(error.what());
  }
  RestoreFont(storage, window);
  ApplyTickedDueDate(window);
}

void FormStorage1SavePlacement(FormStorage& storage, SettingsChoices& window) {
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
