#include "imaging/page_encoder_pool.h"

#include <algorithm>
#include <utility>

namespace lumetrix::imaging::detail {

PageEncoderPool::PageEncoderPool(int threads) {
  const int n = std::max(1, threads > 0 ? threads : static_cast<int>(std::thread::hardware_concurrency()));
  for (int i = 0; i < n; ++i) threads_.emplace_back([this] { Work(); });
}

PageEncoderPool::~PageEncoderPool() {
  {
    std::lock_guard<std::mutex> lock(m_);
    stop_ = true;
  }
  work_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void PageEncoderPool::Submit(Image image) {
  {
    std::lock_guard<std::mutex> lock(m_);
    queue_.emplace_back(submitted_++, std::move(image));
  }
  work_.notify_one();
}

void PageEncoderPool::Work() {
  for (;;) {
    std::pair<uint64_t, Image> job;
    {
      std::unique_lock<std::mutex> lock(m_);
      work_.wait(lock, [&] { return stop_ || !queue_.empty(); });
      if (stop_) return;
      job = std::move(queue_.front());
      queue_.pop_front();
    }
    EncodedPage page;
    std::exception_ptr error;
    try {
      page = EncodePage(job.second);
    } catch (...) {
      error = std::current_exception();
    }
    job.second.clear();
    {
      std::lock_guard<std::mutex> lock(m_);
      if (error)
        errors_[job.first] = error;
      else
        results_[job.first] = std::move(page);
    }
    done_.notify_all();
  }
}

EncodedPage PageEncoderPool::Next() {
  std::unique_lock<std::mutex> lock(m_);
  const uint64_t wanted = taken_;
  done_.wait(lock, [&] { return results_.count(wanted) || errors_.count(wanted); });
  ++taken_;
  if (auto e = errors_.find(wanted); e != errors_.end()) {
    std::exception_ptr error = e->second;
    errors_.erase(e);
    std::rethrow_exception(error);
  }
  EncodedPage page = std::move(results_[wanted]);
  results_.erase(wanted);
  return page;
}

}  // namespace lumetrix::imaging::detail
