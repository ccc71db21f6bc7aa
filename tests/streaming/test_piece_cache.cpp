// The decoded-piece cache's bounds and the reuse of evicted pieces' storage.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "streaming/piece_cache.h"

namespace lumetrix::streaming {
namespace {

TEST(PieceCache, EmptyPiecesCountTowardsTheBudgetSoTheirNumberStaysBounded) {
  PieceCache cache(4096);  // room for 16 entries of the 256 bytes an entry counts at the least
  int made = 0;
  auto empty = [&] {
    ++made;
    return PieceSamples{};
  };
  for (int i = 0; i < 100; ++i) cache.Get("chunk " + std::to_string(i), empty);
  EXPECT_LE(cache.HeldBytes(), 4096u);
  EXPECT_GE(cache.HeldBytes(), 4096u - 256u);
  cache.Get("chunk 0", empty);  // long evicted: made again
  cache.Get("chunk 99", empty);  // still held
  EXPECT_EQ(made, 101);
}

bool AllSamplesAre(const PieceSamples& samples, uint8_t value) {
  return std::all_of(samples.begin(), samples.end(), [&](uint8_t v) { return v == value; });
}

// A buffer that is the spare storage of the piece at `storage`, its samples (all `value`) left
// as they were. The C library's own reuse of a freed block is told apart by the samples: its
// allocator writes its lists into a block it frees, and fresh pages are zeros.
bool ReusedPiece(const PieceSamples& buffer, const uint8_t* storage, uint8_t value) {
  return buffer.data() == storage && AllSamplesAre(buffer, value);
}

TEST(PieceCache, AnEvictedPiecesStorageIsReusedOnlyWhenNobodyHoldsIt) {
  const size_t bytes = 1000;
  auto filled = [&](uint8_t value) { return [=] { return PieceSamples(bytes, value); }; };
  for (const bool kept : {true, false}) {
    SCOPED_TRACE(kept ? "the first piece still held" : "the first piece let go");
    PieceCache cache(bytes);  // one piece at a time
    PieceCache::Piece first = cache.Get("a", filled(1));
    const uint8_t* storage = first->data();
    if (!kept) first.reset();
    cache.Get("b", filled(2));  // evicts "a"
    PieceSamples buffer = cache.Buffer(bytes);
    ASSERT_EQ(buffer.size(), bytes);
    if (kept)
      EXPECT_NE(buffer.data(), storage);
    else
      EXPECT_TRUE(ReusedPiece(buffer, storage, 1));
    std::fill(buffer.begin(), buffer.end(), uint8_t(3));
    if (kept) {
      EXPECT_EQ(std::vector<uint8_t>(first->begin(), first->end()), std::vector<uint8_t>(bytes, 1));
      first.reset();  // the reader lets go of the evicted piece: now its storage is spare
      EXPECT_TRUE(ReusedPiece(cache.Buffer(bytes), storage, 1));
    }
    EXPECT_EQ(cache.Buffer(bytes / 2).size(), bytes / 2);  // another size: a new buffer
  }
}

// Readers on other threads hold pieces while the cache evicts them; a piece's storage may only
// come back as a new buffer once nobody reads it (ThreadSanitizer's builds see any overlap).
TEST(PieceCache, PiecesReadOnOtherThreadsKeepTheirSamplesWhileEvicted) {
  const size_t bytes = 4096;
  PieceCache cache(2 * bytes);
  std::atomic<int> wrong{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t)
    readers.emplace_back([&, t] {
      for (int i = 0; i < 300; ++i) {
        const uint8_t value = uint8_t((i * 3 + t) % 7);
        const PieceCache::Piece piece = cache.Get("piece " + std::to_string(value), [&] {
          PieceSamples samples = cache.Buffer(bytes);
          std::fill(samples.begin(), samples.end(), value);
          return samples;
        });
        std::this_thread::yield();  // others evict and refill meanwhile
        if (piece->size() != bytes || !AllSamplesAre(*piece, value)) ++wrong;
      }
    });
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace lumetrix::streaming
