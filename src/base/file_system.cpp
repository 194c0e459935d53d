#include "base/file_system.h"

#include "base/ascii_case.h"

namespace tindrel {

std::string CannotOpenFileMessage(const std::string& path, const std::string& system_text) {
  return "Cannot open file \"" + path + "\". " + system_text;
}

bool HasExtension(const std::string& name, const std::string& extension) {
  if (name.size() < extension.size()) return false;
  return EqualsIgnoringAsciiCase(name.substr(name.size() - extension.size()), extension);
}

}  // namespace tindrel
