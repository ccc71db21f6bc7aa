#include "export/gif/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace lumetrix::gif {

namespace {
constexpr size_t kBufferSize = size_t{1} << 16;
std::atomic<unsigned> g_counter{0};
}  // namespace

AtomicFile::AtomicFile(std::string destination) : destination_(std::move(destination)) {}

AtomicFile::~AtomicFile() { Abandon(); }

bool AtomicFile::Fail(const std::string& what) {
  if (error_.empty()) error_ = what + ": " + std::strerror(errno);
  failed_ = true;
  return false;
}

void AtomicFile::Abandon() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!committed_ && !temporary_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
}

bool AtomicFile::Open() {
  if (destination_.empty()) {
    errno = ENOENT;
    return Fail("no file name");
  }
  const std::filesystem::path target(destination_);
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
  // A short name of our own, so that long destination names do not overflow the name limit.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = ".lumetrix-" + std::to_string(::getpid()) + "-" +
                             std::to_string(g_counter.fetch_add(1)) + ".tmp";
    const std::string candidate = (folder / name).string();
    fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      temporary_ = candidate;
      buffer_.reserve(kBufferSize);
      return true;
    }
    if (errno != EEXIST) break;
  }
  return Fail("cannot create a file in " + folder.string());
}

bool AtomicFile::FlushBuffer() {
  size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail("cannot write " + destination_);
    }
    done += static_cast<size_t>(n);
  }
  buffer_.clear();
  return true;
}

bool AtomicFile::Write(const void* data, size_t size) {
  if (failed_ || fd_ < 0) return false;
  const auto* bytes = static_cast<const uint8_t*>(data);
  while (size > 0) {
    const size_t room = kBufferSize - buffer_.size();
    const size_t take = size < room ? size : room;
    buffer_.insert(buffer_.end(), bytes, bytes + take);
    bytes += take;
    size -= take;
    if (buffer_.size() == kBufferSize && !FlushBuffer()) return false;
  }
  return true;
}

bool AtomicFile::Commit() {
  if (failed_ || fd_ < 0) return false;
  if (!FlushBuffer()) return false;
  if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) return Fail("cannot write " + destination_);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return Fail("cannot write " + destination_);
  if (::rename(temporary_.c_str(), destination_.c_str()) != 0) return Fail("cannot replace " + destination_);
  committed_ = true;
  temporary_.clear();
  return true;
}

}  // namespace lumetrix::gif
