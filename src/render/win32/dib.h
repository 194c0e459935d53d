#pragma once
#include <windows.h>

#include "render/frame_bitmap.h"

namespace tindrel::win {

// The DIB section behind a frame bitmap (nullptr for a 0 x 0 bitmap).
HBITMAP DibHandle(const FrameBitmap& bitmap);

}  // namespace tindrel::win
