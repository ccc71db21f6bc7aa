#pragma once
// Helpers of the AVI-to-GIF tests: movies written with the program's own recorder, their frames
// as 32-bit pictures, the written GIF decoded by giflib, and the one fake progress bar.

#include <cstdint>
#include <string>
#include <vector>

#include "core/progress_sink.h"
#include "export/gif/dib.h"
#include "tests/avi/avi_test_support.h"
#include "tests/gif/gif_test_support.h"

namespace lumetrix::avi2gif::test {

using namespace avi::test;
using gif::testing::DecodedGif;

// A frame of one colour.
OwnedFrame SolidFrame(int32_t width, int32_t height, uint8_t red, uint8_t green, uint8_t blue);
// The frame as a 32-bit picture, top row first.
gif::cDIB TopDownPicture(const OwnedFrame& frame);
// The file as giflib reads it (a failure of the test when it cannot).
DecodedGif Decode(const std::string& path);
// Copies of `original`, each with another stretch of `span` bytes overwritten with noise.
std::vector<Bytes> NoisyCopies(const Bytes& original, int pieces, size_t span, uint32_t seed);

class RecordingProgress : public ProgressSink {
 public:
  void ShowProgress(const std::string&, int32_t, int32_t max) override { Maxima.push_back(max); }
  void SetProgress(int32_t value) override { Values.push_back(value); }
  void HideProgress() override { SetProgress(0); }
  bool Cancelled() const override { return CancelAfter >= 0 && Steps() >= CancelAfter; }
  int Steps() const;  // values above 0 seen so far
  std::vector<int32_t> Maxima, Values;
  int CancelAfter = -1;
};

}  // namespace lumetrix::avi2gif::test
