#pragma once
// Folders for the files the benchmarks write.

#include <filesystem>
#include <string>

namespace lumetrix::bench {

// The folder `name` in the user's cache folder, made when missing and kept between runs, so that
// files written once are reused.
std::filesystem::path KeptFolder(const std::string& name);

// A new empty folder in the temporary folder whose name starts with `prefix`, removed with all it holds at the end.
class ScratchFolder {
 public:
  // Throws std::runtime_error when the folder cannot be made.
  explicit ScratchFolder(const std::string& prefix);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace lumetrix::bench
