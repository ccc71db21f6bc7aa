#pragma once
// The pyramids of files that have none, built once and kept in a cache folder
// ($XDG_CACHE_HOME/lumetrix/pyramids): one OME-Zarr group per file and series, named by a hash
// of the file's absolute path and series, holding in its metadata the file's size and
// modification time, so that a changed file finds its old pyramid stale. The folder's size is
// bounded: after a build, the entries used longest ago are removed first. Several processes
// may use the folder at once: builds go to private temporary folders renamed into place, and
// every removal renames first, so that nobody ever sees half an entry.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/progress_sink.h"

namespace lumetrix::streaming {

// The cache folder cannot be used; what() is a sentence for the status line. The caller shows
// the volume from memory instead.
class PyramidCacheError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "The pyramid of cells.tif cannot be kept in <folder> (the folder is read-only); it is shown
// from memory." for the errno `code` of the failed step.
std::string PyramidCacheMessage(const std::string& file_name, const std::string& folder, int code);

// $XDG_CACHE_HOME/lumetrix/pyramids, or $HOME/.cache/lumetrix/pyramids when XDG_CACHE_HOME is
// unset or not an absolute path (the account's home folder when HOME is unset too).
std::string DefaultPyramidCacheFolder();
// The bound when none is set: 20 GB, or a quarter of the space the cache could take on its disk
// (the free space plus the `held` bytes the cache already takes), whichever is smaller.
uint64_t DefaultPyramidCacheBound(const std::string& folder, uint64_t held);

class PyramidCache {
 public:
  // Nanoseconds since any fixed moment; the use marks are ordered by it. Empty: the system's.
  using Clock = std::function<int64_t()>;
  // `bound_bytes` 0: DefaultPyramidCacheBound.
  explicit PyramidCache(std::string folder = DefaultPyramidCacheFolder(), uint64_t bound_bytes = 0, Clock clock = {});

  const std::string& folder() const { return folder_; }

  // The entry's folder (an OME-Zarr group) when it is complete and was built from the file as it
  // is now; marks it used. A stale or damaged entry is removed. Nothing when there is none (or
  // the file cannot be read).
  std::optional<std::string> Find(const std::string& path, int32_t series);
  // Builds the pyramid of `path` (streaming/pyramid_builder.h) into a private temporary folder,
  // renames it into place and trims the cache to its bound (never removing this entry); an
  // entry another process finished first is used instead. Nothing when stopped (no trace is
  // left). Throws PyramidCacheError when the cache folder cannot be made or written (read-only,
  // full disk) and imaging::ImageError when the file cannot be read.
  std::optional<std::string> Build(const std::string& path, int32_t series, ProgressSink& progress,
                                   const std::atomic<bool>& stop);
  // Throws the PyramidCacheError Build would throw for `path` when the folder cannot be made or
  // a folder made in it (a read-only or missing disk); a disk that fills up is found by Build.
  void CheckWritable(const std::string& path) const;

  struct Entry {
    std::string folder;
    uint64_t bytes = 0;   // disk space taken
    int64_t used_ns = 0;  // the use mark
  };
  std::vector<Entry> Entries() const;
  // Disk space the folder takes (entries and temporary folders), in bytes; 0 when it is missing.
  uint64_t Size() const;
  // Removes every entry and the temporary folders of builds whose process has ended. Throws
  // PyramidCacheError when something cannot be removed.
  void Clear();

 private:
  std::string EntryFolder(const std::string& absolute_path, int32_t series) const;
  std::string MakeTemporary(int& code) const;
  void EnsureFolder(const std::string& file_name) const;  // throws PyramidCacheError
  bool Remove(const std::string& entry) const;
  void MarkUsed(const std::string& entry) const;
  void Trim(const std::string& keep) const;

  std::string folder_;
  uint64_t bound_;
  Clock clock_;
};

}  // namespace lumetrix::streaming
