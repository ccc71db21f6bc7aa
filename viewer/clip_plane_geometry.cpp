#include "viewer/clip_plane_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lumetrix {
namespace {

constexpr double kDegree = std::numbers::pi / 180;

double Length(const std::array<double, 3>& n) { return std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]); }

std::array<double, 3> NormalOf(const ClipPlane& clip) { return {clip.Plane[0], clip.Plane[1], clip.Plane[2]}; }

}  // namespace

std::array<double, 3> NormalFromAngles(double azimuth, double elevation) {
  const double a = azimuth * kDegree, e = elevation * kDegree;
  return {std::cos(e) * std::cos(a), std::cos(e) * std::sin(a), std::sin(e)};
}

std::array<double, 2> AnglesOf(const ClipPlane& clip) {
  const std::array<double, 3> n = NormalOf(clip);
  const double length = Length(n);
  if (!(length > 0)) return {0, 0};
  return {std::atan2(n[1], n[0]) / kDegree, std::asin(std::clamp(n[2] / length, -1.0, 1.0)) / kDegree};
}

std::array<double, 3> VoxelCentre(const std::array<int32_t, 3>& voxels) {
  return {(voxels[0] - 1) / 2.0, (voxels[1] - 1) / 2.0, (voxels[2] - 1) / 2.0};
}

double HalfDiagonal(const std::array<int32_t, 3>& voxels) {
  const std::array<double, 3> c = VoxelCentre(voxels);
  return Length(c);
}

double PlanePosition(const ClipPlane& clip, const std::array<int32_t, 3>& voxels) {
  const std::array<double, 3> n = NormalOf(clip), c = VoxelCentre(voxels);
  const double length = Length(n);
  if (!(length > 0)) return 0;
  return (clip.Plane[3] - (n[0] * c[0] + n[1] * c[1] + n[2] * c[2])) / length;
}

ClipPlane PlaneAt(const std::array<double, 3>& normal, double position, const std::array<int32_t, 3>& voxels) {
  const std::array<double, 3> c = VoxelCentre(voxels);
  const double d = normal[0] * c[0] + normal[1] * c[1] + normal[2] * c[2] + position * Length(normal);
  ClipPlane clip;
  clip.On = true;
  clip.Plane = {static_cast<float>(normal[0]), static_cast<float>(normal[1]), static_cast<float>(normal[2]),
                static_cast<float>(d)};
  return clip;
}

ClipPlane FacingViewer(const VolumeShape& shape, const ViewState& view) {
  // Towards the eye in model space: eye space's +z turned back by the view's rotations about x
  // and then y.
  const double a = view.XRot * kDegree, b = view.YRot * kDegree;
  const std::array<double, 3> eye{-std::sin(b) * std::cos(a), std::sin(a), std::cos(b) * std::cos(a)};
  // A model normal m becomes m / A in voxel coordinates (v = A p + c along each axis).
  const std::array<double, 3> per_unit = VoxelsPerModelUnit(shape, view);
  std::array<double, 3> n{};
  for (size_t i = 0; i < 3; ++i) n[i] = eye[i] / per_unit[i];
  const double length = Length(n);
  for (double& x : n) x /= length;
  return PlaneAt(n, 0, shape.Voxels);
}

}  // namespace lumetrix
