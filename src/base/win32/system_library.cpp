#include "base/win32/system_library.h"

#include <string>

namespace tindrel::win {

ScopedModule LoadSystemLibrary(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) ThrowLastError("GetSystemDirectoryW");
  const std::wstring path = std::wstring(folder, length) + L"\\" + name;
  ScopedModule module(LoadLibraryW(path.c_str()));
  if (!module) ThrowLastError("LoadLibraryW");
  return module;
}

ScopedModule LoadCommonControls() {
  return ScopedModule(LoadLibraryW(L"comctl32.dll"));
}

}  // namespace tindrel::win
