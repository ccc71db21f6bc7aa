#include "imaging/parallel_steps.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace lumetrix::imaging {

std::unique_ptr<uint8_t[], FreeDeleter> AllocateSamples(uint64_t bytes) {
  constexpr size_t kHuge = size_t{2} << 20;
  const size_t rounded = std::max(kHuge, (static_cast<size_t>(bytes) + kHuge - 1) / kHuge * kHuge);
  void* p = std::aligned_alloc(kHuge, rounded);
  if (!p) throw std::bad_alloc();
  ::madvise(p, rounded, MADV_HUGEPAGE);
  return std::unique_ptr<uint8_t[], FreeDeleter>(static_cast<uint8_t*>(p));
}

bool RunSteps(size_t count, unsigned threads, ProgressSink* progress,
              const std::function<void(unsigned, size_t)>& step) {
  threads = static_cast<unsigned>(std::clamp<size_t>(threads, 1, std::max<size_t>(count, 1)));
  std::atomic<size_t> next{0};
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::condition_variable changed;
  size_t done = 0;
  std::exception_ptr failure;
  const auto work = [&](unsigned worker) {
    try {
      for (size_t i = next++; i < count && !stop; i = next++) {
        step(worker, i);
        std::lock_guard lock(mutex);
        ++done;
        changed.notify_one();
      }
    } catch (...) {
      std::lock_guard lock(mutex);
      if (!failure) failure = std::current_exception();
      stop = true;
      changed.notify_one();
    }
  };
  std::vector<std::thread> workers;
  for (unsigned w = 0; w < threads; ++w) workers.emplace_back(work, w);
  size_t reported = 0;
  bool cancelled = false;
  while (true) {
    size_t now;
    {
      std::unique_lock lock(mutex);
      changed.wait_for(lock, std::chrono::milliseconds(50), [&] { return done > reported || stop; });
      now = done;
    }
    while (progress && reported < now && !cancelled) {
      if (progress->Cancelled()) cancelled = true;
      else progress->SetProgress(static_cast<int32_t>(std::min<size_t>(++reported, INT32_MAX)));
    }
    if (!progress) reported = now;
    if (cancelled) stop = true;
    if (stop || reported == count) break;
  }
  for (auto& w : workers) w.join();
  if (failure) std::rethrow_exception(failure);
  return !cancelled;
}

}  // namespace lumetrix::imaging
