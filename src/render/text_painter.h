#pragma once
// The seam through which the caption is measured and drawn: GDI on Windows, a small deterministic
// painter in the native tests.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/stored_names.h"
#include "render/frame_bitmap.h"

namespace tindrel {

// The caption font. `height` is the character height in pixels as a negative number (or a cell
// height when positive), the way the platform's logical font takes it.
struct FontSpec {
  std::string face = defaults::kFontName;
  int height = -20;
  Color color = 0x004080FF;
  int style = 0;

  bool operator==(const FontSpec& other) const { return SameGlyphs(other) && color == other.color; }
  // The same face, height and style draw the same glyphs; the colour only inks them.
  bool SameGlyphs(const FontSpec& other) const {
    return face == other.face && height == other.height && style == other.style;
  }
};

// a * b / c in 64 bits, rounded to the nearest integer with halves away from zero, as the
// platform's MulDiv does; -1 when c is 0 or the result does not fit in 32 bits.
int MulDivRounded(int a, int b, int c);

// Points <-> height for a screen of `pixels_per_inch`, rounded as MulDiv rounds:
// height = -MulDiv(points, ppi, 72) and points = -MulDiv(height, 72, ppi).
int FontHeightFromPoints(int points, int pixels_per_inch);
int FontPointsFromHeight(int height, int pixels_per_inch);

// A face drawn in place of another that is not installed: the caption's default digital face is
// missing on most machines, and a look-alike shipped beside the program stands in for it.
struct FaceStandIn {
  std::string missing_face;  // the face the stand-in replaces
  std::string stand_in;      // the face drawn instead
};

// The face the caption is drawn in for the `chosen` one: the stand-in's face when `chosen` names
// the face it replaces (compared without regard to case, as face names are) and `installed` says
// that face is not there; otherwise `chosen` itself. `installed` is asked only about that face.
std::string FaceToDraw(const std::string& chosen, const std::optional<FaceStandIn>& stand_in,
                       const std::function<bool(const std::string&)>& installed);

struct TextExtent {
  int width = 0;
  int height = 0;
};

class TextPainter {
 public:
  virtual ~TextPainter() = default;
  // Width and height in pixels of one line of text in the font.
  virtual TextExtent Measure(const FontSpec& font, const std::string& text) = 0;
  // Draws the text in `colour` with its top-left corner at (x, y); every touched pixel ends with
  // A = 0, as the platform's text drawing leaves it.
  virtual void Draw(FrameBitmap& target, const FontSpec& font, const std::string& text, int x,
                    int y, Color color) = 0;
};

}  // namespace tindrel
