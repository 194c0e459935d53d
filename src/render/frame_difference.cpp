#include "render/frame_difference.h"

#include <cstring>

namespace tindrel {
namespace {

constexpr int kBytesPerPixel = 4;

bool SameRow(const FrameBitmap& a, const FrameBitmap& b, int y) {
  return std::memcmp(a.ScanLine(y), b.ScanLine(y),
                     static_cast<std::size_t>(a.Width()) * kBytesPerPixel) == 0;
}

bool SamePixel(const FrameBitmap& a, const FrameBitmap& b, int x, int y) {
  return std::memcmp(a.PixelAt(x, y), b.PixelAt(x, y), kBytesPerPixel) == 0;
}

}  // namespace

std::optional<PixelRect> ChangedRect(const FrameBitmap& previous, const FrameBitmap& next) {
  if (previous.Width() != next.Width() || previous.Height() != next.Height()) {
    return PixelRect{0, 0, next.Width(), next.Height()};
  }
  if (next.Empty()) return std::nullopt;
  int top = 0;
  while (top < next.Height() && SameRow(previous, next, top)) ++top;
  if (top == next.Height()) return std::nullopt;
  int bottom = next.Height();
  while (SameRow(previous, next, bottom - 1)) --bottom;
  // Within the changed rows, the columns from the first to the last pixel that differs anywhere.
  PixelRect rect{next.Width(), top, 0, bottom};
  for (int y = top; y < bottom; ++y) {
    for (int x = 0; x < rect.left; ++x) {
      if (!SamePixel(previous, next, x, y)) {
        rect.left = x;
        break;
      }
    }
    for (int x = next.Width() - 1; x >= rect.right; --x) {
      if (!SamePixel(previous, next, x, y)) {
        rect.right = x + 1;
        break;
      }
    }
  }
  return rect;
}

void CopyRect(FrameBitmap& target, const FrameBitmap& source, const PixelRect& rect) {
  const std::size_t bytes = static_cast<std::size_t>(rect.right - rect.left) * kBytesPerPixel;
  for (int y = rect.top; y < rect.bottom; ++y) {
    std::memcpy(target.PixelAt(rect.left, y), source.PixelAt(rect.left, y), bytes);
  }
}

}  // namespace tindrel
