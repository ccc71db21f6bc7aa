// Hostile, damaged and wrong files: a clear reason, an empty image, never a crash.

#include <gtest/gtest.h>

#include <random>

#include "tests/imaging/test_helpers.h"

namespace lumetrix::imaging {
namespace {

using namespace lumetrix::imaging::testing;
using test_support::BuildRawTiff;
using test_support::RawTag;
using test_support::TempDir;
using test_support::TiffCompression;
using test_support::TiffLayout;

std::vector<RawTag> GreyTags(uint32_t w, uint32_t h, uint32_t bytes) {
  return {{256, 4, {w}}, {257, 4, {h}}, {258, 3, {8}}, {259, 3, {1}}, {262, 3, {1}},
          {273, 4, {0}}, {277, 3, {1}}, {278, 4, {h}}, {279, 4, {bytes}}};
}

void Replace(std::vector<RawTag>& tags, RawTag tag) {
  for (auto& t : tags) {
    if (t.tag == tag.tag) {
      t = tag;
      return;
    }
  }
  tags.push_back(tag);
}

class BadInputTest : public ::testing::Test {
 protected:
  // LoadPage must fail with a reason containing `words`; CountPages must raise or count.
  void ExpectRefused(const std::string& path, const std::string& words, int16_t page = 0) {
    ImageBox box;
    box.NewImage(3, 3);  // an earlier image must not survive a failed load
    EXPECT_FALSE(box.LoadPage(path, page)) << path;
    EXPECT_NE(box.LastError().find(words), std::string::npos) << "reason: " << box.LastError();
    EXPECT_EQ(box.ImageWidth(), 0);
    EXPECT_EQ(box.BitDepth(), 0);
    EXPECT_TRUE(box.PixelBytes().empty());
  }
  std::string Raw(const std::string& name, const std::vector<std::vector<RawTag>>& pages,
                  const std::vector<uint8_t>& data) {
    const std::string path = dir.File(name);
    test_support::WriteBytes(path, BuildRawTiff(pages, data));
    return path;
  }
  TempDir dir;
};

TEST_F(BadInputTest, HandBuiltBaselineIsReadable) {
  // The builder itself makes valid files, so the failures below are the damage's doing.
  const std::string path = Raw("good.tif", {GreyTags(4, 2, 8)}, {1, 2, 3, 4, 5, 6, 7, 8});
  ImageBox box;
  ASSERT_TRUE(box.LoadPage(path, 0)) << box.LastError();
  EXPECT_EQ(box.PixelBytes(), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(BadInputTest, NotImageFiles) {
  ImageBox box;
  ExpectRefused(dir.File("missing.tif"), "does not exist");
  EXPECT_THROW(box.CountPages(dir.File("missing.tif")), ImageError);
  ExpectRefused(dir.path().string(), "is a folder");
  EXPECT_THROW(box.CountPages(dir.path().string()), ImageError);
  test_support::WriteBytes(dir.File("empty.tif"), {});
  ExpectRefused(dir.File("empty.tif"), "is empty");
  EXPECT_THROW(box.CountPages(dir.File("empty.tif")), ImageError);
  test_support::WriteBytes(dir.File("pic.png"), {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13});
  ExpectRefused(dir.File("pic.png"), "PNG");
  std::mt19937 random(3);
  std::vector<uint8_t> noise(4096);
  for (auto& b : noise) b = static_cast<uint8_t>(random());
  noise[0] = 'x';
  test_support::WriteBytes(dir.File("noise.tif"), noise);
  ExpectRefused(dir.File("noise.tif"), "not a TIFF, BMP or JPEG");
  EXPECT_THROW(box.CountPages(dir.File("noise.tif")), ImageError);
  ExpectRefused("", "no file name");
}

TEST_F(BadInputTest, ZeroPages) {
  const std::string path = Raw("none.tif", {}, {});
  ExpectRefused(path, "no pages");
  ImageBox box;
  try {
    box.CountPages(path);
    FAIL() << "no error";
  } catch (const ImageError& e) {
    EXPECT_NE(std::string(e.what()).find("none.tif holds no pages"), std::string::npos) << e.what();
  }
}

TEST_F(BadInputTest, TruncatedFiles) {
  TiffLayout layout;
  layout.width = 64;
  layout.height = 64;
  layout.pages = 3;
  for (const auto compression : {TiffCompression::kNone, TiffCompression::kLzw}) {
    layout.compression = compression;
    const std::string path = dir.File("whole.tif");
    test_support::WriteTiff(path, layout, [](int p, int x, int y, int) { return (x * y + p) % 251; });
    // Cut inside the pixel data of page 2: page 1 still reads, page 2 is truncated.
    const uint64_t page2 = test_support::FirstDataOffset(path, 1);
    const std::string cut = dir.File("cut.tif");
    test_support::CopyTruncated(path, cut, page2 + 100);
    ImageBox box;
    // The chain of pages breaks off after the first page: the file is refused as damaged
    // instead of passing for a shorter stack.
    try {
      box.CountPages(cut);
      ADD_FAILURE() << "a stack cut short was counted";
    } catch (const ImageError& e) {
      EXPECT_NE(std::string(e.what()).find("cut.tif is damaged after page 1"), std::string::npos) << e.what();
    }
    ExpectRefused(cut, "cut.tif is damaged after page 1", 0);
    // Header only, and half a header.
    test_support::CopyTruncated(path, dir.File("head.tif"), 8);
    ExpectRefused(dir.File("head.tif"), "head.tif");
    test_support::CopyTruncated(path, dir.File("half.tif"), 3);
    ExpectRefused(dir.File("half.tif"), "not a TIFF");
  }
  // A directory that claims more pixel data than the file has.
  const std::string path = Raw("short.tif", {GreyTags(100, 100, 10000)}, std::vector<uint8_t>(500, 9));
  ExpectRefused(path, "page 1 of short.tif is truncated");
}

TEST_F(BadInputTest, CorruptHeaders) {
  test_support::WriteBytes(dir.File("ifd.tif"), {'I', 'I', 42, 0, 0xF0, 0xFF, 0xFF, 0x0F, 1, 2, 3, 4});
  ExpectRefused(dir.File("ifd.tif"), "ifd.tif");
  test_support::WriteBytes(dir.File("version.tif"), {'I', 'I', 42, 0, 8, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0});
  ExpectRefused(dir.File("version.tif"), "version.tif");
  ImageBox box;
  EXPECT_THROW(box.CountPages(dir.File("ifd.tif")), ImageError);
}

TEST_F(BadInputTest, HugeDeclaredDimensions) {
  // Above the per-page limit: refused before any allocation.
  ExpectRefused(Raw("huge.tif", {GreyTags(100000, 100000, 16)}, std::vector<uint8_t>(16)), "too large");
  // Within the limit but with a few bytes of "compressed" data behind it.
  auto tags = GreyTags(30000, 30000, 64);
  Replace(tags, {259, 3, {5}});  // LZW
  ExpectRefused(Raw("bomb.tif", {tags}, std::vector<uint8_t>(64, 0x80)), "truncated");
  // Colour: three samples of 2^15 x 2^15 pixels.
  auto colour = GreyTags(32768, 32768, 16);
  Replace(colour, {277, 3, {3}});
  Replace(colour, {258, 3, {8, 8, 8}});
  Replace(colour, {262, 3, {2}});
  ExpectRefused(Raw("wide.tif", {colour}, std::vector<uint8_t>(16)), "too large");
  // A photometric interpretation for the RGBA reader: the same check before its raster.
  auto ycbcr = GreyTags(20000, 20000, 16);
  Replace(ycbcr, {277, 3, {3}});
  Replace(ycbcr, {258, 3, {8, 8, 8}});
  Replace(ycbcr, {262, 3, {6}});
  Replace(ycbcr, {530, 3, {1, 1}});
  ExpectRefused(Raw("ycbcr.tif", {ycbcr}, std::vector<uint8_t>(16)), "truncated");
}

TEST_F(BadInputTest, BogusTags) {
  const std::vector<uint8_t> data(64, 5);
  struct Case {
    const char* name;
    RawTag tag;
  };
  const Case cases[] = {
      {"bits7.tif", {258, 3, {7}}},                  // no such sample size
      {"bits0.tif", {258, 3, {0}}},
      {"spp0.tif", {277, 3, {0}}},
      {"offset.tif", {273, 4, {0x7FFFFF00}}},        // data far past the end of the file
      {"photometric.tif", {262, 3, {99}}},
      {"compression.tif", {259, 3, {60001}}},
      {"nowidth.tif", {256, 4, {0}}},
      {"format.tif", {339, 3, {6}}},                 // complex floating point
  };
  for (const Case& c : cases) {
    auto tags = GreyTags(8, 8, 64);
    Replace(tags, c.tag);
    const std::string path = Raw(c.name, {tags}, data);
    ImageBox box;
    EXPECT_FALSE(box.LoadPage(path, 0)) << c.name << " gave " << box.ImageInfo();
    EXPECT_NE(box.LastError().find(c.name), std::string::npos) << c.name << ": " << box.LastError();
    EXPECT_TRUE(box.PixelBytes().empty());
  }
  // Damage that libtiff repairs (rows per strip of zero, an impossible byte count of a single
  // uncompressed strip): either the right pixels or a reason, nothing in between.
  for (const Case& c : {Case{"rps0.tif", {278, 4, {0}}}, Case{"count.tif", {279, 4, {0xFFFFFFF0}}}}) {
    auto tags = GreyTags(8, 8, 64);
    Replace(tags, c.tag);
    ImageBox box;
    const std::string path = Raw(c.name, {tags}, data);
    if (box.LoadPage(path, 0)) {
      EXPECT_EQ(box.PixelBytes(), data) << c.name;
    } else {
      EXPECT_NE(box.LastError().find(c.name), std::string::npos) << box.LastError();
    }
  }
}

TEST_F(BadInputTest, DirectoryLoopEnds) {
  // Page 2's "next directory" points back at page 1.
  auto bytes = BuildRawTiff({GreyTags(2, 2, 4), GreyTags(2, 2, 4)}, {1, 2, 3, 4});
  const uint32_t first = bytes[4] | (bytes[5] << 8) | (bytes[6] << 16) | (bytes[7] << 24);
  const size_t second = bytes[first + 2 + 9 * 12] | (bytes[first + 3 + 9 * 12] << 8);
  const size_t link = second + 2 + 9 * 12;
  ASSERT_LT(link + 4, bytes.size() + 1);
  for (int i = 0; i < 4; ++i) bytes[link + i] = static_cast<uint8_t>(first >> (8 * i));
  test_support::WriteBytes(dir.File("loop.tif"), bytes);
  ImageBox box;
  int32_t pages = 0;
  try {
    pages = box.CountPages(dir.File("loop.tif"));
  } catch (const ImageError&) {
    pages = -1;
  }
  EXPECT_LE(pages, 2);
  if (pages >= 1) {
    EXPECT_TRUE(box.LoadPage(dir.File("loop.tif"), 0)) << box.LastError();
  }
  EXPECT_FALSE(box.LoadPage(dir.File("loop.tif"), 5));
}

TEST_F(BadInputTest, ScrambledFilesNeverCrash) {
  // Random damage anywhere in small valid files of several kinds.
  std::mt19937 random(11);
  TiffLayout layout;
  layout.width = 20;
  layout.height = 12;
  layout.pages = 2;
  const std::string path = dir.File("src.tif");
  int refused = 0;
  for (int round = 0; round < 60; ++round) {
    layout.compression = static_cast<TiffCompression>(round % 4);
    layout.tiled = round % 3 == 0;
    layout.samples = round % 2 ? test_support::TiffSamples::kRgb8 : test_support::TiffSamples::kGrey16;
    test_support::WriteTiff(path, layout, PatternFn());
    auto bytes = test_support::ReadBytes(path);
    for (int k = 0; k < 6; ++k) bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
    test_support::WriteBytes(dir.File("damaged.tif"), bytes);
    ImageBox box;
    for (int16_t p = 0; p < 3; ++p) {
      if (!box.LoadPage(dir.File("damaged.tif"), p)) {
        ++refused;
        EXPECT_FALSE(box.LastError().empty());
        EXPECT_TRUE(box.PixelBytes().empty());
      } else {
        EXPECT_EQ(box.PixelBytes().size(),
                  size_t(box.ImageWidth()) * box.ImageHeight() * (box.IsGreyImage() || box.BitDepth() == 8 ? 1 : 3));
      }
    }
  }
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace lumetrix::imaging
