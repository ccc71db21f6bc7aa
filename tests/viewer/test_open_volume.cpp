// Opening volumes in the main window: what changes and what stays on success and failure.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include "tests/support/tiff_fixture.h"
#include "viewer/frm_3d.h"
#include "viewer/viewer_surface.h"

namespace lumetrix {
namespace {

using test_support::TempDir;
using test_support::TiffSamples;
using test_support::TiffSpec;

std::string Stack(const TempDir& dir, const std::string& name, int pages, TiffSamples samples = TiffSamples::kGrey8) {
  TiffSpec spec;
  spec.width = 32, spec.height = 24, spec.pages = pages, spec.samples = samples;
  const std::string path = dir.File(name);
  test_support::WriteTiff(path, spec, [](int p, int x, int y, int c) { return (p * 50 + x * 3 + y + c * 80) % 256; });
  return path;
}

TEST(OpenVolume, OnePageIsOpaqueAndMorePagesStartAtThreeTenths) {
  TempDir dir;
  frm3D w(true);
  w.SetTransparency(0.7f);
  ASSERT_TRUE(w.OpenVolume(Stack(dir, "one.tif", 1)));
  EXPECT_EQ(w.View().Transparency, 1.0f);
  ASSERT_TRUE(w.OpenVolume(Stack(dir, "two.tif", 2)));
  EXPECT_EQ(w.View().Transparency, 0.3f);
  EXPECT_EQ(w.LastFile, dir.File("two.tif"));
}

TEST(OpenVolume, GreyShowsThePaletteMenuAndColourLeavesItAsItWas) {
  TempDir dir;
  frm3D w(true);
  ASSERT_TRUE(w.OpenVolume(Stack(dir, "rgb.tif", 2, TiffSamples::kRgb8)));
  EXPECT_FALSE(w.PaletteMenu()->menuAction()->isVisible());
  ASSERT_TRUE(w.OpenVolume(Stack(dir, "grey.tif", 2)));
  EXPECT_TRUE(w.PaletteMenu()->menuAction()->isVisible());
  ASSERT_TRUE(w.OpenVolume(Stack(dir, "rgb2.tif", 2, TiffSamples::kRgb8)));
  EXPECT_TRUE(w.PaletteMenu()->menuAction()->isVisible());
}

TEST(OpenVolume, TheFileOnScreenOpensAgainOnlyAfterClose) {
  TempDir dir;
  frm3D w(true);
  const std::string path = Stack(dir, "s.tif", 3);
  ASSERT_TRUE(w.OpenVolume(path));
  EXPECT_FALSE(w.OpenVolume(path));
  w.findChild<QAction*>("mnuFileClose")->trigger();
  EXPECT_TRUE(w.LastFile.empty());
  EXPECT_TRUE(w.ViewerDone);
  EXPECT_TRUE(w.OpenVolume(path));
}

TEST(OpenVolume, AFailedOpenKeepsTheVolumeAndView) {
  TempDir dir;
  frm3D w(true);
  const std::string good = Stack(dir, "good.tif", 4);
  ASSERT_TRUE(w.OpenVolume(good));
  w.SetXRot(33);
  test_support::WriteBytes(dir.File("bad.tif"), {'I', 'I', 42, 0, 99, 99, 99, 99});
  EXPECT_FALSE(w.OpenVolume(dir.File("bad.tif")));
  EXPECT_FALSE(w.OpenVolume(dir.File("missing.tif")));
  EXPECT_FALSE(w.OpenVolume(dir.path().string()));  // a folder
  EXPECT_EQ(w.LastFile, good);
  EXPECT_EQ(w.Volume().Depth, 4);
  EXPECT_EQ(w.View().XRot, 33);
  EXPECT_EQ(w.View().Transparency, 0.3f);
}

TEST(OpenVolume, TheViewerDrawsTheOpenedVolumeAndSavesFrames) {
  TempDir dir;
  frm3D w(true);
  w.SetClientSize(120, 90);
  ASSERT_TRUE(w.OpenAtStart(Stack(dir, "v.tif", 6)));
  EXPECT_FALSE(w.ViewerDone);
  EXPECT_TRUE(w.VolumeLoaded);
  w.SetYRotSpeed(2);
  for (int i = 0; i < 5; ++i) w.DrawImage();
  EXPECT_FLOAT_EQ(w.View().YRot, 10);
  w.SaveBMP(dir.File("frame.bmp"));
  const auto bytes = test_support::ReadBytes(dir.File("frame.bmp"));
  ASSERT_EQ(bytes.size(), 58u + FrameRowStride(120) * 90);
  EXPECT_EQ(w.LastCapturedFrame().Width, 120);
  w.SaveJPG(dir.File("frame.jpg"));
  const auto jpeg = test_support::ReadBytes(dir.File("frame.jpg"));
  ASSERT_GT(jpeg.size(), 100u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
  EXPECT_TRUE(std::filesystem::exists(frm3D::TempFramePath()));
  EXPECT_THROW(w.SaveBMP(dir.File("no/folder/frame.bmp")), std::exception);
}

TEST(OpenVolume, ImpossibleScalesAreReportedAndTheFileCanBeTriedAgain) {
  TempDir dir;
  frm3D w(true);
  w.SetScaleZ(0);
  const std::string path = Stack(dir, "v.tif", 3);
  EXPECT_FALSE(w.OpenAtStart(path));
  EXPECT_TRUE(w.ViewerDone);
  EXPECT_TRUE(w.LastFile.empty());
  w.SetScaleZ(100);
  EXPECT_TRUE(w.OpenAtStart(path));
}

TEST(OpenVolume, TinyVolumesOpen) {
  TempDir dir;
  frm3D w(true);
  TiffSpec spec;
  spec.width = 1, spec.height = 2, spec.pages = 1;
  test_support::WriteTiff(dir.File("tiny.tif"), spec, [](int, int, int, int) { return 200; });
  EXPECT_TRUE(w.OpenAtStart(dir.File("tiny.tif")));
  w.DrawImage();
}

}  // namespace
}  // namespace lumetrix
