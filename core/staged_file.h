#pragma once
// Files written under a temporary name in their destination's folder and renamed over the
// destination only when complete: a failed or cancelled write never leaves a truncated file
// under the name, and an older file of that name stays intact until the new one is whole.
// Every output file of the program is written this way.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace lumetrix {

class StagedFile {
 public:
  // Creates the temporary file; Ok() says whether that worked, Error() why not. A destination
  // that is a link to a file replaces the file it points to, not the link. While it exists the
  // temporary file is in the partial-file registry, so SIGINT and SIGTERM remove it.
  explicit StagedFile(std::string destination);
  ~StagedFile();  // removes the temporary file unless committed
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  bool Ok() const { return error_.empty(); }
  // "Cannot write <destination>: <reason>".
  const std::string& Error() const { return error_; }
  // The reason alone, for writers that word their own message.
  const std::string& Reason() const { return reason_; }
  // For writers that open files by name (libtiff, encoders): write here, then Commit.
  const std::string& TemporaryPath() const { return temporary_; }
  // Appends bytes to the temporary file; false (with Error) when the disk refuses them.
  bool Write(const void* data, size_t size);
  // Appends the whole file at `source`: for writers that add to an existing file.
  bool CopyFrom(const std::string& source);
  // Syncs the bytes to disk, gives the file the usual permissions, renames it and syncs the
  // folder (core/staged_file_steps.h). False with Error when a step fails; when only the folder
  // sync fails the new file has its name but may not keep it through a crash.
  bool Commit();

 private:
  bool Fail(const std::string& reason);
  bool SyncFolder();

  std::string shown_;        // the name as given, for messages
  std::string destination_;  // the file that gets replaced (links followed)
  std::string temporary_;
  std::string reason_;
  std::string error_;
  int fd_ = -1;
  int partial_slot_ = -1;  // where a signal handler finds the temporary file
  bool committed_ = false;
};

// Why `destination` cannot take an output file ("" when it can be tried): no name, a folder,
// something else that is not a regular file, a folder that does not exist, a read-only file or
// one of the inputs the command protects (see output_check.h).
std::string DestinationProblem(const std::string& destination);
// True when both paths name one existing file (also through links).
bool SameFile(const std::string& a, const std::string& b);
// Replaces the file at path with the bytes; "" on success, else StagedFile's Error().
std::string WriteFileStaged(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace lumetrix
