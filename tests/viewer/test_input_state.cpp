#include <gtest/gtest.h>

#include "viewer/input_state.h"

namespace lumetrix {
namespace {

// Holds `keys` for `frames` drawn frames, starting from `v`.
ViewState Held(std::initializer_list<int> keys, int frames, ViewState v = {}) {
  InputState in;
  for (int k : keys) in.KeyDown(k, true);
  for (int i = 0; i < frames; ++i) in.ApplyHeldKeys(v);
  return v;
}

TEST(HeldKeys, EachKeyStepsItsValueOncePerFrame) {
  EXPECT_NEAR(Held({vk::Right}, 100).YSpeed, 3.0, 1e-4);
  ViewState v = Held({vk::PageUp, 'X', vk::Up, vk::Left}, 10);
  EXPECT_NEAR(v.PosZ, -3.2, 1e-5);
  EXPECT_NEAR(v.ScaleZ, 102, 1e-4);
  EXPECT_NEAR(v.XSpeed, -0.3, 1e-5);
  EXPECT_NEAR(v.YSpeed, -0.3, 1e-5);
  for (float c : Held({vk::Add}, 1).Color) EXPECT_NEAR(c, 0.503, 1e-6);
  for (float c : Held({vk::Add, vk::Subtract}, 3).Color) EXPECT_NEAR(c, 0.5, 1e-6);  // they cancel
  v.YRot = 123;
  v = Held({vk::Space}, 1, v);  // stops the turning where it is
  EXPECT_EQ(v.YSpeed, 0);
  EXPECT_EQ(v.YRot, 123);
  // Transparency may step once beyond its bounds.
  ViewState start;
  start.Transparency = 0.999f;
  EXPECT_NEAR(Held({'T'}, 5, start).Transparency, 1.001, 1e-6);
  start.Transparency = 0.001f;
  EXPECT_NEAR(Held({'Y'}, 5, start).Transparency, -0.001, 1e-6);
}

TEST(HeldKeys, ColourKeysActOnTheLightWhileItIsOn) {
  InputState in;
  ViewState v;
  in.KeyDown('L', true);
  in.KeyDown('R', true);
  in.ApplyHeldKeys(v);
  EXPECT_TRUE(v.LightOn);
  EXPECT_NEAR(v.LightColor[0], 0.403, 1e-6);
  EXPECT_NEAR(v.Color[0], 0.5, 1e-7);
  in.KeyUp('L', true);
  in.KeyDown('K', true);
  in.ApplyHeldKeys(v);
  EXPECT_FALSE(v.LightOn);
  EXPECT_NEAR(v.Color[0], 0.503, 1e-6);  // K acted first in the same frame
}

TEST(HeldKeys, NothingIsRecordedBeforeAVolumeIsOpenOrOutsideTheTable) {
  InputState in;
  ViewState v;
  in.KeyDown(vk::Right, false);
  in.KeyDown(300, true);
  in.KeyDown(-5, true);
  in.ApplyHeldKeys(v);
  EXPECT_EQ(v.YSpeed, 0);
  EXPECT_FALSE(in.IsHeld(300));
  in.KeyDown(vk::Right, true);
  in.ReleaseAllKeys();
  EXPECT_FALSE(in.IsHeld(vk::Right));
}

TEST(Mouse, LeftDragTurnsRightDragMovesBothNeedAVolumeAndTheWheelStepsByNotches) {
  InputState in;
  ViewState v;
  in.MouseDown(MouseButton::Left, 0, 0, false);
  in.MouseMove(50, 50, v);
  EXPECT_EQ(v.YRot, 0);
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
  InputState::Wheel(-120, v);
  EXPECT_NEAR(v.PosZ, -2.85, 1e-6);
  InputState::Wheel(120, v);
  InputState::Wheel(60, v);
  EXPECT_NEAR(v.PosZ, -3.0, 1e-6);
}

}  // namespace
}  // namespace lumetrix
