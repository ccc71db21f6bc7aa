#include "viewer/file_helpers.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace lumetrix {

std::string GetTempFolder() {
  std::error_code ec;
  std::string folder = std::filesystem::temp_directory_path(ec).string();
  if (ec || folder.empty()) folder = "/tmp";
  return AppendSeparator(folder, '/');
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

bool IsFileLocked(const std::string& path) {
  if (!FileExists(path)) return false;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return errno == EACCES || errno == EPERM || errno == ETXTBSY || errno == EBUSY;
  // A record lock held by another process on any part of the file.
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  bool locked = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
  // A whole-file lock taken with flock by another open of the file.
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
