#pragma once
// The fade timer as a window timer: on means SetTimer on the window with the fade interval, off
// means KillTimer. The window's WM_TIMER for this id runs the fade tick.

#include <windows.h>

#include "sound/fade_timer.h"

namespace tindrel::win {

class WindowFadeTimer : public FadeTimer {
 public:
  WindowFadeTimer(HWND window, UINT_PTR id) : window_(window), id_(id) {}
  ~WindowFadeTimer() override { SetEnabled(false); }
  WindowFadeTimer(const WindowFadeTimer&) = delete;
  WindowFadeTimer& operator=(const WindowFadeTimer&) = delete;

  // Throws tindrel::Error with the system's text when the timer cannot be set.
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return enabled_; }
  UINT_PTR Id() const { return id_; }

 private:
  HWND window_;
  UINT_PTR id_;
  bool enabled_ = false;
};

}  // namespace tindrel::win
