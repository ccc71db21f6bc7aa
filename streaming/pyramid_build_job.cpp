#include "streaming/pyramid_build_job.h"

#include <exception>

#include "core/progress_sink.h"
#include "imaging/file_probe.h"
#include "streaming/pyramid_cache.h"

namespace lumetrix::streaming {
namespace {

// The builder's progress as a percentage; it stops when the job is stopped.
class PercentSink : public ProgressSink {
 public:
  PercentSink(std::atomic<int32_t>& percent, const std::atomic<bool>& stop) : percent_(percent), stop_(stop) {}
  void ShowProgress(const std::string&, int32_t start, int32_t maximum) override {
    start_ = start, maximum_ = maximum;
    percent_ = 0;
  }
  void SetProgress(int32_t value) override {
    if (maximum_ > start_) percent_ = int32_t(int64_t(value - start_) * 100 / (maximum_ - start_));
  }
  void HideProgress() override {}
  bool Cancelled() const override { return stop_.load(); }

 private:
  std::atomic<int32_t>& percent_;
  const std::atomic<bool>& stop_;
  int32_t start_ = 0, maximum_ = 0;
};

}  // namespace

PyramidBuildJob::PyramidBuildJob(std::string folder, uint64_t bound_bytes, std::string path, int32_t series)
    : path_(std::move(path)), series_(series) {
  thread_ = std::thread([this, folder = std::move(folder), bound_bytes] { Run(folder, bound_bytes); });
}

PyramidBuildJob::~PyramidBuildJob() {
  stop_ = true;
  Wait();
}

void PyramidBuildJob::Wait() {
  if (thread_.joinable()) thread_.join();
}

void PyramidBuildJob::Run(const std::string& folder, uint64_t bound_bytes) {
  std::optional<std::string> entry;
  std::string error;
  const std::string name = imaging::detail::FileNameOf(path_);
  try {
    PyramidCache cache(folder, bound_bytes);
    PercentSink sink(percent_, stop_);
    entry = cache.Build(path_, series_, sink, stop_);
    if (!entry) error = "Building the pyramid of " + name + " was stopped.";
  } catch (const std::exception& e) {
    // PyramidCacheError says it in a sentence; a file that cannot be read is named here.
    error = dynamic_cast<const PyramidCacheError*>(&e) ? e.what()
                                                       : "The pyramid of " + name + " could not be built: " + e.what();
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    entry_ = std::move(entry);
    error_ = std::move(error);
  }
  finished_ = true;
}

std::optional<std::string> PyramidBuildJob::Entry() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return entry_;
}

std::string PyramidBuildJob::Error() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return error_;
}

}  // namespace lumetrix::streaming
