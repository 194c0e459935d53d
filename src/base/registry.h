#pragma once
// The current user's registry (HKEY_CURRENT_USER) as the settings code sees it. Windows has one
// implementation (win32/win_registry.h); the tests use an in-memory double.

#include <cstdint>
#include <optional>
#include <string>

namespace tindrel {

enum class RegistryValueType { kString, kDword, kOther };

struct RegistryValue {
  RegistryValueType type = RegistryValueType::kOther;
  std::string text;          // kString: the data up to its terminating zero, UTF-8
  std::uint32_t number = 0;  // kDword
};

// Key paths are relative to HKEY_CURRENT_USER with '\\' between their parts; names are UTF-8.
// Every call opens the key it needs and closes it before returning, so no key stays open between
// calls and a failed call leaves nothing behind.
class Registry {
 public:
  virtual ~Registry() = default;

  // Opens the key for writing values and making subkeys, creating it and any missing parent. False
  // when that fails.
  virtual bool CreateKey(const std::string& path) = 0;

  // Whether the key can be opened for reading values.
  virtual bool KeyExists(const std::string& path) = 0;

  // The value's type and data; nothing when the key or the value does not exist.
  virtual std::optional<RegistryValue> QueryValue(const std::string& path,
                                                  const std::string& name) = 0;

  // Writes into a key that must exist already (these never create one). The string is stored
  // with its terminating zero. False when the key is missing or the write is refused.
  virtual bool SetString(const std::string& path, const std::string& name,
                         const std::string& text) = 0;
  virtual bool SetDword(const std::string& path, const std::string& name, std::uint32_t number) = 0;

  // False when the key or the value is missing or the deletion is refused.
  virtual bool DeleteValue(const std::string& path, const std::string& name) = 0;
};

}  // namespace tindrel
