#include "app/win32/single_instance.h"

#include <sddl.h>

#include <vector>

namespace tindrel::win {
namespace {

constexpr DWORD kLookInterval = 100;

std::wstring SidText(PSID sid) {
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(sid, &text)) return {};
  const ScopedLocalMemory owned(text);
  return text;
}

std::wstring TokenUserSid(HANDLE token) {
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<unsigned char> buffer(size);
  if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return {};
  return SidText(reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid);
}

std::wstring WidgetMutexName() {
  const std::wstring sid = ProcessUserSid(GetCurrentProcess());
  // Without a readable identifier the session alone tells the widgets apart.
  return kWidgetMutexPrefix + (sid.empty() ? std::wstring(L"CurrentUser") : sid);
}

bool IsOwnedByUser(HWND window, const std::wstring& user_sid) {
  DWORD process_id = 0;
  GetWindowThreadProcessId(window, &process_id);
  if (process_id == 0 || process_id == GetCurrentProcessId()) return false;
  const ScopedKernelHandle process(
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id));
  if (!process) return false;
  // Two identifiers that cannot be read are not taken for the same user.
  const std::wstring owner = ProcessUserSid(process.get());
  return !owner.empty() && owner == user_sid;
}

struct WidgetSearch {
  const wchar_t* window_class;
  std::wstring user_sid;
  HWND found = nullptr;
};

BOOL CALLBACK MatchWidgetWindow(HWND window, LPARAM search_address) {
  auto& search = *reinterpret_cast<WidgetSearch*>(search_address);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (std::wstring(name) != search.window_class) return TRUE;
  if (!IsOwnedByUser(window, search.user_sid)) return TRUE;
  search.found = window;
  return FALSE;
}

HWND FindRunningWidget(const wchar_t* main_window_class) {
  WidgetSearch search{main_window_class, ProcessUserSid(GetCurrentProcess())};
  EnumWindows(MatchWidgetWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

UINT ShowWidgetMessage() {
  return RegisterWindowMessageW(kShowWidgetMessageName);
}

std::wstring ProcessUserSid(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return {};
  const ScopedKernelHandle owned(token);
  return TokenUserSid(token);
}

SingleInstanceLock::SingleInstanceLock() {
  mutex_.reset(CreateMutexW(nullptr, FALSE, WidgetMutexName().c_str()));
  const DWORD error = GetLastError();
  // A widget started as administrator holds a mutex that a normal start may not open: it runs all
  // the same, and a second widget would be a second writer of the same settings.
  already_running_ = mutex_ ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
}

bool ShowRunningWidget(const wchar_t* main_window_class, DWORD patience_ms) {
  const UINT message = ShowWidgetMessage();
  if (message == 0) return false;
  const DWORD started = GetTickCount();
  for (;;) {
    if (const HWND widget = FindRunningWidget(main_window_class)) {
      DWORD process_id = 0;
      GetWindowThreadProcessId(widget, &process_id);
      // The running widget may take the foreground, which this start holds as the latest one.
      AllowSetForegroundWindow(process_id);
      return PostMessageW(widget, message, 0, 0) != FALSE;
    }
    if (GetTickCount() - started >= patience_ms) return false;
    Sleep(kLookInterval);
  }
}

}  // namespace tindrel::win
