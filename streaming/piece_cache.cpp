#include "streaming/piece_cache.h"

namespace lumetrix::streaming {

PieceCache::Piece PieceCache::Get(const std::string& key, const std::function<std::vector<uint8_t>()>& make) {
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
    piece = std::make_shared<const std::vector<uint8_t>>(make());
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
    bytes_ += piece->size();
    while (bytes_ > budget_ && held_.size() > 1) {
      const auto last = held_.find(order_.back());
      bytes_ -= last->second.piece->size();
      held_.erase(last);
      order_.pop_back();
    }
  }
  promise.set_value(piece);
  return piece;
}

uint64_t PieceCache::HeldBytes() const {
  std::lock_guard lock(mutex_);
  return bytes_;
}

}  // namespace lumetrix::streaming
