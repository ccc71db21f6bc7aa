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

void mGIFLZWEnc::FlushBlock() {
  if (blockCount_ == 0) return;
  out_->push_back(static_cast<uint8_t>(blockCount_));
  out_->insert(out_->end(), block_.begin(), block_.begin() + blockCount_);
  blockCount_ = 0;
}

void mGIFLZWEnc::Output(int code) {
  accumulator_ |= static_cast<uint64_t>(code) << accumulatedBits_;
  accumulatedBits_ += bits_;
  while (accumulatedBits_ >= 8) {
    PutByte(static_cast<uint8_t>(accumulator_ & 0xFF));
    accumulator_ >>= 8;
    accumulatedBits_ -= 8;
  }
  if (clearFlag_) {
    bits_ = initialBits_;
    largestCode_ = (1 << bits_) - 1;
    clearFlag_ = false;
  } else if (nextCode_ > largestCode_) {
    ++bits_;
    largestCode_ = bits_ == 12 ? kMaxCodes : (1 << bits_) - 1;
  }
}

void mGIFLZWEnc::ClearTable() {
  keys_.fill(-1);
  nextCode_ = clearCode_ + 2;
  clearFlag_ = true;
  Output(clearCode_);
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
  out_ = &out;
  blockCount_ = 0;
  accumulator_ = 0;
  accumulatedBits_ = 0;
  initialBits_ = minCodeSize + 1;
  bits_ = initialBits_;
  largestCode_ = (1 << bits_) - 1;
  clearCode_ = 1 << minCodeSize;
  endCode_ = clearCode_ + 1;
  nextCode_ = clearCode_ + 2;
  clearFlag_ = false;
  keys_.fill(-1);
  Output(clearCode_);

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
      if (keys_[slot] == key) {
        prefix = codes_[slot];
        continue;
      }
      if (keys_[slot] >= 0) {
        // Secondary probe: step 5003 - slot downwards, wrapping; an empty (negative) slot
        // or a zero key ends the search.
        const int step = slot == 0 ? 1 : kHashSize - slot;
        bool found = false;
        do {
          slot -= step;
          if (slot < 0) slot += kHashSize;
          if (keys_[slot] == key) {
            found = true;
            break;
          }
        } while (keys_[slot] > 0);
        if (found) {
          prefix = codes_[slot];
          continue;
        }
      }
      Output(prefix);
      prefix = c;
      if (nextCode_ < kMaxCodes) {
        codes_[slot] = static_cast<uint16_t>(nextCode_++);
        keys_[slot] = key;
      } else {
        ClearTable();
      }
    }
    first = false;
  }
  Output(prefix);
  Output(endCode_);
  if (accumulatedBits_ > 0) {
    PutByte(static_cast<uint8_t>(accumulator_ & 0xFF));
    accumulator_ = 0;
    accumulatedBits_ = 0;
  }
  FlushBlock();
  out.push_back(0);
  out_ = nullptr;
}

}  // namespace lumetrix::gif
