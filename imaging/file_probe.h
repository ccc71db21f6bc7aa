#pragma once
// What a path holds, judged by its first bytes rather than its extension.

#include <cstdint>
#include <string>
#include <vector>

namespace lumetrix::imaging::detail {

enum class FileFormat { kTiff, kBmp, kJpeg, kPng, kGif, kUnknown };

// Identity of a file's current contents: a changed size, time or inode means new contents.
struct FileStamp {
  uint64_t size = 0;
  int64_t mtime_ns = 0;
  uint64_t inode = 0;
  uint64_t device = 0;
  bool operator==(const FileStamp&) const = default;
};

struct ProbedFile {
  FileStamp stamp;
  FileFormat format = FileFormat::kUnknown;
};

// The file name without its folder, for messages.
std::string FileNameOf(const std::string& path);
// Stamp only; throws ImageError for a missing path, a folder or an unreadable file.
FileStamp StampOf(const std::string& path);
// Stamp and format; throws ImageError with a readable reason for anything that is not an
// image file this component reads (missing, folder, empty, PNG, random bytes...).
ProbedFile ProbeImageFile(const std::string& path);

// Replaces the file at path with the bytes through the staged writer (core/staged_file.h);
// throws ImageError ("cannot write <path>: <reason>") and leaves an older file on failure.
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace lumetrix::imaging::detail
