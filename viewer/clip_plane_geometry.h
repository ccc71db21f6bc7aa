#pragma once
// The free clipping plane as the Display window and the Ctrl+drag handle it: a unit normal given
// by two angles, a position along it from the volume's centre, and the plane that faces the
// viewer. All in voxel coordinates (centres at whole numbers), as ClipPlane stores it.

#include <array>

#include "core/view_state.h"
#include "viewer/volume_shape.h"

namespace lumetrix {

// The unit normal at `azimuth` degrees from +x towards +y and `elevation` degrees towards +z.
std::array<double, 3> NormalFromAngles(double azimuth, double elevation);
// Azimuth (-180..180) and elevation (-90..90) in degrees of the plane's normal.
std::array<double, 2> AnglesOf(const ClipPlane& clip);

// The volume's centre, ((W - 1) / 2, (H - 1) / 2, (D - 1) / 2).
std::array<double, 3> VoxelCentre(const std::array<int32_t, 3>& voxels);
// Half the distance between opposite corner voxels: the positions that cut the volume lie within
// plus and minus this.
double HalfDiagonal(const std::array<int32_t, 3>& voxels);
// The plane's signed distance from the volume's centre along its unit normal, in voxels.
double PlanePosition(const ClipPlane& clip, const std::array<int32_t, 3>& voxels);
// The plane (switched on) with `normal` (not zero, any length, kept as given) at `position`
// voxels from the centre along it.
ClipPlane PlaneAt(const std::array<double, 3>& normal, double position, const std::array<int32_t, 3>& voxels);

// The plane through the centre whose unit normal points along the view axis towards the viewer,
// for the view's turn and proportions: it cuts away the near half.
ClipPlane FacingViewer(const VolumeShape& shape, const ViewState& view);

}  // namespace lumetrix
