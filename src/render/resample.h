#pragma once
// Pictures resized for a display scale, in premultiplied alpha so that transparent pixels lend no
// colour to their neighbours (no dark fringes at soft edges).

#include "render/frame_bitmap.h"

namespace tindrel {

// A new `width` x `height` bitmap of `source`, each axis on its own: shrunk (or kept) with an
// area filter, every target pixel the exact area-weighted mean of the source pixels it covers;
// enlarged by linear interpolation between the two nearest source pixel centres (ends repeated),
// never by repeating pixels. Both axes' weights are whole numbers, and each byte of the result is
// the weighted sum divided by the total weight, rounded with halves up: exact and the same on
// every build. A source of that size comes back byte for byte; an empty source gives a
// transparent bitmap.
FrameBitmap ResampleBitmap(const FrameBitmap& source, int width, int height);

}  // namespace tindrel
