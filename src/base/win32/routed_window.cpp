#include "base/win32/routed_window.h"

#include "base/win32/last_error.h"

namespace tindrel::win {

void RegisterWindowClassOnce(const WNDCLASSEXW& window_class) {
  if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    ThrowLastError("RegisterClassExW");
  }
}

RoutedWindow::~RoutedWindow() {
  DestroyUnbound();
}

void RoutedWindow::CreateRoutedWindow(const WindowClassSpec& window_class,
                                      const WindowShape& shape) {
  WNDCLASSEXW native{};
  native.cbSize = sizeof(native);
  native.lpfnWndProc = &RoutedWindow::Route;
  native.hInstance = window_class.instance;
  native.hIcon = window_class.icon;
  native.hCursor = window_class.cursor;
  native.lpszClassName = window_class.name;
  RegisterWindowClassOnce(native);
  const HWND window =
      CreateWindowExW(shape.ex_style, window_class.name, shape.title, shape.style, shape.x, shape.y,
                      shape.width, shape.height, shape.owner, nullptr, window_class.instance, this);
  if (!window) ThrowLastError("CreateWindowExW");
}

void RoutedWindow::DestroyUnbound() {
  const HWND window = window_;
  if (!window) return;
  Unbind();
  DestroyWindow(window);
}

LRESULT RoutedWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  return DefaultHandling(message, wparam, lparam);
}

LRESULT RoutedWindow::DefaultHandling(UINT message, WPARAM wparam, LPARAM lparam) const {
  return DefWindowProcW(window_, message, wparam, lparam);
}

bool RoutedWindow::Bind(HWND window) {
  SetLastError(ERROR_SUCCESS);
  if (SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this)) == 0 &&
      GetLastError() != ERROR_SUCCESS) {
    return false;
  }
  window_ = window;
  return true;
}

void RoutedWindow::Unbind() {
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  window_ = nullptr;
}

LRESULT CALLBACK RoutedWindow::Route(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* creator =
        static_cast<RoutedWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lparam)->lpCreateParams);
    // Returning FALSE ends the creation; CreateWindowExW then fails with the code set here.
    if (!creator->Bind(window)) return FALSE;
  }
  auto* self = reinterpret_cast<RoutedWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  // Before WM_NCCREATE (WM_GETMINMAXINFO comes first) and after unbinding there is no object.
  if (!self) return DefWindowProcW(window, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    self->Unbind();
    return DefWindowProcW(window, message, wparam, lparam);
  }
  return self->HandleMessage(message, wparam, lparam);
}

}  // namespace tindrel::win
