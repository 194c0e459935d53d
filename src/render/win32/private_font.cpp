#include "render/win32/private_font.h"

#include <windows.h>

#include <algorithm>

#include "base/win32/raii.h"
#include "base/win32/text_conversion.h"

namespace tindrel::win {

PrivateFontFile::PrivateFontFile(const std::string& path) : path_(Widen(path)) {
  loaded_ = AddFontResourceExW(path_.c_str(), FR_PRIVATE, nullptr) > 0;
}

PrivateFontFile::~PrivateFontFile() {
  if (loaded_) RemoveFontResourceExW(path_.c_str(), FR_PRIVATE, nullptr);
}

namespace {

int CALLBACK NoteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

}  // namespace

bool FaceInstalled(const std::string& face) {
  const std::wstring wide = Widen(face);
  if (wide.empty() || wide.size() >= LF_FACESIZE) return false;
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  std::copy(wide.begin(), wide.end(), wanted.lfFaceName);
  const ScopedWindowDc screen(nullptr);
  if (!screen.get()) return false;
  bool found = false;
  EnumFontFamiliesExW(screen.get(), &wanted, NoteFamily, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

}  // namespace tindrel::win
