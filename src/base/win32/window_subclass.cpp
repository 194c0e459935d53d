#include "base/win32/window_subclass.h"

#include "base/win32/system_library.h"

namespace tindrel::win {

ScopedWindowSubclass::ScopedWindowSubclass(HWND window, MessageWatcher watcher, DWORD_PTR data)
    : controls_(LoadCommonControls()), watcher_(watcher), data_(data) {
  using SetSubclass = BOOL(WINAPI*)(HWND, SubclassProcedure, UINT_PTR, DWORD_PTR);
  const auto set = LibraryFunctionOrNull<SetSubclass>(controls_, "SetWindowSubclass");
  remove_ = LibraryFunctionOrNull<RemoveSubclass>(controls_, "RemoveWindowSubclass");
  call_next_ = LibraryFunctionOrNull<DefaultSubclass>(controls_, "DefSubclassProc");
  if (!set || !remove_ || !call_next_) return;
  // This object is its own subclass's name and data: it neither copies nor moves.
  const auto self = reinterpret_cast<UINT_PTR>(this);
  if (set(window, Watch, self, self)) window_ = window;
}

ScopedWindowSubclass::~ScopedWindowSubclass() {
  if (window_) remove_(*window_, Watch, reinterpret_cast<UINT_PTR>(this));
}

LRESULT CALLBACK ScopedWindowSubclass::Watch(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam, UINT_PTR, DWORD_PTR self) {
  const auto& watch = *reinterpret_cast<const ScopedWindowSubclass*>(self);
  watch.watcher_(window, message, wparam, lparam, watch.data_);
  return watch.call_next_(window, message, wparam, lparam);
}

}  // namespace tindrel::win
