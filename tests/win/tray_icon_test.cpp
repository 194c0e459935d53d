#include "shell/win32/tray_icon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/error.h"
#include "base/win32/raii.h"

namespace tindrel::win {
namespace {

TEST(TrayRecord, HasTheFirstLayoutAndTheProductTip) {
  const HWND window = reinterpret_cast<HWND>(0x1000);
  const HICON icon = reinterpret_cast<HICON>(0x2000);
  const NOTIFYICONDATAA record = BuildTrayRecord(window, icon, "Tindrel");
  // The first layout's size: 88 bytes where handles have 4 bytes, 104 where they have 8.
  EXPECT_EQ(record.cbSize, sizeof(HWND) == 4 ? 88u : 104u);
  EXPECT_EQ(record.hWnd, window);
  EXPECT_EQ(record.uID, 0u);
  // What the flags ask of the shell (the icon shown, its messages sent to the window) is checked
  // from the shell's side in TrayIconShell.TheShellShowsTheIconAndSendsItsClicksToItsWindow.
  EXPECT_EQ(record.uCallbackMessage, 0xB054u);
  EXPECT_EQ(record.hIcon, icon);
  EXPECT_STREQ(record.szTip, "Tindrel");
}

TEST(TrayRecord, TipEndsAtTheFirstBarAndAfter63Characters) {
  EXPECT_STREQ(BuildTrayRecord(nullptr, nullptr, "Tindrel|second line").szTip, "Tindrel");
  const NOTIFYICONDATAA record = BuildTrayRecord(nullptr, nullptr, std::string(80, 'x'));
  EXPECT_EQ(std::strlen(record.szTip), 63u);
  EXPECT_EQ(record.szTip[63], '\0');
}

// Asks the shell whether it holds the icon of a window: only a held icon can be modified.
bool ShellHoldsIcon(HWND window) {
  NOTIFYICONDATAA record = BuildTrayRecord(window, LoadIconW(nullptr, IDI_APPLICATION), "Tindrel");
  return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

struct Recorder {
  std::vector<TrayClick> clicks;
  std::vector<HWND> popups;
  std::vector<POINT> popup_points;
  int default_commands = 0;
  std::vector<std::string> errors;

  TrayIcon::Handlers Handlers(bool with_menu = true) {
    TrayIcon::Handlers handlers;
    handlers.on_click = [this](const TrayClick& click) { clicks.push_back(click); };
    if (with_menu) {
      handlers.on_popup = [this](HWND owner, POINT at) -> std::function<void()> {
        popups.push_back(owner);
        popup_points.push_back(at);
        return {};
      };
    }
    handlers.on_default_command = [this] { ++default_commands; };
    handlers.on_error = [this](const std::string& message) { errors.push_back(message); };
    return handlers;
  }
};

void Send(const TrayIcon& icon, UINT mouse_message, WPARAM anchor = 0) {
  SendMessageW(icon.Handle(), kTrayCallbackMessage, anchor, mouse_message);
}

// Runs the thread's messages (the icon's timers among them) for `milliseconds` or until `done`.
template <typename Done>
void PumpMessagesFor(DWORD milliseconds, Done done) {
  const DWORD started = GetTickCount();
  while (GetTickCount() - started < milliseconds && !done()) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(5);
  }
}

// Long enough for a left click's wait for a double click to end.
void PumpPastTheDoubleClickTime() {
  PumpMessagesFor(GetDoubleClickTime() + 300, [] { return false; });
}

TEST(TrayIconShell, IconIsAddedForTheLifeOfTheObject) {
  HWND window = nullptr;
  {
    TrayIcon icon(LoadIconW(nullptr, IDI_APPLICATION), "Tindrel", nullptr, {});
    window = icon.Handle();
    EXPECT_TRUE(icon.added());
    EXPECT_TRUE(ShellHoldsIcon(window));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetParent(window), nullptr);
  }
  EXPECT_FALSE(IsWindow(window));
}

// Without a tray manager on the display, Wine's shell shows its own visible tray window with one
// child window per icon; its children are the icons the shell holds.
int StandaloneTrayIconCount() {
  const HWND tray = FindWindowW(nullptr, L"Wine System Tray");
  if (tray == nullptr || !IsWindowVisible(tray)) return 0;
  int count = 0;
  for (HWND child = GetWindow(tray, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    ++count;
  }
  return count;
}

TEST(TrayIconShell, IconShowsInTheTrayWindowUntilDestruction) {
  const int before = StandaloneTrayIconCount();
  {
    TrayIcon icon(LoadIconW(nullptr, IDI_APPLICATION), "Tindrel", nullptr, {});
    ASSERT_TRUE(icon.added());
    if (FindWindowW(nullptr, L"Wine System Tray") == nullptr) {
      GTEST_SKIP() << "the shell shows its icons in a tray manager of its own";
    }
    EXPECT_EQ(StandaloneTrayIconCount(), before + 1);
  }
  EXPECT_EQ(StandaloneTrayIconCount(), before);
}

std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

// The icon as the shell holds it: shown in Wine's tray window, and a click on it there sent to the
// icon's own window, which raises it as the left click (after the double-click time) and a right
// click as the menu. That is what the record's flags and callback message ask of the shell.
TEST(TrayIconShell, TheShellShowsTheIconAndSendsItsClicksToItsWindow) {
  const HWND tray_before = FindWindowW(nullptr, L"Wine System Tray");
  const std::vector<HWND> icons_before =
      tray_before ? ChildWindows(tray_before) : std::vector<HWND>{};
  Recorder recorder;
  TrayIcon icon(LoadIconW(nullptr, IDI_APPLICATION), "Tindrel", nullptr, recorder.Handlers());
  ASSERT_TRUE(icon.added());
  const HWND tray = FindWindowW(nullptr, L"Wine System Tray");
  if (tray == nullptr) GTEST_SKIP() << "the shell shows its icons in a tray manager of its own";
  HWND shown = nullptr;
  for (HWND child : ChildWindows(tray)) {
    if (std::find(icons_before.begin(), icons_before.end(), child) == icons_before.end())
      shown = child;
  }
  ASSERT_NE(shown, nullptr) << "the shell shows no new icon";
  EXPECT_TRUE(IsWindowVisible(shown));

  PostMessageW(shown, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  PostMessageW(shown, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  PumpMessagesFor(GetDoubleClickTime() + 3000, [&] { return !recorder.clicks.empty(); });
  ASSERT_EQ(recorder.clicks.size(), 1u);
  EXPECT_EQ(recorder.clicks[0].button, TrayButton::kLeft);

  PostMessageW(shown, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 4));
  PostMessageW(shown, WM_RBUTTONUP, 0, MAKELPARAM(4, 4));
  PumpMessagesFor(3000, [&] { return !recorder.popups.empty(); });
  ASSERT_EQ(recorder.popups.size(), 1u);
  EXPECT_EQ(recorder.popups[0], icon.Handle());
}

TEST(TrayIconShell, NoImageMeansNoIcon) {
  TrayIcon icon(nullptr, "Tindrel", nullptr, {});
  EXPECT_FALSE(icon.added());
  EXPECT_FALSE(ShellHoldsIcon(icon.Handle()));
}

// Every add, the one after a restart of the shell too, asks for the fourth version with a record
// large enough to hold it.
TEST(TrayIconShell, EveryAddAsksForTheFourthVersion) {
  std::vector<UINT> versions;
  const ShellNotify notify = [&versions](DWORD message, NOTIFYICONDATAA& record) {
    if (message == NIM_SETVERSION) {
      EXPECT_EQ(record.cbSize, NOTIFYICONDATAA_V2_SIZE);
      versions.push_back(record.uVersion);
    }
    return Shell_NotifyIconA(message, &record) != FALSE;
  };
  TrayIcon icon(LoadIconW(nullptr, IDI_APPLICATION), "Tindrel", nullptr, {}, notify);
  ASSERT_TRUE(icon.added());
  SendMessageW(icon.Handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_EQ(versions, (std::vector<UINT>{NOTIFYICON_VERSION_4, NOTIFYICON_VERSION_4}));
}

TEST(TrayIconShell, TaskbarRestartAddsTheIconAgain) {
  TrayIcon icon(LoadIconW(nullptr, IDI_APPLICATION), "Tindrel", nullptr, {});
  NOTIFYICONDATAA record = BuildTrayRecord(icon.Handle(), nullptr, "Tindrel");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &record));
  ASSERT_FALSE(ShellHoldsIcon(icon.Handle()));
  SendMessageW(icon.Handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(icon.added());
  EXPECT_TRUE(ShellHoldsIcon(icon.Handle()));
}

// A shell that refuses the first `refusals` adds and then passes every call on to the real one.
struct ShellNotReadyYet {
  int refusals;
  int adds = 0;
  ShellNotify Notify() {
    return [this](DWORD message, NOTIFYICONDATAA& record) {
      if (message == NIM_ADD && ++adds <= refusals) return false;
      return Shell_NotifyIconA(message, &record) != FALSE;
    };
  }
};

TEST(TrayIconShell, AddRefusedAtStartIsTriedAgainUntilTheShellTakesIt) {
  ShellNotReadyYet shell{2};
  TrayIcon icon(LoadIconW(nullptr, IDI_APPLICATION), "Tindrel", nullptr, {}, shell.Notify(),
                TrayAddRetry{20, 30});
  EXPECT_FALSE(icon.added());
  EXPECT_TRUE(icon.retrying());
  PumpMessagesFor(3000, [&] { return icon.added(); });
  EXPECT_TRUE(icon.added());
  EXPECT_EQ(shell.adds, 3);
  EXPECT_FALSE(icon.retrying());
  EXPECT_TRUE(ShellHoldsIcon(icon.Handle()));
  PumpMessagesFor(200, [] { return false; });
  EXPECT_EQ(shell.adds, 3);  // no further tries once it is held
}

TEST(TrayIconShell, RetryGivesUpAfterItsAttempts) {
  ShellNotReadyYet shell{1000};
  TrayIcon icon(LoadIconW(nullptr, IDI_APPLICATION), "Tindrel", nullptr, {}, shell.Notify(),
                TrayAddRetry{10, 4});
  PumpMessagesFor(3000, [&] { return !icon.retrying(); });
  PumpMessagesFor(200, [] { return false; });
  EXPECT_EQ(shell.adds, 5);  // the first add and four more
  EXPECT_FALSE(icon.added());
  EXPECT_FALSE(icon.retrying());
}

TEST(TrayIconShell, TaskbarRestartWhileTheShellIsNotReadyRetriesToo) {
  ShellNotReadyYet shell{0};
  TrayIcon icon(LoadIconW(nullptr, IDI_APPLICATION), "Tindrel", nullptr, {}, shell.Notify(),
                TrayAddRetry{20, 30});
  ASSERT_TRUE(icon.added());
  shell.refusals = 3;
  SendMessageW(icon.Handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_FALSE(icon.added());
  PumpMessagesFor(3000, [&] { return icon.added(); });
  EXPECT_TRUE(icon.added());
  EXPECT_EQ(shell.adds, 4);
}

TEST(TrayIconMouse, PressThenReleaseRaisesTheLeftClick) {
  Recorder recorder;
  TrayIcon icon(nullptr, "Tindrel", nullptr, recorder.Handlers());
  Send(icon, WM_LBUTTONUP);
  EXPECT_TRUE(recorder.clicks.empty());
  Send(icon, WM_LBUTTONDOWN);
  Send(icon, WM_MOUSEMOVE);
  EXPECT_TRUE(recorder.clicks.empty());
  Send(icon, WM_LBUTTONUP);
  EXPECT_TRUE(recorder.clicks.empty()) << "a double click may still follow";
  PumpPastTheDoubleClickTime();
  ASSERT_EQ(recorder.clicks.size(), 1u);
  EXPECT_EQ(recorder.clicks[0].button, TrayButton::kLeft);
  EXPECT_TRUE(recorder.clicks[0].shift & kTrayLeftButton);
  POINT cursor{};
  GetCursorPos(&cursor);
  EXPECT_EQ(recorder.clicks[0].cursor.x, cursor.x);
  EXPECT_EQ(recorder.clicks[0].cursor.y, cursor.y);
}

TEST(TrayIconMouse, DoubleClickRunsTheDefaultCommandAloneAndItsReleaseRaisesNothing) {
  // Both would toggle the widget: a click and the command would leave it as it was.
  Recorder recorder;
  TrayIcon icon(nullptr, "Tindrel", nullptr, recorder.Handlers());
  for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) {
    Send(icon, message);
  }
  PumpPastTheDoubleClickTime();
  EXPECT_TRUE(recorder.clicks.empty());
  EXPECT_EQ(recorder.default_commands, 1);
}

TEST(TrayIconMouse, RightClickOpensTheMenuForTheIconWindowInsteadOfAClick) {
  Recorder recorder;
  TrayIcon icon(nullptr, "Tindrel", nullptr, recorder.Handlers());
  Send(icon, WM_RBUTTONUP);
  EXPECT_TRUE(recorder.popups.empty());
  Send(icon, WM_RBUTTONDOWN);
  Send(icon, WM_RBUTTONUP);
  ASSERT_EQ(recorder.popups.size(), 1u);
  EXPECT_EQ(recorder.popups[0], icon.Handle());
  EXPECT_TRUE(recorder.clicks.empty());
  Send(icon, WM_RBUTTONDBLCLK);
  EXPECT_EQ(recorder.default_commands, 0);
}

// The shell's notices after the releases are those of the clicks already handled: one toggle, one
// menu.
TEST(TrayIconMouse, TheShellsNoticesAfterTheReleasesAddNothing) {
  Recorder recorder;
  TrayIcon icon(nullptr, "Tindrel", nullptr, recorder.Handlers());
  for (UINT message : std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, NIN_SELECT, WM_RBUTTONDOWN,
                                        WM_RBUTTONUP, WM_CONTEXTMENU}) {
    Send(icon, message, MAKEWPARAM(5, 6));
  }
  PumpPastTheDoubleClickTime();
  EXPECT_EQ(recorder.clicks.size(), 1u);
  ASSERT_EQ(recorder.popups.size(), 1u);
  POINT cursor{};
  GetCursorPos(&cursor);
  EXPECT_EQ(recorder.popup_points[0].x, cursor.x);
  EXPECT_EQ(recorder.popup_points[0].y, cursor.y);
}

// Enter or Space, the context-menu key or Shift+F10 on the icon: the menu opens at the place the
// shell gives for the icon.
TEST(TrayIconKeyboard, ASelectionOrContextMenuFromTheKeyboardOpensTheMenuAtTheIcon) {
  Recorder recorder;
  TrayIcon icon(nullptr, "Tindrel", nullptr, recorder.Handlers());
  Send(icon, NIN_KEYSELECT, MAKEWPARAM(1200, 1010));
  Send(icon, WM_CONTEXTMENU, MAKEWPARAM(-3, 40));
  Send(icon, NIN_SELECT, MAKEWPARAM(7, 8));
  ASSERT_EQ(recorder.popups.size(), 3u);
  EXPECT_EQ(recorder.popups[0], icon.Handle());
  EXPECT_EQ(std::make_pair(recorder.popup_points[0].x, recorder.popup_points[0].y),
            std::make_pair(1200L, 1010L));
  EXPECT_EQ(std::make_pair(recorder.popup_points[1].x, recorder.popup_points[1].y),
            std::make_pair(-3L, 40L));
  EXPECT_TRUE(recorder.clicks.empty());
  EXPECT_EQ(recorder.default_commands, 0);
}

// Enter can bring two selections at once: the second one, met while the first opens the menu, is
// not a second menu.
TEST(TrayIconKeyboard, ASecondSelectionWhileTheMenuOpensIsNotASecondMenu) {
  TrayIcon* icon_in_menu = nullptr;
  int menus = 0;
  TrayIcon::Handlers handlers;
  handlers.on_popup = [&](HWND, POINT) -> std::function<void()> {
    if (++menus == 1) Send(*icon_in_menu, NIN_KEYSELECT);
    return {};
  };
  TrayIcon icon(nullptr, "Tindrel", nullptr, handlers);
  icon_in_menu = &icon;
  Send(icon, NIN_KEYSELECT);
  EXPECT_EQ(menus, 1);
  Send(icon, NIN_KEYSELECT);
  EXPECT_EQ(menus, 2);
}

TEST(TrayIconMouse, TheChosenCommandRunsAfterTheMenuWithTheIconWindowInFront) {
  // Show/Hide chosen from the icon's menu brings the widget to the front; the icon's own return
  // to the foreground after the menu must not take that away again.
  ScopedWindow widget(CreateWindowExW(0, L"STATIC", L"widget", WS_POPUP | WS_VISIBLE, 10, 10, 50,
                                      50, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(widget);
  TrayIcon::Handlers handlers;
  HWND foreground_when_run = nullptr;
  handlers.on_popup = [&](HWND, POINT) -> std::function<void()> {
    return [&] {
      foreground_when_run = GetForegroundWindow();
      SetForegroundWindow(widget.get());
    };
  };
  TrayIcon icon(nullptr, "Tindrel", nullptr, handlers);
  Send(icon, WM_RBUTTONDOWN);
  Send(icon, WM_RBUTTONUP);
  EXPECT_EQ(foreground_when_run, icon.Handle());
  EXPECT_EQ(GetForegroundWindow(), widget.get());
}

TEST(TrayIconMouse, RightClickWithoutAMenuIsAClickOfTheRightButton) {
  Recorder recorder;
  TrayIcon icon(nullptr, "Tindrel", nullptr, recorder.Handlers(false));
  Send(icon, WM_RBUTTONDOWN);
  Send(icon, WM_RBUTTONUP);
  ASSERT_EQ(recorder.clicks.size(), 1u);
  EXPECT_EQ(recorder.clicks[0].button, TrayButton::kRight);
  EXPECT_TRUE(recorder.clicks[0].shift & kTrayRightButton);
}

TEST(TrayIconMouse, MiddleButtonDoesNothing) {
  Recorder recorder;
  TrayIcon icon(nullptr, "Tindrel", nullptr, recorder.Handlers());
  for (UINT message : {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK}) Send(icon, message);
  EXPECT_TRUE(recorder.clicks.empty());
  EXPECT_TRUE(recorder.popups.empty());
  EXPECT_EQ(recorder.default_commands, 0);
}

TEST(TrayIconMouse, AnErrorInAHandlerIsReportedAndTheIconKeepsWorking) {
  Recorder recorder;
  TrayIcon::Handlers handlers = recorder.Handlers();
  int clicks = 0;
  handlers.on_click = [&clicks](const TrayClick&) {
    if (++clicks == 1) throw Error("Failed to set data for 'Left'");
  };
  TrayIcon icon(nullptr, "Tindrel", nullptr, handlers);
  for (int round = 0; round < 2; ++round) {
    Send(icon, WM_LBUTTONDOWN);
    Send(icon, WM_LBUTTONUP);
    PumpPastTheDoubleClickTime();
  }
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(recorder.errors, std::vector<std::string>{"Failed to set data for 'Left'"});
}

}  // namespace
}  // namespace tindrel::win
