// Writing pages (TIFF checked with libtiff, BMP byte by byte, JPEG) and the image operations the
// converters chain together.

#include <gtest/gtest.h>

#include <tiffio.h>
#include <unistd.h>

#include <filesystem>

#include "tests/imaging/test_helpers.h"

namespace lumetrix::imaging {
namespace {

using namespace lumetrix::imaging::testing;
using test_support::TempDir;
namespace fs = std::filesystem;

std::vector<uint8_t> Gradient(int w, int h) {
  std::vector<uint8_t> bgr;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bgr.insert(bgr.end(), {uint8_t(x * 9), uint8_t(y * 11), uint8_t(x * y)});
  return bgr;
}

// What libtiff reads from a page: red, green and blue for each pixel, a grey value three times.
std::vector<uint8_t> AsRgb(const std::vector<uint8_t>& pixels, bool grey) {
  std::vector<uint8_t> rgb;
  for (size_t i = 0; i < pixels.size(); i += grey ? 1 : 3)
    rgb.insert(rgb.end(), {pixels[grey ? i : i + 2], pixels[grey ? i : i + 1], pixels[i]});
  return rgb;
}

class WriteTest : public ::testing::Test {
 protected:
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
    return names;
  }
  TempDir dir;
  ImageBox box;
};

TEST_F(WriteTest, TiffPagesAppendInOrderOrReplaceTheFile) {
  const std::string path = dir.File("series.tif");
  for (int p = 0; p < 3; ++p) {
    box.SetPixels(PatternBgr(p, 13, 6), 13, 6);
    box.SaveImage(path, kFormatTiff, p > 0);
  }
  ASSERT_EQ(test_support::CountTiffPages(path), 3);
  for (int p = 0; p < 3; ++p) {
    const auto info = test_support::ReadTiffInfo(path, p);
    EXPECT_EQ(std::tuple(info.width, info.height, info.samples, info.bits, info.photometric),
              std::tuple(13u, 6u, 3, 8, PHOTOMETRIC_RGB));
    EXPECT_EQ(test_support::ReadTiffRgb(path, p).rgb, AsRgb(PatternBgr(p, 13, 6), false)) << p;
  }
  box.SetPixels(Gradient(10, 4), 10, 4);
  box.MakeGrey8();
  box.SaveImage(path, kFormatTiff, false);
  EXPECT_EQ(test_support::CountTiffPages(path), 1);
  EXPECT_EQ(test_support::ReadTiffInfo(path, 0).samples, 1);
  EXPECT_EQ(test_support::ReadTiffRgb(path, 0).rgb, AsRgb(box.PixelBytes(), true));
  EXPECT_EQ(Files(), std::vector<std::string>{"series.tif"});  // no temporary left
}

TEST_F(WriteTest, AppendingOnlyToTiffFilesThatStayBelowTheirLimit) {
  const std::string notes = dir.File("notes.tif"), huge = dir.File("huge.tif"), big = dir.File("big.tif");
  test_support::WriteBytes(notes, {'h', 'e', 'l', 'l', 'o'});
  box.NewImage(64, 64);
  const auto expectRefused = [&](const std::string& path, const char* why) {
    try {
      box.SaveImage(path, kFormatTiff, true);
      ADD_FAILURE() << "no error for " << path;
    } catch (const ImageError& e) {
      EXPECT_NE(std::string(e.what()).find(why), std::string::npos) << e.what();
    }
  };
  expectRefused(notes, "not a TIFF file");
  EXPECT_EQ(test_support::ReadBytes(notes).size(), 5u);
  box.SaveImage(huge, kFormatTiff, true);  // appending to no file starts one
  EXPECT_EQ(test_support::CountTiffPages(huge), 1);
  ASSERT_EQ(::truncate(huge.c_str(), 0xFFFF0000LL), 0);  // a sparse tail: almost 4 GB on no disk space
  expectRefused(huge, "4 GB");
  EXPECT_EQ(fs::file_size(huge), 0xFFFF0000ull);
  test_support::TiffLayout layout;
  layout.big_tiff = true, layout.samples = test_support::TiffSamples::kRgb8, layout.width = layout.height = 5;
  test_support::WriteTiff(big, layout, PatternFn());
  box.SetPixels(PatternBgr(1, 5, 5), 5, 5);
  box.SaveImage(big, kFormatTiff, true);
  EXPECT_TRUE(test_support::ReadTiffInfo(big, 1).big_tiff);
  EXPECT_EQ(test_support::ReadTiffRgb(big, 1).rgb, AsRgb(PatternBgr(1, 5, 5), false));
}

TEST_F(WriteTest, BmpIsBottomUpTwentyFourBitWithPaddedRows) {
  const std::string path = dir.File("frame.bmp");
  for (const bool grey : {false, true}) {
    box.SetPixels(Gradient(5, 2), 5, 2);
    if (grey) box.MakeGrey8();  // written as colour
    box.SaveImage(path, kFormatBmp, false);
    std::vector<uint8_t> want(54 + 16 * 2, 0);  // rows of 15 bytes padded to 16
    want[0] = 'B', want[1] = 'M';
    for (const auto& [at, v] : {std::pair{2, 86}, {10, 54}, {14, 40}, {18, 5}, {22, 2}, {26, 1}, {28, 24}, {34, 32},
                                {38, 2952}, {42, 2952}})  // 75 dpi
      for (int i = 0; i < 4; ++i) want[at + i] = static_cast<uint8_t>(v >> (8 * i));
    const std::vector<uint8_t> bgr = grey ? AsRgb(box.PixelBytes(), true) : box.PixelBytes();  // grey: b = g = r
    std::copy(bgr.begin() + 15, bgr.end(), want.begin() + 54);  // the bottom row first
    std::copy(bgr.begin(), bgr.begin() + 15, want.begin() + 70);
    EXPECT_EQ(test_support::ReadBytes(path), want) << grey;
  }
}

TEST_F(WriteTest, JpegQualityWhenFlaggedAndGreyStaysGrey) {
  std::vector<uint8_t> noise(64 * 64 * 3);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>((i * 7919) % 251);
  box.SetPixels(noise, 64, 64);
  box.SetJpegFlag(true);
  for (const int quality : {10, 95}) {
    box.SetJpegQuality(static_cast<int16_t>(quality));
    box.SaveImage(dir.File(std::to_string(quality) + ".jpg"), kFormatJpeg, false);
  }
  EXPECT_GT(fs::file_size(dir.File("95.jpg")), 2 * fs::file_size(dir.File("10.jpg")));
  box.SetPixels(Gradient(40, 24), 40, 24);
  box.SaveImage(dir.File("c.jpg"), kFormatJpeg, false);
  ImageBox reader;
  ASSERT_TRUE(reader.LoadPage(dir.File("c.jpg"), 0)) << reader.LastError();
  ASSERT_EQ(reader.PixelBytes().size(), box.PixelBytes().size());
  double error = 0;
  for (size_t i = 0; i < box.PixelBytes().size(); ++i) error += std::abs(reader.PixelBytes()[i] - box.PixelBytes()[i]);
  EXPECT_LT(error / static_cast<double>(box.PixelBytes().size()), 3.0);
  box.MakeGrey8();
  box.SaveImage(dir.File("g.jpg"), kFormatJpeg, false);
  EXPECT_EQ(reader.CountPages(dir.File("g.jpg")), 1);
  EXPECT_FALSE(reader.LoadPage(dir.File("g.jpg"), 1));  // one page only
  ASSERT_TRUE(reader.LoadPage(dir.File("g.jpg"), 0)) << reader.LastError();
  EXPECT_EQ(std::tuple(reader.IsGreyImage(), reader.BitDepth(), reader.PixelBytes().size()), std::tuple(true, 8, 960u));
  EXPECT_NE(reader.ImageInfo().find("g.jpg"), std::string::npos) << reader.ImageInfo();
}

TEST_F(WriteTest, PlanesResizingAndWhatCannotBeDone) {
  EXPECT_EQ(box.ImageInfo(), "No image");
  EXPECT_THROW(box.SaveImage(dir.File("x.bmp"), kFormatBmp, false), ImageError);
  EXPECT_THROW(box.ConvertDepth(24), ImageError);
  EXPECT_THROW(box.ResizeImage(4, 4), ImageError);
  EXPECT_THROW(box.SetPixels(std::vector<uint8_t>(11), 2, 2), ImageError);
  EXPECT_THROW(box.NewImage(0, 5), ImageError);
  EXPECT_THROW(box.NewImage(100000, 100000), ImageError);
  box.NewImage(3, 2);
  EXPECT_EQ(box.PixelBytes(), std::vector<uint8_t>(18, 0));
  EXPECT_THROW(box.ConvertDepth(8), ImageError);
  EXPECT_THROW(box.SaveImage(dir.File("x.png"), 7, false), ImageError);
  EXPECT_THROW(box.SaveImage(dir.File("no/such/folder/x.bmp"), kFormatBmp, false), ImageError);
  EXPECT_THROW(box.SaveImage(dir.path().string(), kFormatTiff, false), ImageError);
  EXPECT_TRUE(Files().empty());  // no half-written or temporary files left
  const std::vector<uint8_t> red = {1, 2, 3, 4, 5, 6}, green = {10, 20, 30, 40, 50, 60}, blue(6, 200);
  box.SetPlanes(red, green, blue);
  EXPECT_EQ(std::vector<uint8_t>(box.PixelBytes().begin(), box.PixelBytes().begin() + 3), (std::vector<uint8_t>{200, 10, 1}));
  EXPECT_EQ(box.PixelBytes()[17], 6);
  EXPECT_THROW(box.SetPlanes(red, green, std::vector<uint8_t>(5)), ImageError);
  EXPECT_NE(box.ImageInfo().find("3 x 2"), std::string::npos) << box.ImageInfo();
  box.SetPixels(Gradient(8, 6), 8, 6);
  box.ResizeImage(4, 12, kResizeSmooth, false);
  EXPECT_EQ(std::tuple(box.ImageWidth(), box.ImageHeight(), box.PixelBytes().size()), std::tuple(4, 12, 144u));
  box.MakeGrey8();
  box.ResizeImage(3, 3);
  EXPECT_TRUE(box.IsGreyImage() && box.PixelBytes().size() == 9u);
  EXPECT_THROW(box.ResizeImage(0, 3), ImageError);
  EXPECT_THROW(box.ResizeImage(3, 3, 1), ImageError);
  box.ClearImage();
  EXPECT_TRUE(box.ImageWidth() == 0 && box.PixelBytes().empty());
}

}  // namespace
}  // namespace lumetrix::imaging
