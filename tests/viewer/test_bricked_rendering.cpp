// The ray caster drawing a volume from its pyramid's bricks against the same ray caster drawing a
// volume read whole: the same frame once the bricks arrived, the coarse level's picture when the
// view needs no more, no holes while bricks arrive, nothing loaded outside the crop box.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include <GL/gl.h>

#include "render/offscreen_view.h"
#include "viewer/hyperstack_view.h"
#include "tests/support/memory_pyramid.h"

namespace lumetrix {
namespace {

constexpr int32_t kW = 160, kH = 128, kD = 96;  // 3 x 2 x 2 bricks at level 0

// A textured ball (x fastest): fine detail that the coarser levels average away.
std::vector<uint8_t> Ball(int32_t w, int32_t h, int32_t d) {
  std::vector<uint8_t> v(size_t(w) * h * d);
  for (int32_t z = 0; z < d; ++z)
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        const double r = std::hypot((x - w / 2.0) / w, (y - h / 2.0) / h, (z - d / 2.0) / d);
        const double texture = 130 + 100 * std::sin(x * 0.9) * std::cos(y * 0.7) * std::sin(z * 0.8 + 1);
        v[(size_t(z) * h + y) * w + x] = r < 0.45 ? uint8_t(std::clamp(texture, 0.0, 255.0)) : uint8_t(10);
      }
  return v;
}

// A soft ball over a dim background: every level shows about the same, so a frame mixing them
// lies between the coarse and the final one, and a hole (nothing loaded) stands out.
std::vector<uint8_t> SoftBall(int32_t w, int32_t h, int32_t d) {
  std::vector<uint8_t> v(size_t(w) * h * d);
  for (int32_t z = 0; z < d; ++z)
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        const double r2 = std::pow((x - w / 2.0) / w, 2) + std::pow((y - h / 2.0) / h, 2) + std::pow((z - d / 2.0) / d, 2);
        v[(size_t(z) * h + y) * w + x] = uint8_t(30 + 200 * std::exp(-r2 / 0.04));
      }
  return v;
}

// Two textured slabs, x 1..62 and 193..254 of 256, zeros between (and at x 0 and 255): the bricks
// of x 64..127 and 128..191, borders and all, hold nothing, and a ray leaving them meets samples
// within two voxels.
std::vector<uint8_t> Slabs(int32_t w, int32_t h, int32_t d) {
  std::vector<uint8_t> v(size_t(w) * h * d, 0);
  for (int32_t z = 0; z < d; ++z)
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        const double texture = 130 + 100 * std::sin(x * 0.9) * std::cos(y * 0.7) * std::sin(z * 0.8 + 1);
        if ((x >= 1 && x <= 62) || (x >= 193 && x <= 254))
          v[(size_t(z) * h + y) * w + x] = uint8_t(std::clamp(texture, 1.0, 255.0));
      }
  return v;
}

// The slabs with a dim floor between them (2..12, 12 at most): the bricks of x 64..191, borders
// and all, hold nothing above 12 but are not empty.
std::vector<uint8_t> SlabsOverAFloor(int32_t w, int32_t h, int32_t d) {
  std::vector<uint8_t> v = Slabs(w, h, d);
  for (int32_t z = 0; z < d; ++z)
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x)
        if (v[(size_t(z) * h + y) * w + x] == 0) v[(size_t(z) * h + y) * w + x] = uint8_t(2 + (x + y + z) % 11);
  return v;
}

// A grey volume read whole from x-fastest samples (the volume keeps the page index fastest).
VolumeData Whole(const std::vector<uint8_t>& s, int32_t w, int32_t h, int32_t d) {
  VolumeData v;
  v.Width = w, v.Height = h, v.Depth = d, v.IsGrey = true;
  v.Samples.assign(s.size(), 0);
  for (int32_t z = 0; z < d; ++z)
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) v.Samples[v.Index(z, x, y)] = s[(size_t(z) * h + y) * w + x];
  return v;
}

struct Difference {
  int most = 0;
  size_t count = 0;
};
Difference Compare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  Difference d;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    const int e = std::abs(int(a[i]) - int(b[i]));
    d.most = std::max(d.most, e);
    d.count += e > 0;
  }
  return d;
}

class BrickedRendering : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    if (!surface_.Activate(error)) GTEST_SKIP() << error;
    std::string why;
    ASSERT_TRUE(surface_.MakeCurrent());
    ASSERT_TRUE(surface_.SelectRenderer(RendererKind::RayCaster, why)) << why;
    view_.ResetParameters();
    view_.Mode = RenderMode::Mip;
    view_.Proj = Projection::Orthographic;
    view_.ScaleX = view_.ScaleY = view_.ScaleZ = 1;
    view_.XRot = 25, view_.YRot = 40;
    view_.Color = {1, 1, 1};
  }
  void Show(const VolumeData& v, int32_t side) {
    surface_.SetSize(side, side);
    ASSERT_TRUE(surface_.MakeCurrent());
    RayCaster& rc = surface_.Caster();
    rc.ResizeGL(side, side);
    NullProgress progress;
    rc.BuildVolume(v, TextureBuildSettings{}, progress);
    rc.ShowBuiltVolume(v, view_);
  }
  std::vector<uint8_t> Draw(int32_t side) {
    ViewState still = view_;
    surface_.Caster().DrawScene(still, false);
    return surface_.CaptureFrame(0, 0, side - 1, side).Pixels;
  }
  // The frame as drawn (a saved frame would wait for the bricks first).
  std::vector<uint8_t> DrawAsShown(int32_t side) {
    ViewState still = view_;
    surface_.Caster().DrawScene(still, false);
    std::vector<uint8_t> rgb(size_t(side) * side * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, side, side, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
  }
  // Draws level 0 of `pyramid` read whole and streamed from its bricks (each volume as `shown`
  // makes it), expects the same bytes from every brick of level 0, and returns the streamed
  // volume's bricks (nullptr when it was not streamed).
  const BrickedVolume* SameFrameStreamed(const std::shared_ptr<test_support::MemoryPyramid>& pyramid,
                                         const std::function<VolumeData(VolumeData)>& shown) {
    const auto& l = pyramid->Levels().front();
    Show(shown(Whole(pyramid->Samples(0), l.width, l.height, l.depth)), 400);
    const std::vector<uint8_t> whole = Draw(400);
    VolumeData streamed = shown(Whole(pyramid->Samples(2), l.width / 4, l.height / 4, l.depth / 4));
    streamed.Pyramid = pyramid;
    streamed.FileVoxels = {l.width, l.height, l.depth};
    Show(streamed, 400);
    const std::vector<uint8_t> bricked = Draw(400);
    const BrickedVolume* b = surface_.Caster().Bricked();
    if (!b) return nullptr;
    EXPECT_TRUE(b->Complete());
    EXPECT_EQ(b->FinestLevel(), 0);
    EXPECT_GT(*std::max_element(whole.begin(), whole.end()), 100);
    const Difference diff = Compare(whole, bricked);
    EXPECT_EQ(diff.count, 0u) << "up to " << diff.most << " levels apart";
    return b;
  }
  OffscreenView surface_;
  ViewState view_;
};

TEST_F(BrickedRendering, FramesEqualThoseOfTheVolumeReadWholeAtTheLevelTheViewNeeds) {
  auto pyramid = std::make_shared<test_support::MemoryPyramid>(Ball(kW, kH, kD), kW, kH, kD, 3);
  // The longest voxel edge is y's (2 model units over 128 voxels: the volume is drawn 2 x 2 x 1.2
  // without a voxel size), of 2.485 units shown. 400 pixels: 2.5 pixels, level 1 of 3 needed;
  // 36 pixels: 0.23, 0.45 at level 2, 0.91 at level 3 (factor 4), which suffices.
  for (const auto& [mode, side, level] : {std::tuple{RenderMode::Mip, 400, 0}, std::tuple{RenderMode::Volume, 400, 0},
                                          std::tuple{RenderMode::Mip, 36, 2}}) {
    SCOPED_TRACE(std::to_string(side) + " pixels");
    view_.Mode = mode;
    const auto& l = pyramid->Levels()[size_t(level)];
    Show(Whole(pyramid->Samples(size_t(level)), l.width, l.height, l.depth), side);
    const std::vector<uint8_t> whole = Draw(side);
    VolumeData streamed = Whole(pyramid->Samples(2), 40, 32, 24);
    streamed.Pyramid = pyramid;
    Show(streamed, side);  // an offscreen surface waits for the bricks
    const std::vector<uint8_t> bricked = Draw(side);
    ASSERT_NE(surface_.Caster().Bricked(), nullptr) << surface_.Caster().BrickStatus();
    EXPECT_EQ(surface_.Caster().Bricked()->FinestLevel(), level);
    EXPECT_TRUE(surface_.Caster().Bricked()->Complete());
    EXPECT_GT(*std::max_element(whole.begin(), whole.end()), 100);
    // The same bytes: the rays' samples lie on one lattice, where the atlas's coordinates are
    // worked out exactly. A brick misplaced by one voxel differs by tens of levels here.
    const Difference d = Compare(whole, bricked);
    EXPECT_EQ(d.count, 0u) << "up to " << d.most << " levels apart";
  }
}

TEST_F(BrickedRendering, EmptyBricksTakeNoSlotAndRaysSkipThemToTheSameFrame) {
  constexpr int32_t w = 256, h = 192, d = 128;  // 4 x 3 x 2 bricks at level 0
  auto pyramid = std::make_shared<test_support::MemoryPyramid>(Slabs(w, h, d), w, h, d, 3);
  for (const auto& [mode, crop] : {std::pair{RenderMode::Mip, false}, std::pair{RenderMode::Volume, false},
                                   std::pair{RenderMode::Attenuated, false}, std::pair{RenderMode::Mip, true}}) {
    SCOPED_TRACE(std::to_string(int(mode)) + (crop ? " cropped" : ""));
    view_.Mode = mode;
    view_.Crop = crop ? CropBox{{10, 220, 5, 150, 3, 120}} : CropBox{};
    const BrickedVolume* b = SameFrameStreamed(pyramid, [](VolumeData v) { return v; });
    ASSERT_NE(b, nullptr) << surface_.Caster().BrickStatus();
    // The 12 bricks of level 0 between the slabs take no slot; the other 12, the 4 of level 1
    // and the one of level 2 take one each.
    EXPECT_EQ(b->BricksInSlots(), 17u);
    EXPECT_EQ(b->EmptyBricks(), 12u);
  }
}

TEST_F(BrickedRendering, BricksBelowWhatTheFrameShowsAreSkippedToTheSameFrame) {
  constexpr int32_t w = 256, h = 192, d = 128;
  auto pyramid = std::make_shared<test_support::MemoryPyramid>(SlabsOverAFloor(w, h, d), w, h, d, 3);
  struct Row {
    RenderMode mode;
    double low;         // the display range's low end
    float iso;          // the iso level (iso mode)
    size_t dark;        // bricks of level 0 between the slabs drawn from the empty slot
  };
  for (const Row& row : {Row{RenderMode::Mip, 20, 0, 12}, Row{RenderMode::Volume, 20, 0, 12},
                         Row{RenderMode::Attenuated, 20, 0, 12}, Row{RenderMode::Iso, 0, 20, 12},
                         Row{RenderMode::Iso, 0, 12, 0}, Row{RenderMode::Mip, 13, 0, 12},
                         Row{RenderMode::Mip, 12, 0, 0}, Row{RenderMode::Volume, 0, 0, 0}}) {
    SCOPED_TRACE("mode " + std::to_string(int(row.mode)) + " low " + std::to_string(row.low));
    view_.Mode = row.mode;
    view_.IsoLevel[0] = row.iso;
    const BrickedVolume* b = SameFrameStreamed(pyramid, [&](VolumeData v) {
      KeepStack(v);
      v.Display.Channels[0].Min = row.low;
      return v;
    });
    ASSERT_NE(b, nullptr) << surface_.Caster().BrickStatus();
    EXPECT_EQ(b->EmptyBricks(), 0u);
    EXPECT_EQ(b->DarkBricks(), row.dark);
  }
}

TEST_F(BrickedRendering, NoPixelIsDarkerThanBothTheCoarseAndTheFinalFrameWhileBricksArrive) {
  auto pyramid = std::make_shared<test_support::MemoryPyramid>(SoftBall(kW, kH, kD), kW, kH, kD, 3);
  const auto& coarse_level = pyramid->Levels()[2];
  // 200 pixels: a finest voxel spans 1.26 of them, so level 1 of 3 is needed.
  Show(Whole(pyramid->Samples(2), coarse_level.width, coarse_level.height, coarse_level.depth), 200);
  const std::vector<uint8_t> coarse = DrawAsShown(200);
  Show(Whole(pyramid->Samples(0), kW, kH, kD), 200);
  const std::vector<uint8_t> final_frame = DrawAsShown(200);
  VolumeData streamed = Whole(pyramid->Samples(2), 40, 32, 24);
  streamed.Pyramid = pyramid;
  surface_.Caster().SetBricksPerFrame(3);
  surface_.Caster().SetWaitForDetail(false);  // as in the window
  Show(streamed, 200);
  int frames = 0, partial = 0;
  for (; frames < 1000 && (frames == 0 || surface_.Caster().Loading()); ++frames) {
    const std::vector<uint8_t> f = DrawAsShown(200);
    partial += surface_.Caster().Loading();
    int deficit = 0;
    for (size_t i = 0; i < f.size(); ++i) deficit = std::max(deficit, std::min(coarse[i], final_frame[i]) - int(f[i]));
    EXPECT_LE(deficit, 3) << "frame " << frames;  // a hole: the background's 30 where 100 and more show
  }
  // 1 + 2 + 12 bricks wanted, 3 uploaded a frame besides the coarsest level's one: the first
  // four frames lack some.
  EXPECT_GE(partial, 4);
  EXPECT_FALSE(surface_.Caster().Loading());
  EXPECT_LE(Compare(DrawAsShown(200), final_frame).most, 2);
}

TEST_F(BrickedRendering, AFrameDrawnFromTheCoarsestLevelAloneIsThatLevelsPicture) {
  auto pyramid = std::make_shared<test_support::MemoryPyramid>(Ball(kW, kH, kD), kW, kH, kD, 3);
  const auto& coarse_level = pyramid->Levels()[2];
  Show(Whole(pyramid->Samples(2), coarse_level.width, coarse_level.height, coarse_level.depth), 200);
  const std::vector<uint8_t> coarse = DrawAsShown(200);
  VolumeData streamed = Whole(pyramid->Samples(2), 40, 32, 24);
  streamed.Pyramid = pyramid;
  surface_.Caster().SetBricksPerFrame(0);  // only the coarsest level, which every frame waits for
  surface_.Caster().SetWaitForDetail(false);
  Show(streamed, 200);
  const std::vector<uint8_t> first = DrawAsShown(200);
  // Level 1 of 3 is wanted; what is drawn is level 3, sampled as that level read whole would be.
  EXPECT_EQ(surface_.Caster().Bricked()->FinestLevel(), 0);
  EXPECT_EQ(surface_.Caster().BrickStatus().rfind("level 3 of 3 shown, loading ", 0), 0u) << surface_.Caster().BrickStatus();
  EXPECT_GT(*std::max_element(first.begin(), first.end()), 100);
  EXPECT_LE(Compare(first, coarse).most, 2);
}

TEST_F(BrickedRendering, BricksOutsideTheCropBoxAreNeverLoaded) {
  auto pyramid = std::make_shared<test_support::MemoryPyramid>(Ball(kW, kH, kD), kW, kH, kD, 3);
  VolumeData streamed = Whole(pyramid->Samples(2), 40, 32, 24);
  streamed.Pyramid = pyramid;
  // Voxels 0..9 of 40 along x at level 3 are voxels 0..39 of 160: the first column of bricks.
  view_.Crop.Limits = {0, 9, 0, 1e9, 0, 1e9};
  Show(streamed, 400);
  Draw(400);
  const auto& wanted = surface_.Caster().Bricked()->Plan().wanted;
  ASSERT_FALSE(wanted.empty());
  for (const auto& k : wanted) EXPECT_EQ(k.x, 0) << "level " << k.level;
  EXPECT_EQ(pyramid->Reads(), wanted.size());
}

}  // namespace
}  // namespace lumetrix
