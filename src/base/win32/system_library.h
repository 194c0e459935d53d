#pragma once
// Libraries of the system loaded on demand, and their functions looked up by name, for what only
// an occasional command needs.

#include <windows.h>

#include "base/win32/last_error.h"
#include "base/win32/raii.h"

namespace tindrel::win {

// Loads a library of the system folder by its full path (never one beside the program); throws
// the program's error when it cannot. For libraries only an occasional command needs, so that
// they and what they pull in are not in memory all season.
ScopedModule LoadSystemLibrary(const wchar_t* name);

// Loads the common controls the way a static import of them would: by name, so that the version
// the program's manifest asks for is the one loaded. Empty when they cannot be loaded. Only the
// due-date tooltip and a menu being open need them.
ScopedModule LoadCommonControls();

// The address of `name` in `module` as a function of type Function; null when the module is empty
// or lacks it.
template <typename Function>
Function LibraryFunctionOrNull(const ScopedModule& module, const char* name) {
  if (!module) return nullptr;
  // Through a plain function pointer type: FARPROC and Function differ only in their signature.
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(GetProcAddress(module.get(), name)));
}

// The address of `name` in `module` as a function of type Function; throws when it is missing.
template <typename Function>
Function LibraryFunction(const ScopedModule& module, const char* name) {
  const auto function = LibraryFunctionOrNull<Function>(module, name);
  if (!function) ThrowLastError(name);
  return function;
}

}  // namespace tindrel::win
