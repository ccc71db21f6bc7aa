#include "export/avi/bitmap_info.h"


namespace lumetrix::avi {
namespace {

int32_t ReadI32(std::span<const uint8_t> b, size_t at) {
  const uint32_t v = uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
                     uint32_t{b[at + 3]} << 24;
  return static_cast<int32_t>(v);
}
int16_t ReadI16(std::span<const uint8_t> b, size_t at) {
  return static_cast<int16_t>(uint16_t{b[at]} | uint16_t{b[at + 1]} << 8);
}
void PutI32(uint8_t* p, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutI16(uint8_t* p, int16_t value) {
  const auto v = static_cast<uint16_t>(value);
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

std::nullopt_t Fail(std::string* why, const char* text) {
  if (why) *why = text;
  return std::nullopt;
}

}  // namespace

std::optional<BitmapInfo> ParseBitmapInfo(std::span<const uint8_t> block, std::string* why) {
  if (block.size() < static_cast<size_t>(kBitmapInfoHeaderSize))
    return Fail(why, "the bitmap information block is shorter than its 40-byte header");
  const int32_t header_size = ReadI32(block, 0);
  if (header_size < kBitmapInfoHeaderSize || static_cast<size_t>(header_size) > block.size())
    return Fail(why, "the bitmap information header has an impossible size");
  BitmapInfo info;
  info.Width = ReadI32(block, 4);
  info.Height = ReadI32(block, 8);
  const int16_t planes = ReadI16(block, 12);
  info.BitCount = ReadI16(block, 14);
  info.Compression = ReadI32(block, 16);
  if (planes != 1) return Fail(why, "the bitmap has more than one plane");
  if (info.BitCount != 24) return Fail(why, "the bitmap is not a 24-bit bitmap");
  if (info.Compression != kBiRgb) return Fail(why, "the bitmap is compressed");
  if (info.Width < 1 || info.Width > kMaxFrameSide || info.Height < 1 || info.Height > kMaxFrameSide)
    return Fail(why, "the bitmap size is out of range (or its rows are stored top-down)");
  info.ImageSize = DibRowStride(info.Width) * info.Height;
  return info;
}

std::array<uint8_t, 44> MakeBitmapInfo(int32_t width, int32_t height) {
  std::array<uint8_t, 44> block{};
  uint8_t* p = block.data();
  PutI32(p + 0, kBitmapInfoHeaderSize);
  PutI32(p + 4, width);
  PutI32(p + 8, height);
  PutI16(p + 12, 1);
  PutI16(p + 14, 24);
  PutI32(p + 16, kBiRgb);
  PutI32(p + 20, static_cast<int32_t>(DibRowStride(width) * height));
  PutI32(p + 24, 2952);
  PutI32(p + 28, 2952);
  return block;
}

}  // namespace lumetrix::avi
