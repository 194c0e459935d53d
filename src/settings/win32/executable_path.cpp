#include "settings/win32/executable_path.h"

#include <windows.h>

#include "app/error.h"
#include "app/win32/raii.h"

namespace tindrel::win {

std::string OwnExecutablePath() {
  // Paths may be longer than MAX_PATH; a full buffer means the path was cut, so try a larger one.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) throw Error(SystemErrorText(GetLastError()));
    if (length < buffer.size()) {
      buffer.resize(length);
      return Narrow(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace tindrel::win
