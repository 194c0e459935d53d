#include "render/frame_bitmap.h"

#include <cstring>
#include <string>

#include "base/error.h"

namespace tindrel {

FrameBitmap::FrameBitmap(int width, int height) {
  if (width < 0 || height < 0) throw Error("Invalid bitmap size");
  if (width > kMaxBitmapSide || height > kMaxBitmapSide ||
      static_cast<std::int64_t>(width) * height > kMaxBitmapPixels) {
    throw Error("Bitmap of " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels is too large");
  }
  width_ = width;
  height_ = height;
  if (width > 0 && height > 0) {
    backing_ = AllocatePixelBacking(width, height);
    bits_ = backing_->Bits();
  }
}

std::uint8_t* FrameBitmap::ScanLine(int row) {
  if (row < 0 || row >= height_) throw Error("Scan line index out of range");
  return bits_ + static_cast<std::size_t>(row) * width_ * 4;
}

const std::uint8_t* FrameBitmap::ScanLine(int row) const {
  if (row < 0 || row >= height_) throw Error("Scan line index out of range");
  return bits_ + static_cast<std::size_t>(row) * width_ * 4;
}

void FrameBitmap::Fill(Color color) {
  for (int y = 0; y < height_; ++y) {
    std::uint8_t* p = ScanLine(y);
    for (int x = 0; x < width_; ++x, p += 4) {
      p[kBlue] = BlueOf(color);
      p[kGreen] = GreenOf(color);
      p[kRed] = RedOf(color);
      p[kAlpha] = 0;
    }
  }
}

}  // namespace tindrel
