#include "viewer/crop_limits.h"

#include <algorithm>

namespace lumetrix {
namespace {

int32_t Last(const VoxelCounts& voxels, size_t axis) { return std::max(voxels[axis], 1) - 1; }

}  // namespace

std::array<int32_t, 6> CropSliderValues(const CropBox& crop, const VoxelCounts& voxels) {
  std::array<int32_t, 6> values{};
  for (size_t i = 0; i < 6; ++i) {
    const double limit = std::clamp<double>(crop.Limits[i], 0, Last(voxels, i / 2));
    values[i] = static_cast<int32_t>(limit);
  }
  return values;
}

CropBox MoveCropLimit(CropBox crop, int index, int32_t value, const VoxelCounts& voxels) {
  if (index < 0 || index > 5) return crop;
  const size_t i = static_cast<size_t>(index), axis = i / 2, other = i ^ 1u;
  const float v = static_cast<float>(std::clamp(value, 0, Last(voxels, axis)));
  crop.Limits[i] = v;
  const bool first = i % 2 == 0;
  if (first ? crop.Limits[other] < v : crop.Limits[other] > v) crop.Limits[other] = v;
  return crop;
}

}  // namespace lumetrix
