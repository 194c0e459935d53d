// Native builds keep a bitmap's pixels in plain zero-filled memory.
#include <vector>

#include "render/frame_bitmap.h"

namespace tindrel {
namespace {

class HeapBacking final : public PixelBacking {
 public:
  HeapBacking(int width, int height) : bytes_(static_cast<std::size_t>(width) * height * 4, 0) {}
  std::uint8_t* Bits() override { return bytes_.data(); }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

std::unique_ptr<PixelBacking> AllocatePixelBacking(int width, int height) {
  return std::make_unique<HeapBacking>(width, height);
}

}  // namespace tindrel
