#pragma once
// The captured frame as the recorder receives it: the bitmap information block of the frame BMP
// (the 40-byte BITMAPINFOHEADER and its one zero colour entry) and the pixel block (rows bottom
// row first, blue, green, red, each padded with zeros to a multiple of 4 bytes).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace lumetrix::avi {

inline constexpr int32_t kBitmapInfoHeaderSize = 40;
inline constexpr int32_t kBiRgb = 0;

// Bytes per 24-bit row padded to 4 bytes; computed in 64 bits so hostile widths cannot wrap.
constexpr int64_t DibRowStride(int64_t width) { return (width * 3 + 3) / 4 * 4; }

// A view of one frame in memory; the bytes belong to the caller.
struct DibFrame {
  std::span<const uint8_t> BitmapInfo;
  std::span<const uint8_t> Pixels;
};

// The fields of the information header that matter for a movie frame.
struct BitmapInfo {
  int32_t Width = 0;
  int32_t Height = 0;  // positive: rows bottom-up
  int16_t BitCount = 0;
  int32_t Compression = 0;
  int64_t ImageSize = 0;  // row stride x height of a 24-bit frame
};

// Largest frame the movie code accepts (both sides), far above any screen.
inline constexpr int32_t kMaxFrameSide = 16384;

// Reads the information block. Accepts only what a recorded frame can be: header size at least
// 40 and within the block, planes 1, 24 bits, no compression, width and height 1..kMaxFrameSide
// with rows bottom-up. Otherwise returns nothing and says why in `why`.
std::optional<BitmapInfo> ParseBitmapInfo(std::span<const uint8_t> block, std::string* why = nullptr);

// The block a frame of this size carries: a 40-byte header and one zero colour entry, exactly as
// the frame BMP has it (resolution 2952 pixels per metre).
std::array<uint8_t, 44> MakeBitmapInfo(int32_t width, int32_t height);

}  // namespace lumetrix::avi
