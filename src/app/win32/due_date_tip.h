#pragma once
// The tooltip that a due-date choice attaches to the widget: "Till ..." in blue and navy,
// popping up centred under the widget while the mouse rests over it.

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <string>

#include "app/win32/raii.h"

namespace tindrel::win {

// The tool record in the layout that ends with the application-data field: 44 bytes in the x86
// build, 64 in the x64 one, whose handles and pointers are twice as wide.
constexpr UINT kToolRecordSize = offsetof(TOOLINFOW, lParam) + sizeof(LPARAM);
static_assert(sizeof(void*) == 8 || kToolRecordSize == 44, "the x86 tool record has 44 bytes");
constexpr UINT kDueDateToolFlags = TTF_CENTERTIP | TTF_SUBCLASS | TTF_TRANSPARENT;  // 0x0112
constexpr DWORD kDueDateTipStyle = WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP;         // 0x80000003

class DueDateTipWindow {
 public:
  explicit DueDateTipWindow(HWND owner) : owner_(owner) {}

  // Replaces the widget's tooltip. `text` holds at most 256 UTF-16 characters; failure to create
  // the tooltip is silent and leaves the widget without one.
  void AttachDueDateTip(const std::string& title, const std::wstring& text, COLORREF back_colour,
                        COLORREF text_colour);

  HWND Handle() const { return tip_.get(); }

 private:
  HWND owner_;
  ScopedWindow tip_;
};

}  // namespace tindrel::win
