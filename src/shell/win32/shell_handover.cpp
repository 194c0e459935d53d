#include "shell/win32/shell_handover.h"

#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>

#include "base/win32/text_conversion.h"

namespace tindrel::win {

void ShellExecuteHandover::Open(const std::string& address) {
  // The result is deliberately not examined: with no program to take the address nothing else
  // is to happen.
  ShellExecuteW(nullptr, L"open", Widen(address).c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
}

}  // namespace tindrel::win
