// JPEG files written by other programs: grey, colour, damaged.

#include <gtest/gtest.h>

#include "tests/imaging/test_helpers.h"

namespace lumetrix::imaging {
namespace {

using test_support::TempDir;

class JpegTest : public ::testing::Test {
 protected:
  std::string Saved(bool grey) {
    std::vector<uint8_t> bgr;
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x)
        for (int c = 0; c < 3; ++c) bgr.push_back(static_cast<uint8_t>(x * 3 + y * 2 + c * 40));
    ImageBox writer;
    writer.SetPixels(bgr, 64, 48);
    if (grey) writer.MakeGrey8();
    writer.SetJpegFlag(true);
    writer.SetJpegQuality(90);
    const std::string path = dir.File(grey ? "g.jpg" : "c.jpg");
    writer.SaveImage(path, kFormatJpeg, false);
    return path;
  }
  TempDir dir;
  ImageBox box;
};

TEST_F(JpegTest, TruncatedJpegIsReported) {
  const std::string path = Saved(false);
  const auto bytes = test_support::ReadBytes(path);
  test_support::CopyTruncated(path, dir.File("cut.jpg"), bytes.size() / 2);
  EXPECT_FALSE(box.LoadPage(dir.File("cut.jpg"), 0));
  EXPECT_NE(box.LastError().find("truncated"), std::string::npos) << box.LastError();
  test_support::CopyTruncated(path, dir.File("head.jpg"), 40);
  EXPECT_FALSE(box.LoadPage(dir.File("head.jpg"), 0));
  EXPECT_FALSE(box.LastError().empty());
  EXPECT_TRUE(box.PixelBytes().empty());
}

TEST_F(JpegTest, CorruptJpegHeaderIsReported) {
  const std::string path = Saved(true);
  auto bytes = test_support::ReadBytes(path);
  for (size_t i = 4; i < 200 && i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 31);
  test_support::WriteBytes(dir.File("bad.jpg"), bytes);
  EXPECT_FALSE(box.LoadPage(dir.File("bad.jpg"), 0));
  EXPECT_NE(box.LastError().find("bad.jpg"), std::string::npos) << box.LastError();
}

TEST_F(JpegTest, OnlyPageZero) {
  const std::string path = Saved(true);
  EXPECT_EQ(box.CountPages(path), 1);
  EXPECT_FALSE(box.LoadPage(path, 1));
  ASSERT_TRUE(box.LoadPage(path, 0)) << box.LastError();
  EXPECT_TRUE(box.IsGreyImage());
  EXPECT_NE(box.ImageInfo().find("g.jpg"), std::string::npos) << box.ImageInfo();
}

}  // namespace
}  // namespace lumetrix::imaging
