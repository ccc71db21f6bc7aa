#include "viewer/time_point_ahead.h"

#include <stdexcept>
#include <utility>

#include "viewer/hyperstack_view.h"

namespace lumetrix {

TimePointAhead::TimePointAhead(VolumeData& shown, int32_t t, std::unique_ptr<PreparedVolume> job)
    : job_(std::move(job)) {
  if (!shown.Stack || !job_) throw std::invalid_argument("A time point is prepared from a stack, with a job.");
  // Everything but the samples, which the worker makes anew.
  SampleBuffer samples;
  samples.swap(shown.Samples);
  volume_ = shown;
  shown.Samples.swap(samples);
  volume_.Display.TimePoint = t;
  worker_ = std::thread([this] {
    try {
      ShowChannels(volume_);
      job_->Prepare(volume_, stop_);
    } catch (...) {
      error_ = std::current_exception();
    }
    done_ = true;
  });
}

TimePointAhead::~TimePointAhead() {
  stop_ = true;
  if (worker_.joinable()) worker_.join();
}

void TimePointAhead::Wait() {
  if (worker_.joinable()) worker_.join();
  if (error_) std::rethrow_exception(error_);
}

}  // namespace lumetrix
