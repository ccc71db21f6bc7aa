#pragma once
// A new file written under a hidden temporary name in its destination's folder. It takes the
// destination's name only when committed, so a failed or abandoned write never leaves a
// half-written file under that name, nor destroys an older file of that name.

#include <string>

namespace lumetrix::avi {

class TemporaryOutput {
 public:
  TemporaryOutput() = default;
  ~TemporaryOutput();  // discards unless committed
  TemporaryOutput(const TemporaryOutput&) = delete;
  TemporaryOutput& operator=(const TemporaryOutput&) = delete;

  // Creates the empty temporary file beside `destination`. The destination's folder must exist
  // and the destination must not be a folder.
  bool Create(const std::string& destination, std::string& error);
  const std::string& Path() const { return temporary_; }
  const std::string& Destination() const { return destination_; }

  // Flushes the data to disk and renames the file to the destination, replacing it.
  bool Commit(std::string& error);
  // Removes the temporary file (nothing happens after a commit).
  void Discard();

 private:
  std::string destination_;
  std::string temporary_;
  int fd_ = -1;
  bool committed_ = false;
};

}  // namespace lumetrix::avi
