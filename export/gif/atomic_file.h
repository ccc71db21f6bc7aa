#pragma once
// Writes a file under a temporary name in the destination's folder and moves it over the
// destination only when everything was written, so that a failed write never leaves a
// truncated file (nor destroys an older one) under the name.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lumetrix::gif {

class AtomicFile {
 public:
  explicit AtomicFile(std::string destination);
  ~AtomicFile();  // removes the temporary file unless Commit succeeded
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  bool Open();
  bool Write(const void* data, size_t size);
  bool Write(const std::vector<uint8_t>& bytes) { return Write(bytes.data(), bytes.size()); }
  // Flushes, syncs and closes the temporary file and renames it to the destination.
  bool Commit();

  // Why the last step failed ("" when none did).
  const std::string& Error() const { return error_; }

 private:
  bool Fail(const std::string& what);
  bool FlushBuffer();
  void Abandon();

  std::string destination_;
  std::string temporary_;
  int fd_ = -1;
  bool failed_ = false;
  bool committed_ = false;
  std::vector<uint8_t> buffer_;
  std::string error_;
};

}  // namespace lumetrix::gif
