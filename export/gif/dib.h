#pragma once
// A plain device-independent bitmap: 1-bit (mask), 8-bit indexed or 32-bit (blue, green, red,
// unused) pixels, rows padded to whole 32-bit words, row 0 first in memory. The 1- and 8-bit
// kinds carry a 256-entry colour table (a 1-bit bitmap uses its first two entries).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "export/gif/rgb_quad.h"

namespace lumetrix::gif {

class cDIB {
 public:
  // Largest side accepted; the GIF format stores sides as 16-bit numbers.
  static constexpr int32_t kMaxSide = 65535;
  // Largest pixel buffer accepted (bytes).
  static constexpr int64_t kMaxBytes = int64_t{1} << 31;

  cDIB() = default;

  // Makes a bitmap of the given size and depth (1, 8 or 32) with every byte and palette entry 0.
  // False (and an empty bitmap) when the size or depth is not accepted or memory runs out.
  bool Create(int32_t width, int32_t height, int bitsPerPixel);
  void Destroy();
  bool IsEmpty() const { return bits_.empty(); }

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int BitsPerPixel() const { return bitsPerPixel_; }
  // Bytes from one row to the next.
  int32_t Stride() const { return stride_; }
  size_t SizeInBytes() const { return bits_.size(); }

  uint8_t* Bits() { return bits_.data(); }
  const uint8_t* Bits() const { return bits_.data(); }
  // Row y (0 = first in memory). No bounds check: callers loop over 0 .. Height() - 1.
  uint8_t* Row(int32_t y) { return bits_.data() + static_cast<size_t>(y) * static_cast<size_t>(stride_); }
  const uint8_t* Row(int32_t y) const {
    return bits_.data() + static_cast<size_t>(y) * static_cast<size_t>(stride_);
  }

  void Fill(uint8_t byte);

  // Colour table (256 entries; entries past the ones given to SetPalette are zero).
  Palette256& Palette() { return palette_; }
  const Palette256& Palette() const { return palette_; }
  void SetPalette(const RGBQuad* entries, int count);

  // Checked single-pixel access for tests and non-critical code (false/0 outside the bitmap).
  uint8_t Index(int32_t x, int32_t y) const;                // 8-bit
  bool SetIndex(int32_t x, int32_t y, uint8_t index);       // 8-bit
  bool Bit(int32_t x, int32_t y) const;                     // 1-bit, most significant bit first
  bool SetBit(int32_t x, int32_t y, bool on);               // 1-bit
  RGBQuad Pixel(int32_t x, int32_t y) const;                // 32-bit
  bool SetPixel(int32_t x, int32_t y, RGBQuad colour);      // 32-bit

  // Reverses the order of the rows.
  void FlipVertical();

 private:
  bool Inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  int32_t width_ = 0;
  int32_t height_ = 0;
  int bitsPerPixel_ = 0;
  int32_t stride_ = 0;
  std::vector<uint8_t> bits_;
  Palette256 palette_{};
};

}  // namespace lumetrix::gif
