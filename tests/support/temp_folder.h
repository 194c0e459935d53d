#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the end.

#include <filesystem>
#include <random>
#include <string>

namespace tindrel::test {

class TempFolder {
 public:
  TempFolder() {
    std::random_device random;
    const auto tag = (static_cast<unsigned long long>(random()) << 32) ^ random();
    path_ = std::filesystem::temp_directory_path() / ("tindrel-test-" + std::to_string(tag));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The folder as a UTF-8 string ending in the platform's separator.
  std::string WithSeparator() const {
    return path_.u8string() + static_cast<char>(std::filesystem::path::preferred_separator);
  }
  std::string File(const std::string& name) const { return WithSeparator() + name; }

 private:
  std::filesystem::path path_;
};

}  // namespace tindrel::test
