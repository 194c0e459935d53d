#pragma once
// The application object: its own hidden top-level window (the one that would carry a taskbar
// button), titled with the program's name, and the message loop.

#include <windows.h>

#include <string>

#include "base/win32/raii.h"

namespace tindrel::win {

constexpr wchar_t kApplicationWindowClass[] = L"TindrelApplication";

class Application {
 public:
  explicit Application(HINSTANCE instance);

  HINSTANCE Instance() const { return instance_; }
  HWND Handle() const { return window_.get(); }

  void SetTitle(const std::string& title);

  // Hides the application's own window and keeps it out of the taskbar and the task switcher.
  void HideFromTaskbar();

  // True while the application as a whole is minimised.
  bool IsMinimized() const;

  // Dispatches messages until the main window has been destroyed.
  int RunMessageLoop();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  HINSTANCE instance_;
  ScopedWindow window_;
};

}  // namespace tindrel::win
