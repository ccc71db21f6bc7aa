#include "render/slice_workers.h"

#include <algorithm>

namespace lumetrix {

SliceWorkers::SliceWorkers(const VolumeData& v, const TextureBuildSettings& s, Stack stack, int32_t count,
                           UploadShape shape, int32_t ahead)
    : v_(v), s_(s), stack_(stack), count_(count), shape_(shape) {
  const int threads = std::max(1, s.Threads > 0 ? s.Threads : static_cast<int>(std::thread::hardware_concurrency()));
  ahead_ = std::max<int32_t>(threads, ahead);
  // XY slices are read sixteen pages at a time; a worker keeps to runs of neighbouring slices.
  chunk_ = std::clamp<int32_t>(ahead_ / threads, 1, 16);
  slots_.resize(static_cast<size_t>(count));
  errors_.resize(static_cast<size_t>(count));
  done_.assign(static_cast<size_t>(count), 0);
  for (int t = 0; t < std::min<int32_t>(threads, (count + chunk_ - 1) / chunk_); ++t) threads_.emplace_back([this] { Work(); });
}

SliceWorkers::~SliceWorkers() {
  {
    std::lock_guard<std::mutex> lock(m_);
    stop_ = true;
  }
  room_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void SliceWorkers::Work() {
  SlicePreparer slices(v_, s_);
  for (;;) {
    int32_t first = 0;
    {
      std::unique_lock<std::mutex> lock(m_);
      room_.wait(lock, [&] { return stop_ || next_ >= count_ || next_ < taken_ + ahead_; });
      if (stop_ || next_ >= count_) return;
      first = next_;
      next_ += chunk_;
    }
    for (int32_t k = first; k < std::min(first + chunk_, count_); ++k) {
      SliceImage image;
      std::exception_ptr error;
      try {
        slices.Prepare(stack_, k, image);
        MakeUploadLevels(image, shape_);
      } catch (...) {
        error = std::current_exception();
      }
      {
        std::lock_guard<std::mutex> lock(m_);
        slots_[static_cast<size_t>(k)] = std::move(image);
        errors_[static_cast<size_t>(k)] = error;
        done_[static_cast<size_t>(k)] = 1;
        if (stop_) return;
      }
      ready_.notify_all();
    }
  }
}

SliceImage SliceWorkers::Take(int32_t k) {
  std::unique_lock<std::mutex> lock(m_);
  ready_.wait(lock, [&] { return done_[static_cast<size_t>(k)] != 0; });
  if (errors_[static_cast<size_t>(k)]) std::rethrow_exception(errors_[static_cast<size_t>(k)]);
  SliceImage image = std::move(slots_[static_cast<size_t>(k)]);
  slots_[static_cast<size_t>(k)] = SliceImage{};
  taken_ = k + 1;
  lock.unlock();
  room_.notify_all();
  return image;
}

}  // namespace lumetrix
