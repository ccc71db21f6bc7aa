#include "streaming/piece_cache.h"

#include <algorithm>

namespace lumetrix::streaming {
namespace {

// What an entry counts at the least (its key and bookkeeping): empty pieces, which stand for
// chunks never written, stay bounded too.
constexpr uint64_t kEntryBytes = 256;
// Evicted pieces' storage kept for the next pieces: about one per loading thread.
constexpr size_t kSpares = 8;

uint64_t Counted(const PieceCache::Piece& piece) { return std::max<uint64_t>(piece->size(), kEntryBytes); }

}  // namespace

PieceCache::Piece PieceCache::Get(const std::string& key, const std::function<PieceSamples()>& make) {
  std::promise<Piece> promise;
  {
    std::unique_lock lock(mutex_);
    if (const auto it = held_.find(key); it != held_.end()) {
      order_.splice(order_.begin(), order_, it->second.used);
      return it->second.piece;
    }
    if (const auto it = making_.find(key); it != making_.end()) {
      const std::shared_future<Piece> wanted = it->second;
      lock.unlock();
      return wanted.get();
    }
    making_.emplace(key, promise.get_future().share());
  }
  Piece piece;
  try {
    piece = Held(make());
  } catch (...) {
    std::lock_guard lock(mutex_);
    making_.erase(key);
    promise.set_exception(std::current_exception());
    throw;
  }
  {
    std::lock_guard lock(mutex_);
    making_.erase(key);
    order_.push_front(key);
    held_.emplace(key, Entry{piece, order_.begin()});
    bytes_ += Counted(piece);
    while (bytes_ > budget_ && held_.size() > 1) {
      const auto last = held_.find(order_.back());
      bytes_ -= Counted(last->second.piece);
      held_.erase(last);
      order_.pop_back();
    }
  }
  promise.set_value(piece);
  return piece;
}

PieceCache::Piece PieceCache::Held(PieceSamples samples) const {
  const std::weak_ptr<Spares> spares = spares_;
  return Piece(new PieceSamples(std::move(samples)), [spares](const PieceSamples* piece) {
    // The last holder has let go: nobody reads these samples any more.
    std::unique_ptr<PieceSamples> owned(const_cast<PieceSamples*>(piece));
    if (owned->empty()) return;
    if (const std::shared_ptr<Spares> kept = spares.lock()) {
      std::lock_guard lock(kept->mutex);
      if (kept->buffers.size() < kSpares) kept->buffers.push_back(std::move(*owned));
    }
  });
}

PieceSamples PieceCache::Buffer(size_t bytes) {
  {
    std::lock_guard lock(spares_->mutex);
    std::vector<PieceSamples>& buffers = spares_->buffers;
    for (auto it = buffers.begin(); it != buffers.end(); ++it)
      if (it->size() == bytes) {
        PieceSamples reused = std::move(*it);
        buffers.erase(it);
        return reused;
      }
  }
  return PieceSamples(bytes);
}

uint64_t PieceCache::HeldBytes() const {
  std::lock_guard lock(mutex_);
  return bytes_;
}

}  // namespace lumetrix::streaming
