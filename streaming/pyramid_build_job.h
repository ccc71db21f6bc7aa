#pragma once
// A pyramid built for the cache (streaming/pyramid_cache.h) on a thread of its own, so that the
// window shows a preview and stays usable while it is built. Stopped and joined when destroyed;
// a stopped build leaves nothing in the cache folder.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace lumetrix::streaming {

class PyramidBuildJob {
 public:
  // Starts building the pyramid of series `series` of `path` in the cache `folder` (bound as
  // PyramidCache takes it) at once.
  PyramidBuildJob(std::string folder, uint64_t bound_bytes, std::string path, int32_t series);
  ~PyramidBuildJob();
  PyramidBuildJob(const PyramidBuildJob&) = delete;
  PyramidBuildJob& operator=(const PyramidBuildJob&) = delete;

  const std::string& Path() const { return path_; }
  int32_t Series() const { return series_; }
  bool Finished() const { return finished_.load(); }
  // 0..100 while it runs.
  int32_t Percent() const { return percent_.load(); }
  // Blocks until the build has ended.
  void Wait();
  // Once finished: the entry's folder, or nothing with Error() saying why (a sentence).
  std::optional<std::string> Entry() const;
  std::string Error() const;

 private:
  void Run(const std::string& folder, uint64_t bound_bytes);

  const std::string path_;
  const int32_t series_;
  std::atomic<bool> stop_{false}, finished_{false};
  std::atomic<int32_t> percent_{0};
  mutable std::mutex mutex_;
  std::optional<std::string> entry_;
  std::string error_;
  std::thread thread_;
};

}  // namespace lumetrix::streaming
