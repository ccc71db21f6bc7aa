// The decoded-piece cache's bounds and the reuse of evicted pieces' storage.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
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
    EXPECT_EQ(buffer.data() == storage, !kept);
    std::fill(buffer.begin(), buffer.end(), uint8_t(3));
    if (kept) {
      EXPECT_EQ(std::vector<uint8_t>(first->begin(), first->end()), std::vector<uint8_t>(bytes, 1));
    }
    EXPECT_EQ(cache.Buffer(bytes / 2).size(), bytes / 2);  // another size: a new buffer
  }
}

}  // namespace
}  // namespace lumetrix::streaming
