#include "sound/win32/window_fade_timer.h"

#include "base/error.h"
#include "base/win32/last_error.h"

namespace tindrel::win {

void WindowFadeTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  if (enabled) {
    if (!SetTimer(window_, id_, kIntervalMs, nullptr)) ThrowLastError("SetTimer");
  } else {
    KillTimer(window_, id_);
  }
  enabled_ = enabled;
}

}  // namespace tindrel::win
