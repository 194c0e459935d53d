#pragma once
// The tooltip that a due-date choice attaches to the widget: "Till ..." in blue and navy,
// popping up centred under the widget while the mouse rests over it. The tooltip control is made
// when the mouse comes over the widget and let go, with the common controls that make it, when
// the mouse leaves: they are in memory only while someone may be looking at the tip.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstddef>
#include <optional>
#include <string>

#include "base/win32/raii.h"

namespace tindrel::win {

// The tool record in the layout that ends with the application-data field: 44 bytes in the x86
// build, 64 in the x64 one, whose handles and pointers are twice as wide.
constexpr UINT kToolRecordSize = offsetof(TOOLINFOW, lParam) + sizeof(LPARAM);
static_assert(sizeof(void*) == 8 || kToolRecordSize == 44, "the x86 tool record has 44 bytes");
// The widget hands its mouse messages to the tip itself (RelayMouseMessage) instead of letting the
// control subclass it: a subclassed window pays a property lookup in the window server for every
// message it gets, frames and chimes included.
constexpr UINT kDueDateToolFlags = TTF_CENTERTIP | TTF_TRANSPARENT;          // 0x0102
constexpr DWORD kDueDateTipStyle = WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP;  // 0x80000003

class DueDateTipWindow {
 public:
  explicit DueDateTipWindow(HWND owner) : owner_(owner) {}

  // Replaces the widget's tooltip. `text` holds at most 256 UTF-16 characters.
  void AttachDueDateTip(const std::string& title, const std::wstring& text, COLORREF back_color,
                        COLORREF text_color);

  // The tooltip control; null until the first mouse message has been relayed.
  HWND Handle() const { return tip_.get(); }

  // Passes a mouse message the owner received on to the tip, which pops up when the mouse rests
  // over the owner, making the tip first if it is not made yet; lets the tip go when the mouse
  // leaves the owner; other messages are ignored. Failure to make the tip is silent and leaves
  // the widget without one until the next due date.
  void RelayMouseMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  // What the tip shows.
  struct Tool {
    std::string title;
    std::wstring text;
    COLORREF back_color;
    COLORREF text_color;
  };

  void MakeTip(const Tool& tool);
  // Asks for the owner's WM_MOUSELEAVE, which lets the tip go again.
  void WatchForLeave() const;

  HWND owner_;
  std::optional<Tool> tool_;  // empty with no due date, or when the tip could not be made
  ScopedModule controls_;     // loaded with the tip, and let go after it
  ScopedWindow tip_;
};

}  // namespace tindrel::win
