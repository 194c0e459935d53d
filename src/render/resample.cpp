#include "render/resample.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tindrel {
namespace {

constexpr int kChannels = 4;

// What one target pixel of an axis reads: source pixels with whole-number weights that add up to
// the axis's denominator.
struct Tap {
  int source;
  std::int64_t weight;
};

struct AxisTaps {
  std::int64_t denominator = 1;
  std::vector<std::vector<Tap>> taps;  // one list per target pixel
};

// Target pixel t spans [t * S, (t + 1) * S) and source pixel i spans [i * T, (i + 1) * T), both in
// units of 1 / (S * T) of the picture's length; the weight of i is the overlap, S in all.
AxisTaps AreaTaps(int source_length, int target_length) {
  AxisTaps axis;
  axis.denominator = source_length;
  axis.taps.resize(static_cast<std::size_t>(target_length));
  const std::int64_t s = source_length;
  const std::int64_t t_len = target_length;
  for (int t = 0; t < target_length; ++t) {
    const std::int64_t begin = t * s;
    const std::int64_t end = begin + s;
    for (std::int64_t i = begin / t_len; i < source_length && i * t_len < end; ++i) {
      const std::int64_t overlap = std::min(end, (i + 1) * t_len) - std::max(begin, i * t_len);
      if (overlap > 0)
        axis.taps[static_cast<std::size_t>(t)].push_back({static_cast<int>(i), overlap});
    }
  }
  return axis;
}

// The centre of target pixel t falls at source position (t + 0.5) * S / T - 0.5, that is
// ((2t + 1) * S - T) / (2T); it is shared between the two source pixels around it, and a position
// before the first centre or after the last reads the end pixel alone.
AxisTaps LinearTaps(int source_length, int target_length) {
  AxisTaps axis;
  axis.denominator = 2 * static_cast<std::int64_t>(target_length);
  axis.taps.resize(static_cast<std::size_t>(target_length));
  const std::int64_t d = axis.denominator;
  for (int t = 0; t < target_length; ++t) {
    const std::int64_t position =
        (2 * static_cast<std::int64_t>(t) + 1) * source_length - target_length;
    const std::int64_t below = position >= 0 ? position / d : -((-position + d - 1) / d);
    const std::int64_t fraction = position - below * d;
    const int first = std::clamp(static_cast<int>(below), 0, source_length - 1);
    const int second = std::clamp(static_cast<int>(below) + 1, 0, source_length - 1);
    auto& taps = axis.taps[static_cast<std::size_t>(t)];
    if (first == second) {
      taps.push_back({first, d});
    } else {
      taps.push_back({first, d - fraction});
      if (fraction > 0) taps.push_back({second, fraction});
    }
  }
  return axis;
}

AxisTaps TapsFor(int source_length, int target_length) {
  return target_length <= source_length ? AreaTaps(source_length, target_length)
                                        : LinearTaps(source_length, target_length);
}

}  // namespace

FrameBitmap ResampleBitmap(const FrameBitmap& source, int width, int height) {
  FrameBitmap target(width, height);
  if (source.Empty() || target.Empty()) return target;
  const AxisTaps across = TapsFor(source.Width(), width);
  const AxisTaps down = TapsFor(source.Height(), height);
  const std::uint64_t total = static_cast<std::uint64_t>(across.denominator * down.denominator);
  std::vector<std::uint64_t> sums(static_cast<std::size_t>(width) * kChannels);
  for (int y = 0; y < height; ++y) {
    std::fill(sums.begin(), sums.end(), 0);
    for (const Tap& row_tap : down.taps[static_cast<std::size_t>(y)]) {
      const std::uint8_t* row = source.ScanLine(row_tap.source);
      for (int x = 0; x < width; ++x) {
        std::uint64_t* sum = &sums[static_cast<std::size_t>(x) * kChannels];
        for (const Tap& column_tap : across.taps[static_cast<std::size_t>(x)]) {
          const std::uint8_t* pixel = row + static_cast<std::size_t>(column_tap.source) * kChannels;
          const auto weight = static_cast<std::uint64_t>(row_tap.weight * column_tap.weight);
          for (int c = 0; c < kChannels; ++c) sum[c] += pixel[c] * weight;
        }
      }
    }
    std::uint8_t* out = target.ScanLine(y);
    for (std::size_t i = 0; i < sums.size(); ++i) {
      out[i] = static_cast<std::uint8_t>((sums[i] + total / 2) / total);
    }
  }
  return target;
}

}  // namespace tindrel
