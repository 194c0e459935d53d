#pragma once
// The platform's text measuring and drawing, through GDI, on the DIB sections behind frame
// bitmaps.

#include <windows.h>

#include <string>

#include "render/text_painter.h"

namespace tindrel {

// The logical font for a FontSpec: its height as given (negative: character height), its style
// bits, the default character set and the system's default quality.
LOGFONTW LogicalFontFor(const FontSpec& font);

class GdiTextPainter : public TextPainter {
 public:
  TextExtent Measure(const FontSpec& font, const std::string& text) override;
  void Draw(FrameBitmap& target, const FontSpec& font, const std::string& text, int x, int y,
            Colour colour) override;
};

}  // namespace tindrel
