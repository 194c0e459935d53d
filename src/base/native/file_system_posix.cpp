// The file-system seam on POSIX systems, where the native tests run.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/error.h"
#include "base/file_system.h"

namespace tindrel {
namespace {

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + '/' + name;
}

bool IsRegularFileEntry(const std::string& folder, const dirent& entry) {
  if (entry.d_type == DT_REG) return true;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
  return IsRegularFile(JoinPath(folder, entry.d_name));  // follows a link as Windows would
}

struct DirectoryCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

}  // namespace

std::string ExecutablePath() {
  std::string path(256, '\0');
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n < 0)
      throw Error(std::string("Cannot find the program's folder. ") + std::strerror(errno));
    if (static_cast<std::size_t>(n) < path.size()) {
      path.resize(static_cast<std::size_t>(n));
      break;
    }
    path.resize(path.size() * 2);
  }
  return path;
}

std::string ExecutableFolder() {
  const std::string path = ExecutablePath();
  return path.substr(0, path.rfind('/') + 1);
}

char PathSeparator() {
  return '/';
}

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::vector<std::string> ListFolderFiles(const std::string& folder, const std::string& extension) {
  std::vector<std::string> names;
  std::unique_ptr<DIR, DirectoryCloser> dir(opendir(folder.c_str()));
  if (!dir) {
    if (errno == ENOENT || errno == ENOTDIR) return names;
    throw Error("Cannot list folder \"" + folder + "\". " + std::strerror(errno));
  }
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir.get());
    if (!entry) break;
    const std::string name = entry->d_name;
    if (name.empty() || name[0] == '.') continue;  // hidden, and "." and ".."
    if (!HasExtension(name, extension) || !IsRegularFileEntry(folder, *entry)) continue;
    names.push_back(name);
  }
  if (errno != 0) throw Error("Cannot list folder \"" + folder + "\". " + std::strerror(errno));
  return names;
}

InputFile OpenFileForReading(const std::string& path) {
  // Non-blocking, so that a FIFO of that name cannot stall the widget in open().
  FileDescriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) throw Error(CannotOpenFileMessage(path, std::strerror(errno)));
  struct stat info {};
  if (fstat(fd.get(), &info) != 0) {
    throw Error(CannotOpenFileMessage(path, std::strerror(errno)));
  }
  if (S_ISDIR(info.st_mode)) throw Error(CannotOpenFileMessage(path, std::strerror(EISDIR)));
  if (!S_ISREG(info.st_mode)) throw Error(CannotOpenFileMessage(path, "Not a regular file"));
  InputFile file(fdopen(fd.get(), "rb"));
  if (!file) throw Error(CannotOpenFileMessage(path, std::strerror(errno)));
  fd.release();
  return file;
}

}  // namespace tindrel
