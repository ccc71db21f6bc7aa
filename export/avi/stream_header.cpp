#include "export/avi/stream_header.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lumetrix::avi {

int32_t RecordingFrameRate(double frameRate) {
  if (std::isnan(frameRate)) return 1;
  if (frameRate >= 30.0) return 30;
  if (frameRate <= 1.0) return 1;
  const double rounded = std::nearbyint(frameRate);  // default rounding mode: half to even
  return static_cast<int32_t>(rounded);
}

int32_t RoundUpToMultipleOf8(int32_t value) {
  if (value < 1) return 8;
  const int32_t remainder = value % 8;
  if (remainder == 0) return value;
  if (value > std::numeric_limits<int32_t>::max() - 8) return value;
  return value + 8 - remainder;
}

AviStreamHeader MakeRecordingHeader(double frameRate, int64_t imageSize, int32_t width, int32_t height) {
  AviStreamHeader header;
  header.Scale = 1;
  header.Rate = static_cast<uint32_t>(RecordingFrameRate(frameRate));
  header.SuggestedBufferSize =
      imageSize < 0 ? 0u
                    : static_cast<uint32_t>(std::min<int64_t>(imageSize, std::numeric_limits<uint32_t>::max()));
  header.Frame = FrameRect{0, 0, width, height};
  return header;
}

}  // namespace lumetrix::avi
