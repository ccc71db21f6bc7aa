// The status bar's line about the shown file, for the kinds of files a microscope gives.
#include <gtest/gtest.h>

#include "viewer/volume_summary.h"

namespace lumetrix {
namespace {

struct SummaryCase {
  int32_t w, h, d, channels, times, bits;
  bool rgb;
  double voxel[3];
  const char* unit;
  const char* expected;
};

TEST(VolumeSummary, TellsSizeChannelsTimePointsBitsAndVoxelSize) {
  const SummaryCase cases[] = {
      {32, 24, 4, 1, 1, 8, false, {0, 0, 0}, "", "32 x 24 x 4, grey, 8-bit, no voxel size"},
      {1024, 1024, 300, 2, 3, 16, false, {0.2, 0.2, 0.5}, "\xC2\xB5m",
       "1024 x 1024 x 300, 2 channels, 3 time points, 16-bit, voxel 0.2 x 0.2 x 0.5 \xC2\xB5m"},
      {256, 256, 32, 3, 1, 8, true, {80, 80, 250}, "nm", "256 x 256 x 32, RGB, 8-bit, voxel 80 x 80 x 250 nm"},
      // Four significant digits (0.123456 -> 0.1235); no unit given, none written; no depth.
      {64, 48, 10, 1, 5, 16, false, {0.123456, 0.123456, 0}, "",
       "64 x 48 x 10, grey, 5 time points, 16-bit, voxel 0.1235 x 0.1235, depth unknown"},
      {0, 0, 0, 1, 1, 8, false, {0, 0, 0}, "", ""},  // nothing open
  };
  for (const SummaryCase& c : cases) {
    VolumeData v;
    v.Width = c.w, v.Height = c.h, v.Depth = c.d;
    v.FileChannels = c.channels, v.TimePoints = c.times, v.Values.bits = c.bits, v.IsRgb = c.rgb;
    for (int i = 0; i < 3; ++i) v.Voxel[i] = c.voxel[i];
    v.VoxelUnit = c.unit;
    EXPECT_EQ(VolumeSummary(v), c.expected);
  }
}

}  // namespace
}  // namespace lumetrix
