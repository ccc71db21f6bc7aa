#include "viewer/volume_summary.h"

#include <cstdio>

namespace lumetrix {
namespace {

// Four significant digits: 0.2 stays "0.2", 0.123456 reads "0.1235".
std::string Short(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", value);
  return text;
}

std::string VoxelPart(const VolumeData& v) {
  const double* d = v.Voxel;
  if (d[0] <= 0 || d[1] <= 0) return "no voxel size";
  const std::string unit = v.VoxelUnit.empty() ? std::string() : " " + v.VoxelUnit;
  if (d[2] <= 0) return "voxel " + Short(d[0]) + " x " + Short(d[1]) + unit + ", depth unknown";
  return "voxel " + Short(d[0]) + " x " + Short(d[1]) + " x " + Short(d[2]) + unit;
}

}  // namespace

std::string VolumeSummary(const VolumeData& v) {
  if (v.Width <= 0 || v.Height <= 0 || v.Depth <= 0) return {};
  std::string line = std::to_string(v.Width) + " x " + std::to_string(v.Height) + " x " + std::to_string(v.Depth);
  if (v.IsRgb)
    line += ", RGB";
  else if (v.FileChannels <= 1)
    line += ", grey";
  else
    line += ", " + std::to_string(v.FileChannels) + " channels";
  if (v.TimePoints > 1) line += ", " + std::to_string(v.TimePoints) + " time points";
  line += ", " + v.Values.TypeName() + ", " + VoxelPart(v);
  return line;
}

}  // namespace lumetrix
