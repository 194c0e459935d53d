#include "base/file_system.h"

#include <algorithm>

namespace tindrel {

std::string CannotOpenFileMessage(const std::string& path, const std::string& system_text) {
  return "Cannot open file \"" + path + "\". " + system_text;
}

bool HasExtension(const std::string& name, const std::string& extension) {
  if (name.size() < extension.size()) return false;
  const auto lower = [](char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  };
  return std::equal(extension.begin(), extension.end(), name.end() - extension.size(),
                    [&](char a, char b) { return lower(a) == lower(b); });
}

}  // namespace tindrel
