#pragma once
// A deterministic stand-in for the platform's text drawing, for native tests and benchmarks.
// Every character but the space is a solid block glyph: a cell of `CellWidth` columns and
// `CellHeight` rows whose last column is an anti-aliased edge of coverage kEdgeCoverage; a space
// is an empty cell. Like the platform's drawing it leaves A = 0 in every pixel it touches.
//
// The edge mixes ink and background linearly by default, which makes the difference between a
// drawing on white and one on black the same whatever the ink. Real font smoothing mixes in a
// gamma-corrected space, where that difference depends on the ink; the squared mixing stands in
// for it (gamma 2: the root of the coverage-weighted mean of the squares), so that a caption drawn
// in the wrong ink shows a different coverage.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "render/frame_bitmap.h"
#include "render/text_painter.h"

namespace tindrel::test {

class FakeTextPainter : public TextPainter {
 public:
  static constexpr int kEdgeCoverage = 127;

  enum class InkMixing { kLinear, kSquared };

  FakeTextPainter() = default;
  explicit FakeTextPainter(InkMixing mixing) : mixing_(mixing) {}

  static int CellHeight(const FontSpec& font) { return std::max(1, std::abs(font.height)); }
  static int CellWidth(const FontSpec& font) { return std::max(2, CellHeight(font) / 2); }

  // Characters are UTF-8 code points.
  static int CharacterCount(const std::string& text) {
    return static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) {
      return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
  }

  TextExtent Measure(const FontSpec& font, const std::string& text) override {
    return {CellWidth(font) * CharacterCount(text), CellHeight(font)};
  }

  void Draw(FrameBitmap& target, const FontSpec& font, const std::string& text, int x, int y,
            Color color) override {
    const int cell_width = CellWidth(font);
    int cell = 0;
    for (std::size_t k = 0; k < text.size(); ++k) {
      if ((static_cast<unsigned char>(text[k]) & 0xC0) == 0x80) continue;
      if (text[k] != ' ') DrawGlyph(target, font, x + cell * cell_width, y, color);
      ++cell;
    }
  }

 private:
  void DrawGlyph(FrameBitmap& target, const FontSpec& font, int left, int top, Color color) const {
    const int width = CellWidth(font);
    for (int row = top; row < top + CellHeight(font); ++row) {
      if (row < 0 || row >= target.Height()) continue;
      for (int column = left; column < left + width; ++column) {
        if (column < 0 || column >= target.Width()) continue;
        const int coverage = column == left + width - 1 ? kEdgeCoverage : 255;
        std::uint8_t* p = target.PixelAt(column, row);
        p[kBlue] = Mix(BlueOf(color), p[kBlue], coverage);
        p[kGreen] = Mix(GreenOf(color), p[kGreen], coverage);
        p[kRed] = Mix(RedOf(color), p[kRed], coverage);
        p[kAlpha] = 0;
      }
    }
  }

  std::uint8_t Mix(int ink, int background, int coverage) const {
    if (mixing_ == InkMixing::kSquared) return MixSquared(ink, background, coverage);
    return static_cast<std::uint8_t>((ink * coverage + background * (255 - coverage) + 127) / 255);
  }

  // The integer r nearest to the root of m = (ink^2 * coverage + background^2 * (255 - coverage))
  // / 255: the largest r with (r - 1/2)^2 <= m, that is 255 * (2r - 1)^2 <= 4 * 255 * m.
  static std::uint8_t MixSquared(int ink, int background, int coverage) {
    const long long four_m_255 =
        4LL * (ink * ink * coverage + background * background * (255 - coverage));
    int root = 0;
    while (root < 255 && 255LL * (2 * root + 1) * (2 * root + 1) <= four_m_255) ++root;
    return static_cast<std::uint8_t>(root);
  }

  InkMixing mixing_ = InkMixing::kLinear;
};

}  // namespace tindrel::test
