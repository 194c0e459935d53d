#pragma once
// Pixel operations on frame bitmaps: the solid-pixel test, the matte from a black/white drawing
// pair, the alpha mask, the contrast colour, and the one blend routine used by the caption, the
// frame and the stars alike.

#include <cstdint>

#include "render/frame_bitmap.h"
#include "render/png_decoder.h"

namespace tindrel {

// A new bitmap of the picture's size: filled with `fill`, the picture composited over it channel
// by channel as (c * a + f * (255 - a) + 255) >> 8, and for colour types 4 and 6 its alpha imported
// with premultiplication. Other colour types keep their colours with A = 0 everywhere.
FrameBitmap PngToAlphaBitmap(const DecodedPng& picture, Color fill);

// Pixel (column + x, row + y) gets A = alpha row y, byte x, and each colour byte multiplied by it
// (div 255). Only for pictures with alpha rows; throws Error when the picture has none or does not
// fit across the bitmap, and "Scan line index out of range" when it reaches below it.
void ImportPngAlpha(FrameBitmap& bitmap, const DecodedPng& picture, int column, int row);

// True when the A byte of pixel (x, y) is above 155. A column outside the bitmap is not solid; a
// row outside it is the scan-line error.
bool IsSolidPixel(const FrameBitmap& bitmap, int x, int y);

// The A byte of `on_black` becomes the coverage of the drawing: 255 - (the sum of the red, green
// and blue differences) div 3, each difference on_white - on_black taken modulo 256. Sizes are
// taken from `on_black`; throws Error when `on_white` is smaller.
void MatteFromPair(FrameBitmap& on_black, const FrameBitmap& on_white);

// target.A = mask.A, then each colour byte of target is multiplied by it (div 255). Throws Error
// when the mask is smaller than the target.
void ApplyAlphaMask(FrameBitmap& target, const FrameBitmap& mask);

// Black (0x000000) when 2r + 5g + b >= 1024, white (0xFFFFFF) otherwise.
Color ContrastColor(Color color);

// Source-over blend of the whole of `source`, unscaled, with its top-left corner at (left, top) of
// `target`, clipped to the target: every byte c (B, G, R and A) becomes
// S.c * k + D.c * (1 - S.A * k / 255) with k = constant_alpha / 255, source premultiplied.
void BlendOnto(FrameBitmap& target, const FrameBitmap& source, int left, int top,
               std::uint8_t constant_alpha);

}  // namespace tindrel
