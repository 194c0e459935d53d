#pragma once
// The full path of the running executable as the system reports it for the process.

#include <string>

namespace tindrel::win {

// UTF-8; throws Error when the system cannot report it.
std::string OwnExecutablePath();

}  // namespace tindrel::win
