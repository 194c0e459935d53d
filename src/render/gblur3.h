#pragma once
// GBlur3: an in-place separable Gaussian blur of frame bitmaps, used for the caption's soft
// shadow. One kernel is built for the whole process and read by every blur.

#include <array>
#include <cstdint>

#include "render/frame_bitmap.h"

namespace tindrel {

constexpr int kMaxBlurRadius = 100;

struct BlurKernel {
  std::uint8_t radius = 1;  // weights -radius .. +radius are in use
  // Weight j (-100 .. +100) is stored at index j + kMaxBlurRadius.
  std::array<float, 2 * kMaxBlurRadius + 1> weights{};

  float Weight(int j) const { return weights[static_cast<std::size_t>(j + kMaxBlurRadius)]; }
};

// Fills the whole kernel: normalised Gaussian weights for `sigma`, cut at the radius where the
// dropped tails reach granularity / (2 * max_value). Throws Error for a sigma that is not a
// positive finite number.
void BuildBlurKernel(BlurKernel& kernel, double sigma, double max_value, double granularity);

// The process-wide kernel (sigma 1, maximum value 255, granularity 1: radius 2). It is computed
// once, on first use, and never changes afterwards.
const BlurKernel& SharedBlurKernel();

// Computes the shared kernel now, so that the first frame does not pay for it. The main window
// calls this once while it is being created.
void BuildSharedBlurKernel();

// Blurs one line of last + 1 four-byte pixels in place; every byte of a pixel, alpha included, is
// convolved alike, reads beyond either end repeat the end pixel. `scratch` holds at least
// last + 1 pixels. A negative `last` (an empty line) changes nothing.
void BlurLine(std::uint8_t* pixels, int last, const BlurKernel& kernel, std::uint8_t* scratch);

// Blurs the whole bitmap in place with the shared kernel: every row, then every column, the rows'
// result rounded to bytes before the columns read it.
void BlurBitmap(FrameBitmap& bitmap);
// The same with another kernel.
void BlurBitmap(FrameBitmap& bitmap, const BlurKernel& kernel);

// The shared kernel's blur for a display of `dpi`: the Gaussian spread dpi / 96 times as wide
// (sigma dpi / 96, maximum value 255, granularity 1), so that the blur keeps its look at every
// scale. At 96 (or a DPI that is not positive) it is the shared kernel.
BlurKernel BlurKernelForDpi(int dpi);

}  // namespace tindrel
