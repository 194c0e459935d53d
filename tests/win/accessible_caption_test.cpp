// The widget's accessible object as a tool in the same process finds it through the system.
#include "app/win32/accessible_caption.h"

// clang-format off
#include <windows.h>
#include <oleacc.h>  // needs the types of windows.h
// clang-format on
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/win32/raii.h"

namespace tindrel::win {
namespace {

constexpr wchar_t kWindowClass[] = L"TindrelAccessibleCaptionTest";

// A window that answers WM_GETOBJECT through the AccessibleCaption in its user data.
LRESULT CALLBACK AnsweringProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_GETOBJECT) {
    auto* caption = reinterpret_cast<AccessibleCaption*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (caption) {
      if (const auto answer = caption->Answer(wparam, lparam)) return *answer;
    }
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

class AccessibleCaptionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = AnsweringProc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = kWindowClass;
    RegisterClassExW(&window_class);
    window_.reset(CreateWindowExW(0, kWindowClass, L"Tindrel", WS_POPUP, 10, 10, 80, 40, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(window_);
  }
  void TearDown() override {
    window_.reset();
    CoUninitialize();
  }

  // Binds a caption to the window, or none.
  void Answer(AccessibleCaption* caption) {
    SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(caption));
  }

  IAccessible* ClientObject() {
    IAccessible* object = nullptr;
    EXPECT_EQ(AccessibleObjectFromWindow(window_.get(), static_cast<DWORD>(OBJID_CLIENT),
                                         __uuidof(IAccessible), reinterpret_cast<void**>(&object)),
              S_OK);
    return object;
  }

  static std::wstring Text(IAccessible* object, decltype(&IAccessible::get_accName) read) {
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    if (FAILED((object->*read)(self, &text)) || !text) return L"(none)";
    std::wstring copy(text, SysStringLen(text));
    SysFreeString(text);
    return copy;
  }

  ScopedWindow window_;
};

TEST_F(AccessibleCaptionTest, NameIsTheShownCaptionWhileVisibleAndTheCaptionOfNowOtherwise) {
  AccessibleCaption caption(window_.get(), [] { return std::string("14 days, 10:19:34"); });
  Answer(&caption);
  IAccessible* object = ClientObject();
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(Text(object, &IAccessible::get_accName), L"14 days, 10:19:34");  // no frame yet
  EXPECT_EQ(Text(object, &IAccessible::get_accDescription), L"Countdown");
  caption.CaptionShown("14 days, 10:19:33", 46016.0);
  EXPECT_EQ(Text(object, &IAccessible::get_accName), L"14 days, 10:19:34");  // hidden
  ShowWindow(window_.get(), SW_SHOWNOACTIVATE);
  EXPECT_EQ(Text(object, &IAccessible::get_accName), L"14 days, 10:19:33");
  caption.CaptionShown("14 days, 10:19:32", 46016.0);
  EXPECT_EQ(Text(object, &IAccessible::get_accName), L"14 days, 10:19:32");
  // Everything but the name and the description is the standard object's.
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  VARIANT role{};
  EXPECT_EQ(object->get_accRole(self, &role), S_OK);
  EXPECT_EQ(role.vt, VT_I4);
  EXPECT_EQ(role.lVal, ROLE_SYSTEM_CLIENT);
  EXPECT_EQ(object->Release(), 0u);
  wchar_t title[16] = {};
  GetWindowTextW(window_.get(), title, 16);
  EXPECT_EQ(std::wstring(title), L"Tindrel");
}

// A tool may keep the object after the widget has gone; it then answers as the standard object.
TEST_F(AccessibleCaptionTest, AnObjectKeptAfterTheCaptionHasGoneNoLongerAsksForIt) {
  IAccessible* object = nullptr;
  {
    AccessibleCaption caption(window_.get(), [] { return std::string("0 days, 00:00:01"); });
    Answer(&caption);
    object = ClientObject();
    ASSERT_NE(object, nullptr);
    Answer(nullptr);
  }
  EXPECT_NE(Text(object, &IAccessible::get_accName), L"0 days, 00:00:01");
  EXPECT_NE(Text(object, &IAccessible::get_accDescription), L"Countdown");
  EXPECT_EQ(object->Release(), 0u);
}

std::vector<HWND> name_changes;

void CALLBACK RecordNameChange(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                               DWORD) {
  if (object == OBJID_CLIENT && child == CHILDID_SELF) name_changes.push_back(window);
}

void DeliverEvents() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// The caption changes every second; the change is told at the first frame and again only when the
// due date changes (or a minute has passed).
TEST_F(AccessibleCaptionTest, TellsANameChangeAtTheFirstFrameAndWhenTheDueDateChanges) {
  AccessibleCaption caption(window_.get(), [] { return std::string(); });
  name_changes.clear();
  const HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, RecordNameChange,
                      GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  caption.CaptionShown("14 days, 10:19:34", 46016.0);
  caption.CaptionShown("14 days, 10:19:33", 46016.0);
  caption.CaptionShown("14 days, 10:19:32", 46016.0);
  DeliverEvents();
  EXPECT_EQ(name_changes, std::vector<HWND>{window_.get()});
  caption.CaptionShown("21 days, 10:19:32", 46023.0);
  caption.CaptionShown("21 days, 10:19:31", 46023.0);
  DeliverEvents();
  EXPECT_EQ(name_changes, (std::vector<HWND>{window_.get(), window_.get()}));
  UnhookWinEvent(hook);
}

}  // namespace
}  // namespace tindrel::win
