#include "app/win32/due_date_tip.h"

#include <commctrl.h>

#include "base/win32/system_library.h"

namespace tindrel::win {

void DueDateTipWindow::AttachDueDateTip(const std::string& title, const std::wstring& text,
                                        COLORREF back_color, COLORREF text_color) {
  tip_.reset();  // the previous tip goes; the new one comes with the mouse
  tool_ = Tool{title, text.substr(0, 256), back_color, text_color};
}

void DueDateTipWindow::MakeTip(const Tool& tool) {
  if (!controls_) {
    controls_ = LoadCommonControls();
    using InitializeControls = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto initialize =
        LibraryFunctionOrNull<InitializeControls>(controls_, "InitCommonControlsEx");
    if (!initialize) return;
    const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    initialize(&controls);
  }
  tip_.reset(CreateWindowExW(
      0, TOOLTIPS_CLASSW, nullptr, kDueDateTipStyle, 0, 0, 0, 0, owner_, nullptr,
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner_, GWLP_HINSTANCE)), nullptr));
  // Tolerated when the tip cannot be made: it only explains the countdown, which goes on without
  // it, and a report would come up the moment the mouse passes over the widget.
  if (!tip_) return;
  SetWindowPos(tip_.get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  SendMessageW(tip_.get(), TTM_SETTIPBKCOLOR, tool.back_color, 0);
  SendMessageW(tip_.get(), TTM_SETTIPTEXTCOLOR, tool.text_color, 0);

  std::wstring tool_text = tool.text;
  TOOLINFOW info{};
  info.cbSize = kToolRecordSize;
  info.uFlags = kDueDateToolFlags;
  info.hwnd = owner_;
  info.uId = 0;
  GetClientRect(owner_, &info.rect);
  info.lpszText = tool_text.data();  // the control keeps its own copy
  SendMessageW(tip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  SendMessageA(tip_.get(), TTM_SETTITLEA, 0, reinterpret_cast<LPARAM>(tool.title.c_str()));
}

void DueDateTipWindow::WatchForLeave() const {
  TRACKMOUSEEVENT leave{sizeof(leave), TME_LEAVE, owner_, 0};
  // Tolerated when it fails: the tip then stays made until the next due date, as it did always.
  TrackMouseEvent(&leave);
}

void DueDateTipWindow::RelayMouseMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_MOUSELEAVE) {
    tip_.reset();  // the tip goes before the library that made it
    controls_.reset();
    return;
  }
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      break;
    default:
      return;
  }
  if (!tool_) return;
  if (!tip_) {
    MakeTip(*tool_);
    if (!tip_) {
      tool_.reset();  // not tried again at every move of the mouse
      return;
    }
    WatchForLeave();
  }
  MSG relayed{};
  relayed.hwnd = owner_;
  relayed.message = message;
  relayed.wParam = wparam;
  relayed.lParam = lparam;
  relayed.time = static_cast<DWORD>(GetMessageTime());
  const DWORD at = GetMessagePos();
  relayed.pt = POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  SendMessageW(tip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

}  // namespace tindrel::win
