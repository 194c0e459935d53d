#include "app/win32/font_chooser.h"

#include <commdlg.h>

#include "base/stored_names.h"
#include "base/win32/raii.h"
#include "base/win32/system_library.h"
#include "base/win32/text_conversion.h"
#include "render/display_scale.h"
#include "render/win32/gdi_text_painter.h"
#include "settings/win32/window_placement.h"

namespace tindrel::win {

bool ChooseCaptionFont(HWND owner, FontSpec& font) {
  const int screen_dpi = ScreenPixelsPerInch();
  FontSpec shown = font;
  shown.height = ScaledLength(font.height, screen_dpi);
  LOGFONTW logical = LogicalFontFor(shown);

  CHOOSEFONTW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpLogFont = &logical;
  dialog.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
  dialog.rgbColors = font.color;
  // The font chooser's library comes in for the dialog only.
  const ScopedModule dialogs = LoadSystemLibrary(L"comdlg32.dll");
  const auto choose_font = LibraryFunction<decltype(&ChooseFontW)>(dialogs, "ChooseFontW");
  if (!choose_font(&dialog)) return false;

  font.face = Narrow(logical.lfFaceName);
  font.height = MulDivRounded(logical.lfHeight, kBaseDpi, screen_dpi);
  font.color = dialog.rgbColors;
  font.style = (logical.lfWeight >= FW_BOLD ? font_style::kBold : 0) |
               (logical.lfItalic ? font_style::kItalic : 0) |
               (logical.lfUnderline ? font_style::kUnderline : 0) |
               (logical.lfStrikeOut ? font_style::kStrikeOut : 0);
  return true;
}

}  // namespace tindrel::win
