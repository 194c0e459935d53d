// A small console program for the end-to-end tests: it runs in the same Wine prefix as the widget
// and looks at the widget's windows from outside.
//
//   probe windows                 every top-level window: handle, class, title, styles, rectangle
//   probe boxes                   every dialog box: handle, title and the text of its static
//                                 control, each line break written as \n and each backslash
//                                 as \\, so that a box stays on one line
//   probe close CLASS             posts WM_CLOSE to the first visible top-level window of CLASS
//   probe dismiss                 presses OK on every dialog box
//   probe message CLASS MSG W L   posts a message to the first top-level window of CLASS
//   probe trayicons               every icon window in Wine's own tray window: handle, class,
//                                 visibility and place on the screen (nothing when that window is
//                                 not shown)
//   probe trayremove CLASS        takes the icon of the first top-level window of CLASS out of
//                                 the tray, as a restarting shell loses every icon
//   probe taskbarcreated          broadcasts the shell's "TaskbarCreated" message, as a shell
//                                 that has started again does
//   probe move CLASS X Y          moves the first top-level window of CLASS to X, Y (screen)
//   probe volatilekey PATH        replaces HKEY_CURRENT_USER\PATH and all under it by an empty
//                                 volatile key (gone when the Wine server ends), under which no
//                                 lasting key can be made: every write to a key below it fails
//   probe focus                   the foreground window and the window with the keyboard focus:
//                                 handle and class of each (0 and nothing when there is none)
//   probe accessible CLASS        what assistive technology finds on the first top-level window of
//                                 CLASS: the name and description of its client object
//   probe codepage                the ANSI code page of the processes of the prefix

#include <windows.h>
// After windows.h, which they build on.
#include <oleacc.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::wstring TitleOf(HWND window) {
  wchar_t title[512] = {};
  GetWindowTextW(window, title, 512);
  return title;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// A window handle as a number, whole in both the x86 and the x64 build.
unsigned long long HandleNumber(HWND window) {
  return static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window));
}

void PrintWindow(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  std::printf(
      "hwnd=%llu class=%s title=\"%s\" style=0x%08lX exstyle=0x%08lX visible=%d "
      "left=%ld top=%ld width=%ld height=%ld owner=%llu\n",
      HandleNumber(window), Utf8(ClassOf(window)).c_str(), Utf8(TitleOf(window)).c_str(),
      static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)),
      static_cast<unsigned long>(GetWindowLongW(window, GWL_EXSTYLE)),
      IsWindowVisible(window) ? 1 : 0, rect.left, rect.top, rect.right - rect.left,
      rect.bottom - rect.top, HandleNumber(GetWindow(window, GW_OWNER)));
}

bool IsDialogBox(HWND window) {
  return ClassOf(window) == L"#32770";
}

BOOL CALLBACK AppendStaticText(HWND child, LPARAM out) {
  if (ClassOf(child) == L"Static") {
    const std::string piece = Utf8(TitleOf(child));
    if (!piece.empty()) *reinterpret_cast<std::string*>(out) += piece;
  }
  return TRUE;
}

// A box's text on one output line: CR LF, LF and CR each become the two characters \n, and a
// backslash is doubled so that the reader can tell the two apart.
std::string OneLine(const std::string& text) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '\r' || text[at] == '\n') {
      line += "\\n";
      if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
    } else if (text[at] == '\\') {
      line += "\\\\";
    } else {
      line.push_back(text[at]);
    }
  }
  return line;
}

std::string DialogText(HWND box) {
  std::string text;
  EnumChildWindows(box, AppendStaticText, reinterpret_cast<LPARAM>(&text));
  return OneLine(text);
}

HWND FirstOfClass(const std::wstring& wanted, bool visible_only) {
  for (HWND window : TopLevelWindows()) {
    if (ClassOf(window) == wanted && (!visible_only || IsWindowVisible(window))) return window;
  }
  return nullptr;
}

std::wstring Wide(const char* text) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), n);
  out.resize(static_cast<std::size_t>(n > 0 ? n - 1 : 0));
  return out;
}

int Usage() {
  std::fprintf(stderr,
               "usage: probe windows|boxes|dismiss|close CLASS|message CLASS MSG W L|trayicons|"
               "trayremove CLASS|taskbarcreated|move CLASS X Y|volatilekey PATH|focus|"
               "accessible CLASS|codepage\n");
  return 2;
}

// With no tray manager on the display, Wine's shell shows "Wine System Tray" with one child window
// per icon it holds.
void PrintTrayIcons() {
  const HWND tray = FindWindowW(nullptr, L"Wine System Tray");
  if (!tray || !IsWindowVisible(tray)) return;
  for (HWND icon = GetWindow(tray, GW_CHILD); icon; icon = GetWindow(icon, GW_HWNDNEXT)) {
    RECT rect{};
    GetWindowRect(icon, &rect);
    std::printf("icon=%llu class=%s visible=%d left=%ld top=%ld width=%ld height=%ld\n",
                HandleNumber(icon), Utf8(ClassOf(icon)).c_str(), IsWindowVisible(icon) ? 1 : 0,
                rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  }
}

// The record that names an icon to the shell: its window and identifier (the widget uses 0).
bool RemoveTrayIcon(HWND owner) {
  NOTIFYICONDATAW record{};
  record.cbSize = sizeof(record);
  record.hWnd = owner;
  record.uID = 0;
  return Shell_NotifyIconW(NIM_DELETE, &record) != FALSE;
}

// The name or the description of a window's client object as UTF-8: "(none)" when it has
// none, "(failed 0x...)" when it cannot be read.
std::string AccessibleText(HWND window, decltype(&IAccessible::get_accName) read) {
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                        __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&object))) ||
      !object) {
    return "(no object)";
  }
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  const HRESULT result = (object->*read)(self, &text);
  object->Release();
  if (FAILED(result)) {
    char failure[32];
    std::snprintf(failure, sizeof failure, "(failed 0x%08lX)", static_cast<unsigned long>(result));
    return failure;
  }
  if (!text) return "(none)";
  const std::string utf8 = Utf8(std::wstring(text, SysStringLen(text)));
  SysFreeString(text);
  return utf8;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "windows") {
    for (HWND window : TopLevelWindows()) PrintWindow(window);
    return 0;
  }
  if (command == "boxes") {
    for (HWND window : TopLevelWindows()) {
      if (!IsDialogBox(window) || !IsWindowVisible(window)) continue;
      std::printf("box=%llu title=\"%s\" text=\"%s\"\n", HandleNumber(window),
                  Utf8(TitleOf(window)).c_str(), DialogText(window).c_str());
    }
    return 0;
  }
  if (command == "dismiss") {
    for (HWND window : TopLevelWindows()) {
      if (IsDialogBox(window) && IsWindowVisible(window)) PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    return 0;
  }
  if (command == "close" && argc == 3) {
    HWND window = FirstOfClass(Wide(argv[2]), false);
    if (!window) return 1;
    PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
  }
  if (command == "message" && argc == 6) {
    HWND window = FirstOfClass(Wide(argv[2]), false);
    if (!window) return 1;
    PostMessageW(window, static_cast<UINT>(std::strtoul(argv[3], nullptr, 0)),
                 static_cast<WPARAM>(std::strtoul(argv[4], nullptr, 0)),
                 static_cast<LPARAM>(std::strtol(argv[5], nullptr, 0)));
    return 0;
  }
  if (command == "trayicons") {
    PrintTrayIcons();
    return 0;
  }
  if (command == "trayremove" && argc == 3) {
    HWND window = FirstOfClass(Wide(argv[2]), false);
    return window && RemoveTrayIcon(window) ? 0 : 1;
  }
  if (command == "taskbarcreated") {
    const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message && PostMessageW(HWND_BROADCAST, message, 0, 0) ? 0 : 1;
  }
  if (command == "move" && argc == 5) {
    HWND window = FirstOfClass(Wide(argv[2]), false);
    if (!window) return 1;
    return SetWindowPos(window, nullptr, std::atoi(argv[3]), std::atoi(argv[4]), 0, 0,
                        SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)
               ? 0
               : 1;
  }
  if (command == "volatilekey" && argc == 3) {
    const std::wstring path = Wide(argv[2]);
    RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
      return 1;
    }
    RegCloseKey(key);
    return 0;
  }
  if (command == "focus") {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(0, &info);
    std::printf("active=%llu active_class=%s focus=%llu focus_class=%s\n",
                HandleNumber(info.hwndActive), Utf8(ClassOf(info.hwndActive)).c_str(),
                HandleNumber(info.hwndFocus), Utf8(ClassOf(info.hwndFocus)).c_str());
    return 0;
  }
  if (command == "accessible" && argc == 3) {
    HWND window = FirstOfClass(Wide(argv[2]), false);
    if (!window) return 1;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::printf("name=\"%s\" description=\"%s\"\n",
                AccessibleText(window, &IAccessible::get_accName).c_str(),
                AccessibleText(window, &IAccessible::get_accDescription).c_str());
    CoUninitialize();
    return 0;
  }
  if (command == "codepage") {
    std::printf("%u\n", GetACP());
    return 0;
  }
  return Usage();
}
