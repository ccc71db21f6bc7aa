#pragma once
// The drawn frame as an uncompressed 24-bit BMP file: a 14-byte file header, the 40-byte
// information header, one zero colour-table entry (so the pixels start at offset 58), then the
// rows bottom row first, blue, green, red, each padded with zeros to a multiple of 4 bytes.

#include <cstdint>
#include <string>
#include <vector>

#include "core/messages.h"

namespace lumetrix {

constexpr int32_t kFrameBmpPixelOffset = 58;
constexpr int32_t kFrameBmpPixelsPerMetre = 2952;  // 75 dots per inch

inline int32_t FrameRowStride(int32_t width) { return (width * 3 + 3) / 4 * 4; }

// A captured frame in memory: pixels exactly as the file stores them.
struct CapturedFrame {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Pixels;  // FrameRowStride(Width) * Height bytes, bottom row first, BGR

  // The 40-byte information header followed by the 4-byte zero colour entry: the block a
  // video codec takes as the stream format.
  std::vector<uint8_t> BitmapInfo() const;
  // The whole file.
  std::vector<uint8_t> FileBytes() const;
  // Blue, green, red, rows top first, unpadded (as ImageBox::SetPixels takes them).
  std::vector<uint8_t> TopFirstBgr() const;
};

// Turns rows read back from OpenGL (RGB, bottom row first, rows padded to 4 bytes) into a frame.
CapturedFrame FrameFromGlRgb(const uint8_t* rgb, int32_t width, int32_t height);

// Replaces the file at path with the frame through the staged writer: an older file stays
// when the new one cannot be written. Raises std::runtime_error with a readable reason.
void WriteFrameBmp(const std::string& path, const CapturedFrame& frame);

// cBMP: reads a BMP file (only 24-bit files are read correctly) and keeps its headers, pixel
// bytes and bitmap information block.
class cBMP {
 public:
  // Shows its own message and returns false when the file is missing, locked, not a bitmap or
  // shorter than its headers say.
  bool CreateFromFile(const std::string& FileName, MessageSink& messages);

  int16_t BitCount() const { return bit_count_; }
  int32_t Height() const { return height_; }
  int32_t Width() const { return width_; }
  int32_t Compression() const { return compression_; }
  int32_t SizeInfoHeader() const { return size_info_header_; }
  int32_t SizeImage() const { return size_image_; }
  int16_t Planes() const { return planes_; }
  int32_t ClrImportant() const { return clr_important_; }
  int32_t ClrUsed() const { return clr_used_; }
  int32_t XPPM() const { return xppm_; }
  int32_t YPPM() const { return yppm_; }
  int16_t FileType() const { return file_type_; }
  int32_t SizeFileHeader() const { return size_file_header_; }
  int32_t BitOffset() const { return bit_offset_; }
  const uint8_t* PointerToBits() const { return bits_.data(); }
  const uint8_t* PointerToBitmapInfo() const { return info_.data(); }
  int32_t SizeBitmapInfo() const { return static_cast<int32_t>(info_.size()); }

 private:
  int16_t file_type_ = 0, planes_ = 0, bit_count_ = 0;
  int32_t size_file_header_ = 0, bit_offset_ = 0, size_info_header_ = 0, width_ = 0, height_ = 0;
  int32_t compression_ = 0, size_image_ = 0, xppm_ = 0, yppm_ = 0, clr_used_ = 0, clr_important_ = 0;
  std::vector<uint8_t> bits_, info_;
};

}  // namespace lumetrix
