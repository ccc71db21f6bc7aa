#include "core/staged_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "core/file_helpers.h"
#include "core/output_check.h"
#include "core/partial_files.h"
#include "core/staged_file_steps.h"

namespace lumetrix {
namespace {

StagedStepHook& Hook() {
  static StagedStepHook hook;
  return hook;
}

// Runs one step's system call unless the hook fails it (then -1 with the hook's errno).
template <class Call>
auto Run(StagedStep step, Call call) -> decltype(call()) {
  if (const auto& hook = Hook(); hook) {
    if (const int error = hook(step); error != 0) {
      errno = error;
      return -1;
    }
  }
  return call();
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool NoName(const std::string& destination) { return destination.empty() || destination.back() == '/'; }

// Why the destination cannot be written, without naming it ("" when it can be tried).
std::string Unwritable(const std::string& destination) {
  if (NoName(destination)) return "no file name was given";
  struct stat st {};
  if (::stat(destination.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return "it is a folder";
    // A pipe or device must not be replaced by a file.
    if (!S_ISREG(st.st_mode)) return "it is not a regular file";
  }
  const std::string folder = FolderOf(destination);
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return "the folder " + folder + " does not exist";
  return OverwriteReason(destination);
}

std::string Sentence(const std::string& destination, const std::string& reason) {
  return NoName(destination) ? "No file name was given" : "Cannot write " + destination + ": " + reason;
}

// The file a link points to, so that the link stays a link; the path itself otherwise.
std::string FollowLink(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

}  // namespace

StagedStepHook SetStagedStepHook(StagedStepHook hook) { return std::exchange(Hook(), std::move(hook)); }

std::string DestinationProblem(const std::string& destination) {
  const std::string reason = Unwritable(destination);
  return reason.empty() ? reason : Sentence(destination, reason);
}

StagedFile::StagedFile(std::string destination)
    : shown_(std::move(destination)), destination_(FollowLink(shown_)) {
  if (const std::string reason = Unwritable(destination_); !reason.empty()) {
    Fail(reason);
    return;
  }
  // Beside the destination, so that the final rename stays on one file system; mkstemp never
  // opens an existing file or a link planted under the temporary name.
  std::string pattern = FolderOf(destination_) + "/." + FileNameOf(destination_) + ".partial-XXXXXX";
  fd_ = Run(StagedStep::kCreate, [&] { return MakeUniqueFile(pattern); });
  if (fd_ < 0) {
    Fail(std::strerror(errno));
    return;
  }
  temporary_ = pattern;
  partial_slot_ = RegisterPartialFile(temporary_);
}

StagedFile::~StagedFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
  UnregisterPartialFile(partial_slot_);
}

bool StagedFile::Fail(const std::string& reason) {
  if (reason_.empty()) {
    reason_ = reason;
    error_ = Sentence(shown_, reason);
  }
  return false;
}

bool StagedFile::Write(const void* data, size_t size) {
  if (!Ok() || committed_ || fd_ < 0) return false;
  const auto* p = static_cast<const uint8_t*>(data);
  while (size > 0) {
    const ssize_t n = Run(StagedStep::kWrite, [&] { return ::write(fd_, p, size); });
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Fail(n < 0 ? std::strerror(errno) : "the disk took no more bytes");
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool StagedFile::CopyFrom(const std::string& source) {
  if (!Ok()) return false;
  const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return Fail("cannot read " + source + ": " + std::strerror(errno));
  std::vector<uint8_t> buffer(size_t{1} << 20);
  ssize_t n = 0;
  while ((n = ::read(in, buffer.data(), buffer.size())) != 0) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail("cannot read " + source + ": " + std::strerror(errno));
    if (n < 0 || !Write(buffer.data(), static_cast<size_t>(n))) break;
  }
  ::close(in);
  return Ok();
}

bool StagedFile::Commit() {
  if (!Ok() || committed_) return Ok();
  if (fd_ >= 0) {
    // Some file systems cannot sync (EINVAL).
    const bool synced = Run(StagedStep::kSyncData, [&] { return ::fsync(fd_); }) == 0 || errno == EINVAL;
    const int sync_error = errno;
    const bool closed = Run(StagedStep::kClose, [&] { return ::close(fd_); }) == 0;
    fd_ = -1;
    if (!synced) return Fail(std::strerror(sync_error));
    if (!closed) return Fail(std::strerror(errno));
  }
  // mkstemp makes the file private; an output file gets what the user's umask allows.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::chmod(temporary_.c_str(), 0666 & ~mask);
  if (Run(StagedStep::kRename, [&] { return std::rename(temporary_.c_str(), destination_.c_str()); }) != 0)
    return Fail(std::strerror(errno));
  committed_ = true;
  UnregisterPartialFile(partial_slot_);
  partial_slot_ = -1;
  // The rename is an entry of the folder: until the folder is synced a crash can still show the
  // older file (or none) under the name.
  return SyncFolder();
}

bool StagedFile::SyncFolder() {
  const int folder = ::open(FolderOf(destination_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return Fail("the folder cannot be synced: " + std::string(std::strerror(errno)));
  const bool synced = Run(StagedStep::kSyncFolder, [&] { return ::fsync(folder); }) == 0 || errno == EINVAL;
  const int sync_error = errno;
  ::close(folder);
  return synced || Fail("the folder cannot be synced: " + std::string(std::strerror(sync_error)));
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::string WriteFileStaged(const std::string& path, std::span<const uint8_t> bytes) {
  StagedFile file(path);
  if (file.Write(bytes.data(), bytes.size())) file.Commit();
  return file.Error();
}

}  // namespace lumetrix
