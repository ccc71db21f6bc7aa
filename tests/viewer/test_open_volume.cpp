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
using test_support::TiffLayout;

std::string Stack(const TempDir& dir, const std::string& name, int pages, TiffSamples samples = TiffSamples::kGrey8) {
  TiffLayout layout;
  layout.width = 32, layout.height = 24, layout.pages = pages, layout.samples = samples;
  const std::string path = dir.File(name);
  test_support::WriteTiff(path, layout, [](int p, int x, int y, int c) { return (p * 50 + x * 3 + y + c * 80) % 256; });
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
  TiffLayout layout;
  layout.width = 1, layout.height = 2, layout.pages = 1;
  test_support::WriteTiff(dir.File("tiny.tif"), layout, [](int, int, int, int) { return 200; });
  EXPECT_TRUE(w.OpenAtStart(dir.File("tiny.tif")));
  w.DrawImage();
}

}  // namespace
}  // namespace lumetrix

namespace lumetrix {
namespace {

TEST(PaletteMenu, BuiltInsFirstWithTheFirstChecked) {
  frm3D w(true);
  const auto actions = w.PaletteMenu()->actions();
  ASSERT_GE(actions.size(), 8);
  const QStringList builtins{"Grey", "NGrey", "Red", "Green", "Blue", "Yellow", "FalseColor", "PGrey"};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(actions[i]->text(), builtins[i]);
  EXPECT_TRUE(actions[0]->isChecked());
  for (int i = 1; i < actions.size(); ++i) EXPECT_FALSE(actions[i]->isChecked());
  EXPECT_EQ(w.PaletteIndex(), 0);
}

TEST(PaletteMenu, ChoosingNeedsAVolumeAndRebuildsThroughTheTable) {
  TempDir dir;
  frm3D w(true);
  w.SetClientSize(100, 100);
  w.mnuPal_Click(2);
  EXPECT_EQ(w.PaletteIndex(), 0);  // no volume yet
  w.SetTransparency(1);
  ASSERT_TRUE(w.OpenAtStart(Stack(dir, "grey.tif", 2)));
  w.SetTransparency(1);
  w.SetColor(1, 1, 1);
  w.mnuPal_Click(2);  // Red
  EXPECT_EQ(w.PaletteIndex(), 2);
  EXPECT_TRUE(w.PaletteMenu()->actions()[2]->isChecked());
  EXPECT_FALSE(w.PaletteMenu()->actions()[0]->isChecked());
  w.DrawImage();
  const CapturedFrame f = w.Surface()->CaptureFrame(0, 0, 100, 100);
  const uint8_t* centre = f.Pixels.data() + 50 * FrameRowStride(f.Width) + 50 * 3;
  EXPECT_GT(centre[2], 20);  // red
  EXPECT_EQ(centre[1], 0);
  EXPECT_EQ(centre[0], 0);

  w.SetPalette("green");
  EXPECT_EQ(w.PaletteIndex(), 3);
  w.SetPalette("no such palette");
  EXPECT_EQ(w.PaletteIndex(), 3);
  w.LoadLuts();  // the check mark returns to the first entry; the table in use stays
  EXPECT_TRUE(w.PaletteMenu()->actions()[0]->isChecked());
  EXPECT_EQ(w.PaletteIndex(), 3);
}

TEST(PaletteMenu, ScriptsCannotChooseBeforeAGreyVolume) {
  TempDir dir;
  frm3D w(true);
  w.SetPalette("Red");
  EXPECT_EQ(w.PaletteIndex(), 0);
  ASSERT_TRUE(w.OpenVolume(Stack(dir, "rgb.tif", 2, TiffSamples::kRgb8)));
  w.SetPalette("Red");
  EXPECT_EQ(w.PaletteIndex(), 0);
}

}  // namespace
}  // namespace lumetrix
