#include "render/alpha_bitmap.h"

#include <algorithm>

#include "base/error.h"

namespace tindrel {
namespace {

// The paired-bitmap operations read the second bitmap with the first one's size.
void CheckCovers(const FrameBitmap& second, const FrameBitmap& first) {
  if (second.Width() < first.Width() || second.Height() < first.Height()) {
    throw Error("Bitmap sizes do not match");
  }
}

inline std::uint8_t OverFill(int c, int f, int a) {
  return static_cast<std::uint8_t>((c * a + f * (255 - a) + 255) >> 8);
}

// The pixel takes the alpha `a`, and each colour byte is multiplied by it (div 255).
inline void SetAlphaPremultiplied(std::uint8_t* p, int a) {
  p[kAlpha] = static_cast<std::uint8_t>(a);
  p[kBlue] = static_cast<std::uint8_t>(p[kBlue] * a / 255);
  p[kGreen] = static_cast<std::uint8_t>(p[kGreen] * a / 255);
  p[kRed] = static_cast<std::uint8_t>(p[kRed] * a / 255);
}

// Draws the picture unscaled at (0, 0) over the filled bitmap; the A bytes stay as they are.
void CompositeOverFill(FrameBitmap& bitmap, const DecodedPng& picture, Color fill) {
  const int fr = RedOf(fill), fg = GreenOf(fill), fb = BlueOf(fill);
  for (int y = 0; y < picture.height; ++y) {
    std::uint8_t* p = bitmap.ScanLine(y);
    const std::uint8_t* c = picture.ColorRow(y);
    const std::uint8_t* a = picture.CompositingAlphaRow(y);
    for (int x = 0; x < picture.width; ++x, p += 4, c += 3) {
      const int alpha = a ? a[x] : 255;
      p[kRed] = OverFill(c[0], fr, alpha);
      p[kGreen] = OverFill(c[1], fg, alpha);
      p[kBlue] = OverFill(c[2], fb, alpha);
    }
  }
}

}  // namespace

FrameBitmap PngToAlphaBitmap(const DecodedPng& picture, Color fill) {
  picture.CheckConsistent();
  FrameBitmap bitmap(picture.width, picture.height);
  bitmap.Fill(fill);
  CompositeOverFill(bitmap, picture, fill);
  if (picture.HasAlphaRows()) ImportPngAlpha(bitmap, picture, 0, 0);
  return bitmap;
}

void ImportPngAlpha(FrameBitmap& bitmap, const DecodedPng& picture, int column, int row) {
  picture.CheckConsistent();
  if (!picture.HasAlphaRows()) throw Error("The picture has no alpha channel");
  if (column < 0 || static_cast<std::int64_t>(column) + picture.width > bitmap.Width()) {
    throw Error("The picture does not fit the bitmap");
  }
  if (row < 0 || static_cast<std::int64_t>(row) + picture.height > bitmap.Height()) {
    throw Error("Scan line index out of range");
  }
  for (int y = 0; y < picture.height; ++y) {
    const std::uint8_t* alpha = picture.AlphaRow(y);
    std::uint8_t* p = bitmap.ScanLine(row + y) + column * 4;
    for (int x = 0; x < picture.width; ++x, p += 4) SetAlphaPremultiplied(p, alpha[x]);
  }
}

bool IsSolidPixel(const FrameBitmap& bitmap, int x, int y) {
  const std::uint8_t* line = bitmap.ScanLine(y);
  if (x < 0 || x >= bitmap.Width()) return false;
  return line[x * 4 + kAlpha] > 155;
}

void MatteFromPair(FrameBitmap& on_black, const FrameBitmap& on_white) {
  CheckCovers(on_white, on_black);
  for (int y = 0; y < on_black.Height(); ++y) {
    std::uint8_t* k = on_black.ScanLine(y);
    const std::uint8_t* w = on_white.ScanLine(y);
    for (int x = 0; x < on_black.Width(); ++x, k += 4, w += 4) {
      const int d = static_cast<std::uint8_t>(w[kRed] - k[kRed]) +
                    static_cast<std::uint8_t>(w[kGreen] - k[kGreen]) +
                    static_cast<std::uint8_t>(w[kBlue] - k[kBlue]);
      k[kAlpha] = static_cast<std::uint8_t>(255 - d / 3);
    }
  }
}

void ApplyAlphaMask(FrameBitmap& target, const FrameBitmap& mask) {
  CheckCovers(mask, target);
  for (int y = 0; y < target.Height(); ++y) {
    std::uint8_t* t = target.ScanLine(y);
    const std::uint8_t* m = mask.ScanLine(y);
    for (int x = 0; x < target.Width(); ++x, t += 4, m += 4) SetAlphaPremultiplied(t, m[kAlpha]);
  }
}

Color ContrastColor(Color color) {
  const int sum = 2 * RedOf(color) + 5 * GreenOf(color) + BlueOf(color);
  return sum >= 1024 ? 0x000000 : 0xFFFFFF;
}

namespace {

// x / 255 rounded to the nearest integer, exact for 0 <= x <= 255 * 255. (x + 128) * 257 >> 16 is
// the same number as (x + 128 + ((x + 128) >> 8)) >> 8, in a form that the compiler turns into one
// 16-bit high multiply per lane.
inline std::uint16_t DivideBy255(std::uint16_t x) {
  const std::uint16_t t = static_cast<std::uint16_t>(x + 128);
  return static_cast<std::uint16_t>((static_cast<std::uint32_t>(t) * 257u) >> 16);
}

// Pixels are taken in chunks: first each pixel's share of the destination that shows through,
// repeated for its four bytes, then one uniform pass over the bytes, which vectorises. A fully
// transparent source pixel needs no test of its own: it keeps 255/255 of the destination, which
// leaves every byte as it was.
void BlendRow(std::uint8_t* d, const std::uint8_t* s, int pixels, int k) {
  constexpr int kChunk = 256;
  std::uint16_t keep[kChunk * 4];
  for (int base = 0; base < pixels; base += kChunk) {
    const int n = std::min(kChunk, pixels - base);
    const std::uint8_t* sp = s + base * 4;
    std::uint8_t* dp = d + base * 4;
    for (int x = 0; x < n; ++x) {
      const std::uint16_t sa = DivideBy255(static_cast<std::uint16_t>(sp[x * 4 + kAlpha] * k));
      for (int c = 0; c < 4; ++c) keep[x * 4 + c] = static_cast<std::uint16_t>(255 - sa);
    }
    for (int i = 0; i < n * 4; ++i) {
      const std::uint16_t v =
          static_cast<std::uint16_t>(DivideBy255(static_cast<std::uint16_t>(sp[i] * k)) +
                                     DivideBy255(static_cast<std::uint16_t>(dp[i] * keep[i])));
      dp[i] = static_cast<std::uint8_t>(std::min<std::uint16_t>(v, 255));
    }
  }
}

}  // namespace

void BlendOnto(FrameBitmap& target, const FrameBitmap& source, int left, int top,
               std::uint8_t constant_alpha) {
  // 64-bit bounds: a placement far off the target must clip, not overflow.
  const int x0 = std::max(0, left);
  const int y0 = std::max(0, top);
  const int x1 = static_cast<int>(
      std::min<std::int64_t>(target.Width(), static_cast<std::int64_t>(left) + source.Width()));
  const int y1 = static_cast<int>(
      std::min<std::int64_t>(target.Height(), static_cast<std::int64_t>(top) + source.Height()));
  if (x0 >= x1 || y0 >= y1) return;
  // The source scaled by the constant alpha first, then source-over on premultiplied bytes; the
  // alpha byte follows the same rule as the colour bytes.
  for (int y = y0; y < y1; ++y) {
    BlendRow(target.ScanLine(y) + x0 * 4, source.ScanLine(y - top) + (x0 - left) * 4, x1 - x0,
             constant_alpha);
  }
}

}  // namespace tindrel
