#pragma once
// Fonts that come with the program rather than with the system.

#include <string>

namespace tindrel::win {

// A font file made available to this process only, for as long as the object lives; nothing is
// installed on the machine. A file that is missing or not a font leaves it unloaded, which only
// changes how the caption looks.
class PrivateFontFile {
 public:
  explicit PrivateFontFile(const std::string& path);
  ~PrivateFontFile();
  PrivateFontFile(const PrivateFontFile&) = delete;
  PrivateFontFile& operator=(const PrivateFontFile&) = delete;

  bool Loaded() const { return loaded_; }

 private:
  std::wstring path_;
  bool loaded_ = false;
};

// Whether a font family of this face name is available to this process (installed, or loaded
// privately).
bool FaceInstalled(const std::string& face);

}  // namespace tindrel::win
