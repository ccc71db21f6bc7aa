#include "viewer/frame_bmp.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "core/staged_file.h"

namespace lumetrix {
namespace {

void Put16(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

std::vector<uint8_t> CapturedFrame::BitmapInfo() const {
  std::vector<uint8_t> b;
  b.reserve(44);
  Put32(b, 40);
  Put32(b, static_cast<uint32_t>(Width));
  Put32(b, static_cast<uint32_t>(Height));
  Put16(b, 1);
  Put16(b, 24);
  Put32(b, 0);
  Put32(b, static_cast<uint32_t>(Pixels.size()));
  Put32(b, kFrameBmpPixelsPerMetre);
  Put32(b, kFrameBmpPixelsPerMetre);
  Put32(b, 0);
  Put32(b, 0);
  Put32(b, 0);  // the one colour-table entry
  return b;
}

std::vector<uint8_t> CapturedFrame::TopFirstBgr() const {
  const size_t row = 3 * static_cast<size_t>(Width), stride = FrameRowStride(Width);
  std::vector<uint8_t> bgr;
  bgr.reserve(row * static_cast<size_t>(Height));
  for (int32_t y = Height - 1; y >= 0; --y) {
    const auto start = Pixels.begin() + static_cast<std::ptrdiff_t>(stride * static_cast<size_t>(y));
    bgr.insert(bgr.end(), start, start + static_cast<std::ptrdiff_t>(row));
  }
  return bgr;
}

std::vector<uint8_t> CapturedFrame::FileBytes() const {
  std::vector<uint8_t> b;
  b.reserve(kFrameBmpPixelOffset + Pixels.size());
  Put16(b, 19778);  // "BM"
  Put32(b, static_cast<uint32_t>(kFrameBmpPixelOffset + Pixels.size()));
  Put16(b, 0);
  Put16(b, 0);
  Put32(b, kFrameBmpPixelOffset);
  const std::vector<uint8_t> info = BitmapInfo();
  b.insert(b.end(), info.begin(), info.end());
  b.insert(b.end(), Pixels.begin(), Pixels.end());
  return b;
}

CapturedFrame FrameFromGlRgb(const uint8_t* rgb, int32_t width, int32_t height) {
  CapturedFrame f;
  f.Width = width;
  f.Height = height;
  const size_t stride = static_cast<size_t>(FrameRowStride(width));
  f.Pixels.assign(rgb, rgb + stride * static_cast<size_t>(height));
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = f.Pixels.data() + stride * static_cast<size_t>(y);
    for (int32_t x = 0; x < width; ++x) std::swap(row[x * 3], row[x * 3 + 2]);
    std::memset(row + width * 3, 0, stride - static_cast<size_t>(width) * 3);
  }
  return f;
}

void WriteFrameBmp(const std::string& path, const CapturedFrame& frame) {
  const std::vector<uint8_t> bytes = frame.FileBytes();
  StagedFile file(path);
  if (!file.Write(bytes.data(), bytes.size()) || !file.Commit())
    throw std::runtime_error("Could not write " + path + ": " + file.Reason());
}

bool cBMP::CreateFromFile(const std::string& FileName, MessageSink& messages) {
  std::error_code ec;
  const auto length = std::filesystem::file_size(FileName, ec);
  if (ec) {
    messages.ShowMessage("File does not exist:\n" + FileName, MessageIcon::Critical);
    return false;
  }
  std::ifstream in(FileName, std::ios::binary);
  if (!in) {
    if (errno == EACCES || errno == EPERM)
      messages.ShowMessage("File is locked - cannot access:\n" + FileName, MessageIcon::Critical);
    else
      messages.ShowMessage(std::strerror(errno), MessageIcon::Information);
    return false;
  }
  auto refuse = [&] {
    messages.ShowMessage("File is not a supported bitmap format:\n" + FileName, MessageIcon::Information);
    return false;
  };
  uint8_t header[54];
  if (length < sizeof header || !in.read(reinterpret_cast<char*>(header), sizeof header)) return refuse();
  file_type_ = static_cast<int16_t>(Get16(header));
  if (Get16(header) != 19778) return refuse();
  size_file_header_ = static_cast<int32_t>(Get32(header + 2));
  bit_offset_ = static_cast<int32_t>(Get32(header + 10));
  size_info_header_ = static_cast<int32_t>(Get32(header + 14));
  width_ = static_cast<int32_t>(Get32(header + 18));
  height_ = static_cast<int32_t>(Get32(header + 22));
  planes_ = static_cast<int16_t>(Get16(header + 26));
  bit_count_ = static_cast<int16_t>(Get16(header + 28));
  compression_ = static_cast<int32_t>(Get32(header + 30));
  xppm_ = static_cast<int32_t>(Get32(header + 38));
  yppm_ = static_cast<int32_t>(Get32(header + 42));
  clr_used_ = static_cast<int32_t>(Get32(header + 46));
  clr_important_ = static_cast<int32_t>(Get32(header + 50));
  // The pixel block is taken as 24-bit rows padded to 4 bytes, whatever the header says; it must
  // lie inside the file.
  const int64_t image = (static_cast<int64_t>(width_) * 3 + 3) / 4 * 4 * static_cast<int64_t>(height_);
  if (width_ <= 0 || height_ <= 0 || bit_offset_ < 14 || image > INT32_MAX ||
      static_cast<uint64_t>(bit_offset_) + static_cast<uint64_t>(image) > length)
    return refuse();
  size_image_ = static_cast<int32_t>(image);
  bits_.resize(static_cast<size_t>(image));
  info_.resize(static_cast<size_t>(bit_offset_ - 14));
  in.seekg(14);
  if (!info_.empty() && !in.read(reinterpret_cast<char*>(info_.data()), static_cast<std::streamsize>(info_.size())))
    return refuse();
  in.seekg(bit_offset_);
  if (!in.read(reinterpret_cast<char*>(bits_.data()), image)) return refuse();
  return true;
}

}  // namespace lumetrix
