// Draws synthetic volumes offscreen and reads the pixels back.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "viewer/offscreen_view.h"
#include "viewer/texture_stacks.h"

namespace lumetrix {
namespace {

VolumeData Constant(int32_t w, int32_t h, int32_t d, uint8_t value, bool grey = true) {
  VolumeData v;
  v.Width = w, v.Height = h, v.Depth = d, v.IsGrey = grey;
  v.Samples.assign(static_cast<size_t>(w) * h * d * (grey ? 1 : 3), value);
  return v;
}

TEST(SlicePreparer, BatchedSlicesEqualSlicesMadeOneByOne) {
  for (bool grey : {true, false}) {
    VolumeData v = Constant(21, 9, 37, 0, grey);
    for (size_t i = 0; i < v.Samples.size(); ++i) v.Samples[i] = static_cast<uint8_t>((i * 2654435761u) >> 24);
    TextureBuildSettings s;
    SlicePreparer batched(v, s);
    SliceImage a, b;
    for (Stack stack : {Stack::XY, Stack::YZ, Stack::XZ})
      for (int32_t k = 0; k < LayoutOf(v, stack, 4).Count; ++k) {
        batched.Prepare(stack, k, a);
        PrepareSliceImage(v, stack, k, s, b);
        std::vector<uint8_t> raw;
        ExtractSliceBgr(v, stack, k, 4, raw);
        ASSERT_EQ(a.Bgr, b.Bgr) << grey << " " << static_cast<int>(stack) << " " << k;
        if (stack == Stack::XY) {
          ASSERT_EQ(a.Bgr, raw);  // equal scales: no resampling
        }
      }
  }
}

class Rendering : public ::testing::Test {
 protected:
  void SetUp() override {
    view_ = std::make_unique<OffscreenView>();
    view_->AttachView(&state_);
    std::string error;
    ASSERT_TRUE(view_->Activate(error)) << error;
    ASSERT_TRUE(view_->SetSize(200, 200));
  }
  void Show(const VolumeData& v) {
    volume_ = v;
    TextureBuildSettings s;
    s.ScaleX = state_.ScaleX, s.ScaleY = state_.ScaleY, s.ScaleZ = state_.ScaleZ;
    TextureStacks stacks;
    NullProgress progress;
    ASSERT_TRUE(view_->MakeCurrent());
    BuildTextures(volume_, s, progress, stacks);
    view_->Renderer().SetStacks(volume_, 4, std::move(stacks));
    view_->Renderer().InitGLState(state_);
  }
  // Pixel (x, y) of the drawn frame, counted from the top left.
  std::array<int, 3> Pixel(int x, int y) {
    const CapturedFrame f = view_->CaptureFrame(0, 0, 200, 200);
    const int row = f.Height - 1 - y;
    const uint8_t* p = f.Pixels.data() + static_cast<size_t>(row) * FrameRowStride(f.Width) + x * 3;
    return {p[2], p[1], p[0]};
  }
  ViewState state_;
  VolumeData volume_;
  std::unique_ptr<OffscreenView> view_;
};

TEST_F(Rendering, SlicesAddUpAtOneAlphaTimesTheColourPerChannelAndOutsideStaysBlack) {
  state_.Transparency = 0.1f;
  Show(Constant(64, 64, 4, 200));
  view_->DrawFrameNow();
  for (int ch : Pixel(100, 100)) EXPECT_NEAR(ch, 4 * 0.1 * 0.5 * 200, 3);  // four slices, alpha 0.1, colour 0.5
  EXPECT_EQ(view_->Renderer().LastDrawnStack(), Stack::XY);
  EXPECT_EQ(Pixel(2, 2), (std::array<int, 3>{0, 0, 0}));
  state_.Transparency = 1.0f;
  state_.Color = {1.0f, 0.25f, 0.0f};
  Show(Constant(32, 32, 3, 100));
  view_->DrawFrameNow();
  const auto c = Pixel(100, 100);
  EXPECT_EQ(c[0], 255);  // 3 x 100 saturates
  EXPECT_NEAR(c[1], 3 * 0.25 * 100, 3);
  EXPECT_EQ(c[2], 0);
}

TEST_F(Rendering, TopLeftOfPageZeroIsDrawnTopLeft) {
  VolumeData v = Constant(64, 64, 2, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) v.Samples[v.Index(0, x, y)] = 255;
  state_.Transparency = 1.0f;
  state_.Color = {1, 1, 1};
  Show(v);
  view_->DrawFrameNow();
  // The volume spans about pixels 20..180 at z = -3; its top-left quarter covers 20..60.
  EXPECT_GT(Pixel(40, 40)[0], 200);
  EXPECT_LT(Pixel(150, 40)[0], 20);
  EXPECT_LT(Pixel(40, 150)[0], 20);
}

TEST_F(Rendering, TurningNinetyDegreesAboutXDrawsTheXZStack) {
  state_.Transparency = 0.05f;
  state_.XRot = 90;
  Show(Constant(64, 64, 16, 200));
  view_->DrawFrameNow();
  EXPECT_EQ(view_->Renderer().LastDrawnStack(), Stack::XZ);
  // Looking along y through 16 XZ slices (every fourth of 64 rows).
  const double expected = 16 * 0.05 * 0.5 * 200;
  EXPECT_NEAR(Pixel(100, 100)[0], expected, 4);
  state_.XRot = 0;
  state_.YRot = 90;
  view_->DrawFrameNow();
  EXPECT_EQ(view_->Renderer().LastDrawnStack(), Stack::YZ);
  EXPECT_NEAR(Pixel(100, 100)[0], expected, 4);
}

TEST_F(Rendering, CapturedFrameEqualsTheReadBackPixels) {
  VolumeData v = Constant(40, 30, 5, 90, false);
  for (size_t i = 0; i < v.Samples.size() / 3; ++i) v.Samples[i] = static_cast<uint8_t>(i % 251);
  Show(v);
  state_.XRot = 20, state_.YRot = 30;
  view_->DrawFrameNow();
  ASSERT_TRUE(view_->MakeCurrent());
  std::vector<uint8_t> rgb(static_cast<size_t>(FrameRowStride(200)) * 200);
  glReadPixels(0, 0, 200, 200, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  const CapturedFrame f = view_->CaptureFrame(0, 0, 200, 200);
  ASSERT_EQ(f.Width, 200);  // widened by one, then clipped to the viewport
  ASSERT_EQ(f.Height, 200);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x) {
      const size_t i = static_cast<size_t>(y) * FrameRowStride(200) + x * 3;
      ASSERT_EQ(f.Pixels[i], rgb[i + 2]);
      ASSERT_EQ(f.Pixels[i + 2], rgb[i]);
    }
  // A smaller request keeps its size, one pixel wider.
  EXPECT_EQ(view_->CaptureFrame(0, 0, 50, 40).Width, 51);
}

TEST_F(Rendering, AReplacedVolumeReleasesItsTextures) {
  Show(Constant(32, 32, 4, 10));
  const uint32_t first = view_->Renderer().Stacks().XY[0];
  ASSERT_TRUE(glIsTexture(first));
  Show(Constant(16, 16, 2, 10));
  ASSERT_TRUE(view_->MakeCurrent());
  EXPECT_FALSE(view_->Renderer().Stacks().XY[0] != first && glIsTexture(first));
}

}  // namespace
}  // namespace lumetrix
