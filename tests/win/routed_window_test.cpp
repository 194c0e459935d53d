// The window base under Wine: messages reach the object from the first creation message on, none
// reaches it once its window is gone, and the class is registered once for any number of windows.
#include "base/win32/routed_window.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "base/error.h"
#include "support/error_message.h"

namespace tindrel::win {
namespace {

constexpr wchar_t kTestClass[] = L"TindrelRoutedTestWindow";
constexpr UINT kPing = WM_APP + 7;

// Records what reaches it; the log outlives the object, so a message that came after the object's
// end would show there.
class RecordingWindow final : public RoutedWindow {
 public:
  explicit RecordingWindow(std::vector<UINT>& log, const WindowShape& shape = {}) : log_(log) {
    CreateRoutedWindow({kTestClass, GetModuleHandleW(nullptr)}, shape);
  }

  void Unbind() { DestroyUnbound(); }
  HWND handle_at_create = nullptr;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    log_.push_back(message);
    if (message == WM_CREATE) handle_at_create = Handle();
    if (message == kPing) return static_cast<LRESULT>(wparam) * 2;
    return DefaultHandling(message, wparam, lparam);
  }

  std::vector<UINT>& log_;
};

bool Saw(const std::vector<UINT>& log, UINT message) {
  for (UINT seen : log)
    if (seen == message) return true;
  return false;
}

TEST(RoutedWindow, MessagesReachTheObjectFromCreationOnWithItsHandleAlreadySet) {
  std::vector<UINT> log;
  RecordingWindow window(log);
  ASSERT_NE(window.Handle(), nullptr);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front(), static_cast<UINT>(WM_NCCREATE));
  EXPECT_EQ(window.handle_at_create, window.Handle());
  EXPECT_EQ(SendMessageW(window.Handle(), kPing, 21, 0), 42);
  // The window is of the class the base registered.
  wchar_t class_name[64] = {};
  GetClassNameW(window.Handle(), class_name, 64);
  EXPECT_EQ(std::wstring(class_name), kTestClass);
}

TEST(RoutedWindow, ADestroyedWindowSendsNothingMoreAndClearsTheHandle) {
  std::vector<UINT> log;
  RecordingWindow window(log);
  const HWND handle = window.Handle();
  DestroyWindow(handle);
  EXPECT_TRUE(Saw(log, WM_DESTROY));
  EXPECT_FALSE(Saw(log, WM_NCDESTROY)) << "the object is unbound before the last message";
  EXPECT_EQ(window.Handle(), nullptr);
  const std::size_t seen = log.size();
  EXPECT_EQ(SendMessageW(handle, kPing, 1, 0), 0);
  EXPECT_EQ(log.size(), seen);
}

TEST(RoutedWindow, AnObjectGoingAwayUnbindsBeforeItsWindowIsDestroyed) {
  std::vector<UINT> log;
  HWND handle = nullptr;
  {
    RecordingWindow window(log);
    handle = window.Handle();
    log.clear();
  }
  EXPECT_FALSE(IsWindow(handle));
  // Its destruction messages found no object: the derived part had ended already.
  EXPECT_TRUE(log.empty());

  std::vector<UINT> unbound_log;
  RecordingWindow unbound(unbound_log);
  const HWND unbound_handle = unbound.Handle();
  unbound_log.clear();
  unbound.Unbind();
  EXPECT_FALSE(IsWindow(unbound_handle));
  EXPECT_EQ(unbound.Handle(), nullptr);
  EXPECT_TRUE(unbound_log.empty());
}

TEST(RoutedWindow, TwoWindowsOfOneClassEachReachTheirOwnObject) {
  std::vector<UINT> first_log;
  std::vector<UINT> second_log;
  RecordingWindow first(first_log);
  RecordingWindow second(second_log);
  ASSERT_NE(first.Handle(), second.Handle());
  first_log.clear();
  second_log.clear();
  SendMessageW(second.Handle(), kPing, 1, 0);
  EXPECT_TRUE(first_log.empty());
  EXPECT_EQ(second_log, std::vector<UINT>{kPing});
}

TEST(RoutedWindow, AWindowThatCannotBeMadeGivesTheProgramsErrorNamingTheCall) {
  std::vector<UINT> log;
  WindowShape shape;
  shape.style = WS_CHILD;  // a child window needs a parent
  const std::string message = test::ErrorMessageOf([&] { RecordingWindow window(log, shape); });
  EXPECT_EQ(message.rfind("CreateWindowExW: ", 0), 0u) << message;
}

}  // namespace
}  // namespace tindrel::win
