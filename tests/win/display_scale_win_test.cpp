// The widget at the display's DPI under Wine. scripts/test.sh runs these tests (their names hold
// "Dpi") once more in prefixes at 120, 144 and 192 pixels per inch, telling them the value in
// TINDREL_TEST_DPI; in the ordinary run the prefix is at 96. The test program's folder has no
// skins, so the widget's frame is its caption alone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/win32/main_window.h"
#include "app/win32/resource.h"
#include "app/win32/window_dpi.h"
#include "render/display_scale.h"
#include "render/win32/gdi_text_painter.h"
#include "settings/win32/window_placement.h"
#include "support/box_watcher.h"

namespace tindrel::win {
namespace {

int PrefixDpi() {
  const char* dpi = std::getenv("TINDREL_TEST_DPI");
  return dpi && *dpi ? std::atoi(dpi) : kBaseDpi;
}

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

// The extent of "0" in the caption's default 16 points at `dpi`.
TextExtent DigitExtent(int dpi) {
  FontSpec font;
  font.height = ScaledLength(FontHeightFromPoints(16, kBaseDpi), dpi);
  GdiTextPainter painter;
  return painter.Measure(font, "0");
}

// The caption's height with its margin: the frame's height when there is no skin.
int CaptionFrameHeight(int dpi) {
  return DigitExtent(dpi).height + ScaledLength(2, dpi);
}

// Lets the refresh timer draw: the frame of a showing's load is drawn before the stored font is
// restored, the next one in it.
void PumpMessagesFor(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  MSG message;
  while (GetTickCount() - start < milliseconds) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(10);
  }
}

TEST(WindowDpi, ThePrefixsPixelsPerInchAreTheWindowsDpiAndTheTrayIconIsMadeForIt) {
  const int dpi = PrefixDpi();
  const HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(WindowDpi(window), dpi);
  EXPECT_EQ(ScreenPixelsPerInch(), dpi);
  DestroyWindow(window);

  EXPECT_EQ(NotificationIconSize(), ScaledLength(16, dpi));
  const ScopedIcon icon = LoadNotificationIcon(GetModuleHandleW(nullptr), IDI_TINDREL);
  ASSERT_TRUE(icon) << "the test program carries the widget's icon";
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon.get(), &info));
  BITMAP color{};
  GetObjectW(info.hbmColor, sizeof color, &color);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  EXPECT_EQ(color.bmWidth, NotificationIconSize());
  EXPECT_EQ(color.bmHeight, NotificationIconSize());
}

class MainWindowDpi : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillmoor\\Tindrel"); }
  void TearDown() override {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillmoor\\Tindrel");
  }

  BoxWatcher answerer_;
  Application application_{GetModuleHandleW(nullptr)};
  ErrorReport report_{kApplicationTitle};
};

TEST_F(MainWindowDpi, TheFrameAndTheLeastSizeAreMadeForThePrefixsDpi) {
  const int dpi = PrefixDpi();
  MainWindow widget(application_, report_);
  widget.SetVisible(true);
  PumpMessagesFor(600);
  const RECT shown = WindowRect(widget.Handle());
  EXPECT_EQ(shown.bottom - shown.top, CaptionFrameHeight(dpi));
  MINMAXINFO limits{};
  SendMessageW(widget.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, ScaledLength(32, dpi));
  EXPECT_EQ(limits.ptMinTrackSize.y, ScaledLength(32, dpi));
}

TEST_F(MainWindowDpi, AMoveToAMonitorOfTwiceTheDpiRedrawsAtItsSizeInTheSuggestedPlace) {
  const int dpi = PrefixDpi();
  MainWindow widget(application_, report_);
  widget.SetVisible(true);
  PumpMessagesFor(600);
  const RECT before = WindowRect(widget.Handle());
  const int width = before.right - before.left;

  RECT suggested{123, 45, 123 + 2 * width, 45 + 2 * (before.bottom - before.top)};
  SendMessageW(widget.Handle(), WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi),
               reinterpret_cast<LPARAM>(&suggested));
  const RECT moved = WindowRect(widget.Handle());
  EXPECT_EQ(moved.left, 123);
  EXPECT_EQ(moved.top, 45);
  EXPECT_EQ(moved.bottom - moved.top, CaptionFrameHeight(2 * dpi));
  // The frame is as wide as the estimate: the width of "0" times the characters less two.
  EXPECT_EQ((moved.right - moved.left) * DigitExtent(dpi).width,
            width * DigitExtent(2 * dpi).width);

  // Back on the first monitor; the font is still stored in points.
  suggested = RECT{200, 210, 200 + width, 210 + (before.bottom - before.top)};
  SendMessageW(widget.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
               reinterpret_cast<LPARAM>(&suggested));
  const RECT back = WindowRect(widget.Handle());
  EXPECT_EQ(back.left, 200);
  EXPECT_EQ(back.bottom - back.top, before.bottom - before.top);
  widget.SetVisible(false);  // saves
  wchar_t size[16] = {};
  DWORD bytes = sizeof size;
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Quillmoor\\Tindrel\\MainForm", L"FontSize",
                         RRF_RT_REG_SZ, nullptr, size, &bytes),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(size), L"16");
}

TEST_F(MainWindowDpi, AHiddenWidgetMovedToAnotherScaleGoesToTheSuggestedPlace) {
  const int dpi = PrefixDpi();
  MainWindow widget(application_, report_);
  widget.SetVisible(true);
  widget.SetVisible(false);
  RECT suggested{300, 310, 400, 410};
  SendMessageW(widget.Handle(), WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi),
               reinterpret_cast<LPARAM>(&suggested));
  const RECT moved = WindowRect(widget.Handle());
  EXPECT_EQ(moved.left, 300);
  EXPECT_EQ(moved.top, 310);
  EXPECT_FALSE(IsWindowVisible(widget.Handle())) << "nothing is drawn while hidden";
}

}  // namespace
}  // namespace tindrel::win
