#pragma once
// A watch on a window's messages (a comctl32 subclass) owned like every other resource: removed
// again when its owner goes.

#include <windows.h>

#include <optional>

#include "base/win32/raii.h"

namespace tindrel::win {

// Sees a message of the watched window before the window's own procedure handles it.
using MessageWatcher = void (*)(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                DWORD_PTR data);

// Shows the watcher every message of the window until the owner goes out of scope. The common
// controls that do it are loaded for as long as the watch lasts, not all season. Installing can
// fail (a window of another thread, the controls missing); `installed()` tells.
class ScopedWindowSubclass {
 public:
  ScopedWindowSubclass(HWND window, MessageWatcher watcher, DWORD_PTR data);
  ~ScopedWindowSubclass();
  ScopedWindowSubclass(const ScopedWindowSubclass&) = delete;
  ScopedWindowSubclass& operator=(const ScopedWindowSubclass&) = delete;

  bool installed() const { return window_.has_value(); }

 private:
  using SubclassProcedure = LRESULT(CALLBACK*)(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  using RemoveSubclass = BOOL(WINAPI*)(HWND, SubclassProcedure, UINT_PTR);
  using DefaultSubclass = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);

  static LRESULT CALLBACK Watch(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                UINT_PTR id, DWORD_PTR self);

  ScopedModule controls_;
  MessageWatcher watcher_;
  DWORD_PTR data_;
  RemoveSubclass remove_ = nullptr;
  DefaultSubclass call_next_ = nullptr;
  std::optional<HWND> window_;  // empty when the watch could not be installed
};

}  // namespace tindrel::win
