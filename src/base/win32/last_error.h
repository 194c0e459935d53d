#pragma once
// Failed Windows calls become the program's own error, right at the call: the call's name and the
// system's text for its error code.

#include <windows.h>

#include <string>

namespace tindrel::win {

// The system's text for an error code (FormatMessage), without the trailing line break.
std::string SystemErrorText(DWORD code);

// The one way a failed Windows call becomes the program's own error, right at the call: the
// call's name and the system's text for the last error code ("SetTimer: Not enough memory
// resources ..."). A call that failed without setting a code is not reported with the success
// text.
[[noreturn]] void ThrowLastError(const char* call);

// SetWindowLongPtrW, throwing as ThrowLastError does when it fails. A previous value of 0 is
// legitimate, so only the last error tells a failure.
void SetWindowLongChecked(HWND window, int index, LONG_PTR value);

// GetWindowLongPtrW, checked the same way.
LONG_PTR GetWindowLongChecked(HWND window, int index);

}  // namespace tindrel::win
