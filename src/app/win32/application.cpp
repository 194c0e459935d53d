#include "app/win32/application.h"

#include "base/error.h"
#include "base/win32/last_error.h"
#include "base/win32/routed_window.h"
#include "base/win32/text_conversion.h"

namespace tindrel::win {

Application::Application(HINSTANCE instance) : instance_(instance) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = kApplicationWindowClass;
  RegisterWindowClassOnce(window_class);
  // Zero-sized and never shown: it only stands for the application in the window list.
  window_.reset(CreateWindowExW(0, kApplicationWindowClass, L"",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0,
                                nullptr, nullptr, instance, nullptr));
  if (!window_) ThrowLastError("CreateWindowExW");
}

void Application::SetTitle(const std::string& title) {
  // Tolerated when it fails: the window is never shown; the title only names it in the window
  // list.
  SetWindowTextW(window_.get(), Widen(title).c_str());
}

void Application::HideFromTaskbar() {
  ShowWindow(window_.get(), SW_HIDE);  // returns the previous state, not a failure
  const LONG_PTR style = GetWindowLongChecked(window_.get(), GWL_EXSTYLE);
  SetWindowLongChecked(window_.get(), GWL_EXSTYLE, style | WS_EX_TOOLWINDOW);
}

bool Application::IsMinimized() const {
  return IsIconic(window_.get()) != FALSE;
}

int Application::RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

LRESULT CALLBACK Application::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace tindrel::win
