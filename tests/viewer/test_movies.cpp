// Recording movies from the main window, as scripts do.
#include <gtest/gtest.h>

#include <QSettings>
#include <filesystem>

#include "export/avi/avi_reader.h"
#include "tests/support/tiff_fixture.h"
#include "viewer/frm_3d.h"

namespace lumetrix {
namespace {

using test_support::TempDir;

std::string Volume(const TempDir& dir) {
  test_support::TiffLayout layout;
  layout.width = 32, layout.height = 32, layout.pages = 4;
  test_support::WriteTiff(dir.File("v.tif"), layout, [](int p, int x, int y, int) { return (x * 7 + y * 3 + p * 20) % 256; });
  return dir.File("v.tif");
}

TEST(Movies, AScriptedRecordingHoldsEveryAddedFrameAtTheDrawingAreasSize) {
  TempDir dir;
  frm3D w(true);
  ASSERT_TRUE(w.OpenAtStart(Volume(dir)));
  ASSERT_TRUE(w.AVICodec("raw"));
  ASSERT_TRUE(w.AVIStart(dir.File("spin.avi"), 60, 101, 75));
  EXPECT_EQ(w.ScaleWidth(), 104);  // rounded up to multiples of 8
  EXPECT_EQ(w.ScaleHeight(), 80);
  w.SetYRotSpeed(10);
  for (int i = 0; i < 6; ++i) {
    w.DrawImage();
    w.AVIAdd();
  }
  w.AVIend();
  EXPECT_TRUE(std::filesystem::exists(frm3D::TempFramePath()));
  avi::AviReader reader;
  ASSERT_TRUE(reader.Open(dir.File("spin.avi"))) << reader.Error();
  EXPECT_EQ(reader.FrameCount(), 6);
  EXPECT_EQ(reader.Width(), 104);
  EXPECT_EQ(reader.Height(), 80);
  EXPECT_DOUBLE_EQ(reader.FrameRate(), 30);  // 60 is limited to 30
  // The last frame in the movie is the last frame captured.
  avi::DecodedFrame frame;
  ASSERT_TRUE(reader.ReadFrame(5, avi::PixelLayout::Bgr24, avi::RowOrder::BottomUp, frame));
  EXPECT_EQ(frame.Pixels, w.LastCapturedFrame().Pixels);
}

TEST(Movies, AddingWithoutARecordingDoesNothingAndASecondStartClosesTheFirst) {
  TempDir dir;
  frm3D w(true);
  ASSERT_TRUE(w.OpenAtStart(Volume(dir)));
  w.AVIAdd();
  w.AVIend();
  ASSERT_TRUE(w.AVICodec("mjpeg"));
  ASSERT_TRUE(w.AVIStart(dir.File("a.avi"), 10, 0, 0));
  w.DrawImage();
  w.AVIAdd();
  ASSERT_TRUE(w.AVIStart(dir.File("b.avi"), 10, 0, 0));
  w.AVIend();
  avi::AviReader reader;
  ASSERT_TRUE(reader.Open(dir.File("a.avi"))) << reader.Error();
  EXPECT_EQ(reader.FrameCount(), 1);
  EXPECT_FALSE(w.Recording());
}

TEST(Movies, AMissingFolderIsReportedAndNothingIsRecorded) {
  TempDir dir;
  frm3D w(true);
  ASSERT_TRUE(w.OpenAtStart(Volume(dir)));
  ASSERT_TRUE(w.AVICodec("raw"));
  EXPECT_FALSE(w.AVIStart(dir.File("no/such/folder/m.avi"), 10, 0, 0));
  EXPECT_FALSE(w.Recording());
  EXPECT_FALSE(w.AVICodec("no-such-codec"));
}

}  // namespace
}  // namespace lumetrix
