#pragma once
// Reads the first video stream of an AVI (or any movie FFmpeg reads) frame by frame as
// 24- or 32-bit BGR bitmaps. Every failure is a sentence in Error(); nothing throws.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lumetrix::avi {

enum class PixelLayout {
  Bgr24,  // blue, green, red; rows padded to a multiple of 4 bytes (the DIB layout)
  Bgr32,  // blue, green, red, 255
};

enum class RowOrder {
  TopDown,   // the first row in memory is the top of the picture
  BottomUp,  // the first row in memory is the bottom (a DIB with positive height)
};

struct DecodedFrame {
  int32_t Width = 0;
  int32_t Height = 0;
  int64_t Stride = 0;  // bytes from one row to the next in memory
  PixelLayout Layout = PixelLayout::Bgr24;
  RowOrder Order = RowOrder::TopDown;
  std::vector<uint8_t> Pixels;  // Stride * Height bytes
};

class AviReader {
 public:
  AviReader();
  ~AviReader();
  AviReader(const AviReader&) = delete;
  AviReader& operator=(const AviReader&) = delete;

  // Opens the file and its first video stream. False (and Error()) when the file is missing,
  // unreadable, not a movie, has no video stream, no frames, or a codec FFmpeg cannot decode.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const;

  const std::string& Path() const { return path_; }
  const std::string& Error() const { return error_; }

  int64_t FrameCount() const;
  // Frames per second as a fraction (for a recorded movie: Rate / 1).
  int32_t FrameRateNumerator() const;
  int32_t FrameRateDenominator() const;
  double FrameRate() const;
  // The movie's length in milliseconds divided by the frame count, rounded half to even.
  int32_t MillisecondsPerFrame() const;
  int32_t Width() const;
  int32_t Height() const;
  // FFmpeg's name of the stream's codec ("rawvideo", "mjpeg"...).
  std::string CodecName() const;

  // Decodes frame `index` (0-based). Reading forwards is sequential; asking for an earlier
  // frame starts again from the beginning. A frame of another size than the stream's is scaled
  // to the stream's size. False (and Error()) when the frame cannot be had (truncated file,
  // corrupt data).
  bool ReadFrame(int64_t index, PixelLayout layout, RowOrder order, DecodedFrame& frame);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::string path_;
  std::string error_;
};

}  // namespace lumetrix::avi
