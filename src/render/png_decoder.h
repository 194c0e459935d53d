#pragma once
// PNG decoding into the form the pixel import takes: 8-bit R, G, B per pixel whatever the
// picture's colour type and bit depth, the alpha rows of pictures that carry alpha, and the
// transparency of the tRNS chunk for pictures that do not.
//
// An ancillary chunk whose CRC is wrong counts as absent (gAMA and tRNS alike), and the memory for
// the pixels is taken as their rows arrive, so a short file that declares a huge picture fails
// without reserving its declared size.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tindrel {

// Colour types of the PNG image header.
enum PngColorType : int {
  kPngGrey = 0,
  kPngRgb = 2,
  kPngPalette = 3,
  kPngGreyAlpha = 4,
  kPngRgbAlpha = 6,
};

struct DecodedPng {
  int width = 0;
  int height = 0;
  int color_type = kPngRgb;  // as the image header gives it
  // R, G, B per pixel, rows from the top: grey expanded, palettes resolved, 16-bit samples reduced
  // to their high byte, and for colour types 2 and 6 mapped by the gAMA chunk.
  std::vector<std::uint8_t> colors;
  // Colour types 4 and 6 only: `width` alpha bytes per row, rows from the top.
  std::vector<std::uint8_t> alpha;
  // Colour types 0, 2 and 3 with a tRNS chunk only: one byte per pixel, 0 for a keyed colour, the
  // palette entry's alpha for palettes, 255 elsewhere. Empty when the picture has no tRNS chunk.
  std::vector<std::uint8_t> transparency;

  bool HasAlphaRows() const { return color_type == kPngGreyAlpha || color_type == kPngRgbAlpha; }
  const std::uint8_t* ColorRow(int y) const {
    return colors.data() + static_cast<std::size_t>(y) * width * 3;
  }
  // nullptr when the picture has no alpha rows.
  const std::uint8_t* AlphaRow(int y) const {
    return alpha.empty() ? nullptr : alpha.data() + static_cast<std::size_t>(y) * width;
  }
  // The alpha with which row y is composited over a fill: the alpha row, or the tRNS
  // transparency; nullptr when every pixel is opaque.
  const std::uint8_t* CompositingAlphaRow(int y) const;
  // Throws Error when the buffers do not match the size and colour type.
  void CheckConsistent() const;
};

// Decodes the PNG file at `utf8_path`. Throws Error with "Cannot open file ..." when the file
// cannot be opened, and with the decoder's message naming the file when it is not a usable PNG.
DecodedPng DecodePngFile(const std::string& utf8_path);

// Decodes a PNG held in memory. Throws Error when it is not a usable PNG.
DecodedPng DecodePngBytes(const std::uint8_t* bytes, std::size_t size);
DecodedPng DecodePngBytes(const std::vector<std::uint8_t>& bytes);

// The colour mapping of a gAMA value: 255 * (c / 255) ^ (1 / (gama / 100000 * 2.2)), rounded
// with RoundHalfToEven. A gAMA of 0 leaves the sample as it is.
std::uint8_t GammaMapped(std::uint8_t sample, std::uint32_t gama);

// The nearest integer, halves to the even neighbour, whatever the floating-point rounding mode.
double RoundHalfToEven(double value);

}  // namespace tindrel
