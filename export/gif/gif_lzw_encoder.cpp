#include "export/gif/gif_lzw_encoder.h"

#include <algorithm>

namespace lumetrix::gif {

std::vector<int32_t> mGIFLZWEnc::RowOrder(int32_t height, bool interlaced) {
  std::vector<int32_t> rows;
  rows.reserve(static_cast<size_t>(std::max(height, 0)));
  if (!interlaced || height <= 4) {
    for (int32_t y = 0; y < height; ++y) rows.push_back(y);
    return rows;
  }
  static constexpr int32_t kStart[4] = {0, 4, 2, 1};
  static constexpr int32_t kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int32_t y = kStart[pass]; y < height; y += kStep[pass]) rows.push_back(y);
  return rows;
}

void mGIFLZWEnc::WriteImageData(const cDIB& image, bool interlaced, int minCodeSize,
                                std::vector<uint8_t>& out) {
  minCodeSize = std::clamp(minCodeSize, 2, 8);
  if (image.BitsPerPixel() != 8 || image.IsEmpty()) {
    out.push_back(static_cast<uint8_t>(minCodeSize));
    out.push_back(0);
    return;
  }
  // A pixel at or above the clear code would be read back as a control code: widen the
  // code size to the largest index the picture holds.
  int largestIndex = 0;
  for (int32_t y = 0; y < image.Height() && largestIndex < 255; ++y) {
    const uint8_t* row = image.Row(y);
    largestIndex = std::max<int>(largestIndex, *std::max_element(row, row + image.Width()));
  }
  while ((1 << minCodeSize) <= largestIndex) ++minCodeSize;
  out.push_back(static_cast<uint8_t>(minCodeSize));

  // The coder's state lives in locals so that it stays in registers in the pixel loop.
  const int initialBits = minCodeSize + 1;
  const int clearCode = 1 << minCodeSize;
  const int endCode = clearCode + 1;
  int bits = initialBits;
  int largestCode = (1 << bits) - 1;
  int nextCode = clearCode + 2;
  bool clearFlag = false;
  uint64_t accumulator = 0;
  int accumulated = 0;
  int blockCount = 0;
  uint8_t* block = block_.data();
  int32_t* keys = keys_.data();
  uint16_t* codes = codes_.data();

  auto flushBlock = [&] {
    if (blockCount == 0) return;
    out.push_back(static_cast<uint8_t>(blockCount));
    out.insert(out.end(), block, block + blockCount);
    blockCount = 0;
  };
  auto output = [&](int code) {
    accumulator |= static_cast<uint64_t>(code) << accumulated;
    accumulated += bits;
    while (accumulated >= 8) {
      block[blockCount++] = static_cast<uint8_t>(accumulator);
      if (blockCount == kBlockSize) flushBlock();
      accumulator >>= 8;
      accumulated -= 8;
    }
    if (clearFlag) {
      bits = initialBits;
      largestCode = (1 << bits) - 1;
      clearFlag = false;
    } else if (nextCode > largestCode) {
      ++bits;
      largestCode = bits == 12 ? kMaxCodes : (1 << bits) - 1;
    }
  };

  std::fill(keys, keys + kHashSize, -1);
  output(clearCode);

  const int32_t width = image.Width();
  const std::vector<int32_t> rows = RowOrder(image.Height(), interlaced);
  int prefix = image.Row(rows[0])[0];
  bool first = true;
  for (const int32_t y : rows) {
    const uint8_t* row = image.Row(y);
    for (int32_t x = first ? 1 : 0; x < width; ++x) {
      const int c = row[x];
      const int32_t key = (c << 12) + prefix;
      int slot = (c << 4) ^ prefix;
      if (keys[slot] == key) {
        prefix = codes[slot];
        continue;
      }
      if (keys[slot] >= 0) {
        // Secondary probe: step 5003 - slot downwards, wrapping; an empty (negative) slot
        // or a zero key ends the search.
        const int step = slot == 0 ? 1 : kHashSize - slot;
        bool found = false;
        do {
          slot -= step;
          if (slot < 0) slot += kHashSize;
          if (keys[slot] == key) {
            found = true;
            break;
          }
        } while (keys[slot] > 0);
        if (found) {
          prefix = codes[slot];
          continue;
        }
      }
      output(prefix);
      prefix = c;
      if (nextCode < kMaxCodes) {
        codes[slot] = static_cast<uint16_t>(nextCode++);
        keys[slot] = key;
      } else {
        // Table full: start again with a clear code.
        std::fill(keys, keys + kHashSize, -1);
        nextCode = clearCode + 2;
        clearFlag = true;
        output(clearCode);
      }
    }
    first = false;
  }
  output(prefix);
  output(endCode);
  if (accumulated > 0) {
    block[blockCount++] = static_cast<uint8_t>(accumulator);
    if (blockCount == kBlockSize) flushBlock();
  }
  flushBlock();
  out.push_back(0);
}

}  // namespace lumetrix::gif
