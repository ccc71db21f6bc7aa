#pragma once
// Prepares the slices of one stack on worker threads, a bounded number ahead of the thread that
// uploads them, and hands them over in increasing order.

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "render/texture_stacks.h"

namespace lumetrix {

class SliceWorkers {
 public:
  // `ahead`: slices that may wait prepared at once (bounds the memory held).
  SliceWorkers(const VolumeData& v, const TextureBuildSettings& s, Stack stack, int32_t count, UploadShape shape,
               int32_t ahead);
  ~SliceWorkers();
  SliceWorkers(const SliceWorkers&) = delete;
  SliceWorkers& operator=(const SliceWorkers&) = delete;

  // Waits for slice k (asked for in increasing k) and hands it over; rethrows what preparing
  // it raised.
  SliceImage Take(int32_t k);

 private:
  void Work();

  const VolumeData& v_;
  const TextureBuildSettings& s_;
  const Stack stack_;
  const int32_t count_;
  const UploadShape shape_;
  int32_t ahead_ = 1, chunk_ = 1;

  std::mutex m_;
  std::condition_variable ready_, room_;
  std::vector<SliceImage> slots_;
  std::vector<std::exception_ptr> errors_;
  std::vector<char> done_;
  int32_t next_ = 0, taken_ = 0;
  bool stop_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace lumetrix
