#include "export/series/staged_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "export/series/tiff_folder.h"

namespace lumetrix::series {

namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

std::string DestinationProblem(const std::string& destination) {
  if (destination.empty()) return "No file name was given";
  struct stat st {};
  if (::stat(destination.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    return "Cannot write " + destination + ": it is a folder";
  }
  const std::string folder = FolderOf(destination);
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    return "Cannot write " + destination + ": the folder " + folder + " does not exist";
  }
  return {};
}

StagedOutput::StagedOutput(std::string destination) : destination_(std::move(destination)) {
  error_ = DestinationProblem(destination_);
  if (!error_.empty()) return;
  // Beside the destination so that the final rename stays on one file system.
  const std::string folder = FolderOf(destination_);
  std::string hidden_name(1, '.');
  hidden_name.append(BaseFileName(destination_)).append(".partial-XXXXXX");
  const std::string pattern = JoinPath(folder, hidden_name);
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = ::mkstemp(buffer.data());
  if (fd < 0) {
    error_ = "Cannot write " + destination_ + ": " + std::strerror(errno);
    return;
  }
  ::close(fd);
  temporary_.assign(buffer.data());
}

StagedOutput::~StagedOutput() {
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

bool StagedOutput::Commit() {
  if (!Ok() || committed_) return Ok();
  // mkstemp makes the file private; an output file gets what the user's umask allows.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::chmod(temporary_.c_str(), 0666 & ~mask);
  if (std::rename(temporary_.c_str(), destination_.c_str()) != 0) {
    error_ = "Cannot write " + destination_ + ": " + std::strerror(errno);
    return false;
  }
  committed_ = true;
  return true;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace lumetrix::series
