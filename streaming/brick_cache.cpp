#include "streaming/brick_cache.h"

#include <algorithm>
#include <exception>

#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace lumetrix::streaming {
namespace {

// The largest of a channel's samples in a brick; a loop the compiler turns into vector maxima.
template <typename T>
uint16_t Largest(const T* samples) {
  T most = 0;
  for (size_t i = 0; i < kBrickSlotVoxels; ++i) most = std::max(most, samples[i]);
  return most;
}

}  // namespace

BrickCache::BrickCache(std::shared_ptr<const BrickSource> source, uint64_t budget, unsigned threads)
    : source_(std::move(source)) {
  brick_bytes_ = kBrickSlotVoxels * uint64_t(source_->Bits() / 8) * uint64_t(std::max(source_->Channels(), 1));
  capacity_ = static_cast<size_t>(std::max<uint64_t>(budget / brick_bytes_, 1));
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this] { Work(); });
}

BrickCache::~BrickCache() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  work_.notify_all();
  for (std::thread& w : workers_) w.join();
}

void BrickCache::Want(const std::vector<BrickKey>& keys) {
  {
    std::lock_guard lock(mutex_);
    wanted_ = keys;
    wanted_set_ = {keys.begin(), keys.end()};
    next_ = 0;
  }
  work_.notify_all();
}

std::shared_ptr<const Brick> BrickCache::Get(const BrickKey& key) {
  std::lock_guard lock(mutex_);
  const auto it = held_.find(key);
  if (it == held_.end()) return nullptr;
  use_.splice(use_.end(), use_, it->second.use);
  return it->second.brick;
}

std::vector<BrickKey> BrickCache::TakeArrived() {
  std::lock_guard lock(mutex_);
  std::vector<BrickKey> out;
  out.swap(arrived_);
  return out;
}

bool BrickCache::WaitFor(const std::vector<BrickKey>& keys, const std::atomic<bool>& stop) {
  std::unique_lock lock(mutex_);
  // A key nobody wants is never loaded: only wanted ones are waited for.
  const auto settled = [&] {
    return std::all_of(keys.begin(), keys.end(), [&](const BrickKey& k) {
      return held_.count(k) > 0 || failed_.count(k) > 0 || !wanted_set_.count(k);
    });
  };
  while (!settled() && !stop) done_.wait_for(lock, std::chrono::milliseconds(50));
  return std::all_of(keys.begin(), keys.end(), [&](const BrickKey& k) { return held_.count(k) > 0; });
}

size_t BrickCache::WantedLoaded() const {
  std::lock_guard lock(mutex_);
  return static_cast<size_t>(
      std::count_if(wanted_.begin(), wanted_.end(), [&](const BrickKey& k) { return held_.count(k) > 0; }));
}

size_t BrickCache::WantedCount() const {
  std::lock_guard lock(mutex_);
  return wanted_.size();
}

std::string BrickCache::Error() const {
  std::lock_guard lock(mutex_);
  return error_;
}

uint64_t BrickCache::HeldBytes() const {
  std::lock_guard lock(mutex_);
  return uint64_t(held_.size()) * brick_bytes_ + source_->HeldBytes();
}

void BrickCache::Evict() {
  // Bricks the view wants stay; beyond the budget the cache then holds only those.
  for (auto it = use_.begin(); held_.size() > capacity_ && it != use_.end();) {
    if (wanted_set_.count(*it)) {
      ++it;
      continue;
    }
    held_.erase(*it);
    it = use_.erase(it);
  }
}

void BrickCache::Work() {
#ifdef __linux__
  // Frames come first: the loaders take the cores the drawing leaves (Linux sets the nice value
  // of a thread on its own).
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
#endif
  std::unique_lock lock(mutex_);
  for (;;) {
    // The next wanted brick nobody holds, loads or gave up on.
    while (!quit_ && next_ < wanted_.size()) {
      const BrickKey& k = wanted_[next_];
      if (!held_.count(k) && !loading_.count(k) && !failed_.count(k)) break;
      ++next_;
    }
    if (quit_) return;
    if (next_ >= wanted_.size()) {
      work_.wait(lock);
      continue;
    }
    const BrickKey key = wanted_[next_++];
    loading_.insert(key);
    lock.unlock();
    auto brick = std::make_shared<Brick>();
    brick->key = key;
    std::string error;
    try {
      brick->samples.reset(new uint8_t[brick_bytes_]);
      const uint64_t channel_bytes = brick_bytes_ / uint64_t(std::max(source_->Channels(), 1));
      for (int32_t c = 0; c < source_->Channels(); ++c) {
        uint8_t* samples = brick->samples.get() + uint64_t(c) * channel_bytes;
        source_->ReadBox(static_cast<size_t>(key.level), c, key.t, StoredBox(key), samples);
        brick->largest.push_back(source_->Bits() == 16 ? Largest(reinterpret_cast<const uint16_t*>(samples))
                                                       : Largest(samples));
      }
    } catch (const std::bad_alloc&) {
      error = "The memory ran out while loading a part of " + source_->Name() + ".";
    } catch (const std::exception& e) {
      error = e.what();
    }
    lock.lock();
    loading_.erase(key);
    if (!error.empty()) {
      failed_.insert(key);
      if (error_.empty()) error_ = error;
    } else {
      use_.push_back(key);
      held_[key] = {std::move(brick), std::prev(use_.end())};
      arrived_.push_back(key);
      Evict();
    }
    done_.notify_all();
  }
}

}  // namespace lumetrix::streaming
