#pragma once
// Decoded pieces of a file (Zarr chunks, TIFF strips and tiles) kept by key within a byte budget,
// the least recently used leaving first, so that neighbouring bricks, which share border voxels,
// do not decode the same piece again. Safe from several threads: pieces are made outside the
// lock, and a thread asking for a piece another thread is making waits for that one.

#include <cstdint>
#include <functional>
#include <future>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/sample_buffer.h"

namespace lumetrix::streaming {

// A piece's samples, left unset until its maker writes them.
using PieceSamples = SampleBuffer;

class PieceCache {
 public:
  using Piece = std::shared_ptr<const PieceSamples>;
  // At least the piece last made is kept, whatever the budget.
  explicit PieceCache(uint64_t budget) : budget_(budget) {}

  // The piece under `key`, made by `make` when it is not held; what `make` throws reaches every
  // thread waiting for the piece, and nothing is kept.
  Piece Get(const std::string& key, const std::function<PieceSamples()>& make);
  uint64_t HeldBytes() const;
  // A buffer of `bytes` for a piece to be made: the storage of an evicted piece nobody holds any
  // more when one of that size is spare (its old samples stay until overwritten: no zeroing, no
  // fresh pages from the system for every piece), else a new one, its samples unset.
  PieceSamples Buffer(size_t bytes);

 private:
  struct Entry {
    Piece piece;
    std::list<std::string>::iterator used;
  };
  // A few let-go pieces' storage. A piece hands its storage back from its deleter, which runs
  // after its last holder (the cache or a reader, on any thread) has let go of it, so the reuse
  // never races a reader; the deleters may outlive the cache.
  struct Spares {
    std::mutex mutex;
    std::vector<PieceSamples> buffers;
  };
  Piece Held(PieceSamples samples) const;

  const uint64_t budget_;
  mutable std::mutex mutex_;
  std::unordered_map<std::string, Entry> held_;
  std::list<std::string> order_;  // most recently used first
  std::unordered_map<std::string, std::shared_future<Piece>> making_;
  uint64_t bytes_ = 0;
  const std::shared_ptr<Spares> spares_ = std::make_shared<Spares>();
};

}  // namespace lumetrix::streaming
