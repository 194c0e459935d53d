#include "render/win32/layered_window.h"

#include "base/win32/raii.h"
#include "render/win32/dib.h"

namespace tindrel::win {

DWORD LayeredFramePresenter::Present(HWND window, const FrameBitmap& frame, POINT position) {
  const std::optional<PixelRect> dirty = ChangedPart(window, frame, position);
  if (!dirty) return 0;
  const DWORD error = Update(window, frame, position, *dirty);
  if (error) {
    shown_ = false;
    return error;
  }
  Remember(window, frame, position, *dirty);
  return 0;
}

std::optional<PixelRect> LayeredFramePresenter::ChangedPart(HWND window, const FrameBitmap& frame,
                                                            POINT position) const {
  const PixelRect whole{0, 0, frame.Width(), frame.Height()};
  if (!shown_ || window != shown_window_ || position.x != shown_position_.x ||
      position.y != shown_position_.y) {
    return whole;
  }
  return ChangedRect(shown_frame_, frame);
}

DWORD LayeredFramePresenter::Update(HWND window, const FrameBitmap& frame, POINT position,
                                    const PixelRect& dirty) {
  // No screen context is taken for the update: the window manager uses the screen's own when
  // none is given, which saves two round trips a frame.
  if (!memory_) memory_.reset(CreateCompatibleDC(nullptr));
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
  const RECT dirty_rect{dirty.left, dirty.top, dirty.right, dirty.bottom};
  UPDATELAYEREDWINDOWINFO update{};
  update.cbSize = sizeof update;
  update.hdcDst = nullptr;
  update.pptDst = &position;
  update.psize = &size;
  update.hdcSrc = memory;
  update.pptSrc = &source;
  update.pblend = &blend;
  update.dwFlags = ULW_ALPHA;
  update.prcDirty = &dirty_rect;
  if (UpdateLayeredWindowIndirect(window, &update)) return 0;
  const DWORD error = GetLastError();
  return error ? error : ERROR_GEN_FAILURE;
}

void LayeredFramePresenter::Remember(HWND window, const FrameBitmap& frame, POINT position,
                                     const PixelRect& dirty) {
  if (!shown_ || shown_frame_.Width() != frame.Width() || shown_frame_.Height() != frame.Height()) {
    shown_frame_.Resize(frame.Width(), frame.Height());
    CopyRect(shown_frame_, frame, PixelRect{0, 0, frame.Width(), frame.Height()});
  } else {
    CopyRect(shown_frame_, frame, dirty);
  }
  shown_ = true;
  shown_window_ = window;
  shown_position_ = position;
}

DWORD PresentLayeredFrame(HWND window, const FrameBitmap& frame, POINT position) {
  LayeredFramePresenter presenter;
  return presenter.Present(window, frame, position);
}

}  // namespace tindrel::win
