#include "export/gif/dib.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace lumetrix::gif {

bool cDIB::Create(int32_t width, int32_t height, int bitsPerPixel) {
  Destroy();
  if (bitsPerPixel != 1 && bitsPerPixel != 8 && bitsPerPixel != 32) return false;
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return false;
  const int64_t stride = (static_cast<int64_t>(width) * bitsPerPixel + 31) / 32 * 4;
  const int64_t bytes = stride * height;
  if (bytes > kMaxBytes) return false;
  try {
    bits_.assign(static_cast<size_t>(bytes), 0);
  } catch (const std::bad_alloc&) {
    bits_.clear();
    return false;
  }
  width_ = width;
  height_ = height;
  bitsPerPixel_ = bitsPerPixel;
  stride_ = static_cast<int32_t>(stride);
  return true;
}

void cDIB::Destroy() {
  std::vector<uint8_t>().swap(bits_);
  width_ = height_ = stride_ = 0;
  bitsPerPixel_ = 0;
  palette_.fill(RGBQuad{});
}

void cDIB::Fill(uint8_t byte) { std::fill(bits_.begin(), bits_.end(), byte); }

void cDIB::SetPalette(const RGBQuad* entries, int count) {
  palette_.fill(RGBQuad{});
  count = std::clamp(count, 0, kPaletteSize);
  if (entries != nullptr) std::copy(entries, entries + count, palette_.begin());
}

uint8_t cDIB::Index(int32_t x, int32_t y) const {
  if (bitsPerPixel_ != 8 || !Inside(x, y)) return 0;
  return Row(y)[x];
}

bool cDIB::SetIndex(int32_t x, int32_t y, uint8_t index) {
  if (bitsPerPixel_ != 8 || !Inside(x, y)) return false;
  Row(y)[x] = index;
  return true;
}

bool cDIB::Bit(int32_t x, int32_t y) const {
  if (bitsPerPixel_ != 1 || !Inside(x, y)) return false;
  return (Row(y)[x >> 3] & (0x80 >> (x & 7))) != 0;
}

bool cDIB::SetBit(int32_t x, int32_t y, bool on) {
  if (bitsPerPixel_ != 1 || !Inside(x, y)) return false;
  uint8_t& byte = Row(y)[x >> 3];
  const uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
  byte = on ? static_cast<uint8_t>(byte | mask) : static_cast<uint8_t>(byte & ~mask);
  return true;
}

RGBQuad cDIB::Pixel(int32_t x, int32_t y) const {
  if (bitsPerPixel_ != 32 || !Inside(x, y)) return RGBQuad{};
  const uint8_t* p = Row(y) + static_cast<size_t>(x) * 4;
  return RGBQuad{p[0], p[1], p[2], p[3]};
}

bool cDIB::SetPixel(int32_t x, int32_t y, RGBQuad colour) {
  if (bitsPerPixel_ != 32 || !Inside(x, y)) return false;
  uint8_t* p = Row(y) + static_cast<size_t>(x) * 4;
  p[0] = colour.blue;
  p[1] = colour.green;
  p[2] = colour.red;
  p[3] = colour.reserved;
  return true;
}

void cDIB::FlipVertical() {
  if (bits_.empty()) return;
  std::vector<uint8_t> spare(static_cast<size_t>(stride_));
  for (int32_t top = 0, bottom = height_ - 1; top < bottom; ++top, --bottom) {
    std::memcpy(spare.data(), Row(top), spare.size());
    std::memcpy(Row(top), Row(bottom), spare.size());
    std::memcpy(Row(bottom), spare.data(), spare.size());
  }
}

}  // namespace lumetrix::gif
