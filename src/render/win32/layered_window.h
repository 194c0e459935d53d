#pragma once
#include <windows.h>

#include "render/frame_bitmap.h"

namespace tindrel::win {

// Hands a composed frame to the window manager as the whole content of the layered window, at
// (left, top) and with the frame's size, in one per-pixel-alpha update. Returns 0, or the system's
// error code when the update failed; every device context is released either way.
DWORD PresentLayeredFrame(HWND window, const FrameBitmap& frame, POINT position);

}  // namespace tindrel::win
