// Draws synthetic volumes offscreen and reads the pixels back.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <random>

#include "render/offscreen_view.h"
#include "render/texture_stacks.h"

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
        if (grey)
          ExtractSliceGrey(v, stack, k, 4, raw);  // grey slices stay one byte per pixel
        else
          ExtractSliceBgr(v, stack, k, 4, raw);
        ASSERT_EQ(a.Pixels, b.Pixels) << grey << " " << static_cast<int>(stack) << " " << k;
        if (stack == Stack::XY) {
          ASSERT_EQ(a.Pixels, raw);  // equal scales: no resampling
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
  TextureBuildReport Show(const VolumeData& v, TextureBuildSettings s = {}) {
    volume_ = v;
    s.ScaleX = state_.ScaleX, s.ScaleY = state_.ScaleY, s.ScaleZ = state_.ScaleZ;
    TextureStacks stacks;
    NullProgress progress;
    EXPECT_TRUE(view_->MakeCurrent());
    const TextureBuildReport report = BuildTextures(volume_, s, progress, stacks);
    view_->Renderer().SetStacks(volume_, 4, std::move(stacks));
    view_->Renderer().InitGLState(state_);
    return report;
  }
  std::vector<uint8_t> Frame() {
    view_->DrawFrameNow();
    return view_->CaptureFrame(0, 0, 200, 200).Pixels;
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
  // Looking along y through 16 XZ slices (every fourth of 64 rows), each at an alpha raised by
  // its spacing over that of the pages (4 rows of 30 against a page of 100): 1.2.
  const double expected = 16 * 0.05 * 1.2 * 0.5 * 200;
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

// Grey slices go up as one-byte luminance textures; the frames equal those of RGB textures with
// three equal bytes, for every stack, with the light on and with an odd slice width.
TEST_F(Rendering, LuminanceTexturesDrawTheFramesOfRgbTextures) {
  VolumeData v = Constant(61, 47, 23, 0);
  std::mt19937 rng(5);
  for (auto& s : v.Samples) s = static_cast<uint8_t>(rng() % 200);
  state_.Transparency = 0.2f;
  const struct {
    float x_rot, y_rot;
    bool light;
    Stack stack;
  } views[] = {{10, 20, false, Stack::XY}, {80, 10, false, Stack::XZ}, {15, 100, true, Stack::YZ}, {0, 0, true, Stack::XY}};
  for (const auto& c : views) {
    state_.XRot = c.x_rot, state_.YRot = c.y_rot, state_.LightOn = c.light;
    TextureBuildSettings rgb;
    rgb.Luminance = false;
    Show(v, rgb);
    const std::vector<uint8_t> expected = Frame();
    state_.XRot = c.x_rot, state_.YRot = c.y_rot;
    Show(v);
    EXPECT_EQ(Frame(), expected) << c.x_rot << " " << c.y_rot;
    EXPECT_EQ(view_->Renderer().LastDrawnStack(), c.stack);
    GLint format = 0;
    glBindTexture(GL_TEXTURE_2D, view_->Renderer().Stacks().XY[0]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(format, GL_LUMINANCE);
  }
}

// Textures beyond the memory they may take are halved per side until they fit, with a line
// saying so; the picture keeps its content. Too large even at 1/64: refused.
TEST_F(Rendering, TexturesBeyondTheBudgetAreDownsampledOrRefused) {
  VolumeData v = Constant(128, 128, 8, 0);
  for (int p = 0; p < 8; ++p)  // 32-pixel squares: halving keeps their inside exact
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 128; ++x) v.Samples[v.Index(p, x, y)] = ((x / 32 + y / 32) % 2) ? 220 : 20;
  state_.Transparency = 0.1f;
  const std::vector<uint8_t> full = (Show(v), Frame());
  const struct {
    uint64_t budget;
    int steps;  // -1: refused
    bool power_of_two;  // the GLU builder's rescale, as drivers without other sizes get
  } cases[] = {{1u << 20, 0, false}, {200000, 1, false}, {60000, 2, false}, {10, -1, false}, {200000, 1, true}};
  for (const auto& c : cases) {
    TextureBuildSettings s;
    s.MemoryBudget = c.budget;
    s.PowerOfTwoOnly = c.power_of_two;
    if (c.steps < 0) {
      try {
        Show(v, s);
        ADD_FAILURE() << "a volume that cannot fit was built";
      } catch (const TextureBuildError& e) {
        EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
      }
      continue;
    }
    const TextureBuildReport report = Show(v, s);
    EXPECT_EQ(report.Steps, c.steps);
    EXPECT_EQ(report.Message.empty(), c.steps == 0) << report.Message;
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, view_->Renderer().Stacks().XY[0]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 128 >> c.steps);
    const std::vector<uint8_t> small = Frame();
    ASSERT_EQ(small.size(), full.size());
    size_t far = 0;  // pixels off by more than a few levels: only along the squares' edges
    for (size_t i = 0; i < full.size(); ++i) far += std::abs(full[i] - small[i]) > 6;
    EXPECT_LT(far, full.size() / 20) << c.steps << c.power_of_two;
  }
}

// Bounding box of the lit pixels (left, top, right, bottom) and the mean level of a frame.
std::pair<std::array<int, 4>, double> Measure(const std::vector<uint8_t>& bgr) {
  std::array<int, 4> box{200, 200, -1, -1};
  double sum = 0;
  for (int i = 0; i < 200 * 200 * 3; ++i) {
    const int x = i / 3 % 200, y = i / 600, v = bgr[static_cast<size_t>(y) * FrameRowStride(200) + i % 600];
    sum += v;
    if (v > 8) box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x), std::max(box[3], y)};
  }
  return {box, sum / (200 * 200 * 3)};
}

// The stack changes between 45.4 and 45.6 degrees (angles round to whole degrees): the picture
// keeps its place (thin sheets on sampled rows or columns, whose slices exist in both stacks; a
// row is about 2 px tall, a column 1.5 px wide) and its brightness (a filled volume).
TEST_F(Rendering, AcrossTheStackSwitchThePictureKeepsItsPlaceAndBrightness) {
  const struct {
    bool about_x, sheets;  // XY to XZ, else XY to YZ
    int px;
  } cases[] = {{true, true, 3}, {true, false, 0}, {false, true, 2}, {false, false, 0}};
  state_.ScaleZ = 30, state_.PosZ = -5;  // the whole volume in the frame at 45 degrees
  for (const auto& c : cases) {
    state_.Transparency = c.sheets ? 0.3f : 0.05f;
    VolumeData v = Constant(64, 32, 16, c.sheets ? 0 : 200);  // whole levels per slice: 5, 20, 40
    for (size_t i = 0; i < v.Samples.size() && c.sheets; ++i) {
      const size_t x = i / 16 % 64, y = i / (16 * 64);
      if (c.about_x ? (y == 8 || y == 20) : (x == 16 || x == 44)) v.Samples[i] = 250;
    }
    std::pair<std::array<int, 4>, double> m[2];
    for (int side = 0; side < 2; ++side) {
      state_.XRot = c.about_x ? 45.4f + 0.2f * side : 0, state_.YRot = c.about_x ? 0 : 45.4f + 0.2f * side;
      Show(v);
      m[side] = Measure(Frame());
      EXPECT_EQ(view_->Renderer().LastDrawnStack(), !side ? Stack::XY : c.about_x ? Stack::XZ : Stack::YZ);
    }
    SCOPED_TRACE(testing::Message() << c.about_x << c.sheets);
    ASSERT_GT(m[0].first[2], 0);
    for (int k = 0; k < 4 && c.sheets; ++k) EXPECT_NEAR(m[0].first[k], m[1].first[k], c.px) << k;
    if (!c.sheets) {
      EXPECT_NEAR(m[1].second, m[0].second, 0.03 * m[0].second);
    }
  }
}

// Maximum intensity projection: overlapping voxels of 200, 200 and 120 show 200 whatever the
// transparency, where adding saturates; a lone 120 shows 120.
TEST_F(Rendering, MaximumProjectionShowsTheBrightestVoxelWhereAddingSaturates) {
  VolumeData v = Constant(32, 32, 8, 0);
  for (int i = 0; i < 32 * 32; ++i) {
    v.Samples[v.Index(3, i % 32, i / 32)] = 120;
    if (i % 32 < 16) v.Samples[v.Index(2, i % 32, i / 32)] = v.Samples[v.Index(5, i % 32, i / 32)] = 200;
  }
  state_.Color = {1, 1, 1};
  const struct {
    RenderMode mode;
    float alpha;
    int overlap, lone;  // left half, right half
  } cases[] = {{RenderMode::Additive, 1.0f, 255, 120}, {RenderMode::Maximum, 1.0f, 200, 120},
               {RenderMode::Additive, 0.3f, 156, 36}, {RenderMode::Maximum, 0.3f, 200, 120}};
  std::string why;
  ASSERT_TRUE(view_->MakeCurrent() && view_->Renderer().CanDrawMaximum(why)) << why;
  for (const auto& c : cases) {
    state_.Mode = c.mode, state_.Transparency = c.alpha;
    Show(v);
    view_->DrawFrameNow();
    EXPECT_NEAR(Pixel(70, 100)[0], c.overlap, 2) << c.alpha;
    EXPECT_NEAR(Pixel(130, 100)[0], c.lone, 2) << c.alpha;
  }
}

// Over a black volume: the scale bar's label above the bar (its length is checked end to end
// with --render) and the axes, whose x axis points right from (165, 165) in the default view.
TEST_F(Rendering, ScaleBarAndAxesAreDrawnOverTheVolumeWhenSwitchedOn) {
  for (auto [bar, axes] : {std::pair{false, false}, {true, false}, {false, true}, {true, true}}) {
    state_.ScaleBar = bar, state_.Axes = axes;
    Show(Constant(64, 64, 4, 0));
    view_->DrawFrameNow();
    int label = 0;
    for (int i = 0; i < 19 * 50; ++i) label += Pixel(10 + i % 50, 165 + i / 50)[0] > 128;
    EXPECT_EQ(label > 5, bar) << label;
    const auto red = Pixel(177, 165);
    EXPECT_EQ(red[0] > 200 && red[1] < 50 && red[2] < 50, axes) << red[0] << " " << red[1];
  }
}

}  // namespace
}  // namespace lumetrix
