#include "app/win32/widget_sound.h"

#include <utility>

#include "base/stored_names.h"

namespace tindrel::win {

WidgetSound::WidgetSound(HWND window, UINT_PTR fade_timer_id, Clock& clock,
                         const std::string& sounds_folder, const WidgetMenu& menu,
                         SoundPlayer::Report report)
    : fade_(window, fade_timer_id),
      player_(
          device_, fade_, sounds_folder, [&menu] { return menu.Checked(item_names::kChimeNever); },
          std::move(report)),
      chimes_(
          clock,
          ChimeSchedule::Entries{[&menu] { return menu.Checked(item_names::kChimeEveryHour); },
                                 [&menu] { return menu.Checked(item_names::kChimeEveryHalfHour); }},
          [this] { player_.Chime(); }) {}

void WidgetSound::Shutdown() {
  fade_.SetEnabled(false);
  device_.Close();
}

}  // namespace tindrel::win
