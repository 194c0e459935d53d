#pragma once
// The platform's text measuring and drawing, through GDI, on the DIB sections behind frame
// bitmaps.

#include <string>

#include "render/text_painter.h"

namespace tindrel {

class GdiTextPainter : public TextPainter {
 public:
  TextExtent Measure(const FontSpec& font, const std::string& text) override;
  void Draw(FrameBitmap& target, const FontSpec& font, const std::string& text, int x, int y,
            Colour colour) override;
};

}  // namespace tindrel
