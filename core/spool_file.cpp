#include "core/spool_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/file_helpers.h"

namespace lumetrix {

SpoolFile::SpoolFile() : folder_(GetTempFolder()) {
  std::string path = folder_ + "lumetrix-spool-XXXXXX";
  fd_ = MakeUniqueFile(path);
  if (fd_ < 0) {
    Fail(std::strerror(errno));
    return;
  }
  ::unlink(path.c_str());  // the open descriptor keeps the data
}

SpoolFile::~SpoolFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool SpoolFile::Fail(const std::string& reason) {
  if (error_.empty()) error_ = "Cannot use the temporary folder " + folder_ + ": " + reason;
  return false;
}

bool SpoolFile::Append(const void* data, size_t size) {
  if (!Ok()) return false;
  const auto* bytes = static_cast<const uint8_t*>(data);
  while (size > 0) {
    const ssize_t written = ::pwrite(fd_, bytes, size, static_cast<off_t>(size_));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return Fail(written < 0 ? std::strerror(errno) : "the disk is full");
    bytes += written;
    size -= static_cast<size_t>(written);
    size_ += static_cast<uint64_t>(written);
  }
  return true;
}

bool SpoolFile::ReadAt(uint64_t offset, void* data, size_t size) {
  if (!Ok()) return false;
  if (offset > size_ || size > size_ - offset) return Fail("a read past the end of what was written");
  auto* bytes = static_cast<uint8_t*>(data);
  while (size > 0) {
    const ssize_t got = ::pread(fd_, bytes, size, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return Fail(got < 0 ? std::strerror(errno) : "the file ended early");
    bytes += got;
    size -= static_cast<size_t>(got);
    offset += static_cast<uint64_t>(got);
  }
  return true;
}

}  // namespace lumetrix
