#pragma once
// The bricks in host memory: loaded from a BrickSource on worker threads in the order the view
// wants them, kept within a byte budget (the least recently used go first, never one the view
// wants), and handed to the renderer as they arrive.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "streaming/brick_grid.h"

namespace lumetrix::streaming {

// One stored brick: every channel's kBrickSlot^3 samples (x fastest) one after another.
struct Brick {
  BrickKey key;
  // Not zeroed when made: every sample is read into it.
  std::unique_ptr<uint8_t[]> samples;
  // Per channel, the largest sample, border and all (found on the loading thread).
  std::vector<uint16_t> largest;
  const uint8_t* Channel(int32_t c, int bits) const {
    return samples.get() + size_t(c) * kBrickSlotVoxels * size_t(bits / 8);
  }
};

class BrickCache {
 public:
  // `budget`: bytes the bricks may take (at least one brick is kept); `threads` 0: one per core.
  BrickCache(std::shared_ptr<const BrickSource> source, uint64_t budget, unsigned threads = 0);
  ~BrickCache();
  BrickCache(const BrickCache&) = delete;
  BrickCache& operator=(const BrickCache&) = delete;

  const BrickSource& Source() const { return *source_; }
  uint64_t BrickBytes() const { return brick_bytes_; }
  // How many bricks the budget holds.
  size_t Capacity() const { return capacity_; }

  // The bricks the view wants now, in order (coarse first); those not loaded are loaded in that
  // order, and the ones wanted before but no longer are not started.
  void Want(const std::vector<BrickKey>& keys);
  // The brick when it is loaded (and marks it used), else nullptr.
  std::shared_ptr<const Brick> Get(const BrickKey& key);
  // Bricks loaded since the last call.
  std::vector<BrickKey> TakeArrived();
  // Waits until each of `keys` (wanted ones) is loaded or failed, or `stop` is set; true when all
  // are loaded.
  bool WaitFor(const std::vector<BrickKey>& keys, const std::atomic<bool>& stop);
  // Of the bricks wanted now: how many are loaded.
  size_t WantedLoaded() const;
  size_t WantedCount() const;
  // The first read error as a sentence; empty when none.
  std::string Error() const;
  // Bytes held: the bricks and the source's own.
  uint64_t HeldBytes() const;

 private:
  void Work();
  void Evict();  // the lock held

  std::shared_ptr<const BrickSource> source_;
  uint64_t brick_bytes_ = 0;
  size_t capacity_ = 1;
  mutable std::mutex mutex_;
  std::condition_variable work_, done_;
  bool quit_ = false;
  std::vector<BrickKey> wanted_;
  std::unordered_set<BrickKey, BrickKeyHash> wanted_set_, loading_, failed_;
  size_t next_ = 0;  // the first wanted brick not yet taken by a worker
  std::list<BrickKey> use_;  // least recently used first
  struct Held {
    std::shared_ptr<const Brick> brick;
    std::list<BrickKey>::iterator use;
  };
  std::unordered_map<BrickKey, Held, BrickKeyHash> held_;
  std::vector<BrickKey> arrived_;
  std::string error_;
  std::vector<std::thread> workers_;
};

}  // namespace lumetrix::streaming
