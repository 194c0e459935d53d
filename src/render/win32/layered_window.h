#pragma once
#include <windows.h>

#include "base/win32/raii.h"
#include "render/frame_bitmap.h"

namespace tindrel::win {

// Presents frames to one layered window after another through one memory device context, which
// it keeps between frames; the frame's bitmap is selected into it for the update only.
class LayeredFramePresenter {
 public:
  // As PresentLayeredFrame below.
  DWORD Present(HWND window, const FrameBitmap& frame, POINT position);

 private:
  ScopedMemoryDc memory_;
};

// Hands a composed frame to the window manager as the whole content of the layered window, at
// (left, top) and with the frame's size, in one per-pixel-alpha update. Returns 0, or the system's
// error code when the update failed; every device context is released either way.
DWORD PresentLayeredFrame(HWND window, const FrameBitmap& frame, POINT position);

}  // namespace tindrel::win
