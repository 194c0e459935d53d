#pragma once
// The few file-system questions the widget asks, with UTF-8 paths at the interface. Windows
// answers them with the wide Win32 calls, so any file name works; native builds use POSIX.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace tindrel {

// The folder that holds the running executable, ending in PathSeparator().
// The running program's full path, as the system reports it for the process.
std::string ExecutablePath();
std::string ExecutableFolder();

// '\\' on Windows, '/' natively.
char PathSeparator();

// True when `path` names an existing regular file (not a folder, not a device).
bool IsRegularFile(const std::string& path);

// The names (without folder) of the files in `folder` whose names end in `extension` (".png";
// letter case ignored), in the order the directory listing returns them. Folders, "." and "..",
// hidden and system files are left out; natively a name beginning with "." counts as hidden.
// A missing folder gives an empty list; any other failure to list throws Error.
std::vector<std::string> ListFolderFiles(const std::string& folder, const std::string& extension);

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular file for binary reading. Throws Error with CannotOpenFileMessage when it cannot.
InputFile OpenFileForReading(const std::string& path);

// "Cannot open file "<path>". <system text>"
std::string CannotOpenFileMessage(const std::string& path, const std::string& system_text);

// True when `name` ends in `extension`, ASCII letters compared without regard to case.
bool HasExtension(const std::string& name, const std::string& extension);

}  // namespace tindrel
