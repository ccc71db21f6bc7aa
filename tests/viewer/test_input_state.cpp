#include <gtest/gtest.h>

#include "viewer/input_state.h"

namespace lumetrix {
namespace {

void Frames(InputState& in, ViewState& v, int n) {
  for (int i = 0; i < n; ++i) in.ApplyHeldKeys(v);
}

TEST(HeldKeys, RightArrowFor100FramesThenSpaceStops) {
  InputState in;
  ViewState v;
  in.KeyDown(vk::Right, true);
  Frames(in, v, 100);
  EXPECT_NEAR(v.YSpeed, 3.0, 1e-4);
  in.KeyUp(vk::Right, true);
  v.YRot = 123;
  in.KeyDown(vk::Space, true);
  Frames(in, v, 1);
  EXPECT_EQ(v.YSpeed, 0);
  EXPECT_EQ(v.YRot, 123);
}

TEST(HeldKeys, TransparencyMayStepOnceBeyondItsBounds) {
  InputState in;
  ViewState v;
  v.Transparency = 0.999f;
  in.KeyDown('T', true);
  Frames(in, v, 5);
  EXPECT_NEAR(v.Transparency, 1.001, 1e-6);
  in.KeyUp('T', true);
  v.Transparency = 0.001f;
  in.KeyDown('Y', true);
  Frames(in, v, 5);
  EXPECT_NEAR(v.Transparency, -0.001, 1e-6);
}

TEST(HeldKeys, ColourKeysActOnTheLightWhileItIsOn) {
  InputState in;
  ViewState v;
  in.KeyDown('L', true);
  in.KeyDown('R', true);
  Frames(in, v, 1);
  EXPECT_TRUE(v.LightOn);
  EXPECT_NEAR(v.LightColor[0], 0.403, 1e-6);
  EXPECT_NEAR(v.Color[0], 0.5, 1e-7);
  in.KeyUp('L', true);
  in.KeyDown('K', true);
  Frames(in, v, 1);
  EXPECT_FALSE(v.LightOn);
  EXPECT_NEAR(v.Color[0], 0.503, 1e-6);  // K acted first in the same frame
}

TEST(HeldKeys, KeypadPlusRaisesAllAndPlusWithMinusCancel) {
  InputState in;
  ViewState v;
  in.KeyDown(vk::Add, true);
  Frames(in, v, 1);
  for (float c : v.Color) EXPECT_NEAR(c, 0.503, 1e-6);
  in.KeyDown(vk::Subtract, true);
  Frames(in, v, 3);
  for (float c : v.Color) EXPECT_NEAR(c, 0.503, 1e-6);
}

TEST(HeldKeys, MovementScaleAndSpeedKeys) {
  InputState in;
  ViewState v;
  for (int k : {vk::PageUp, int('X'), vk::Up, vk::Left}) in.KeyDown(k, true);
  Frames(in, v, 10);
  EXPECT_NEAR(v.PosZ, -3.2, 1e-5);
  EXPECT_NEAR(v.ScaleZ, 102, 1e-4);
  EXPECT_NEAR(v.XSpeed, -0.3, 1e-5);
  EXPECT_NEAR(v.YSpeed, -0.3, 1e-5);
}

TEST(HeldKeys, NothingIsRecordedBeforeAVolumeIsOpenOrOutsideTheTable) {
  InputState in;
  ViewState v, start;
  in.KeyDown(vk::Right, false);
  in.KeyDown(300, true);
  in.KeyDown(-5, true);
  Frames(in, v, 3);
  EXPECT_EQ(v.YSpeed, start.YSpeed);
  EXPECT_FALSE(in.IsHeld(300));
}

TEST(Mouse, LeftDragTurnsRightDragMoves) {
  InputState in;
  ViewState v;
  in.MouseDown(MouseButton::Left, 100, 100, true);
  in.MouseMove(110, 100, v);
  EXPECT_EQ(v.YRot, 10);
  EXPECT_EQ(v.XRot, 0);
  in.MouseMove(110, 95, v);
  EXPECT_EQ(v.XRot, -5);
  in.MouseUp(MouseButton::Left);
  in.MouseDown(MouseButton::Right, 50, 200, true);
  in.MouseMove(50, 100, v);
  EXPECT_NEAR(v.PosY, 0.3, 1e-6);
  EXPECT_EQ(v.YRot, 10);  // the left button is up
}

TEST(Mouse, DragsNeedAVolumeButTheWheelDoesNot) {
  InputState in;
  ViewState v;
  in.MouseDown(MouseButton::Left, 0, 0, false);
  in.MouseMove(50, 50, v);
  EXPECT_EQ(v.YRot, 0);
  InputState::Wheel(-120, v);
  EXPECT_NEAR(v.PosZ, -2.85, 1e-6);
  InputState::Wheel(120, v);
  InputState::Wheel(60, v);
  EXPECT_NEAR(v.PosZ, -3.0, 1e-6);
}

}  // namespace
}  // namespace lumetrix
