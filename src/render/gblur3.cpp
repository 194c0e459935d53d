#include "render/gblur3.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <vector>

#include "base/error.h"
#include "render/display_scale.h"

namespace tindrel {
namespace {

constexpr int kBytesPerPixel = 4;

float& WeightAt(BlurKernel& kernel, int j) {
  return kernel.weights[static_cast<std::size_t>(j + kMaxBlurRadius)];
}

// The weights are defined with exp taken in extended precision and only its result narrowed to
// single precision; a double-precision exp could round a weight to a neighbouring float.
void FillGaussian(BlurKernel& kernel, double sigma) {
  for (int j = -kMaxBlurRadius; j <= kMaxBlurRadius; ++j) {
    const double x = j / sigma;
    const long double lx = x;
    WeightAt(kernel, j) = static_cast<float>(std::exp(-lx * lx / 2.0L));
  }
}

// Divides the weights from..to by their double-precision sum, taken in index order.
void NormaliseWeights(BlurKernel& kernel, int from, int to) {
  double total = 0.0;
  for (int j = from; j <= to; ++j) total += WeightAt(kernel, j);
  for (int j = from; j <= to; ++j) {
    WeightAt(kernel, j) = static_cast<float>(WeightAt(kernel, j) / total);
  }
}

// Shrinks the radius from the maximum while the weight of the dropped tails is still below the
// threshold; the step that reaches it is the last one, and the radius never goes below 1.
std::uint8_t RadiusForTailThreshold(const BlurKernel& kernel, double threshold) {
  double tail = 0.0;
  int r = kMaxBlurRadius;
  while (tail < threshold && r > 1) {
    tail += 2.0 * kernel.Weight(r);
    --r;
  }
  return static_cast<std::uint8_t>(r);
}

BlurKernel MakeSharedBlurKernel() {
  BlurKernel kernel;
  BuildBlurKernel(kernel, 1.0, 255.0, 1.0);
  return kernel;
}

// Round to nearest, halves to even. The values rounded here are sums of products of
// single-precision weights and bytes: non-negative and, the weights summing to 1, at most 255.5.
// With plain double arithmetic, adding and taking away 1.5 * 2^52 leaves no fraction bits, so the
// sum is rounded by the FPU's default mode (nearest, ties to even); unlike a library call this
// vectorises. Extended-precision intermediates would keep the fraction through the shift, so every
// build evaluates doubles in double precision (the 32-bit Windows build through SSE2).
static_assert(FLT_EVAL_METHOD == 0, "the blur's rounding needs double-precision evaluation");
inline double RoundHalfEven(double value) {
  constexpr double kShift = 6755399441055744.0;
  return (value + kShift) - kShift;
}

// The kernel's weights in use, widened to double once: index t is weight t - radius.
struct Taps {
  explicit Taps(const BlurKernel& kernel) : radius(kernel.radius), count(2 * radius + 1) {
    for (int t = 0; t < count; ++t) weight[t] = kernel.Weight(t - radius);
  }
  int radius;
  int count;
  double weight[2 * kMaxBlurRadius + 1];
};

// Every byte value is exact in a double and so is its product with a single-precision weight
// (24 + 8 bits), so a line is widened once and then convolved without further conversions.
void Widen(const std::uint8_t* bytes, std::size_t count, double* out) {
  for (std::size_t k = 0; k < count; ++k) out[k] = bytes[k];
}

void Narrow(const double* values, std::size_t count, std::uint8_t* out) {
  for (std::size_t k = 0; k < count; ++k) out[k] = static_cast<std::uint8_t>(values[k]);
}

// Output pixels from .. to of a line, reading source pixel index_of(i + j) for tap j, each byte's
// sum taken from 0.0 over j ascending. Used where reads are clamped: the ends of a line, or the
// whole of a line shorter than the kernel.
template <typename IndexOf>
void BlurClampedStretch(const double* line, int from, int to, const Taps& taps, IndexOf index_of,
                        double* out) {
  const int r = taps.radius;
  for (int i = from; i <= to; ++i) {
    double sum[kBytesPerPixel] = {0.0, 0.0, 0.0, 0.0};
    for (int j = -r; j <= r; ++j) {
      const double w = taps.weight[j + r];
      const double* p = line + static_cast<std::ptrdiff_t>(index_of(i + j)) * kBytesPerPixel;
      for (int c = 0; c < kBytesPerPixel; ++c) sum[c] += w * p[c];
    }
    double* o = out + static_cast<std::ptrdiff_t>(i) * kBytesPerPixel;
    for (int c = 0; c < kBytesPerPixel; ++c) o[c] = RoundHalfEven(sum[c]);
  }
}

// out[k] = the rounded sum over taps t of weight[t] * sources[t][k], for `count` values. Each
// value's sum runs over the taps in ascending order exactly as in BlurClampedStretch (the first
// product stands for 0.0 + product, which is the same number).
template <int kTapCount>
void ConvolveRunFixed(const double* const* sources, const Taps& taps, std::size_t count,
                      double* __restrict out) {
  double w[kTapCount];
  const double* __restrict s[kTapCount];
  for (int t = 0; t < kTapCount; ++t) {
    w[t] = taps.weight[t];
    s[t] = sources[t];
  }
  // Four values per step keep several independent sums in flight at once.
  constexpr std::size_t kLanes = 4;
  std::size_t k = 0;
  for (; k + kLanes <= count; k += kLanes) {
    double sum[kLanes];
    for (std::size_t i = 0; i < kLanes; ++i) sum[i] = w[0] * s[0][k + i];
    for (int t = 1; t < kTapCount; ++t) {
      for (std::size_t i = 0; i < kLanes; ++i) sum[i] += w[t] * s[t][k + i];
    }
    for (std::size_t i = 0; i < kLanes; ++i) out[k + i] = RoundHalfEven(sum[i]);
  }
  for (; k < count; ++k) {
    double sum = w[0] * s[0][k];
    for (int t = 1; t < kTapCount; ++t) sum += w[t] * s[t][k];
    out[k] = RoundHalfEven(sum);
  }
}

// Any other kernel: the same sums with the loops turned inside out, so that runs of values are
// still worked on together.
void ConvolveRunAnySize(const double* const* sources, const Taps& taps, std::size_t count,
                        double* __restrict out) {
  const double w0 = taps.weight[0];
  const double* __restrict s0 = sources[0];
  for (std::size_t k = 0; k < count; ++k) out[k] = w0 * s0[k];
  for (int t = 1; t < taps.count; ++t) {
    const double w = taps.weight[t];
    const double* __restrict s = sources[t];
    for (std::size_t k = 0; k < count; ++k) out[k] += w * s[k];
  }
  for (std::size_t k = 0; k < count; ++k) out[k] = RoundHalfEven(out[k]);
}

// The shared kernel has five taps; it gets a loop the compiler can unroll over the taps.
void ConvolveRun(const double* const* sources, const Taps& taps, std::size_t count, double* out) {
  if (taps.count == 5) {
    ConvolveRunFixed<5>(sources, taps, count, out);
  } else {
    ConvolveRunAnySize(sources, taps, count, out);
  }
}

// One line of last + 1 widened pixels, blurred into `out` (rounded, still widened). The line is
// worked in three stretches so that only the ends clamp their reads; a line too short for that
// clamps every read at both ends.
void BlurWidenedLine(const double* line, int last, const Taps& taps, double* out) {
  const int r = taps.radius;
  if (last < 2 * r) {
    BlurClampedStretch(
        line, 0, last, taps, [last](int k) { return std::clamp(k, 0, last); }, out);
    return;
  }
  BlurClampedStretch(
      line, 0, r - 1, taps, [](int k) { return std::max(k, 0); }, out);
  const double* sources[2 * kMaxBlurRadius + 1];
  for (int t = 0; t < taps.count; ++t) {
    sources[t] = line + static_cast<std::ptrdiff_t>(t) * kBytesPerPixel;
  }
  ConvolveRun(sources, taps, static_cast<std::size_t>(last - 2 * r) * kBytesPerPixel,
              out + static_cast<std::ptrdiff_t>(r) * kBytesPerPixel);
  BlurClampedStretch(
      line, last - r, last, taps, [last](int k) { return std::min(k, last); }, out);
}

}  // namespace

void BuildBlurKernel(BlurKernel& kernel, double sigma, double max_value, double granularity) {
  if (!(sigma > 0.0) || !std::isfinite(sigma)) throw Error("Invalid blur sigma");
  FillGaussian(kernel, sigma);
  NormaliseWeights(kernel, -kMaxBlurRadius, kMaxBlurRadius);
  kernel.radius = RadiusForTailThreshold(kernel, granularity / (2.0 * max_value));
  NormaliseWeights(kernel, -kernel.radius, kernel.radius);
}

const BlurKernel& SharedBlurKernel() {
  static const BlurKernel kernel = MakeSharedBlurKernel();
  return kernel;
}

void BuildSharedBlurKernel() {
  SharedBlurKernel();
}

void BlurLine(std::uint8_t* pixels, int last, const BlurKernel& kernel, std::uint8_t* scratch) {
  if (last < 0) return;
  const Taps taps(kernel);
  const std::size_t count = static_cast<std::size_t>(last + 1) * kBytesPerPixel;
  std::vector<double> line(count);
  std::vector<double> blurred(count);
  Widen(pixels, count, line.data());
  BlurWidenedLine(line.data(), last, taps, blurred.data());
  Narrow(blurred.data(), count, scratch);
  std::copy_n(scratch, count, pixels);
}

BlurKernel BlurKernelForDpi(int dpi) {
  if (dpi <= 0 || dpi == kBaseDpi) return SharedBlurKernel();
  BlurKernel kernel;
  BuildBlurKernel(kernel, static_cast<double>(dpi) / kBaseDpi, 255.0, 1.0);
  return kernel;
}

void BlurBitmap(FrameBitmap& bitmap) {
  BlurBitmap(bitmap, SharedBlurKernel());
}

void BlurBitmap(FrameBitmap& bitmap, const BlurKernel& kernel) {
  const int width = bitmap.Width();
  const int height = bitmap.Height();
  if (width == 0 || height == 0) return;
  const Taps taps(kernel);
  const std::size_t row_values = static_cast<std::size_t>(width) * kBytesPerPixel;

  // The columns are blurred a whole output row at a time: output row y sums the rows' results of
  // rows y - r .. y + r (clamped to the picture) tap by tap, which gives every byte the same sum
  // as a column run through BlurLine while memory is walked in order. The rows' results stay
  // widened in a ring of 2r + 1 rows; their values are whole numbers, exactly the bytes a column
  // would read back. Row q is blurred across before output row q overwrites it.
  std::vector<double> line(row_values);
  std::vector<double> ring(row_values * static_cast<std::size_t>(taps.count));
  const auto ring_row = [&](int q) {
    return ring.data() + row_values * static_cast<std::size_t>(q % taps.count);
  };
  const double* sources[2 * kMaxBlurRadius + 1];
  int next_row = 0;
  for (int y = 0; y < height; ++y) {
    for (; next_row <= std::min(y + taps.radius, height - 1); ++next_row) {
      Widen(bitmap.ScanLine(next_row), row_values, line.data());
      BlurWidenedLine(line.data(), width - 1, taps, ring_row(next_row));
    }
    for (int t = 0; t < taps.count; ++t) {
      sources[t] = ring_row(std::clamp(y + t - taps.radius, 0, height - 1));
    }
    ConvolveRun(sources, taps, row_values, line.data());
    Narrow(line.data(), row_values, bitmap.ScanLine(y));
  }
}

}  // namespace tindrel
