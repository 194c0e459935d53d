// On Windows a bitmap's pixels live in a top-down 32-bit DIB section, so GDI can draw text on
// them and UpdateLayeredWindow can take the same bitmap.
#include <cstring>

#include "base/error.h"
#include "base/win32/last_error.h"
#include "base/win32/raii.h"
#include "render/win32/dib.h"

namespace tindrel::win {
namespace {

class DibBacking final : public PixelBacking {
 public:
  DibBacking(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_ || !bits) ThrowLastError("CreateDIBSection");
    bits_ = static_cast<std::uint8_t*>(bits);
    std::memset(bits_, 0, static_cast<std::size_t>(width) * height * 4);
  }
  std::uint8_t* Bits() override {
    GdiFlush();  // GDI may batch drawing on the section; finish it before touching the bytes
    return bits_;
  }
  HBITMAP Handle() const { return bitmap_.get(); }

 private:
  ScopedBitmap bitmap_;
  std::uint8_t* bits_ = nullptr;
};

}  // namespace

HBITMAP DibHandle(const FrameBitmap& bitmap) {
  auto* dib = dynamic_cast<DibBacking*>(bitmap.Backing());
  return dib ? dib->Handle() : nullptr;
}

}  // namespace tindrel::win

namespace tindrel {

std::unique_ptr<PixelBacking> AllocatePixelBacking(int width, int height) {
  return std::make_unique<win::DibBacking>(width, height);
}

}  // namespace tindrel
