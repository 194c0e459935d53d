#include "base/win32/last_error.h"

#include "base/error.h"
#include "base/win32/text_conversion.h"

namespace tindrel::win {

std::string SystemErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = n && buffer ? std::wstring(buffer, n) : std::wstring();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
    text.pop_back();
  }
  if (text.empty()) return "System error " + std::to_string(code);
  return Narrow(text);
}

void ThrowLastError(const char* call) {
  const DWORD code = GetLastError();
  // Some calls (GDI ones above all) fail without setting a code; the system's text for 0 would
  // read as a success.
  const std::string text =
      code == ERROR_SUCCESS ? "the call failed without an error code" : SystemErrorText(code);
  throw Error(std::string(call) + ": " + text);
}

void SetWindowLongChecked(HWND window, int index, LONG_PTR value) {
  SetLastError(ERROR_SUCCESS);
  if (SetWindowLongPtrW(window, index, value) == 0 && GetLastError() != ERROR_SUCCESS) {
    ThrowLastError("SetWindowLongPtrW");
  }
}

LONG_PTR GetWindowLongChecked(HWND window, int index) {
  SetLastError(ERROR_SUCCESS);
  const LONG_PTR value = GetWindowLongPtrW(window, index);
  if (value == 0 && GetLastError() != ERROR_SUCCESS) ThrowLastError("GetWindowLongPtrW");
  return value;
}

}  // namespace tindrel::win
