#pragma once
// One pixel of a frame bitmap as four comparable numbers, for test expectations.

#include <array>

#include "render/frame_bitmap.h"

namespace tindrel::test {

using Pixel = std::array<int, 4>;  // B, G, R, A

inline Pixel PixelOf(const FrameBitmap& bitmap, int x, int y) {
  const std::uint8_t* p = bitmap.PixelAt(x, y);
  return {p[kBlue], p[kGreen], p[kRed], p[kAlpha]};
}

}  // namespace tindrel::test
