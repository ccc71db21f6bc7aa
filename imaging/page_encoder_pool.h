#pragma once
// Compresses TIFF pages on worker threads, one per processor core, and gives them back in the
// order they were handed in.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "imaging/tiff_page_encoder.h"

namespace lumetrix::imaging::detail {

class PageEncoderPool {
 public:
  explicit PageEncoderPool(int threads = 0);
  ~PageEncoderPool();
  PageEncoderPool(const PageEncoderPool&) = delete;
  PageEncoderPool& operator=(const PageEncoderPool&) = delete;

  void Submit(Image image);
  // Pages handed in and not yet taken back.
  size_t Pending() const { return submitted_ - taken_; }
  // The next page in order, waiting for it; rethrows what compressing it raised.
  EncodedPage Next();
  int Threads() const { return static_cast<int>(threads_.size()); }

 private:
  void Work();

  std::mutex m_;
  std::condition_variable work_, done_;
  std::deque<std::pair<uint64_t, Image>> queue_;
  std::map<uint64_t, EncodedPage> results_;
  std::map<uint64_t, std::exception_ptr> errors_;
  uint64_t submitted_ = 0, taken_ = 0;
  bool stop_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace lumetrix::imaging::detail
