#pragma once
// The one frame-bitmap type of the widget: width x height pixels, rows addressed from the top,
// four bytes B, G, R, A per pixel, colour premultiplied by A. On Windows the pixels live in a
// top-down 32-bit DIB section, so GDI can draw on them and UpdateLayeredWindow can take them;
// natively they live in plain memory. The pixel operations only ever see row pointers.

#include <cstdint>
#include <memory>

namespace tindrel {

// A 32-bit Windows colour value: red in the lowest byte, then green, then blue (0x00BBGGRR).
using Color = std::uint32_t;

inline std::uint8_t RedOf(Color c) {
  return static_cast<std::uint8_t>(c & 0xFF);
}
inline std::uint8_t GreenOf(Color c) {
  return static_cast<std::uint8_t>((c >> 8) & 0xFF);
}
inline std::uint8_t BlueOf(Color c) {
  return static_cast<std::uint8_t>((c >> 16) & 0xFF);
}

// Byte offsets of the channels inside one pixel.
enum Channel : int { kBlue = 0, kGreen = 1, kRed = 2, kAlpha = 3 };

// Storage of a bitmap's pixels: zero-filled, width * 4 bytes per row, rows top to bottom with no
// padding. Which kind a bitmap gets is decided at link time (AllocatePixelBacking).
class PixelBacking {
 public:
  virtual ~PixelBacking() = default;
  virtual std::uint8_t* Bits() = 0;
};

// Defined once per platform: plain memory natively, a DIB section on Windows.
std::unique_ptr<PixelBacking> AllocatePixelBacking(int width, int height);

// Pictures beyond these limits are refused before any memory is taken for them.
constexpr int kMaxBitmapSide = 16384;
constexpr std::int64_t kMaxBitmapPixels = 64LL * 1024 * 1024;

class FrameBitmap {
 public:
  FrameBitmap() = default;  // 0 x 0, no storage
  // Every byte 0, that is every pixel transparent black. Throws Error for a negative or oversized
  // request.
  FrameBitmap(int width, int height);

  FrameBitmap(FrameBitmap&&) noexcept = default;
  FrameBitmap& operator=(FrameBitmap&&) noexcept = default;
  FrameBitmap(const FrameBitmap&) = delete;
  FrameBitmap& operator=(const FrameBitmap&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }

  // Row `row` from the top; throws Error("Scan line index out of range") outside 0..height-1.
  std::uint8_t* ScanLine(int row);
  const std::uint8_t* ScanLine(int row) const;

  // Direct access to pixel (x, y); no range check, for loops that already hold valid indices.
  std::uint8_t* PixelAt(int x, int y) {
    return bits_ + (static_cast<std::size_t>(y) * width_ + x) * 4;
  }
  const std::uint8_t* PixelAt(int x, int y) const {
    return bits_ + (static_cast<std::size_t>(y) * width_ + x) * 4;
  }

  // Every pixel gets the colour with A = 0, as the platform's fill does.
  void Fill(Color color);

  PixelBacking* Backing() const { return backing_.get(); }

  // Gives the bitmap that size: new storage, every byte 0, when the size changes; the storage and
  // its pixels as they are when it stays.
  void Resize(int width, int height) {
    if (width != width_ || height != height_) *this = FrameBitmap(width, height);
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::unique_ptr<PixelBacking> backing_;
  std::uint8_t* bits_ = nullptr;
};

}  // namespace tindrel
