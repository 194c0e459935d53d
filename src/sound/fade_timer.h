#pragma once
// The switch of the timer that drives the chime's volume fade: the owner of the window maps it to
// SetTimer/KillTimer and calls the fade tick on every WM_TIMER while it is on.

namespace tindrel {

class FadeTimer {
 public:
  static constexpr unsigned kIntervalMs = 30;

  virtual ~FadeTimer() = default;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
};

}  // namespace tindrel
