#include "tests/avi2gif/avi2gif_test_support.h"

#include <algorithm>

#include "export/avi/avi_recorder.h"

namespace lumetrix::avi2gif::test {

OwnedFrame SolidFrame(int32_t width, int32_t height, uint8_t red, uint8_t green, uint8_t blue) {
  OwnedFrame frame = avi::test::SyntheticFrame(width, height, 0);
  const int64_t stride = avi::DibRowStride(width);
  std::fill(frame.Pixels.begin(), frame.Pixels.end(), uint8_t{0});
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = frame.Pixels.data() + y * stride + x * 3;
      p[0] = blue, p[1] = green, p[2] = red;
    }
  return frame;
}

bool RecordMovie(const std::string& path, const std::vector<OwnedFrame>& frames, double rate,
                 const std::string& codec) {
  if (frames.empty()) return false;
  avi::test::RecordingSink sink;
  avi::test::ScriptedOptions options(avi::test::OptionsFor(codec));
  avi::AviRecorder recorder(sink, options);
  if (!recorder.AVIStart(path, rate, frames.front().View())) return false;
  for (const OwnedFrame& f : frames) recorder.AVIAdd(f.View());
  const bool ok = recorder.IsRecording() && recorder.FrameCounter() == static_cast<int32_t>(frames.size());
  recorder.AVIend();
  return ok && sink.Messages.empty();
}

std::vector<OwnedFrame> SyntheticFrames(int32_t width, int32_t height, int count) {
  std::vector<OwnedFrame> frames;
  for (int i = 0; i < count; ++i) frames.push_back(avi::test::SyntheticFrame(width, height, i));
  return frames;
}

gif::cDIB TopDownPicture(const OwnedFrame& frame) {
  gif::cDIB picture;
  picture.Create(frame.Width, frame.Height, 32);
  for (int32_t y = 0; y < frame.Height; ++y)
    for (int32_t x = 0; x < frame.Width; ++x) {
      const auto bgr = frame.At(x, y);
      uint8_t* p = picture.Row(y) + x * 4;
      p[0] = bgr[0], p[1] = bgr[1], p[2] = bgr[2], p[3] = 255;
    }
  return picture;
}

int RecordingProgress::Steps() const {
  return static_cast<int>(std::count_if(Values.begin(), Values.end(), [](int32_t v) { return v > 0; }));
}

}  // namespace lumetrix::avi2gif::test
