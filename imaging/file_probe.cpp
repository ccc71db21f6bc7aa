#include "imaging/file_probe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/staged_file.h"
#include "imaging/image_box.h"

namespace lumetrix::imaging::detail {

std::string FileNameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return name.empty() ? path : name;
}

namespace {

std::string Reason(int error) { return std::strerror(error); }

FileStamp StampFrom(const struct stat& st) {
  FileStamp s;
  s.size = static_cast<uint64_t>(st.st_size);
  s.mtime_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  s.inode = static_cast<uint64_t>(st.st_ino);
  s.device = static_cast<uint64_t>(st.st_dev);
  return s;
}

}  // namespace

FileStamp StampOf(const std::string& path) {
  const std::string name = FileNameOf(path);
  if (path.empty()) throw ImageError("no file name was given");
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) throw ImageError(path + " does not exist");
    throw ImageError("cannot read " + path + ": " + Reason(errno));
  }
  if (S_ISDIR(st.st_mode)) throw ImageError(path + " is a folder, not an image file");
  if (!S_ISREG(st.st_mode)) throw ImageError(path + " is not a regular file");
  return StampFrom(st);
}

ProbedFile ProbeImageFile(const std::string& path) {
  ProbedFile probe;
  probe.stamp = StampOf(path);
  const std::string name = FileNameOf(path);
  if (probe.stamp.size == 0) throw ImageError(name + " is empty");
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw ImageError("cannot open " + path + ": " + Reason(errno));
  unsigned char magic[8] = {};
  const ssize_t got = ::read(fd, magic, sizeof magic);
  ::close(fd);
  if (got < 0) throw ImageError("cannot read " + path + ": " + Reason(errno));
  const auto starts = [&](const char* bytes, size_t n) {
    return static_cast<size_t>(got) >= n && std::memcmp(magic, bytes, n) == 0;
  };
  if (starts("II*\0", 4) || starts("MM\0*", 4) || starts("II+\0", 4) || starts("MM\0+", 4)) {
    probe.format = FileFormat::kTiff;
  } else if (starts("BM", 2)) {
    probe.format = FileFormat::kBmp;
  } else if (starts("\xFF\xD8\xFF", 3)) {
    probe.format = FileFormat::kJpeg;
  } else if (starts("\x89PNG", 4)) {
    throw ImageError(name + " is a PNG file; only TIFF, BMP and JPEG files can be read");
  } else if (starts("GIF8", 4)) {
    throw ImageError(name + " is a GIF file; only TIFF, BMP and JPEG files can be read");
  } else {
    throw ImageError(name + " is not a TIFF, BMP or JPEG image file");
  }
  return probe;
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  StagedFile file(path);
  if (!file.Write(bytes.data(), bytes.size()) || !file.Commit()) {
    throw ImageError("cannot write " + path + ": " + file.Reason());
  }
}

}  // namespace lumetrix::imaging::detail
