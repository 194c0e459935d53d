#pragma once
#include <windows.h>

#include "base/win32/raii.h"
#include "render/frame_bitmap.h"
#include "render/frame_difference.h"

namespace tindrel::win {

// Presents frames to one layered window after another through one memory device context, which
// it keeps between frames; the frame's bitmap is selected into it for the update only. It keeps a
// copy of what the window shows: a frame byte for byte the same, at the same place, is not handed
// over again, and one that differs only in part is handed over with that part as the dirty
// rectangle, so the window manager copies only it.
class LayeredFramePresenter {
 public:
  // As PresentLayeredFrame below; 0 also when nothing had changed.
  DWORD Present(HWND window, const FrameBitmap& frame, POINT position);

  // The window may not show the last frame any more (it was hidden, or another program drew on
  // it): the next frame is handed over whole.
  void Forget() { shown_ = false; }

 private:
  // The part of `frame` that differs from what `window` shows at `position`; all of it when the
  // window, its place or the size changed; nothing when nothing did.
  std::optional<PixelRect> ChangedPart(HWND window, const FrameBitmap& frame, POINT position) const;
  DWORD Update(HWND window, const FrameBitmap& frame, POINT position, const PixelRect& dirty);
  void Remember(HWND window, const FrameBitmap& frame, POINT position, const PixelRect& dirty);

  ScopedMemoryDc memory_;
  bool shown_ = false;
  HWND shown_window_ = nullptr;
  POINT shown_position_{};
  FrameBitmap shown_frame_;
};

// Hands a composed frame to the window manager as the whole content of the layered window, at
// (left, top) and with the frame's size, in one per-pixel-alpha update. Returns 0, or the system's
// error code when the update failed; every device context is released either way.
DWORD PresentLayeredFrame(HWND window, const FrameBitmap& frame, POINT position);

}  // namespace tindrel::win
