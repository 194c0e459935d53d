#pragma once
// The notification-area icon: one fixed icon with the product name as its tip, a
// hidden window of its own that receives the icon's mouse messages, a left click that the owner
// handles, a right click that opens the widget's popup menu and a double click that runs the
// menu's default command. The icon asks the shell for its fourth version, which tells a selection
// of the icon from the keyboard too: that opens the popup menu at the icon.

#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <string>

#include "base/win32/routed_window.h"
#include "shell/tray_clicks.h"

namespace tindrel::win {

inline constexpr UINT kTrayCallbackMessage = 0xB054;
// The first layout of the notification record: the ANSI record up to and including its 64-byte
// tip, which every version of the shell accepts. It holds a window and an icon handle, so its size
// follows the pointer size: 88 bytes in the x86 build, 104 in the x64 one.
inline constexpr DWORD kTrayRecordSize = sizeof(void*) == 4 ? 88 : 104;
// The fourth version shows the standard tip only when asked to.
inline constexpr UINT kTrayRecordFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;

// Shift, Ctrl and Alt as they were when a click was handled, together with the button.
enum TrayShiftBits : std::uint32_t {
  kTrayShift = 1,
  kTrayAlt = 2,
  kTrayCtrl = 4,
  kTrayLeftButton = 8,
  kTrayRightButton = 16,
  kTrayMiddleButton = 32,
};

struct TrayClick {
  TrayButton button;
  std::uint32_t shift;
  POINT cursor;  // screen coordinates
};

// The record the shell receives: the first layout's size, identifier 0, flags 0x87, callback
// 0xB054, the icon, and the hint up to its first "|" cut to 63 characters as the zero-terminated
// tip.
NOTIFYICONDATAA BuildTrayRecord(HWND window, HICON icon, const std::string& hint);

// The record that asks the shell for the fourth version of the icon's messages: the second
// layout's size, which is the first to hold the version.
NOTIFYICONDATAA BuildTrayVersionRecord(HWND window);

// How the icon reaches the shell: Shell_NotifyIconA unless a test stands in for a shell.
using ShellNotify = std::function<bool(DWORD message, NOTIFYICONDATAA& record)>;

// At logon the program can start before the shell is ready to take icons: an add that fails is
// tried again every `interval_ms`, at most `attempts` times.
struct TrayAddRetry {
  UINT interval_ms = 2000;
  int attempts = 30;
};

class TrayIcon : private RoutedWindow {
 public:
  struct Handlers {
    // A completed click of the left button, raised once the double-click time has passed without
    // a double click (and of the right one, at once, when there is no menu).
    std::function<void(const TrayClick&)> on_click;
    // Opens the popup menu at a point (the cursor for a right click, the icon for the keyboard)
    // for the icon's window and returns the chosen command (empty when nothing was chosen). The
    // icon runs it once the menu has gone and its own window is in the foreground again, so a
    // command that activates a window leaves that one in front.
    std::function<std::function<void()>(HWND owner, POINT at)> on_popup;
    // Runs the menu's default command (a double click).
    std::function<void()> on_default_command;
    // Shows the text of an error raised by any of the handlers above.
    std::function<void(const std::string& message)> on_error;
  };

  // Adds the icon (when `icon` is not null); `main_window` is the window whose capture and menu
  // mode are cancelled before the menu opens when the program has no active window. The icon
  // handle stays the caller's. Throws tindrel::Error when the icon's window cannot be made.
  TrayIcon(HICON icon, std::string hint, HWND main_window, Handlers handlers,
           ShellNotify notify = {}, TrayAddRetry retry = {});
  ~TrayIcon() override;
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // True while the shell holds the icon.
  bool added() const { return added_; }
  // True while a failed add is being tried again.
  bool retrying() const { return retries_left_ > 0; }
  // The icon's own hidden window, which receives the shell's messages.
  using RoutedWindow::Handle;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  // `anchor` is the icon's place on the screen that the shell gives with each message.
  void HandleIconMessage(UINT icon_message, POINT anchor);
  // The double-click time after a left click has run out: the click is raised unless a double
  // click took its place.
  void RaiseWaitingClick();
  void RaiseClick(TrayButton button);
  void PopUpMenu(POINT at);
  void Add();
  bool AddToShell();
  void RetryAdd();
  void StopRetrying();
  void Remove();
  bool Notify(DWORD message, NOTIFYICONDATAA& record);
  void ReportingErrors(const std::function<void()>& handler);
  void ReportError(const std::string& message);

  HICON icon_;
  std::string hint_;
  HWND main_window_;
  Handlers handlers_;
  ShellNotify notify_;
  TrayAddRetry retry_;
  int retries_left_ = 0;
  UINT taskbar_created_;
  TrayClickTracker clicks_;
  bool added_ = false;
  // From a request for the menu until the menu has gone.
  bool popping_up_ = false;
};

}  // namespace tindrel::win
