#include "export/avi/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace lumetrix::avi {
namespace {

bool HasRecordLock(int fd, int command) {
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = 0;
  probe.l_len = 0;  // the whole file
  probe.l_pid = 0;
  return ::fcntl(fd, command, &probe) == 0 && probe.l_type != F_UNLCK;
}

}  // namespace

bool IsFileLocked(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  // Non-blocking, so that a path that turns into a FIFO in between cannot hang us.
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return errno != ENOENT;
  // Closing any descriptor of a file drops this process's own traditional fcntl locks on it;
  // the movie code holds none, and F_GETLK only reports other processes' locks anyway.
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

}  // namespace lumetrix::avi
