#pragma once
// UTF-8 to UTF-16 without the platform's help, for text the program hands on in UTF-16 from
// platform-neutral code (a notification tip). The wide Windows calls take their text through
// win32/text_conversion.h instead.

#include <string>

namespace tindrel {

// Each malformed, truncated or overlong sequence, an encoded surrogate and anything above U+10FFFF
// becomes one U+FFFD for its lead byte; decoding goes on at the next byte.
std::u16string Utf8ToUtf16(const std::string& utf8);

}  // namespace tindrel
