#include "core/held_voxels.h"

#include <cstddef>

namespace lumetrix {

ViewState InHeldVoxels(const ViewState& view, const VoxelSize3& file, const VoxelSize3& held) {
  if (file == held) return view;
  for (std::size_t a = 0; a < 3; ++a)
    if (file[a] < 1 || held[a] < 1) return view;
  ViewState out = view;
  for (std::size_t a = 0; a < 3; ++a) {
    const double s = double(held[a]) / file[a];  // held voxels per voxel of the file
    float& first = out.Crop.Limits[2 * a];
    float& last = out.Crop.Limits[2 * a + 1];
    first = static_cast<float>(first * s);
    // The last voxel kept ends at last + 1; "to the end" stays so.
    if (last < kCropToEnd) last = static_cast<float>((last + 1.0) * s - 1.0);
  }
  // Held voxel centre h lies at file coordinate x = (h + 0.5) r - 0.5 = r h + (r - 1) / 2, with r
  // file voxels per held voxel: n . x <= d reads (n r) . h <= d - n . (r - 1) / 2.
  auto& p = out.Clip.Plane;
  double d = p[3];
  for (std::size_t a = 0; a < 3; ++a) {
    const double r = double(file[a]) / held[a];
    d -= double(p[a]) * (r - 1) / 2;
    p[a] = static_cast<float>(p[a] * r);
  }
  p[3] = static_cast<float>(d);
  return out;
}

}  // namespace lumetrix
