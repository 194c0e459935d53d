#pragma once
// The repository's data folder for the Windows tests: TINDREL_DATA_DIR when set (a Windows path),
// otherwise data/ two folders above the test executable (build/win-<arch>/).

#include <cstdlib>
#include <string>

#include "base/file_system.h"

namespace tindrel::test {

inline std::string DataDir() {
  if (const char* dir = std::getenv("TINDREL_DATA_DIR"); dir && *dir) return dir;
  return ExecutableFolder() + "..\\..\\data";
}

}  // namespace tindrel::test
