#pragma once
// The text of the program's error that a piece of code throws, for checks of failure paths.

#include <functional>
#include <string>

#include "base/error.h"

namespace tindrel::test {

// The message of the tindrel::Error that `action` throws; empty when it throws none, so that a
// check of the message fails then too.
inline std::string ErrorMessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.what();
  }
  return "";
}

}  // namespace tindrel::test
