#pragma once
// The registry seam over the real HKEY_CURRENT_USER.

#include "base/registry.h"

namespace tindrel::win {

class WinRegistry : public Registry {
 public:
  bool CreateKey(const std::string& path) override;
  bool KeyExists(const std::string& path) override;
  std::optional<RegistryValue> QueryValue(const std::string& path,
                                          const std::string& name) override;
  bool SetString(const std::string& path, const std::string& name,
                 const std::string& text) override;
  bool SetDword(const std::string& path, const std::string& name, std::uint32_t number) override;
  bool DeleteValue(const std::string& path, const std::string& name) override;
};

}  // namespace tindrel::win
