// The crop sliders' limits, the clipping plane's angles and position and Ctrl+drag on the plane,
// without a window. Expected values are worked by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "viewer/clip_plane_geometry.h"
#include "viewer/crop_limits.h"
#include "viewer/input_state.h"

namespace lumetrix {
namespace {

constexpr float E = kCropToEnd;

TEST(CropLimits, AFirstLimitPushesItsSecondAlongAndBothStayOnTheirAxis) {
  const struct {
    std::array<float, 6> from;
    int index, value;
    std::array<float, 6> to;
  } cases[] = {
      {{0, E, 0, E, 0, E}, 0, 10, {10, E, 0, E, 0, E}},    // the end stays "to the end"
      {{0, 20, 0, E, 0, E}, 0, 25, {25, 25, 0, E, 0, E}},  // x0 past x1 pushes it
      {{5, 20, 0, E, 0, E}, 1, 3, {3, 3, 0, E, 0, E}},     // x1 below x0 pushes it back
      {{0, E, 0, E, 0, E}, 3, 99, {0, E, 0, 23, 0, E}},    // clamped to H - 1
      {{0, E, 0, E, 1, 2}, 4, -7, {0, E, 0, E, 0, 2}},     // clamped to 0
  };
  for (const auto& c : cases) {
    CropBox box;
    box.Limits = c.from;
    EXPECT_EQ(MoveCropLimit(box, c.index, c.value, {32, 24, 4}).Limits, c.to) << c.index << " " << c.value;
  }
  CropBox box;
  box.Limits = {3.7f, E, 0, 5, 2, 9};
  EXPECT_EQ(CropSliderValues(box, {32, 24, 4}), (std::array<int32_t, 6>{3, 31, 0, 5, 2, 3}));
}

TEST(ClipPlaneGeometry, AnglesPositionAndTheCentreOfTheVolume) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(NormalFromAngles(0, -30)[i], (std::array{0.5 * std::sqrt(3.0), 0.0, -0.5})[i], 1e-12);
  ClipPlane clip;
  clip.Plane = {0, -3, 3, 0};  // any length: azimuth -90, elevation 45
  EXPECT_NEAR(AnglesOf(clip)[0], -90, 1e-9);
  EXPECT_NEAR(AnglesOf(clip)[1], 45, 1e-9);
  // An 11 x 21 x 31 volume: centre (5, 10, 15), corners 5, 10, 15 voxels away along each axis.
  const std::array<int32_t, 3> voxels{11, 21, 31};
  EXPECT_NEAR(HalfDiagonal(voxels), std::sqrt(25.0 + 100 + 225), 1e-12);
  clip.Plane = {0, 0, 2, 40};  // z = 20: 5 voxels beyond the centre
  EXPECT_NEAR(PlanePosition(clip, voxels), 5, 1e-12);
  const ClipPlane at = PlaneAt({0, 3, 4}, 2, voxels);  // 3 * 10 + 4 * 15 + 2 * 5
  EXPECT_TRUE(at.On);
  EXPECT_EQ(at.Plane, (std::array<float, 4>{0, 3, 4, 100}));
}

// The plane facing the viewer points along the view axis towards the eye, in voxel coordinates:
// y and z run against the model's axes, and a voxel along z is ScaleZ / ScaleX times as long as
// one along x (64 x 64 x 4 voxels at 30, 30, 100).
TEST(ClipPlaneGeometry, ThePlaneFacingTheViewerCutsAwayTheNearHalf) {
  const double r = std::sqrt(109.0);
  const struct {
    float x_rot, y_rot;
    std::array<double, 3> normal;
  } views[] = {{0, 0, {0, 0, -1}},              // page 0 is in front
               {0, 90, {-1, 0, 0}},             // column 0 is in front
               {0, 45, {-3 / r, 0, -10 / r}}};  // 30 x and 100 z
  for (const auto& c : views) {
    ViewState view;
    view.XRot = c.x_rot, view.YRot = c.y_rot;
    const ClipPlane p = FacingViewer({{64, 64, 4}, false}, view);
    const double d = 31.5 * c.normal[0] + 31.5 * c.normal[1] + 1.5 * c.normal[2];  // through (31.5, 31.5, 1.5)
    for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(p.Plane[i], i < 3 ? c.normal[i] : d, 1e-5) << c.x_rot << c.y_rot;
    EXPECT_TRUE(p.On);
  }
}

// A 41 x 31 x 1 volume: half diagonal sqrt(20^2 + 15^2) = 25 voxels, so a pixel moves the plane
// 25 / 200 = 0.125 voxel.
TEST(Mouse, CtrlLeftDragMovesTheClipPlaneAlongItsNormalAndPlainDragsStillTurn) {
  const VolumeShape shape{{41, 31, 1}, false};
  InputState in;
  ViewState v;
  v.Clip.On = true, v.Clip.Plane = {0, 0, 2, 5};
  in.MouseDown(MouseButton::Left, 100, 100, true, true);
  in.MouseMove(130, 60, v, shape);  // 40 px up: 5 voxels against the normal, D less 5 * |N| = 10
  EXPECT_EQ(v.Clip.Plane[3], -5);
  in.MouseMove(130, 76, v, shape);  // 16 px down: 2 voxels back
  EXPECT_EQ(std::tuple(v.XRot, v.YRot, v.Clip.Plane[3]), std::tuple(0.0f, 0.0f, -1.0f));
  in.MouseUp(MouseButton::Left);
  in.MouseDown(MouseButton::Left, 100, 100, true);  // no Ctrl: turns as ever
  in.MouseMove(110, 95, v, shape);
  EXPECT_EQ(std::tuple(v.XRot, v.YRot, v.Clip.Plane[3]), std::tuple(-5.0f, 10.0f, -1.0f));
  in.MouseUp(MouseButton::Left);
  // Without a plane on, the drag makes one facing the viewer through the centre (0, 0, -1) and
  // moves it: 8 px down, 1 voxel along the normal.
  v = ViewState{};
  in.MouseDown(MouseButton::Left, 50, 50, true, true);
  in.MouseMove(50, 58, v, shape);
  EXPECT_TRUE(v.Clip.On);
  EXPECT_EQ(v.Clip.Plane, (std::array<float, 4>{0, 0, -1, 1}));
}

}  // namespace
}  // namespace lumetrix
