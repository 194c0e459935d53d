#pragma once
// The widget's sound, wired once: the media device, the fade timer on the widget's window, the
// player of the current clip, and the chime schedule that plays it when the menu's schedule
// calls for it.

#include <windows.h>

#include <string>

#include "app/win32/widget_menu.h"
#include "base/clock.h"
#include "sound/chime_schedule.h"
#include "sound/sound_player.h"
#include "sound/win32/media_player.h"
#include "sound/win32/window_fade_timer.h"

namespace tindrel::win {

class WidgetSound {
 public:
  // The fade timer runs as the window's timer `fade_timer_id`; the clips are in `sounds_folder`;
  // `report` receives the problems of the chime and of a clip that gave way to the default.
  WidgetSound(HWND window, UINT_PTR fade_timer_id, Clock& clock, const std::string& sounds_folder,
              const WidgetMenu& menu, SoundPlayer::Report report);
  WidgetSound(const WidgetSound&) = delete;
  WidgetSound& operator=(const WidgetSound&) = delete;

  SoundPlayer& Player() { return player_; }
  ChimeSchedule& Chimes() { return chimes_; }

  // The window goes: the fade stops and the device is closed while the window still stands.
  void Shutdown();

 private:
  MediaPlayer device_;
  WindowFadeTimer fade_;
  SoundPlayer player_;
  ChimeSchedule chimes_;
};

}  // namespace tindrel::win
