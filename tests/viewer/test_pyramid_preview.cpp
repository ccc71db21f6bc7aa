// A TIFF stack beyond the memory budget and without a pyramid, opened as the window opens it: a
// preview (a plane in every two, 2 x 2 means, worked out by numpy) shows at once while the
// pyramid is built on a thread; then the volume streamed from the pyramid takes its place with
// the display settings the user set on the preview.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/support/tiff_fixture.h"
#include "viewer_ui/offscreen_viewer.h"

namespace lumetrix {
namespace {

// 512 x 512 x 80 8-bit (20 MB shown: over the 16 MB of a volume in memory, so every second plane
// is read); the preview in the viewer's layout, page fastest.
void WriteStack(const test_support::TempDir& dir) {
  const std::string py = dir.File("make.py");
  std::ofstream(py) << "import numpy as np, tifffile\n"
                       "z,y,x = np.ogrid[0:80,0:512,0:512]\n"
                       "f = ((x*3 + y*5 + z*7 + (x*y) % 13) % 251).astype('u1')\n"
                       "tifffile.imwrite('" << dir.File("big.tif") << "', f)\n"
                       "m = f[1::2].astype('u4').reshape(40, 256, 2, 256, 2).sum(axis=(2, 4))\n"
                       "((m + 2) // 4).astype('u1').transpose(1, 2, 0).tofile('" << dir.File("preview.raw") << "')\n";
  ASSERT_EQ(std::system(("/usr/bin/python3 " + py).c_str()), 0);
}

// The stack written and opened under a 16 MB budget as the window opens it (a preview while the
// pyramid builds).
class PyramidPreview : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(WriteStack(dir));
    v.SetMemoryBudget({uint64_t{16} << 20, uint64_t{16} << 20});
    v.SetPreviewWhilePyramidBuilds(true);
    v.SetClientSize(64, 48);
    ASSERT_TRUE(v.OpenAtStart(dir.File("big.tif")));
    v.ResizeGL(64, 48);
  }
  test_support::TempDir dir;
  OffscreenViewer shown;
  Viewer& v = shown.viewer;
};

TEST_F(PyramidPreview, ShowsAtOnceAndGivesWayToTheStreamedVolumeKeepingTheDisplay) {
  std::ifstream in(dir.File("preview.raw"), std::ios::binary);
  const std::vector<uint8_t> expected{std::istreambuf_iterator<char>(in), {}};
  ASSERT_EQ(expected.size(), size_t{256} * 256 * 40);
  EXPECT_EQ(v.Volume().Pyramid, nullptr);
  EXPECT_EQ(std::tuple(v.Volume().Width, v.Volume().Height, v.Volume().Depth), std::tuple(256, 256, 40));
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), v.Volume().Samples.data()));
  EXPECT_NE(v.Volume().Note.find("a preview of every 2nd plane (256x256x40) in memory"), std::string::npos)
      << v.Volume().Note;
  EXPECT_TRUE(v.BuildingPyramid());
  v.SetDisplayRange(1, 10, 200);

  v.WaitForPyramidBuild();
  EXPECT_FALSE(v.PollPyramidBuild());
  EXPECT_FALSE(v.BuildingPyramid());
  ASSERT_NE(v.Volume().Pyramid, nullptr);
  EXPECT_EQ(v.Volume().Pyramid->Levels().size(), 4u);  // 512, 256, 128, 64 across
  EXPECT_NE(v.Volume().Note.find("level 2 of 4 (256x256x40) in memory"), std::string::npos) << v.Volume().Note;
  EXPECT_EQ(v.Display().Channels.at(0).Min, 10);
  EXPECT_EQ(v.Display().Channels.at(0).Max, 200);
  EXPECT_EQ(v.LastFile(), dir.File("big.tif"));
}

TEST_F(PyramidPreview, AFrameSavedWhileThePyramidIsBuiltWaitsForTheStreamedVolume) {
  ASSERT_EQ(v.Volume().Pyramid, nullptr);
  v.SaveBMP(dir.File("frame.bmp"));
  EXPECT_FALSE(v.BuildingPyramid());
  EXPECT_NE(v.Volume().Pyramid, nullptr);
  EXPECT_TRUE(std::filesystem::exists(dir.File("frame.bmp")));
}

}  // namespace
}  // namespace lumetrix
