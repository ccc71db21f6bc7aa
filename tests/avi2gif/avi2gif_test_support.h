#pragma once
// Helpers of the AVI-to-GIF tests: movies written with the program's own recorder, the movie
// frames as 32-bit pictures, and sinks that record what the converter reports.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/progress_sink.h"
#include "export/gif/dib.h"
#include "tests/avi/avi_test_support.h"

namespace lumetrix::avi2gif::test {

using avi::test::OwnedFrame;

// A frame of one colour.
OwnedFrame SolidFrame(int32_t width, int32_t height, uint8_t red, uint8_t green, uint8_t blue);
// Records `frames` into a new movie with `codec` ("raw" keeps the pixels exactly); false when
// the recorder refused.
bool RecordMovie(const std::string& path, const std::vector<OwnedFrame>& frames, double rate = 15,
                 const std::string& codec = "raw");
// Frames 0 … count - 1 of the recorder tests' synthetic movie.
std::vector<OwnedFrame> SyntheticFrames(int32_t width, int32_t height, int count);

// The frame as a 32-bit picture, top row first.
gif::cDIB TopDownPicture(const OwnedFrame& frame);

class RecordingProgress : public ProgressSink {
 public:
  void ShowProgress(const std::string&, int32_t, int32_t max) override { Maxima.push_back(max); }
  void SetProgress(int32_t value) override {
    Values.push_back(value);
    if (OnValue) OnValue(value);
  }
  void HideProgress() override { SetProgress(0); }
  bool Cancelled() const override { return CancelAfter >= 0 && Steps() >= CancelAfter; }
  // Values above 0 seen so far.
  int Steps() const;
  std::vector<int32_t> Maxima, Values;
  int CancelAfter = -1;
  std::function<void(int32_t)> OnValue;
};

}  // namespace lumetrix::avi2gif::test
