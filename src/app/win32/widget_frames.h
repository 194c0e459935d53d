#pragma once
// The widget's frames: composed from the skin, the caption and the stars, and presented on the
// layered window. A frame that cannot be composed is reported once for the same inputs, one that
// cannot be presented once for the same system error; the last good frame stays on screen.

#include <windows.h>

#include <optional>
#include <string>

#include "app/win32/error_report.h"
#include "render/composition.h"
#include "render/win32/gdi_text_painter.h"
#include "render/win32/layered_window.h"
#include "render/win32/private_font.h"

namespace tindrel::win {

class WidgetFrames {
 public:
  // `fonts_folder` holds the bundled digital face, drawn when the default face is missing.
  WidgetFrames(ErrorReport& report, const std::string& fonts_folder);

  // Composes the frame of `inputs` and presents it at the window's place, or at `position` (the
  // window moves there in the same update). True when a frame was presented at a size other than
  // the window had (the caption's font or the skin changed it). `skin_name` only tells one failing
  // skin from another.
  bool Draw(HWND window, const FrameInputs& inputs, const std::string& skin_name,
            std::optional<POINT> position = std::nullopt);

  // A font was installed or removed: the same face name may draw differently now.
  void ForgetFonts();
  // The window may not show the last frame presented any more: the next is handed over whole.
  void ForgetPresented() { presenter_.Forget(); }

 private:
  ErrorReport& report_;
  // Before the painter, whose fonts may be made from it.
  PrivateFontFile bundled_font_;
  GdiTextPainter painter_;
  FrameComposer composer_;
  LayeredFramePresenter presenter_;
  // What was last reported, so that a repeating problem shows one box, not one per tick.
  std::optional<std::string> failed_frame_inputs_;
  DWORD failed_present_code_ = 0;
};

}  // namespace tindrel::win
