#pragma once
// The program's own error: raised anywhere inside an event, timer or menu handler and shown once
// by the error report at the window's dispatch boundary.

#include <stdexcept>
#include <string>

namespace tindrel {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// The text the error report shows: a full stop is appended unless the text already ends in "."
// or in a character that sorts before it.
std::string WithFullStop(const std::string& text);

// printf-style formatting of one %s into a message template ("Failed to set data for '%s'").
std::string FormatMessage1(const std::string& pattern, const std::string& argument);

}  // namespace tindrel
