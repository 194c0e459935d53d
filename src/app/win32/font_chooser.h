#pragma once
// The system's font chooser for the caption: face, size, style and colour.

#include <windows.h>

#include "render/text_painter.h"

namespace tindrel::win {

// Opens the chooser owned by `owner` at the caption's font. True when the user confirmed a font,
// which then replaces `font`; Cancel leaves it as it was.
bool ChooseCaptionFont(HWND owner, FontSpec& font);

}  // namespace tindrel::win
