#pragma once
// Message boxes of the error report seen from another thread, for the Windows tests.

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace tindrel::win {

// Watches for message boxes titled "Tindrel" from another thread, records the text of the first
// one and how many were open at once, and closes each.
class BoxWatcher {
 public:
  BoxWatcher() : thread_([this] { Watch(); }) {}
  ~BoxWatcher() {
    stop_ = true;
    thread_.join();
  }
  std::wstring FirstText() {
    Settle();
    return first_text_;
  }
  int MostOpenAtOnce() {
    Settle();
    return most_open_;
  }
  int BoxesSeen() {
    Settle();
    return seen_;
  }
  void HoldOpenFor(int milliseconds) { hold_ms_ = milliseconds; }

 private:
  void Settle() { Sleep(50); }
  static BOOL CALLBACK Collect(HWND window, LPARAM context) {
    wchar_t class_name[64] = {};
    wchar_t title[64] = {};
    GetClassNameW(window, class_name, 64);
    GetWindowTextW(window, title, 64);
    if (std::wstring(class_name) == L"#32770" && std::wstring(title) == L"Tindrel" &&
        IsWindowVisible(window)) {
      reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    }
    return TRUE;
  }
  void Watch() {
    while (!stop_) {
      std::vector<HWND> boxes;
      EnumWindows(Collect, reinterpret_cast<LPARAM>(&boxes));
      if (static_cast<int>(boxes.size()) > most_open_) most_open_ = static_cast<int>(boxes.size());
      for (HWND box : boxes) {
        if (first_text_.empty()) {
          wchar_t text[512] = {};
          GetDlgItemTextW(box, 0xFFFF, text, 512);  // the message box's text control
          first_text_ = text;
        }
        Sleep(hold_ms_);
        ++seen_;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
      Sleep(20);
    }
  }

  std::atomic<bool> stop_{false};
  std::wstring first_text_;
  std::atomic<int> most_open_{0};
  std::atomic<int> seen_{0};
  std::atomic<int> hold_ms_{0};
  std::thread thread_;
};

}  // namespace tindrel::win
