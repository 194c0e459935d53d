#pragma once
// The widget's display scale. Everything it draws is laid out for 96 dots per inch and sized for
// the DPI of its window: a length of the 96-DPI layout becomes length * dpi / 96 pixels, so at 96
// every pixel stays what it is.

namespace tindrel {

// The DPI of 100 %: the layout's own pixels.
constexpr int kBaseDpi = 96;

// `length` pixels of the 96-DPI layout at `dpi`, rounded to the nearest pixel with halves away
// from zero (as the platform's MulDiv rounds); exactly `length` at 96. A DPI that is not positive
// is taken as 96.
int ScaledLength(int length, int dpi);

}  // namespace tindrel
