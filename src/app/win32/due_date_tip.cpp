#include "app/win32/due_date_tip.h"

#include <commctrl.h>

namespace tindrel::win {

void DueDateTipWindow::AttachDueDateTip(const std::string& title, const std::wstring& text,
                                        COLORREF back_color, COLORREF text_color) {
  tip_.reset();  // the previous tip goes before the new one comes
  tip_.reset(CreateWindowExW(
      0, TOOLTIPS_CLASSW, nullptr, kDueDateTipStyle, 0, 0, 0, 0, owner_, nullptr,
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner_, GWLP_HINSTANCE)), nullptr));
  // Tolerated when the tip cannot be made: it only explains the countdown, which goes on without
  // it, and a report here would interrupt a settings load half done.
  if (!tip_) return;
  SetWindowPos(tip_.get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  SendMessageW(tip_.get(), TTM_SETTIPBKCOLOR, back_color, 0);
  SendMessageW(tip_.get(), TTM_SETTIPTEXTCOLOR, text_color, 0);

  std::wstring tool_text = text.substr(0, 256);
  TOOLINFOW tool{};
  tool.cbSize = kToolRecordSize;
  tool.uFlags = kDueDateToolFlags;
  tool.hwnd = owner_;
  tool.uId = 0;
  GetClientRect(owner_, &tool.rect);
  tool.lpszText = tool_text.data();  // the control keeps its own copy
  SendMessageW(tip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageA(tip_.get(), TTM_SETTITLEA, 0, reinterpret_cast<LPARAM>(title.c_str()));
}

void DueDateTipWindow::RelayMouseMessage(UINT message, WPARAM wparam, LPARAM lparam) const {
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
  if (!tip_) return;
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
