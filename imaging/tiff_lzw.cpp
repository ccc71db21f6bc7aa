#include "imaging/tiff_lzw.h"

namespace lumetrix::imaging::detail {

namespace {

constexpr uint32_t kClear = 256, kEnd = 257, kFirst = 258, kMaxCode = 4095;

struct BitWriter {
  std::vector<uint8_t>& out;
  uint32_t data = 0;
  int bits = 0;
  void Put(uint32_t code, int width) {
    data = (data << width) | code;
    bits += width;
    while (bits >= 8) {
      out.push_back(static_cast<uint8_t>(data >> (bits - 8)));
      bits -= 8;
    }
  }
  void Flush() {
    if (bits > 0) out.push_back(static_cast<uint8_t>(data << (8 - bits)));
  }
};

}  // namespace

TiffLzwEncoder::TiffLzwEncoder() : child_(size_t{kMaxCode + 1} << 8, 0) { used_.reserve(kMaxCode); }

void TiffLzwEncoder::Reset() {
  for (uint32_t slot : used_) child_[slot] = 0;
  used_.clear();
}

void TiffLzwEncoder::Encode(const uint8_t* data, size_t size, std::vector<uint8_t>& out) {
  out.clear();
  out.reserve(size / 2 + 16);
  BitWriter w{out};
  int width = 9;
  uint32_t next = kFirst;
  Reset();
  w.Put(kClear, width);
  if (size == 0) {
    w.Put(kEnd, width);
    w.Flush();
    return;
  }
  // After each new table entry: a full table starts over behind a clear code; otherwise the
  // width grows once the next entry would not fit.
  auto grow = [&] {
    if (next == kMaxCode - 1) {
      w.Put(kClear, width);
      Reset();
      next = kFirst;
      width = 9;
    } else if (next > (1u << width) - 1) {
      ++width;
    }
  };
  uint32_t prefix = data[0];
  for (size_t i = 1; i < size; ++i) {
    const uint8_t c = data[i];
    const uint32_t slot = (prefix << 8) | c;
    if (const uint16_t known = child_[slot]) {
      prefix = known - 1u;
      continue;
    }
    w.Put(prefix, width);
    child_[slot] = static_cast<uint16_t>(next + 1);
    used_.push_back(slot);
    ++next;
    prefix = c;
    grow();
  }
  w.Put(prefix, width);
  ++next;  // the entry a reader adds after this code
  if (next == kMaxCode - 1) {
    w.Put(kClear, width);
    width = 9;
  } else if (next > (1u << width) - 1) {
    ++width;
  }
  w.Put(kEnd, width);
  w.Flush();
}

}  // namespace lumetrix::imaging::detail
