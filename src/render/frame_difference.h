#pragma once
// What changed from one frame to the next, so that only that is handed to the window manager.

#include <optional>

#include "render/frame_bitmap.h"

namespace tindrel {

// Pixels [left, right) x [top, bottom).
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool operator==(const PixelRect& other) const {
    return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
  }
};

// The smallest rectangle that holds every pixel in which `next` differs from `previous`; nothing
// when the two are byte for byte the same. Frames of different sizes differ everywhere: the
// whole of `next`.
std::optional<PixelRect> ChangedRect(const FrameBitmap& previous, const FrameBitmap& next);

// Copies the pixels of `rect` from `source` into `target`, both of the same size.
void CopyRect(FrameBitmap& target, const FrameBitmap& source, const PixelRect& rect);

}  // namespace tindrel
