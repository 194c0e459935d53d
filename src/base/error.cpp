#include "base/error.h"

namespace tindrel {

std::string WithFullStop(const std::string& text) {
  if (!text.empty() && static_cast<unsigned char>(text.back()) <= static_cast<unsigned char>('.')) {
    return text;
  }
  return text + ".";
}

std::string FormatMessage1(const std::string& pattern, const std::string& argument) {
  const auto at = pattern.find("%s");
  if (at == std::string::npos) return pattern;
  return pattern.substr(0, at) + argument + pattern.substr(at + 2);
}

}  // namespace tindrel
