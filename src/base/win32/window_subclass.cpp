#include "base/win32/window_subclass.h"

#include "base/win32/system_library.h"

namespace tindrel::win {
namespace {

// The address of `name` in `module` as a function of type Function; null when it is missing.
template <typename Function>
Function FunctionOrNull(const ScopedModule& module, const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(GetProcAddress(module.get(), name)));
}

}  // namespace

ScopedWindowSubclass::ScopedWindowSubclass(HWND window, MessageWatcher watcher, DWORD_PTR data)
    : controls_(LoadCommonControls()), watcher_(watcher), data_(data) {
  if (!controls_) return;
  using SetSubclass = BOOL(WINAPI*)(HWND, SubclassProcedure, UINT_PTR, DWORD_PTR);
  const auto set = FunctionOrNull<SetSubclass>(controls_, "SetWindowSubclass");
  remove_ = FunctionOrNull<RemoveSubclass>(controls_, "RemoveWindowSubclass");
  call_next_ = FunctionOrNull<DefaultSubclass>(controls_, "DefSubclassProc");
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
