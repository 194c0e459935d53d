// The widget's own Windows pieces under Wine: the error report's box and its pile-up guard, the
// due-date tooltip, the context menu's place, the application window, and the layered frame
// hand-over.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <utility>

#include "app/win32/application.h"
#include "app/win32/due_date_tip.h"
#include "app/win32/error_report.h"
#include "app/win32/window_actions.h"
#include "base/error.h"
#include "base/win32/last_error.h"
#include "base/win32/raii.h"
#include "render/frame_bitmap.h"
#include "render/win32/dib.h"
#include "render/win32/layered_window.h"
#include "support/box_watcher.h"
#include "support/error_message.h"
#include "support/import_hook.h"

namespace tindrel::win {
namespace {

TEST(ErrorReportBox, ShowsTheTextWithAFullStopAppendedByTheRule) {
  ErrorReport report("Tindrel");
  {
    BoxWatcher watcher;
    report.ShowError(ReportSource::kMenuCommand, "No MCI device open");
    EXPECT_EQ(watcher.FirstText(), L"No MCI device open.");
  }
  {
    BoxWatcher watcher;
    report.ShowError(ReportSource::kMenuCommand, "Invalid data type for 'sSkinName'");
    EXPECT_EQ(watcher.FirstText(), L"Invalid data type for 'sSkinName'");
  }
}

TEST(ErrorReportBox, AnExceptionLeavingAHandlerIsShownAndReportedAsFailure) {
  ErrorReport report("Tindrel");
  BoxWatcher watcher;
  const bool ok =
      report.Guard(ReportSource::kRefreshTick, [] { throw Error("Scan line index out of range"); });
  EXPECT_FALSE(ok);
  EXPECT_EQ(watcher.FirstText(), L"Scan line index out of range.");
  EXPECT_TRUE(report.Guard(ReportSource::kRefreshTick, [] {}));
}

// The style of the last box the error report asked the system for; no box is shown.
UINT& AskedBoxStyle() {
  static UINT style = 0;
  return style;
}

int WINAPI RecordBoxStyle(HWND, LPCWSTR, LPCWSTR, UINT style) {
  AskedBoxStyle() = style;
  return IDOK;
}

TEST(ErrorReportBox, NeverAsksToTakeTheForegroundFromTheProgramTheUserTypesIn) {
  const ImportHook boxes("user32.dll", "MessageBoxW",
                         reinterpret_cast<const void*>(&RecordBoxStyle));
  ASSERT_TRUE(boxes.installed());
  ErrorReport report("Tindrel");
  report.ShowError(ReportSource::kSound, "Cannot find the specified file");
  EXPECT_EQ(AskedBoxStyle(), static_cast<UINT>(MB_OK | MB_ICONSTOP));
  report.ShowSystemError(ReportSource::kStartUp, ERROR_ACCESS_DENIED);
  EXPECT_EQ(AskedBoxStyle(), static_cast<UINT>(MB_OK));
}

ErrorReport* failing_report = nullptr;
int failing_ticks = 0;

void CALLBACK FailingTick(HWND, UINT, UINT_PTR, DWORD) {
  ++failing_ticks;
  failing_report->Guard(ReportSource::kRefreshTick, [] { throw Error("clip cannot be opened"); });
}

TEST(ErrorReportBox, ASourceFailingOnEveryTickNeverHasTwoBoxesOpen) {
  ErrorReport report("Tindrel");
  BoxWatcher watcher;
  watcher.HoldOpenFor(400);
  // A timer fires inside the box's modal loop and fails again and again from the same source.
  failing_report = &report;
  failing_ticks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, FailingTick);
  report.Guard(ReportSource::kRefreshTick, [] { throw Error("clip cannot be opened"); });
  KillTimer(nullptr, timer);
  EXPECT_GT(failing_ticks, 3);
  EXPECT_EQ(watcher.MostOpenAtOnce(), 1);
  EXPECT_FALSE(report.IsOpen(ReportSource::kRefreshTick));
}

ErrorReport* deferring_report = nullptr;

LRESULT CALLBACK ReportingWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == ErrorReport::kShowReportsMessage && deferring_report) {
    deferring_report->ShowPending();
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void PumpWaitingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// With a window to post to, a report waits until the handler that made it has finished and the
// message loop runs; what one handler found shares one box; without the window a report shows
// at once.
TEST(ErrorReportBox, AReportWaitsForTheOwnersMessageLoopAndOneHandlersProblemsShareABox) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = ReportingWindowProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"TindrelReportingTestWindow";
  RegisterClassExW(&window_class);
  HWND owner = CreateWindowExW(0, window_class.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                               nullptr, window_class.hInstance, nullptr);
  ASSERT_NE(owner, nullptr);
  ErrorReport report("Tindrel");
  report.SetOwner(owner);
  deferring_report = &report;
  BoxWatcher watcher;

  int boxes_during_handler = -1;
  report.Guard(ReportSource::kSettings, [&] {
    report.ShowError(ReportSource::kSettings, "Invalid data type for 'FontName'");
    report.ShowError(ReportSource::kSettings, "Failed to set data for 'Tindrel'");
    report.ShowError(ReportSource::kSettings, "Invalid data type for 'FontName'");
    Sleep(150);
    boxes_during_handler = watcher.BoxesSeen();
  });
  EXPECT_EQ(boxes_during_handler, 0) << "a box opened in the middle of the handler";
  EXPECT_TRUE(report.HasPending());
  EXPECT_EQ(watcher.BoxesSeen(), 0);

  PumpWaitingMessages();
  EXPECT_FALSE(report.HasPending());
  EXPECT_EQ(watcher.BoxesSeen(), 1);
  EXPECT_EQ(watcher.FirstText(),
            L"Invalid data type for 'FontName'\nFailed to set data for 'Tindrel'");

  DestroyWindow(owner);
  report.ShowError(ReportSource::kStartUp, "Cannot open file");
  EXPECT_EQ(watcher.BoxesSeen(), 2) << "with its window gone the report shows at once";
  deferring_report = nullptr;
}

TEST(Win32Failure, NamesTheCallAndGivesTheSystemsText) {
  SetLastError(ERROR_ACCESS_DENIED);
  const std::string message = test::ErrorMessageOf([&] { ThrowLastError("SetTimer"); });
  EXPECT_EQ(message, "SetTimer: " + SystemErrorText(ERROR_ACCESS_DENIED));
}

TEST(Win32Failure, ACallThatSetNoCodeIsNotReportedWithTheSuccessText) {
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(test::ErrorMessageOf([&] { ThrowLastError("CreateDIBSection"); }),
            "CreateDIBSection: the call failed without an error code");
}

TEST(Win32Failure, AFailedRealCallNamesItselfWithTheCodeItSet) {
  // A window handle that was never valid: the system sets ERROR_INVALID_WINDOW_HANDLE.
  const HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(gone, nullptr);
  DestroyWindow(gone);
  RECT rect{};
  EXPECT_EQ(test::ErrorMessageOf([&] {
              if (!GetWindowRect(gone, &rect)) ThrowLastError("GetWindowRect");
            }),
            "GetWindowRect: " + SystemErrorText(ERROR_INVALID_WINDOW_HANDLE));
}

// A previous value of 0 is no failure; a window that is gone is.
TEST(Win32Failure, WindowLongChangesTellAZeroValueFromAFailure) {
  const HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  SetLastError(ERROR_ACCESS_DENIED);  // a stale code from an earlier call must not count
  EXPECT_EQ(GetWindowLongChecked(window, GWLP_USERDATA), 0);
  SetWindowLongChecked(window, GWLP_USERDATA, 42);
  EXPECT_EQ(GetWindowLongChecked(window, GWLP_USERDATA), 42);
  DestroyWindow(window);
  EXPECT_EQ(test::ErrorMessageOf([&] { SetWindowLongChecked(window, GWLP_USERDATA, 7); }),
            "SetWindowLongPtrW: " + SystemErrorText(ERROR_INVALID_WINDOW_HANDLE));
}

class OwnerWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_.reset(CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 50, 60, 300, 200,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(owner_);
  }
  ScopedWindow owner_;
};

BOOL CALLBACK CountTooltips(HWND window, LPARAM context) {
  wchar_t class_name[64] = {};
  GetClassNameW(window, class_name, 64);
  if (std::wstring(class_name) == TOOLTIPS_CLASSW) ++*reinterpret_cast<int*>(context);
  return TRUE;
}

int TooltipWindows() {
  int count = 0;
  EnumWindows(CountTooltips, reinterpret_cast<LPARAM>(&count));
  return count;
}

// The tip is made by a mouse message, not by the due date, and goes when the mouse leaves.
TEST_F(OwnerWindow, TwoDueDateTipsLeaveAtMostOneTooltipWindowWhileTheMouseIsOver) {
  const int before = TooltipWindows();
  DueDateTipWindow tip(owner_.get());
  tip.AttachDueDateTip("Countdown", L"Till Christmas - December 25 2026", 0x00FF0000, 0x00800000);
  EXPECT_EQ(tip.Handle(), nullptr);
  tip.RelayMouseMessage(WM_MOUSEMOVE, 0, 0);
  HWND first = tip.Handle();
  ASSERT_NE(first, nullptr);
  tip.AttachDueDateTip("Countdown", L"Till New Year - January &1 2027", 0x00FF0000, 0x00800000);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(TooltipWindows(), before);
  tip.RelayMouseMessage(WM_MOUSEMOVE, 0, 0);
  EXPECT_EQ(TooltipWindows(), before + 1);
  tip.RelayMouseMessage(WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(tip.Handle(), nullptr);
  EXPECT_EQ(TooltipWindows(), before);
  tip.RelayMouseMessage(WM_MOUSEMOVE, 0, 0);  // the same tip comes back with the mouse
  ASSERT_NE(tip.Handle(), nullptr);
  EXPECT_EQ(SendMessageW(tip.Handle(), TTM_GETTOOLCOUNT, 0, 0), 1);
}

TEST_F(OwnerWindow, DueDateTipHasTheStyleColorsToolAndTitle) {
  DueDateTipWindow tip(owner_.get());
  tip.AttachDueDateTip("Countdown", L"Till Christmas - December 25 2026", 0x00FF0000, 0x00800000);
  tip.RelayMouseMessage(WM_LBUTTONUP, 0, 0);
  HWND handle = tip.Handle();
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(handle, GWL_STYLE)) & kDueDateTipStyle,
            kDueDateTipStyle);
  EXPECT_EQ(GetWindow(handle, GW_OWNER), owner_.get());
  EXPECT_TRUE(GetWindowLongW(handle, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(SendMessageW(handle, TTM_GETTIPBKCOLOR, 0, 0), 0x00FF0000);
  EXPECT_EQ(SendMessageW(handle, TTM_GETTIPTEXTCOLOR, 0, 0), 0x00800000);
  EXPECT_EQ(SendMessageW(handle, TTM_GETTOOLCOUNT, 0, 0), 1);

  // The layout that ends with the application data: 44 bytes with 4-byte handles, 64 with 8.
  EXPECT_EQ(kToolRecordSize, sizeof(void*) == 4 ? 44u : 64u);
  wchar_t text[300] = {};
  TOOLINFOW tool{};
  tool.cbSize = kToolRecordSize;
  tool.hwnd = owner_.get();
  tool.uId = 0;
  tool.lpszText = text;
  ASSERT_TRUE(SendMessageW(handle, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)));
  // Centred and transparent, and not subclassing its owner, which relays the mouse itself.
  EXPECT_EQ(tool.uFlags & (TTF_CENTERTIP | TTF_TRANSPARENT | TTF_SUBCLASS),
            static_cast<UINT>(TTF_CENTERTIP | TTF_TRANSPARENT));
  EXPECT_EQ(std::wstring(text), L"Till Christmas - December 25 2026");
  RECT client{};
  GetClientRect(owner_.get(), &client);
  EXPECT_EQ(tool.rect.right, client.right);
  EXPECT_EQ(tool.rect.bottom, client.bottom);
}

TEST(DueDateTip, PopsUpWhenTheOwnerRelaysTheRestingMouse) {
  // An owner that the pointer can be over (a static control lets the pointer through).
  WNDCLASSW owner_class{};
  owner_class.lpfnWndProc = DefWindowProcW;
  owner_class.hInstance = GetModuleHandleW(nullptr);
  owner_class.lpszClassName = L"TindrelTipOwner";
  RegisterClassW(&owner_class);
  const ScopedWindow owner(CreateWindowExW(0, L"TindrelTipOwner", L"owner", WS_POPUP | WS_VISIBLE,
                                           50, 60, 300, 200, nullptr, nullptr,
                                           GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(owner);
  DueDateTipWindow tip(owner.get());
  tip.AttachDueDateTip("Countdown", L"Till Christmas - December 25 2026", 0x00FF0000, 0x00800000);
  // Messages that are not the mouse's are not the tip's business.
  tip.RelayMouseMessage(WM_TIMER, 2, 0);
  tip.RelayMouseMessage(WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(tip.Handle(), nullptr);
  SetCursorPos(50 + 100, 60 + 80);
  tip.RelayMouseMessage(WM_MOUSEMOVE, 0, MAKELPARAM(100, 80));
  ASSERT_NE(tip.Handle(), nullptr);
  const DWORD deadline = GetTickCount() + 5000;
  while (!IsWindowVisible(tip.Handle()) && GetTickCount() < deadline) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(20);
  }
  EXPECT_TRUE(IsWindowVisible(tip.Handle()));
  SetCursorPos(1270, 1015);
}

// A right click carries its screen point; the keyboard's request carries -1 for both coordinates,
// sign-extended or not, and opens the menu over the middle of the window.
TEST_F(OwnerWindow, ContextMenuOpensAtTheClickOrFromTheKeyboardOverTheWindow) {
  const POINT click = ContextMenuPoint(owner_.get(), MAKELPARAM(-20, 700));
  EXPECT_EQ(std::make_pair(click.x, click.y), std::make_pair(-20L, 700L));
  for (const LPARAM keyboard : {LPARAM{-1}, static_cast<LPARAM>(0xFFFFFFFFu)}) {
    const POINT at = ContextMenuPoint(owner_.get(), keyboard);
    EXPECT_EQ(std::make_pair(at.x, at.y), std::make_pair(200L, 160L));
  }
}

TEST(ApplicationWindow, IsHiddenAndMarkedAToolWindow) {
  Application application(GetModuleHandleW(nullptr));
  application.SetTitle("Tindrel");
  ShowWindow(application.Handle(), SW_SHOWNOACTIVATE);
  application.HideFromTaskbar();
  EXPECT_FALSE(IsWindowVisible(application.Handle()));
  EXPECT_TRUE(GetWindowLongW(application.Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  wchar_t title[32] = {};
  GetWindowTextW(application.Handle(), title, 32);
  EXPECT_EQ(std::wstring(title), L"Tindrel");
}

TEST_F(OwnerWindow, LayeredFrameSetsTheWindowSizeToTheFrame) {
  SetWindowLongW(owner_.get(), GWL_EXSTYLE,
                 GetWindowLongW(owner_.get(), GWL_EXSTYLE) | WS_EX_LAYERED);
  FrameBitmap frame(123, 45);
  frame.PixelAt(3, 3)[3] = 255;
  EXPECT_EQ(PresentLayeredFrame(owner_.get(), frame, POINT{70, 80}), 0u);
  RECT rect{};
  GetWindowRect(owner_.get(), &rect);
  EXPECT_EQ(rect.right - rect.left, 123);
  EXPECT_EQ(rect.bottom - rect.top, 45);
  EXPECT_EQ(rect.left, 70);
  EXPECT_EQ(rect.top, 80);
}

// The presenter keeps its device context between frames; a frame freed after its update must not
// stay selected in it (its bitmap could not be deleted), and the next frame of another size
// takes over the window.
TEST_F(OwnerWindow, APresenterTakesFrameAfterFrameEachFreedAfterItsUpdate) {
  SetWindowLongW(owner_.get(), GWL_EXSTYLE,
                 GetWindowLongW(owner_.get(), GWL_EXSTYLE) | WS_EX_LAYERED);
  LayeredFramePresenter presenter;
  const DWORD objects_before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (int side = 20; side <= 60; side += 20) {
    HBITMAP bitmap = nullptr;
    {
      FrameBitmap frame(side, side / 2);
      frame.PixelAt(1, 1)[3] = 255;
      ASSERT_EQ(presenter.Present(owner_.get(), frame, POINT{10, 20}), 0u) << side;
      bitmap = DibHandle(frame);
      ASSERT_EQ(GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
    }
    // A bitmap still selected into a device context is not deleted with its frame (the system
    // refuses, or keeps it until it is deselected): its handle would still name a bitmap. Checked
    // before the next frame is made, which could be given the same handle.
    EXPECT_EQ(GetObjectType(bitmap), 0u)
        << "the bitmap of the frame of side " << side << " outlived its frame";
    RECT rect{};
    GetWindowRect(owner_.get(), &rect);
    EXPECT_EQ(rect.right - rect.left, side);
    EXPECT_EQ(rect.bottom - rect.top, side / 2);
  }
  // Where the system counts a process's objects, only the presenter's own device context remains.
  const DWORD objects_after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (objects_before != 0 || objects_after != 0) EXPECT_LE(objects_after, objects_before + 1);
}

TEST_F(OwnerWindow, LayeredFrameOnAWindowWithoutTheLayeredStyleReportsTheSystemError) {
  FrameBitmap frame(10, 10);
  EXPECT_NE(PresentLayeredFrame(owner_.get(), frame, POINT{0, 0}), 0u);
}

}  // namespace
}  // namespace tindrel::win
