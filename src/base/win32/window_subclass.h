#pragma once
// A window subclass (comctl32) owned like every other resource: removed again when its owner goes.

#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

namespace tindrel::win {

// A window subclass that is removed again when the owner goes out of scope. Installing can fail (a
// window of another thread); `installed()` tells.
class ScopedWindowSubclass {
 public:
  ScopedWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data)
      : window_(window),
        procedure_(procedure),
        id_(id),
        installed_(SetWindowSubclass(window, procedure, id, data) != FALSE) {}
  ~ScopedWindowSubclass() {
    if (installed_) RemoveWindowSubclass(window_, procedure_, id_);
  }
  ScopedWindowSubclass(const ScopedWindowSubclass&) = delete;
  ScopedWindowSubclass& operator=(const ScopedWindowSubclass&) = delete;
  bool installed() const { return installed_; }

 private:
  HWND window_;
  SUBCLASSPROC procedure_;
  UINT_PTR id_;
  bool installed_;
};

}  // namespace tindrel::win
