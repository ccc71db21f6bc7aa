#include "core/file_helpers.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace lumetrix {

std::string GetTempFolder() {
  std::error_code ec;
  std::string folder = std::filesystem::temp_directory_path(ec).string();
  if (ec || folder.empty()) folder = "/tmp";
  return AppendSeparator(folder, '/');
}

int MakeUniqueFile(std::string& pattern) {
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = ::mkstemp(buffer.data());
  if (fd >= 0) pattern.assign(buffer.data());
  return fd;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string FileNameOf(const std::string& path) {
  const auto cut = path.find_last_of('/');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

namespace {

bool HasRecordLock(int fd, int command) {
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;  // l_start 0, l_len 0: the whole file
  return ::fcntl(fd, command, &probe) == 0 && probe.l_type != F_UNLCK;
}

}  // namespace

bool IsFileLocked(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  // Non-blocking, so that a path that turns into a FIFO in between cannot hang us.
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return errno != ENOENT;
  // Another process's record locks (traditional and open-file-description), then a flock lock
  // held through another open of the file.
  bool locked = HasRecordLock(fd, F_GETLK);
#ifdef F_OFD_GETLK
  if (!locked) locked = HasRecordLock(fd, F_OFD_GETLK);
#endif
  if (!locked) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
      locked = errno == EWOULDBLOCK;
    else
      ::flock(fd, LOCK_UN);
  }
  ::close(fd);
  return locked;
}

std::string AppendSeparator(const std::string& path, char separator) {
  if (!path.empty() && path.back() == separator) return path;
  return path + separator;
}

}  // namespace lumetrix
