#include "tests/avi2gif/avi2gif_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lumetrix::avi2gif::test {

OwnedFrame SolidFrame(int32_t width, int32_t height, uint8_t red, uint8_t green, uint8_t blue) {
  OwnedFrame frame = SyntheticFrame(width, height, 0);
  std::fill(frame.Pixels.begin(), frame.Pixels.end(), uint8_t{0});
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = frame.Pixels.data() + y * avi::DibRowStride(width) + x * 3;
      p[0] = blue, p[1] = green, p[2] = red;
    }
  return frame;
}

gif::cDIB TopDownPicture(const OwnedFrame& frame) {
  gif::cDIB picture;
  picture.Create(frame.Width, frame.Height, 32);
  for (int32_t y = 0; y < frame.Height; ++y)
    for (int32_t x = 0; x < frame.Width; ++x) {
      const auto bgr = frame.At(x, y);
      picture.SetPixel(x, y, gif::RGBQuad{bgr[0], bgr[1], bgr[2], 255});
    }
  return picture;
}

DecodedGif Decode(const std::string& path) {
  DecodedGif gif;
  std::string error;
  EXPECT_TRUE(gif::testing::DecodeWithGiflib(path, gif, error)) << path << ": " << error;
  return gif;
}

std::vector<Bytes> NoisyCopies(const Bytes& original, int pieces, size_t span, uint32_t seed) {
  std::vector<Bytes> copies;
  for (size_t start = 0; start < original.size(); start += original.size() / pieces + 1) {
    Bytes bytes = original;
    for (size_t k = start; k < std::min(bytes.size(), start + span); ++k) {
      seed = seed * 1103515245u + 12345u;
      bytes[k] = static_cast<uint8_t>(seed >> 16);
    }
    copies.push_back(std::move(bytes));
  }
  return copies;
}

int RecordingProgress::Steps() const {
  return static_cast<int>(std::count_if(Values.begin(), Values.end(), [](int32_t v) { return v > 0; }));
}

}  // namespace lumetrix::avi2gif::test
