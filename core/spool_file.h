#pragma once
// A nameless scratch file in the temporary folder for data too large to keep in memory (the
// frames of a movie waiting for their second pass): its name is removed as soon as it is made,
// so parallel jobs never meet and nothing is left behind, whatever way the program ends.

#include <cstddef>
#include <cstdint>
#include <string>

namespace lumetrix {

class SpoolFile {
 public:
  SpoolFile();  // Ok() says whether the file could be made
  ~SpoolFile();
  SpoolFile(const SpoolFile&) = delete;
  SpoolFile& operator=(const SpoolFile&) = delete;

  bool Ok() const { return fd_ >= 0 && error_.empty(); }
  // Why making, writing or reading failed ("Cannot use the temporary folder …: <reason>").
  const std::string& Error() const { return error_; }
  // Bytes written so far.
  uint64_t Size() const { return size_; }
  // Appends the bytes; false (with Error) when the disk refuses them.
  bool Append(const void* data, size_t size);
  // Reads `size` bytes from `offset`; false (with Error) when they are not all there.
  bool ReadAt(uint64_t offset, void* data, size_t size);

 private:
  bool Fail(const std::string& reason);

  std::string folder_;
  std::string error_;
  int fd_ = -1;
  uint64_t size_ = 0;
};

}  // namespace lumetrix
