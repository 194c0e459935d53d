#include "settings/startup.h"

#include "base/error.h"

namespace tindrel {

std::string RunValueName(const std::string& executable_path) {
  const auto slash = executable_path.find_last_of("\\/");
  const std::string file_name =
      slash == std::string::npos ? executable_path : executable_path.substr(slash + 1);
  return file_name.substr(0, file_name.rfind('.'));
}

std::string RunCommandLine(const std::string& executable_path) {
  return "\"" + executable_path + "\"";
}

void SyncStartWithSystem(Registry& registry, const std::string& executable_path, bool checked) {
  const std::string name = RunValueName(executable_path);
  // A Run key that cannot be created shows up as the failing write below.
  registry.CreateKey(kRunKey);
  if (!checked) {
    registry.DeleteValue(kRunKey, name);
    return;
  }
  if (!registry.SetString(kRunKey, name, RunCommandLine(executable_path))) {
    throw Error(FormatMessage1("Failed to set data for '%s'", name));
  }
}

}  // namespace tindrel
