#pragma once
// The header a recorded video stream is created with.

#include <cstdint>

namespace lumetrix::avi {

struct FrameRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

struct AviStreamHeader {
  uint32_t Scale = 1;  // time scale: Rate / Scale frames per second
  uint32_t Rate = 1;
  uint32_t SuggestedBufferSize = 0;
  FrameRect Frame;
  int32_t Width() const { return Frame.Right - Frame.Left; }
  int32_t Height() const { return Frame.Bottom - Frame.Top; }
};

// The recording's frame rate: rounded half to even to a whole number and limited to 1..30
// (anything not a number becomes 1).
int32_t RecordingFrameRate(double frameRate);

// A remainder of value mod 8 adds 8 - remainder (641 -> 648, 480 stays 480). Values below 1
// become 8; values so large that rounding would overflow stay as they are.
int32_t RoundUpToMultipleOf8(int32_t value);

// Header of a recording: scale 1, rate from RecordingFrameRate, suggested buffer size = the first
// frame's image size, frame rectangle (0, 0, width, height).
AviStreamHeader MakeRecordingHeader(double frameRate, int64_t imageSize, int32_t width, int32_t height);

}  // namespace lumetrix::avi
