#pragma once
// Pixel operations on frame bitmaps: the solid-pixel test, the matte from a black/white drawing
// pair, the alpha mask, the contrast colour, and the one blend routine used by the caption, the
// frame and the stars alike.

#include <cstdint>

#include "render/frame_bitmap.h"

namespace tindrel {

// True when the A byte of pixel (x, y) is above 155. The caller passes coordinates inside the
// bitmap.
bool IsSolidPixel(const FrameBitmap& bitmap, int x, int y);

// onBlack's A byte becomes the coverage of the drawing: 255 - (dR + dG + dB) div 3, each
// difference onWhite - onBlack taken modulo 256. Sizes are taken from onBlack.
void MatteFromPair(FrameBitmap& on_black, const FrameBitmap& on_white);

// target.A = mask.A, then each colour byte of target is multiplied by it (div 255).
void ApplyAlphaMask(FrameBitmap& target, const FrameBitmap& mask);

// Black (0x000000) when 2r + 5g + b >= 1024, white (0xFFFFFF) otherwise.
Colour ContrastColor(Colour colour);

// Source-over blend of the whole of `source`, unscaled, with its top-left corner at (left, top) of
// `target`, clipped to the target: every byte c (B, G, R and A) becomes
// S.c * k + D.c * (1 - S.A * k / 255) with k = constant_alpha / 255, source premultiplied.
void BlendOnto(FrameBitmap& target, const FrameBitmap& source, int left, int top,
               std::uint8_t constant_alpha);

}  // namespace tindrel
