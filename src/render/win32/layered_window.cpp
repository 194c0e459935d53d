#include "render/win32/layered_window.h"

#include "base/win32/raii.h"
#include "render/win32/dib.h"

namespace tindrel::win {

DWORD LayeredFramePresenter::Present(HWND window, const FrameBitmap& frame, POINT position) {
  ScopedWindowDc screen(nullptr);
  if (!memory_) memory_.reset(CreateCompatibleDC(screen.get()));
  if (!memory_) return GetLastError() ? GetLastError() : ERROR_INVALID_HANDLE;
  const HDC memory = memory_.get();
  HBITMAP dib = DibHandle(frame);
  // A 0 x 0 frame has no DIB; the update then only sizes the window down to nothing. Deselected
  // again at the end: the frame's bitmap may be freed before the next update.
  ScopedSelect selection(memory,
                         dib ? static_cast<HGDIOBJ>(dib) : GetCurrentObject(memory, OBJ_BITMAP));
  // Without the frame's bitmap selected the update would show whatever the context held before.
  if (!selection) return GetLastError() ? GetLastError() : ERROR_INVALID_HANDLE;
  SIZE size{frame.Width(), frame.Height()};
  POINT source{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  const BOOL ok = UpdateLayeredWindow(window, screen.get(), &position, &size, memory, &source, 0,
                                      &blend, ULW_ALPHA);
  if (ok) return 0;
  const DWORD error = GetLastError();
  return error ? error : ERROR_GEN_FAILURE;
}

DWORD PresentLayeredFrame(HWND window, const FrameBitmap& frame, POINT position) {
  LayeredFramePresenter presenter;
  return presenter.Present(window, frame, position);
}

}  // namespace tindrel::win
