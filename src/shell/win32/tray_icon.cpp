#include "shell/win32/tray_icon.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <exception>
#include <utility>

#include "base/error.h"
#include "base/win32/text_conversion.h"

namespace tindrel::win {
namespace {

constexpr wchar_t kWindowClass[] = L"TindrelTrayIconWindow";
constexpr std::size_t kTipMaxChars = 63;
constexpr UINT_PTR kAddRetryTimer = 1;
constexpr UINT_PTR kDoubleClickTimer = 2;

// The record's tip field has grown in later layouts; the first layout holds its first 64 bytes.
constexpr std::size_t kFirstLayoutTipBytes = 64;
static_assert(offsetof(NOTIFYICONDATAA, szTip) + kFirstLayoutTipBytes == kTrayRecordSize,
              "the first notification record layout ends with a 64-byte tip");

std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

std::string TipText(const std::string& hint) {
  std::wstring tip = Widen(hint.substr(0, hint.find('|')));
  if (tip.size() > kTipMaxChars) tip.resize(kTipMaxChars);
  std::string ansi = ToAnsi(tip);
  if (ansi.size() > kTipMaxChars) ansi.resize(kTipMaxChars);
  return ansi;
}

bool MapMouseMessage(UINT mouse_message, TrayMouseEvent& event) {
  switch (mouse_message) {
    case WM_MOUSEMOVE:
      event = TrayMouseEvent::kMove;
      return true;
    case WM_LBUTTONDOWN:
      event = TrayMouseEvent::kLeftDown;
      return true;
    case WM_LBUTTONUP:
      event = TrayMouseEvent::kLeftUp;
      return true;
    case WM_LBUTTONDBLCLK:
      event = TrayMouseEvent::kLeftDoubleClick;
      return true;
    case WM_RBUTTONDOWN:
      event = TrayMouseEvent::kRightDown;
      return true;
    case WM_RBUTTONUP:
      event = TrayMouseEvent::kRightUp;
      return true;
    case WM_RBUTTONDBLCLK:
      event = TrayMouseEvent::kRightDoubleClick;
      return true;
    case WM_MBUTTONDOWN:
      event = TrayMouseEvent::kMiddleDown;
      return true;
    case WM_MBUTTONUP:
      event = TrayMouseEvent::kMiddleUp;
      return true;
    case WM_MBUTTONDBLCLK:
      event = TrayMouseEvent::kMiddleDoubleClick;
      return true;
    case NIN_SELECT:
      event = TrayMouseEvent::kSelect;
      return true;
    case NIN_KEYSELECT:
      event = TrayMouseEvent::kKeySelect;
      return true;
    case WM_CONTEXTMENU:
      event = TrayMouseEvent::kContextMenu;
      return true;
    default:
      return false;
  }
}

std::uint32_t KeyState() {
  std::uint32_t shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= kTrayShift;
  if (GetKeyState(VK_CONTROL) < 0) shift |= kTrayCtrl;
  if (GetKeyState(VK_MENU) < 0) shift |= kTrayAlt;
  return shift;
}

std::uint32_t ButtonBit(TrayButton button) {
  switch (button) {
    case TrayButton::kLeft:
      return kTrayLeftButton;
    case TrayButton::kRight:
      return kTrayRightButton;
    case TrayButton::kMiddle:
      return kTrayMiddleButton;
  }
  return 0;
}

POINT CursorPosition() {
  POINT cursor{};
  GetCursorPos(&cursor);
  return cursor;
}

// Delivers what is already queued, so that the change of foreground has taken effect before the
// menu starts its own loop. A quit request is put back for the main loop.
void ProcessPendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Makes the icon's window the foreground window if it takes input. A popup menu closes on a
// click elsewhere only while its owner is in the foreground.
void BringToForeground(HWND window) {
  if (IsWindowEnabled(window)) SetForegroundWindow(window);
}

}  // namespace

NOTIFYICONDATAA BuildTrayRecord(HWND window, HICON icon, const std::string& hint) {
  NOTIFYICONDATAA record{};
  record.cbSize = kTrayRecordSize;
  record.hWnd = window;
  record.uID = 0;
  record.uFlags = kTrayRecordFlags;
  record.uCallbackMessage = kTrayCallbackMessage;
  record.hIcon = icon;
  const std::string tip = TipText(hint);
  std::memcpy(record.szTip, tip.data(), tip.size());
  return record;
}

NOTIFYICONDATAA BuildTrayVersionRecord(HWND window) {
  NOTIFYICONDATAA record{};
  record.cbSize = NOTIFYICONDATAA_V2_SIZE;
  record.hWnd = window;
  record.uID = 0;
  record.uVersion = NOTIFYICON_VERSION_4;
  return record;
}

TrayIcon::TrayIcon(HICON icon, std::string hint, HWND main_window, Handlers handlers,
                   ShellNotify notify, TrayAddRetry retry)
    : icon_(icon),
      hint_(std::move(hint)),
      main_window_(main_window),
      handlers_(std::move(handlers)),
      notify_(std::move(notify)),
      retry_(retry),
      taskbar_created_(RegisterWindowMessageW(L"TaskbarCreated")) {
  // A hidden top-level window rather than a message-only one: only top-level windows receive the
  // shell's broadcast that the taskbar has been re-created, after which the icon is added again.
  CreateRoutedWindow({kWindowClass, GetModuleHandleW(nullptr)}, WindowShape{});
  Add();
}

// The window goes with the base, unbound first: no message reaches the parts already gone.
TrayIcon::~TrayIcon() {
  Remove();
}

bool TrayIcon::Notify(DWORD message, NOTIFYICONDATAA& record) {
  if (notify_) return notify_(message, record);
  return Shell_NotifyIconA(message, &record) != FALSE;
}

void TrayIcon::Add() {
  NOTIFYICONDATAA record = BuildTrayRecord(Handle(), icon_, hint_);
  // Fails when the shell holds no icon of ours, which is the usual case; only the add counts.
  Notify(NIM_DELETE, record);
  added_ = icon_ != nullptr && AddToShell();
  StopRetrying();
  if (icon_ == nullptr || added_ || retry_.attempts <= 0) return;
  // Without the timer there is no second try; the next restart of the shell adds the icon.
  if (SetTimer(Handle(), kAddRetryTimer, retry_.interval_ms, nullptr))
    retries_left_ = retry_.attempts;
}

void TrayIcon::RetryAdd() {
  if (retries_left_ <= 0) {
    StopRetrying();
    return;
  }
  --retries_left_;
  added_ = AddToShell();
  if (added_ || retries_left_ == 0) StopRetrying();
}

bool TrayIcon::AddToShell() {
  NOTIFYICONDATAA record = BuildTrayRecord(Handle(), icon_, hint_);
  if (!Notify(NIM_ADD, record)) return false;
  // A shell that does not know the version keeps sending the first version's mouse messages,
  // which are handled all the same; only its keyboard is not heard.
  NOTIFYICONDATAA version = BuildTrayVersionRecord(Handle());
  Notify(NIM_SETVERSION, version);
  return true;
}

void TrayIcon::StopRetrying() {
  retries_left_ = 0;
  KillTimer(Handle(), kAddRetryTimer);
}

void TrayIcon::Remove() {
  StopRetrying();
  NOTIFYICONDATAA record = BuildTrayRecord(Handle(), icon_, hint_);
  // Tolerated when it fails: a shell that restarted without the icon has nothing to remove.
  Notify(NIM_DELETE, record);
  added_ = false;
}

LRESULT TrayIcon::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kTrayCallbackMessage) {
    // The fourth version puts the icon's identifier in the high word, and its place in wparam.
    ReportingErrors([&] {
      HandleIconMessage(LOWORD(lparam), POINT{static_cast<short>(LOWORD(wparam)),
                                              static_cast<short>(HIWORD(wparam))});
    });
    return 0;
  }
  if (message == WM_TIMER && wparam == kDoubleClickTimer) {
    KillTimer(Handle(), kDoubleClickTimer);
    ReportingErrors([this] { RaiseWaitingClick(); });
    return 0;
  }
  if (message == WM_TIMER && wparam == kAddRetryTimer) {
    RetryAdd();
    return 0;
  }
  if (taskbar_created_ != 0 && message == taskbar_created_) {
    Add();
    return 0;
  }
  return DefaultHandling(message, wparam, lparam);
}

void TrayIcon::HandleIconMessage(UINT icon_message, POINT anchor) {
  TrayMouseEvent event;
  if (!MapMouseMessage(icon_message, event)) return;
  switch (clicks_.Handle(event)) {
    case TrayAction::kAwaitDoubleClick:
      // Without the timer the click cannot wait; it is raised at once.
      if (!SetTimer(Handle(), kDoubleClickTimer, GetDoubleClickTime(), nullptr))
        RaiseWaitingClick();
      break;
    case TrayAction::kLeftClick:
      RaiseClick(TrayButton::kLeft);
      break;
    case TrayAction::kRightClick:
      if (handlers_.on_popup) {
        PopUpMenu(CursorPosition());
      } else {
        RaiseClick(TrayButton::kRight);
      }
      break;
    case TrayAction::kDoubleClick:
      KillTimer(Handle(), kDoubleClickTimer);
      if (handlers_.on_default_command) handlers_.on_default_command();
      break;
    case TrayAction::kKeyboardMenu:
      // Enter can bring two selections at once: the second, met while the first opens the menu,
      // is not a second menu.
      if (handlers_.on_popup && !popping_up_) PopUpMenu(anchor);
      break;
    case TrayAction::kNone:
      break;
  }
}

void TrayIcon::RaiseWaitingClick() {
  if (clicks_.DoubleClickTimeOver() == TrayAction::kLeftClick) RaiseClick(TrayButton::kLeft);
}

void TrayIcon::RaiseClick(TrayButton button) {
  if (handlers_.on_click)
    handlers_.on_click({button, KeyState() | ButtonBit(button), CursorPosition()});
}

void TrayIcon::PopUpMenu(POINT at) {
  std::function<void()> command;
  {
    // Restored rather than cleared: the mouse may ask for a menu inside another request.
    struct PopUpEnded {
      bool& popping_up;
      bool before;
      ~PopUpEnded() { popping_up = before; }
    } ended{popping_up_, std::exchange(popping_up_, true)};
    const HWND active = GetActiveWindow();
    const HWND cancel = active != nullptr ? active : main_window_;
    if (cancel != nullptr) SendMessageW(cancel, WM_CANCELMODE, 0, 0);
    BringToForeground(Handle());
    ProcessPendingMessages();
    struct RefocusAfterMenu {
      HWND window;
      ~RefocusAfterMenu() { BringToForeground(window); }
    } refocus{Handle()};
    command = handlers_.on_popup(Handle(), at);
  }
  if (command) command();
}

// No error may unwind through the system's dispatch; it is shown and the icon goes on.
void TrayIcon::ReportingErrors(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    ReportError(error.what());
  } catch (...) {
    ReportError("Unknown error");
  }
}

void TrayIcon::ReportError(const std::string& message) {
  try {
    if (handlers_.on_error) {
      handlers_.on_error(message);
      return;
    }
    MessageBoxW(nullptr, Widen(WithFullStop(message)).c_str(), L"Tindrel", MB_OK | MB_ICONSTOP);
  } catch (...) {
    // The report itself failed (out of memory); nothing is left to show it with.
  }
}

}  // namespace tindrel::win
