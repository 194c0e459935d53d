#pragma once
// Small owners for the Windows resources the widget uses, so that none can leak by accident.

#include <windows.h>

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

}  // namespace tindrel::win
