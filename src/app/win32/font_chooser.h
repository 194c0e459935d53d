#pragma once
// The system's font chooser for the caption: face, size, style and colour.

#include <windows.h>

#include "render/text_painter.h"

namespace tindrel::win {

// Opens the chooser owned by `owner` at the caption's font, `font` being the font of the 96-DPI
// layout: the chooser shows and gives sizes at the screen's pixels per inch, and the chosen height
// is brought back to 96 DPI. True when the user confirmed a font, which then replaces `font`;
// Cancel leaves it as it was.
bool ChooseCaptionFont(HWND owner, FontSpec& font);

}  // namespace tindrel::win
