#pragma once
// A window subclass (comctl32) owned like every other resource: removed again when its owner goes.

#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include <optional>

namespace tindrel::win {

// A window subclass that is removed again when the owner goes out of scope. Installing can fail (a
// window of another thread); `installed()` tells.
class ScopedWindowSubclass {
 public:
  ScopedWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data);
  ~ScopedWindowSubclass();
  ScopedWindowSubclass(const ScopedWindowSubclass&) = delete;
  ScopedWindowSubclass& operator=(const ScopedWindowSubclass&) = delete;

  bool installed() const { return subclass_.has_value(); }

 private:
  // What names the subclass to its removal.
  struct Subclass {
    HWND window;
    SUBCLASSPROC procedure;
    UINT_PTR id;
  };
  std::optional<Subclass> subclass_;  // empty when it could not be installed
};

}  // namespace tindrel::win
