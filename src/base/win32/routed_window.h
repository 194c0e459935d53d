#pragma once
// A window whose messages go to one object. The class is registered once; the object is bound at
// WM_NCCREATE and unbound at WM_NCDESTROY, so nothing reaches it before it has its handle or after
// its window is gone, and an object that goes away first unbinds before it destroys the window.

#include <windows.h>

namespace tindrel::win {

// What a window class needs beyond its name; the procedure is always the routing one.
struct WindowClassSpec {
  const wchar_t* name = nullptr;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
};

// Where and how the window is made.
struct WindowShape {
  DWORD ex_style = 0;
  DWORD style = WS_POPUP;
  const wchar_t* title = L"";
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  HWND owner = nullptr;
};

// Registers a class; one already registered under the name (a second window of the same kind)
// is no failure. Throws the program's error otherwise.
void RegisterWindowClassOnce(const WNDCLASSEXW& window_class);

class RoutedWindow {
 public:
  RoutedWindow(const RoutedWindow&) = delete;
  RoutedWindow& operator=(const RoutedWindow&) = delete;

  // Null before the window is made and once it has been destroyed.
  HWND Handle() const { return window_; }

 protected:
  RoutedWindow() = default;
  // A window still there is unbound first: the derived parts are gone already.
  virtual ~RoutedWindow();

  // Registers the class when needed and makes the window, bound to this object from its first
  // creation message on; throws the program's error when either fails.
  void CreateRoutedWindow(const WindowClassSpec& window_class, const WindowShape& shape);
  // Unbinds the window and destroys it without this object hearing of it.
  void DestroyUnbound();

  // Every message from WM_NCCREATE on, up to but not including WM_NCDESTROY.
  virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT DefaultHandling(UINT message, WPARAM wparam, LPARAM lparam) const;

 private:
  static LRESULT CALLBACK Route(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  bool Bind(HWND window);
  void Unbind();

  HWND window_ = nullptr;
};

}  // namespace tindrel::win
