#include "settings/startup.h"

#include "base/error.h"

namespace tindrel {

std::string RunValueName(const std::string& executablePath) {
  const auto slash = executablePath.find_last_of("\\/");
  const std::string fileName =
      slash == std::string::npos ? executablePath : executablePath.substr(slash + 1);
  return fileName.substr(0, fileName.rfind('.'));
}

void SyncStartWithSystem(Registry& registry, const std::string& executablePath, bool checked) {
  const std::string name = RunValueName(executablePath);
  // A Run key that cannot be created shows up as the failing write below.
  registry.CreateKey(kRunKey);
  if (!checked) {
    registry.DeleteValue(kRunKey, name);
    return;
  }
  if (!registry.SetString(kRunKey, name, executablePath)) {
    throw Error(FormatMessage1("Failed to set data for '%s'", name));
  }
}

}  // namespace tindrel
