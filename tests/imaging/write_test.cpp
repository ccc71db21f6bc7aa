// Writing pages (TIFF, BMP, JPEG) and the image operations the converters chain together.

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
    for (int x = 0; x < w; ++x) {
      bgr.push_back(static_cast<uint8_t>(x * 9));
      bgr.push_back(static_cast<uint8_t>(y * 11));
      bgr.push_back(static_cast<uint8_t>(x * y));
    }
  return bgr;
}

class WriteTest : public ::testing::Test {
 protected:
  bool OnlyFile(const std::string& name) const {
    int count = 0;
    for (const auto& e : fs::directory_iterator(dir.path())) count += e.path().filename() == name ? 1 : 100;
    return count == 1;
  }
  TempDir dir;
  ImageBox box;
};

TEST_F(WriteTest, TiffPagesAppendInOrder) {
  const std::string path = dir.File("series.tif");
  for (int p = 0; p < 3; ++p) {
    box.SetPixels(PatternBgr(p, 13, 6), 13, 6);
    box.SaveImage(path, kFormatTiff, p > 0);
  }
  EXPECT_EQ(test_support::CountTiffPages(path), 3);
  const auto info = test_support::ReadTiffInfo(path, 1);
  EXPECT_EQ(info.samples, 3);
  EXPECT_EQ(info.bits, 8);
  EXPECT_EQ(info.photometric, PHOTOMETRIC_RGB);
  ImageBox reader;
  EXPECT_EQ(reader.CountPages(path), 3);
  for (int16_t p = 0; p < 3; ++p) {
    ASSERT_TRUE(reader.LoadPage(path, p)) << reader.LastError();
    EXPECT_EQ(reader.PixelBytes(), PatternBgr(p, 13, 6)) << p;
  }
  // Without append the file is replaced by a single page.
  box.SaveImage(path, kFormatTiff, false);
  EXPECT_EQ(test_support::CountTiffPages(path), 1);
  EXPECT_TRUE(OnlyFile("series.tif"));
}

TEST_F(WriteTest, GreyImagesAreWrittenAsGreyTiff) {
  const std::string path = dir.File("grey.tif");
  box.SetPixels(Gradient(10, 4), 10, 4);
  box.MakeGrey8();
  const std::vector<uint8_t> grey = box.PixelBytes();
  box.SaveImage(path, kFormatTiff, false);
  EXPECT_EQ(test_support::ReadTiffInfo(path, 0).samples, 1);
  ImageBox reader;
  ASSERT_TRUE(reader.LoadPage(path, 0));
  EXPECT_TRUE(reader.IsGreyImage());
  EXPECT_EQ(reader.PixelBytes(), grey);
}

TEST_F(WriteTest, AppendingToSomethingElseFailsAndLeavesIt) {
  const std::string path = dir.File("notes.tif");
  test_support::WriteBytes(path, {'h', 'e', 'l', 'l', 'o'});
  box.NewImage(4, 4);
  try {
    box.SaveImage(path, kFormatTiff, true);
    FAIL() << "no error";
  } catch (const ImageError& e) {
    EXPECT_NE(std::string(e.what()).find("not a TIFF file"), std::string::npos) << e.what();
  }
  EXPECT_EQ(test_support::ReadBytes(path).size(), 5u);
  // Appending to a file that does not exist yet starts it.
  box.SaveImage(dir.File("new.tif"), kFormatTiff, true);
  EXPECT_EQ(test_support::CountTiffPages(dir.File("new.tif")), 1);
}

TEST_F(WriteTest, ClassicTiffRefusesToGrowPastFourGigabytes) {
  const std::string path = dir.File("huge.tif");
  box.NewImage(64, 64);
  box.SaveImage(path, kFormatTiff, false);
  // A sparse tail makes the file look almost 4 GB long without using the disk.
  ASSERT_EQ(::truncate(path.c_str(), 0xFFFF0000LL), 0);
  try {
    box.SaveImage(path, kFormatTiff, true);
    FAIL() << "no error";
  } catch (const ImageError& e) {
    EXPECT_NE(std::string(e.what()).find("4 GB"), std::string::npos) << e.what();
  }
  EXPECT_EQ(fs::file_size(path), 0xFFFF0000ull);
}

TEST_F(WriteTest, AppendToBigTiffKeepsBigTiff) {
  const std::string path = dir.File("big.tif");
  test_support::TiffLayout layout;
  layout.big_tiff = true;
  layout.samples = test_support::TiffSamples::kRgb8;
  layout.width = 5;
  layout.height = 5;
  test_support::WriteTiff(path, layout, PatternFn());
  box.SetPixels(PatternBgr(1, 5, 5), 5, 5);
  box.SaveImage(path, kFormatTiff, true);
  EXPECT_TRUE(test_support::ReadTiffInfo(path, 1).big_tiff);
  ImageBox reader;
  ASSERT_TRUE(reader.LoadPage(path, 1)) << reader.LastError();
  EXPECT_EQ(reader.PixelBytes(), PatternBgr(1, 5, 5));
}

TEST_F(WriteTest, BmpIsBottomUpTwentyFourBitWithPaddedRows) {
  const std::string path = dir.File("frame.bmp");
  box.SetPixels(Gradient(5, 2), 5, 2);
  box.SaveImage(path, kFormatBmp, false);
  const std::vector<uint8_t> file = test_support::ReadBytes(path);
  ASSERT_EQ(file.size(), 54u + 16 * 2);  // rows of 15 bytes padded to 16
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[10], 54);
  EXPECT_EQ(file[18], 5);
  EXPECT_EQ(file[22], 2);
  EXPECT_EQ(file[28], 24);
  const std::vector<uint8_t> bgr = Gradient(5, 2);
  // The first stored row is the bottom row.
  EXPECT_TRUE(std::equal(bgr.begin() + 15, bgr.end(), file.begin() + 54));
  EXPECT_TRUE(std::equal(bgr.begin(), bgr.begin() + 15, file.begin() + 54 + 16));
  ImageBox reader;
  ASSERT_TRUE(reader.LoadPage(path, 0)) << reader.LastError();
  EXPECT_EQ(reader.BitDepth(), 24);
  EXPECT_EQ(reader.PixelBytes(), bgr);
  EXPECT_EQ(reader.CountPages(path), 1);
}

TEST_F(WriteTest, GreyImagesAreWrittenAsTwentyFourBitBmp) {
  const std::string path = dir.File("grey.bmp");
  box.SetPixels(Gradient(7, 3), 7, 3);
  box.MakeGrey8();
  const std::vector<uint8_t> grey = box.PixelBytes();
  box.SaveImage(path, kFormatBmp, false);
  EXPECT_EQ(test_support::ReadBytes(path)[28], 24);
  ImageBox reader;
  ASSERT_TRUE(reader.LoadPage(path, 0));
  reader.MakeGrey8();
  EXPECT_EQ(reader.PixelBytes(), grey);
}

TEST_F(WriteTest, JpegQualityIsUsedWhenFlagged) {
  std::vector<uint8_t> bgr(64 * 64 * 3);
  for (size_t i = 0; i < bgr.size(); ++i) bgr[i] = static_cast<uint8_t>((i * 7919) % 251);
  box.SetPixels(bgr, 64, 64);
  box.SetJpegFlag(true);
  box.SetJpegQuality(95);
  box.SaveImage(dir.File("q95.jpg"), kFormatJpeg, false);
  box.SetJpegQuality(10);
  box.SaveImage(dir.File("q10.jpg"), kFormatJpeg, false);
  EXPECT_GT(fs::file_size(dir.File("q95.jpg")), 2 * fs::file_size(dir.File("q10.jpg")));
  ImageBox reader;
  ASSERT_TRUE(reader.LoadPage(dir.File("q95.jpg"), 0)) << reader.LastError();
  EXPECT_EQ(reader.ImageWidth(), 64);
  EXPECT_EQ(reader.BitDepth(), 24);
}

TEST_F(WriteTest, JpegRoundTripIsClose) {
  box.SetPixels(Gradient(40, 24), 40, 24);
  box.SetJpegFlag(true);
  box.SetJpegQuality(95);
  box.SaveImage(dir.File("c.jpg"), kFormatJpeg, false);
  ImageBox reader;
  ASSERT_TRUE(reader.LoadPage(dir.File("c.jpg"), 0)) << reader.LastError();
  ASSERT_EQ(reader.PixelBytes().size(), box.PixelBytes().size());
  double error = 0;
  for (size_t i = 0; i < box.PixelBytes().size(); ++i) error += std::abs(reader.PixelBytes()[i] - box.PixelBytes()[i]);
  EXPECT_LT(error / static_cast<double>(box.PixelBytes().size()), 3.0);

  box.MakeGrey8();
  box.SaveImage(dir.File("g.jpg"), kFormatJpeg, false);
  ASSERT_TRUE(reader.LoadPage(dir.File("g.jpg"), 0)) << reader.LastError();
  EXPECT_TRUE(reader.IsGreyImage());
  EXPECT_EQ(reader.BitDepth(), 8);
  ASSERT_EQ(reader.PixelBytes().size(), 40u * 24);
}

TEST_F(WriteTest, PlanesMakeAColourImage) {
  box.NewImage(3, 2);
  EXPECT_EQ(box.BitDepth(), 24);
  EXPECT_EQ(box.PixelBytes(), std::vector<uint8_t>(18, 0));
  box.ConvertDepth(24);
  const std::vector<uint8_t> red = {1, 2, 3, 4, 5, 6}, green = {10, 20, 30, 40, 50, 60}, blue(6, 200);
  box.SetPlanes(red, green, blue);
  EXPECT_EQ(box.PixelBytes()[0], 200);
  EXPECT_EQ(box.PixelBytes()[1], 10);
  EXPECT_EQ(box.PixelBytes()[2], 1);
  EXPECT_EQ(box.PixelBytes()[17], 6);
  EXPECT_THROW(box.SetPlanes(red, green, std::vector<uint8_t>(5)), ImageError);
  EXPECT_NE(box.ImageInfo().find("3 x 2"), std::string::npos) << box.ImageInfo();
}

TEST_F(WriteTest, OperationsRefuseWhatTheyCannotDo) {
  EXPECT_EQ(box.BitDepth(), 0);
  EXPECT_EQ(box.ImageInfo(), "No image");
  EXPECT_THROW(box.SaveImage(dir.File("x.bmp"), kFormatBmp, false), ImageError);
  EXPECT_THROW(box.ConvertDepth(24), ImageError);
  EXPECT_THROW(box.ResizeImage(4, 4), ImageError);
  EXPECT_THROW(box.SetPixels(std::vector<uint8_t>(11), 2, 2), ImageError);
  EXPECT_THROW(box.NewImage(0, 5), ImageError);
  EXPECT_THROW(box.NewImage(100000, 100000), ImageError);
  box.NewImage(2, 2);
  EXPECT_THROW(box.ConvertDepth(8), ImageError);
  EXPECT_THROW(box.SaveImage(dir.File("x.png"), 7, false), ImageError);
  EXPECT_THROW(box.SaveImage(dir.File("no/such/folder/x.bmp"), kFormatBmp, false), ImageError);
  EXPECT_THROW(box.SaveImage(dir.path().string(), kFormatTiff, false), ImageError);
  EXPECT_TRUE(fs::is_empty(dir.path()));  // no half-written or temporary files left
  box.ClearImage();
  EXPECT_EQ(box.ImageWidth(), 0);
  EXPECT_TRUE(box.PixelBytes().empty());
}

TEST_F(WriteTest, ResizeKeepsKindAndSize) {
  box.SetPixels(Gradient(8, 6), 8, 6);
  box.ResizeImage(4, 12, kResizeSmooth, false);
  EXPECT_EQ(box.ImageWidth(), 4);
  EXPECT_EQ(box.ImageHeight(), 12);
  EXPECT_EQ(box.PixelBytes().size(), 4u * 12 * 3);
  box.MakeGrey8();
  box.ResizeImage(3, 3);
  EXPECT_TRUE(box.IsGreyImage());
  EXPECT_EQ(box.PixelBytes().size(), 9u);
  EXPECT_THROW(box.ResizeImage(0, 3), ImageError);
  EXPECT_THROW(box.ResizeImage(3, 3, 1), ImageError);
}

}  // namespace
}  // namespace lumetrix::imaging
