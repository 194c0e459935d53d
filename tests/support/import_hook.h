#pragma once
// Puts a function of the test in place of one that this executable imports from a system library,
// for as long as the hook lives, so that a Windows test can see what the program asks the system
// for. Only calls made through this executable's own import table are seen.

#include <windows.h>

#include <cstring>

namespace tindrel::win {

class ImportHook {
 public:
  ImportHook(const char* library, const char* function, const void* replacement) {
    slot_ = FindImportSlot(library, function);
    if (slot_ == nullptr) return;
    original_ = *slot_;
    Write(const_cast<void*>(replacement));
  }
  ~ImportHook() {
    if (slot_ != nullptr) Write(original_);
  }
  ImportHook(const ImportHook&) = delete;
  ImportHook& operator=(const ImportHook&) = delete;

  bool installed() const { return slot_ != nullptr; }
  // The function the executable called before; the replacement passes calls on to it.
  template <typename Function>
  Function original() const {
    return reinterpret_cast<Function>(original_);
  }

 private:
  static void** FindImportSlot(const char* library, const char* function) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return nullptr;
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         entry->Name != 0; ++entry) {
      if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), library) != 0) continue;
      auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
      auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
      for (; names->u1.AddressOfData != 0; ++names, ++slots) {
        if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
        const auto* by_name =
            reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
        if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), function) == 0) {
          return reinterpret_cast<void**>(&slots->u1.Function);
        }
      }
    }
    return nullptr;
  }

  void Write(void* function) {
    DWORD protection = 0;
    VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &protection);
    *slot_ = function;
    VirtualProtect(slot_, sizeof(void*), protection, &protection);
  }

  void** slot_ = nullptr;
  void* original_ = nullptr;
};

}  // namespace tindrel::win
