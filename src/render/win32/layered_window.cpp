#include "render/win32/layered_window.h"

#include "app/win32/raii.h"
#include "render/win32/dib.h"

namespace tindrel::win {

DWORD PresentLayeredFrame(HWND window, const FrameBitmap& frame, POINT position) {
  ScopedWindowDc screen(nullptr);
  ScopedMemoryDc memory(CreateCompatibleDC(screen.get()));
  if (!memory) return GetLastError() ? GetLastError() : ERROR_INVALID_HANDLE;
  HBITMAP dib = DibHandle(frame);
  // A 0 x 0 frame has no DIB; the update then only sizes the window down to nothing.
  ScopedSelect selection(memory.get(), dib ? static_cast<HGDIOBJ>(dib)
                                           : GetCurrentObject(memory.get(), OBJ_BITMAP));
  SIZE size{frame.Width(), frame.Height()};
  POINT source{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  const BOOL ok = UpdateLayeredWindow(window, screen.get(), &position, &size, memory.get(), &source,
                                      0, &blend, ULW_ALPHA);
  if (ok) return 0;
  const DWORD error = GetLastError();
  return error ? error : ERROR_GEN_FAILURE;
}

}  // namespace tindrel::win
