#include "base/win32/win_registry.h"

#include <windows.h>

#include <cstring>
#include <utility>
#include <vector>

#include "base/win32/raii.h"
#include "base/win32/text_conversion.h"

namespace tindrel::win {
namespace {

ScopedRegistryKey OpenUserKey(const std::string& path, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Widen(path).c_str(), 0, access, &key) != ERROR_SUCCESS) {
    return ScopedRegistryKey();
  }
  return ScopedRegistryKey(key);
}

// The value's raw bytes and type; nothing when it cannot be read. The size is asked for first and
// asked again if the value grew in between.
std::optional<std::pair<DWORD, std::vector<BYTE>>> ReadRawValue(HKEY key,
                                                                const std::wstring& name) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<BYTE> data;
  LONG result = ERROR_MORE_DATA;
  while (result == ERROR_MORE_DATA) {
    data.resize(size);
    result = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
  }
  if (result != ERROR_SUCCESS) return std::nullopt;
  data.resize(size);
  return std::make_pair(type, std::move(data));
}

// String data need not carry its terminating zero, nor an even byte count; it ends at the first
// zero character or at the last whole character.
std::string StringFromData(const std::vector<BYTE>& data) {
  std::wstring text(data.size() / sizeof(wchar_t), L'\0');
  if (!text.empty()) std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
  const auto end = text.find(L'\0');
  if (end != std::wstring::npos) text.resize(end);
  return Narrow(text);
}

RegistryValue ValueFromData(DWORD type, const std::vector<BYTE>& data) {
  RegistryValue value;
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    value.type = RegistryValueType::kString;
    value.text = StringFromData(data);
  } else if (type == REG_DWORD && data.size() == sizeof(DWORD)) {
    value.type = RegistryValueType::kDword;
    std::memcpy(&value.number, data.data(), sizeof(DWORD));
  }
  return value;
}

bool SetRawValue(const std::string& path, const std::string& name, DWORD type, const BYTE* data,
                 DWORD size) {
  const auto key = OpenUserKey(path, KEY_SET_VALUE);
  if (!key) return false;
  return RegSetValueExW(key.get(), Widen(name).c_str(), 0, type, data, size) == ERROR_SUCCESS;
}

}  // namespace

bool WinRegistry::CreateKey(const std::string& path) {
  HKEY key = nullptr;
  // Only the rights of a writer: a key whose permissions allow setting values and making subkeys,
  // but not changing its permissions or deleting it, still takes every save.
  const LONG result =
      RegCreateKeyExW(HKEY_CURRENT_USER, Widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, &key, nullptr);
  const ScopedRegistryKey owner(result == ERROR_SUCCESS ? key : nullptr);
  return static_cast<bool>(owner);
}

bool WinRegistry::KeyExists(const std::string& path) {
  return static_cast<bool>(OpenUserKey(path, KEY_QUERY_VALUE));
}

std::optional<RegistryValue> WinRegistry::QueryValue(const std::string& path,
                                                     const std::string& name) {
  const auto key = OpenUserKey(path, KEY_QUERY_VALUE);
  if (!key) return std::nullopt;
  const auto raw = ReadRawValue(key.get(), Widen(name));
  if (!raw) return std::nullopt;
  return ValueFromData(raw->first, raw->second);
}

bool WinRegistry::SetString(const std::string& path, const std::string& name,
                            const std::string& text) {
  const std::wstring wide = Widen(text);
  const auto bytes = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
  return SetRawValue(path, name, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()), bytes);
}

bool WinRegistry::SetDword(const std::string& path, const std::string& name, std::uint32_t number) {
  const DWORD data = number;
  return SetRawValue(path, name, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
}

bool WinRegistry::DeleteValue(const std::string& path, const std::string& name) {
  const auto key = OpenUserKey(path, KEY_SET_VALUE);
  if (!key) return false;
  return RegDeleteValueW(key.get(), Widen(name).c_str()) == ERROR_SUCCESS;
}

}  // namespace tindrel::win
