#pragma once
// Small owners for the Windows resources the widget uses, so that none can leak by accident.

#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include <string>
#include <utility>

namespace tindrel::win {

// Owns one handle and releases it with Release(handle) when it goes out of scope.
template <typename Handle, typename Traits>
class Owned {
 public:
  Owned() = default;
  explicit Owned(Handle handle) : handle_(handle) {}
  ~Owned() { reset(); }
  Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, Traits::Invalid());
    }
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Invalid(); }
  Handle release() { return std::exchange(handle_, Traits::Invalid()); }
  void reset(Handle handle = Traits::Invalid()) {
    if (handle_ != Traits::Invalid()) Traits::Release(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

struct GdiObjectTraits {
  static HGDIOBJ Invalid() { return nullptr; }
  static void Release(HGDIOBJ h) { DeleteObject(h); }
};
struct BitmapTraits {
  static HBITMAP Invalid() { return nullptr; }
  static void Release(HBITMAP h) { DeleteObject(h); }
};
struct FontTraits {
  static HFONT Invalid() { return nullptr; }
  static void Release(HFONT h) { DeleteObject(h); }
};
struct MemoryDcTraits {
  static HDC Invalid() { return nullptr; }
  static void Release(HDC h) { DeleteDC(h); }
};
struct RegistryKeyTraits {
  static HKEY Invalid() { return nullptr; }
  static void Release(HKEY h) { RegCloseKey(h); }
};
struct WindowTraits {
  static HWND Invalid() { return nullptr; }
  static void Release(HWND h) { DestroyWindow(h); }
};
struct MenuTraits {
  static HMENU Invalid() { return nullptr; }
  static void Release(HMENU h) { DestroyMenu(h); }
};
struct IconTraits {
  static HICON Invalid() { return nullptr; }
  static void Release(HICON h) { DestroyIcon(h); }
};
struct FileHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Release(HANDLE h) { CloseHandle(h); }
};
struct FindTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Release(HANDLE h) { FindClose(h); }
};

struct KernelHandleTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Release(HANDLE h) { CloseHandle(h); }
};
struct LocalMemoryTraits {
  static HLOCAL Invalid() { return nullptr; }
  static void Release(HLOCAL h) { LocalFree(h); }
};

struct ModuleTraits {
  static HMODULE Invalid() { return nullptr; }
  static void Release(HMODULE h) { FreeLibrary(h); }
};

using ScopedBitmap = Owned<HBITMAP, BitmapTraits>;
using ScopedFont = Owned<HFONT, FontTraits>;
using ScopedMemoryDc = Owned<HDC, MemoryDcTraits>;
using ScopedRegistryKey = Owned<HKEY, RegistryKeyTraits>;
using ScopedWindow = Owned<HWND, WindowTraits>;
using ScopedMenu = Owned<HMENU, MenuTraits>;
using ScopedIcon = Owned<HICON, IconTraits>;
using ScopedFind = Owned<HANDLE, FindTraits>;
using ScopedFileHandle = Owned<HANDLE, FileHandleTraits>;
using ScopedModule = Owned<HMODULE, ModuleTraits>;
// A kernel object handle (mutex, process, token) whose failure value is null, not
// INVALID_HANDLE_VALUE.
using ScopedKernelHandle = Owned<HANDLE, KernelHandleTraits>;
// Memory the system allocated for the caller with LocalAlloc.
using ScopedLocalMemory = Owned<HLOCAL, LocalMemoryTraits>;

// GetDC / ReleaseDC for one window (nullptr: the screen).
class ScopedWindowDc {
 public:
  explicit ScopedWindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~ScopedWindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  ScopedWindowDc(const ScopedWindowDc&) = delete;
  ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// SelectObject that puts the previous object back.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~ScopedSelect() {
    if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;
  // False when the selection failed (for example a bitmap already selected elsewhere).
  explicit operator bool() const { return previous_ && previous_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A window subclass (comctl32) that is removed again when the owner goes out of scope. Installing
// can fail (a window of another thread); `installed()` tells.
class ScopedWindowSubclass {
 public:
  ScopedWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data)
      : window_(window),
        procedure_(procedure),
        id_(id),
        installed_(SetWindowSubclass(window, procedure, id, data) != FALSE) {}
  ~ScopedWindowSubclass() {
    if (installed_) RemoveWindowSubclass(window_, procedure_, id_);
  }
  ScopedWindowSubclass(const ScopedWindowSubclass&) = delete;
  ScopedWindowSubclass& operator=(const ScopedWindowSubclass&) = delete;
  bool installed() const { return installed_; }

 private:
  HWND window_;
  SUBCLASSPROC procedure_;
  UINT_PTR id_;
  bool installed_;
};

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

// Loads a library of the system folder by its full path (never one beside the program); throws
// the program's error when it cannot. For libraries only an occasional command needs, so that
// they and what they pull in are not in memory all season.
ScopedModule LoadSystemLibrary(const wchar_t* name);

// The address of `name` in `module` as a function of type Function; throws when it is missing.
template <typename Function>
Function LibraryFunction(const ScopedModule& module, const char* name) {
  const FARPROC address = GetProcAddress(module.get(), name);
  if (!address) ThrowLastError(name);
  // Through a plain function pointer type: FARPROC and Function differ only in their signature.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

}  // namespace tindrel::win
