// The main window as a whole under Wine. The test program's folder has no skins and no star
// sprite, so creation and the first load report those; a watcher thread answers every report.
#include "app/win32/main_window.h"

#include <gtest/gtest.h>
#include <wtsapi32.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "base/file_system.h"
#include "base/win32/text_conversion.h"
#include "base/win32/window_subclass.h"
#include "settings/startup.h"
#include "support/box_watcher.h"
#include "support/outside_names.h"

namespace tindrel::win {
namespace {

class MainWindowLifeCycle : public ::testing::Test {
 protected:
  void SetUp() override { ForgetStoredSettings(); }
  void TearDown() override {
    // Destruction ends the message loop with a quit request; later tests need a clean queue.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    ForgetStoredSettings();
  }
  static void ForgetStoredSettings() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillmoor\\Tindrel");
    HKEY run = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Widen(outside::kRunKey).c_str(), 0, KEY_SET_VALUE, &run) ==
        ERROR_SUCCESS) {
      RegDeleteValueW(run, Widen(RunValueName(ExecutablePath())).c_str());
      RegCloseKey(run);
    }
  }
  static SIZE WindowSize(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
  }

  BoxWatcher answerer_;
  Application application_{GetModuleHandleW(nullptr)};
  ErrorReport report_{kApplicationTitle};
};

TEST_F(MainWindowLifeCycle, TheShowingsLoadPresentsAFrameBeforeTheWindowAppearsAndHidingHidesIt) {
  MainWindow widget(application_, report_);
  const SIZE designed = WindowSize(widget.Handle());
  ASSERT_EQ(designed.cx, 396);
  ASSERT_EQ(designed.cy, 353);
  EXPECT_FALSE(widget.Visible());

  widget.SetVisible(true);
  // No message was dispatched: the frame came from the load's redraw, and the reports of the
  // missing skin and star sprite wait for the message loop instead of interrupting the showing.
  EXPECT_TRUE(widget.Visible());
  EXPECT_TRUE(IsWindowVisible(widget.Handle()));
  const SIZE shown = WindowSize(widget.Handle());
  EXPECT_FALSE(shown.cx == 396 && shown.cy == 353) << "the window still has its designed size";
  EXPECT_EQ(answerer_.BoxesSeen(), 0) << "a report opened in the middle of creation or the load";
  EXPECT_TRUE(report_.HasPending());
  MSG message;
  while (report_.HasPending() && GetMessageW(&message, nullptr, 0, 0) > 0) {
    DispatchMessageW(&message);
  }
  EXPECT_GT(answerer_.BoxesSeen(), 0) << "the missing star sprite was not reported";

  widget.SetVisible(false);
  EXPECT_FALSE(widget.Visible());
  EXPECT_FALSE(IsWindowVisible(widget.Handle()));
}

TEST_F(MainWindowLifeCycle, ACloseRequestDestroysTheWindowOnceAndEndsTheMessageLoop) {
  MainWindow widget(application_, report_);
  widget.SetVisible(true);
  const HWND window = widget.Handle();
  SendMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(widget.Handle(), nullptr);
  EXPECT_FALSE(widget.Visible());
  MSG message;
  EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST_F(MainWindowLifeCycle, TheEndOfTheSessionSavesTheChoicesMadeWhileTheWidgetWasHidden) {
  MainWindow widget(application_, report_);
  widget.SetVisible(true);
  widget.SetVisible(false);  // hiding saves
  widget.Menu()
      .Entry("ShowDays1")
      .SetChecked(false);  // a choice made from the tray menu while hidden
  const HWND window = widget.Handle();
  SendMessageW(window, WM_QUERYENDSESSION, 0, 0);
  SendMessageW(window, WM_ENDSESSION, TRUE, 0);
  EXPECT_FALSE(IsWindow(window));

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Quillmoor\\Tindrel\\MainForm", 0,
                          KEY_QUERY_VALUE, &key),
            ERROR_SUCCESS);
  wchar_t text[16] = {};
  DWORD size = sizeof(text);
  EXPECT_EQ(RegQueryValueExW(key, L"ShowDays1_Checked", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(text), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(text), L"False");
  size = sizeof(text);
  RegQueryValueExW(key, L"Visible", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
  EXPECT_EQ(std::wstring(text), L"0");  // saved as Exit saves: by the granted close request
  RegCloseKey(key);
}

// Counts the timer messages the widget's window procedure receives, from whatever message loop
// dispatches them (a report's box runs its own).
class TimerCounter {
 public:
  explicit TimerCounter(HWND window)
      : subclass_(window, Count, reinterpret_cast<DWORD_PTR>(&count_)) {}
  // Dispatches messages for `milliseconds`; the timer messages that came meanwhile.
  int During(DWORD milliseconds) {
    count_ = 0;
    const DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < milliseconds) {
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
      Sleep(5);
    }
    return count_;
  }

 private:
  static void Count(HWND, UINT message, WPARAM, LPARAM, DWORD_PTR count) {
    if (message == WM_TIMER) ++*reinterpret_cast<int*>(count);
  }

  int count_ = 0;
  ScopedWindowSubclass subclass_;
};

// The display's state as the system broadcasts it: 0 off, 1 on.
void SendDisplayState(HWND window, DWORD state) {
  struct {
    POWERBROADCAST_SETTING setting;
    DWORD more;
  } broadcast{};
  broadcast.setting.PowerSetting = {
      0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
  broadcast.setting.DataLength = sizeof(DWORD);
  std::memcpy(broadcast.setting.Data, &state, sizeof state);
  SendMessageW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
               reinterpret_cast<LPARAM>(&broadcast.setting));
}

// With no chime scheduled ("Never"), nothing at all wakes the widget while nobody sees it.
TEST_F(MainWindowLifeCycle, FramesRunOnlyWhileTheWidgetCanBeSeen) {
  MainWindow widget(application_, report_);
  widget.SetVisible(true);
  widget.Menu().Entry("Never1").SetChecked(true);
  const HWND window = widget.Handle();
  TimerCounter timers(window);
  // Each showing reports the missing skin; under Wine a box takes two seconds to go.
  EXPECT_GE(timers.During(3000), 2) << "shown: a frame every 220 ms";

  widget.SetVisible(false);
  EXPECT_EQ(timers.During(800), 0) << "hidden";
  widget.SetVisible(true);
  EXPECT_GE(timers.During(3000), 2) << "shown again";

  SendMessageW(window, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
  EXPECT_EQ(timers.During(800), 0) << "the session locked";
  EXPECT_TRUE(widget.Visible()) << "still shown as far as the choices go";
  SendMessageW(window, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
  EXPECT_GE(timers.During(800), 2) << "unlocked";

  SendDisplayState(window, 0);
  EXPECT_EQ(timers.During(800), 0) << "the display off";
  SendDisplayState(window, 1);
  EXPECT_GE(timers.During(800), 2) << "the display on";
}

}  // namespace
}  // namespace tindrel::win
