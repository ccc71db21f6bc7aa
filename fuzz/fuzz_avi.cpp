// libFuzzer target: movies read by the AVI reader (FFmpeg's demuxers and decoders behind our
// own checks): open, then decode the first frames in both layouts.
#include <cstddef>
#include <cstdint>
#include <string>

#include "export/avi/avi_reader.h"
#include "fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lumetrix;
  const std::string path = fuzz::InputFile(data, size, ".avi");
  avi::AviReader reader;
  if (!reader.Open(path)) return 0;
  avi::DecodedFrame frame;
  for (int64_t i = 0; i < std::min<int64_t>(reader.FrameCount(), 3); ++i) {
    if (!reader.ReadFrame(i, avi::PixelLayout::Bgr24, avi::RowOrder::TopDown, frame)) break;
    if (frame.Pixels.size() < size_t(frame.Stride) * size_t(frame.Height)) __builtin_trap();
  }
  return 0;
}
