#pragma once
// Start with the system: one value in the current user's Run list, named after the executable and
// holding its full path in double quotes.

#include <string>

#include "base/registry.h"

namespace tindrel {

inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The executable's file name without its directory and without the part from its last full stop
// on ("C:\\Program Files\\Tindrel.exe" gives "Tindrel"); a name without a full stop stays whole.
std::string RunValueName(const std::string& executable_path);

// The command line the Run value holds: the full path in double quotes, so that a folder with a
// blank in its path is not taken for a program at the blank.
std::string RunCommandLine(const std::string& executable_path);

// What the "Load at Startup" entry does: writes the quoted path under the run value name when
// checked, removes that value otherwise (a missing value is no error). Throws Error "Failed to set
// data for '<name>'" when the value cannot be written.
void SyncStartWithSystem(Registry& registry, const std::string& executable_path, bool checked);

}  // namespace tindrel
