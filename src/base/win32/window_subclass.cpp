#include "base/win32/window_subclass.h"

namespace tindrel::win {

ScopedWindowSubclass::ScopedWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id,
                                           DWORD_PTR data) {
  if (SetWindowSubclass(window, procedure, id, data)) subclass_ = Subclass{window, procedure, id};
}

ScopedWindowSubclass::~ScopedWindowSubclass() {
  if (subclass_) RemoveWindowSubclass(subclass_->window, subclass_->procedure, subclass_->id);
}

}  // namespace tindrel::win
