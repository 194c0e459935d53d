#pragma once
// The platform's text measuring and drawing, through GDI, on the DIB sections behind frame
// bitmaps.

#include <windows.h>

#include <optional>
#include <string>

#include "base/win32/raii.h"
#include "render/text_painter.h"

namespace tindrel::win {

// The logical font for a FontSpec: its height as given (negative: character height), its style
// bits, the default character set and the system's default quality.
LOGFONTW LogicalFontFor(const FontSpec& font);

// Keeps one device context with the logical font of the last FontSpec it was given selected in
// it: the caption is measured and drawn every second in the same font, and each selection of a
// font costs the platform a lookup of the display's text-smoothing defaults.
class GdiTextPainter : public TextPainter {
 public:
  TextExtent Measure(const FontSpec& font, const std::string& text) override;
  void Draw(FrameBitmap& target, const FontSpec& font, const std::string& text, int x, int y,
            Color color) override;

  // Lets the next call make its font anew (after fonts were installed or removed).
  void ForgetFont();

  // From now on, text in `stand_in.missing_face` is drawn in `stand_in.stand_in` whenever the
  // former is not installed (checked each time the font is made anew).
  void SetFaceStandIn(FaceStandIn stand_in);

 private:
  HDC DeviceContext();
  // The device context with the font for `font` selected in it.
  HDC DeviceContextIn(const FontSpec& font);

  ScopedMemoryDc dc_;
  std::optional<FaceStandIn> stand_in_;
  std::optional<FontSpec> font_spec_;  // what font_ was made for
  ScopedFont font_;
  // Declared last, so that the font is deselected before it and the context are deleted.
  std::optional<ScopedSelect> font_selected_;
};

}  // namespace tindrel::win
