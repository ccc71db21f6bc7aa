#include "export/avi/temporary_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace lumetrix::avi {
namespace {

std::string SystemError(const std::string& what, int code) { return what + ": " + std::strerror(code); }

std::string FolderOf(const std::string& path) {
  const auto cut = path.find_last_of('/');
  if (cut == std::string::npos) return ".";
  if (cut == 0) return "/";
  return path.substr(0, cut);
}

std::string NameOf(const std::string& path) {
  const auto cut = path.find_last_of('/');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

mode_t CurrentUmask() {
  // Reading the mask means setting it; set it straight back.
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

}  // namespace

TemporaryOutput::~TemporaryOutput() { Discard(); }

bool TemporaryOutput::Create(const std::string& destination, std::string& error) {
  Discard();
  committed_ = false;
  destination_ = destination;
  temporary_.clear();
  const std::string name = NameOf(destination);
  if (name.empty() || name == "." || name == "..") {
    error = "\"" + destination + "\" is not a file name";
    return false;
  }
  struct stat st {};
  if (::stat(destination.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    error = "\"" + destination + "\" is a folder";
    return false;
  }
  const std::string folder = FolderOf(destination);
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    error = "the folder \"" + folder + "\" does not exist";
    return false;
  }
  // Long names are cut so that the temporary name stays within the file-name limit.
  const std::string stem = name.substr(0, 200);
  std::string pattern = folder + "/." + stem + ".XXXXXX.part";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = ::mkstemps(buffer.data(), 5);
  if (fd < 0) {
    error = SystemError("cannot create a file in \"" + folder + "\"", errno);
    return false;
  }
  // mkstemps makes the file private; the finished movie gets the usual permissions.
  ::fchmod(fd, 0666 & ~CurrentUmask());
  ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  fd_ = fd;
  temporary_.assign(buffer.data());
  return true;
}

bool TemporaryOutput::Commit(std::string& error) {
  if (temporary_.empty() || fd_ < 0) {
    error = "no file was being written";
    return false;
  }
  if (::fsync(fd_) != 0) {
    error = SystemError("cannot write \"" + destination_ + "\" to disk", errno);
    return false;
  }
  ::close(fd_);
  fd_ = -1;
  if (::rename(temporary_.c_str(), destination_.c_str()) != 0) {
    error = SystemError("cannot name the file \"" + destination_ + "\"", errno);
    ::unlink(temporary_.c_str());
    temporary_.clear();
    return false;
  }
  // The rename itself reaches the disk with the folder's entry.
  const int dir = ::open(FolderOf(destination_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  committed_ = true;
  temporary_.clear();
  return true;
}

void TemporaryOutput::Discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace lumetrix::avi
