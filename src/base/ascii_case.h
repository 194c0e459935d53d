#pragma once
// Letter case as the stored names, file extensions, face names and menu captions compare it: only
// the ASCII letters A-Z and a-z count as upper and lower case of each other; every other byte, the
// bytes of UTF-8 sequences among them, is only ever equal to itself.

#include <string>

namespace tindrel {

// The lower-case letter for an ASCII capital, every other byte as it is.
char AsciiLower(char c);

// True when the two texts have the same length and differ at most in the case of ASCII letters.
bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b);

}  // namespace tindrel
