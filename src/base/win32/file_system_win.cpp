// The file-system seam on Windows: wide calls throughout, so that names outside the ANSI code
// page work; UTF-8 only at the interface.
#include <fcntl.h>
#include <io.h>

#include "base/error.h"
#include "base/file_system.h"
#include "base/win32/last_error.h"
#include "base/win32/raii.h"
#include "base/win32/text_conversion.h"

namespace tindrel {
namespace {

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/') return folder + name;
  return folder + L'\\' + name;
}

bool IsFolderMissing(DWORD code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_DIRECTORY ||
         code == ERROR_INVALID_NAME;
}

bool IsListedFile(const WIN32_FIND_DATAW& entry) {
  constexpr DWORD kSkipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                             FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE;
  return (entry.dwFileAttributes & kSkipped) == 0;
}

Error ListingError(const std::string& folder, DWORD code) {
  return Error("Cannot list folder \"" + folder + "\". " + win::SystemErrorText(code));
}

}  // namespace

std::string ExecutablePath() {
  // Paths may be longer than MAX_PATH; a full buffer means the path was cut, so try a larger one.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) {
      throw Error("Cannot find the program's folder. " + win::SystemErrorText(GetLastError()));
    }
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return win::Narrow(path);
}

std::string ExecutableFolder() {
  const std::string path = ExecutablePath();
  const auto slash = path.find_last_of("\\/");
  return path.substr(0, slash == std::string::npos ? 0 : slash + 1);
}

char PathSeparator() {
  return '\\';
}

bool IsRegularFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(win::Widen(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

std::vector<std::string> ListFolderFiles(const std::string& folder, const std::string& extension) {
  std::vector<std::string> names;
  const std::wstring pattern = JoinPath(win::Widen(folder), L"*" + win::Widen(extension));
  WIN32_FIND_DATAW entry{};
  win::ScopedFind find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry,
                                        FindExSearchNameMatch, nullptr, 0));
  if (!find) {
    const DWORD code = GetLastError();
    if (IsFolderMissing(code)) return names;
    throw ListingError(folder, code);
  }
  do {
    const std::string name = win::Narrow(entry.cFileName);
    // The pattern also matches through 8.3 short names ("a.pngx" as "A~1.PNG"); keep true matches.
    if (IsListedFile(entry) && HasExtension(name, extension)) names.push_back(name);
  } while (FindNextFileW(find.get(), &entry));
  const DWORD code = GetLastError();
  if (code != ERROR_NO_MORE_FILES) throw ListingError(folder, code);
  return names;
}

InputFile OpenFileForReading(const std::string& path) {
  // CreateFileW rather than _wfopen: it gives the system's own error code and text.
  win::ScopedFileHandle handle(CreateFileW(win::Widen(path).c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) throw Error(CannotOpenFileMessage(path, win::SystemErrorText(GetLastError())));
  // A device name ("NUL", "CON") opens too; reading one would block or read nothing useful.
  if (GetFileType(handle.get()) != FILE_TYPE_DISK) {
    throw Error(CannotOpenFileMessage(path, "Not a regular file."));
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle.get()), _O_RDONLY | _O_BINARY);
  if (fd < 0) throw Error(CannotOpenFileMessage(path, "Too many open files."));
  handle.release();  // the descriptor owns it now
  InputFile file(_fdopen(fd, "rb"));
  if (!file) {
    _close(fd);
    throw Error(CannotOpenFileMessage(path, "Too many open files."));
  }
  return file;
}

}  // namespace tindrel
