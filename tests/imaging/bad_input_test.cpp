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

std::vector<RawTag> GreyTags(uint32_t w, uint32_t h, uint32_t bytes, std::vector<RawTag> changes = {}) {
  std::vector<RawTag> tags = {{256, 4, {w}}, {257, 4, {h}}, {258, 3, {8}}, {259, 3, {1}}, {262, 3, {1}},
                              {273, 4, {0}}, {277, 3, {1}}, {278, 4, {h}}, {279, 4, {bytes}}};
  for (const RawTag& change : changes) {  // the builder sorts the tags
    std::erase_if(tags, [&](const RawTag& t) { return t.tag == change.tag; });
    tags.push_back(change);
  }
  return tags;
}

class BadInputTest : public ::testing::Test {
 protected:
  // LoadPage fails with a reason containing `words`, and an earlier image does not survive.
  void ExpectRefused(const std::string& path, const std::string& words, int16_t page = 0) {
    ImageBox box;
    box.NewImage(3, 3);
    EXPECT_FALSE(box.LoadPage(path, page)) << path;
    EXPECT_NE(box.LastError().find(words), std::string::npos) << "reason: " << box.LastError();
    EXPECT_EQ(std::tuple(box.ImageWidth(), box.BitDepth(), box.PixelBytes().size()), std::tuple(0, 0, 0u)) << path;
  }
  // CountPages raises ImageError with a reason containing `words`.
  void ExpectNotCounted(const std::string& path, const std::string& words) {
    try {
      ImageBox().CountPages(path);
      ADD_FAILURE() << path << " was counted";
    } catch (const ImageError& e) {
      EXPECT_NE(std::string(e.what()).find(words), std::string::npos) << e.what();
    }
  }
  std::string Bytes(const std::string& name, const std::vector<uint8_t>& bytes) {
    test_support::WriteBytes(dir.File(name), bytes);
    return dir.File(name);
  }
  std::string Raw(const std::string& name, const std::vector<std::vector<RawTag>>& pages, const std::vector<uint8_t>& data) {
    return Bytes(name, BuildRawTiff(pages, data));
  }
  TempDir dir;
};

TEST_F(BadInputTest, NotImageFiles) {
  // The hand-built files below are valid but for their damage.
  ImageBox box;
  ASSERT_TRUE(box.LoadPage(Raw("good.tif", {GreyTags(4, 2, 8)}, {1, 2, 3, 4, 5, 6, 7, 8}), 0)) << box.LastError();
  EXPECT_EQ(box.PixelBytes(), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
  std::vector<uint8_t> noise(4096);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 7919 % 251 + 3);
  const std::pair<std::string, const char*> cases[] = {
      {dir.File("missing.tif"), "does not exist"},
      {dir.path().string(), "is a folder"},
      {Bytes("empty.tif", {}), "is empty"},
      {Bytes("noise.tif", noise), "not a TIFF, BMP or JPEG"},
      {Raw("none.tif", {}, {}), "none.tif holds no pages"},
      {Bytes("ifd.tif", {'I', 'I', 42, 0, 0xF0, 0xFF, 0xFF, 0x0F, 1, 2, 3, 4}), "ifd.tif"},
  };
  for (const auto& [path, words] : cases) {
    ExpectRefused(path, words);
    ExpectNotCounted(path, words);
  }
  ExpectRefused(Bytes("pic.png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13}), "PNG");
  ExpectRefused(Bytes("version.tif", {'I', 'I', 42, 0, 8, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0}), "version.tif");
  ExpectRefused("", "no file name");
}

TEST_F(BadInputTest, TruncatedFiles) {
  TiffLayout layout;
  layout.width = layout.height = 64, layout.pages = 3;
  for (const auto compression : {TiffCompression::kNone, TiffCompression::kLzw}) {
    layout.compression = compression;
    const std::string path = dir.File("whole.tif");
    test_support::WriteTiff(path, layout, [](int p, int x, int y, int) { return (x * y + p) % 251; });
    // Cut inside the pixel data of page 2: the chain of pages breaks off after page 1, and the
    // file is refused as damaged instead of passing for a shorter stack.
    const std::string cut = dir.File("cut.tif");
    test_support::CopyTruncated(path, cut, test_support::FirstDataOffset(path, 1) + 100);
    ExpectNotCounted(cut, "cut.tif is damaged after page 1");
    ExpectRefused(cut, "cut.tif is damaged after page 1", 0);
    test_support::CopyTruncated(path, dir.File("head.tif"), 8);
    ExpectRefused(dir.File("head.tif"), "head.tif");
    test_support::CopyTruncated(path, dir.File("half.tif"), 3);
    ExpectRefused(dir.File("half.tif"), "not a TIFF");
  }
  // A directory that claims more pixel data than the file has.
  ExpectRefused(Raw("short.tif", {GreyTags(100, 100, 10000)}, std::vector<uint8_t>(500, 9)),
                "page 1 of short.tif is truncated");
}

TEST_F(BadInputTest, HugeDeclaredDimensionsAreRefusedBeforeAllocating) {
  const std::vector<uint8_t> data(64, 0x80);
  const RawTag three = {277, 3, {3}}, eights = {258, 3, {8, 8, 8}};
  ExpectRefused(Raw("huge.tif", {GreyTags(100000, 100000, 16)}, data), "too large");
  // Within the limit but with a few bytes of "compressed" data behind it.
  ExpectRefused(Raw("bomb.tif", {GreyTags(30000, 30000, 64, {{259, 3, {5}}})}, data), "truncated");
  // Colour: three samples of 2^15 x 2^15 pixels; YCbCr goes to the RGBA reader, checked the same.
  ExpectRefused(Raw("wide.tif", {GreyTags(32768, 32768, 16, {three, eights, {262, 3, {2}}})}, data), "too large");
  ExpectRefused(Raw("ycbcr.tif", {GreyTags(20000, 20000, 16, {three, eights, {262, 3, {6}}, {530, 3, {1, 1}}})}, data),
                "truncated");
}

TEST_F(BadInputTest, BogusTags) {
  const std::vector<uint8_t> data(64, 5);
  const std::pair<const char*, RawTag> cases[] = {
      {"bits7.tif", {258, 3, {7}}},  {"bits0.tif", {258, 3, {0}}},           {"spp0.tif", {277, 3, {0}}},
      {"photometric.tif", {262, 3, {99}}}, {"compression.tif", {259, 3, {60001}}}, {"nowidth.tif", {256, 4, {0}}},
      {"offset.tif", {273, 4, {0x7FFFFF00}}},  // data far past the end of the file
      {"format.tif", {339, 3, {6}}},           // complex floating point
  };
  for (const auto& [name, tag] : cases) ExpectRefused(Raw(name, {GreyTags(8, 8, 64, {tag})}, data), name);
  // Damage that libtiff repairs (rows per strip of zero, an impossible byte count of a single
  // uncompressed strip): either the right pixels or a reason, nothing in between.
  for (const auto& [name, tag] : {std::pair{"rps0.tif", RawTag{278, 4, {0}}}, {"count.tif", RawTag{279, 4, {0xFFFFFFF0}}}}) {
    ImageBox box;
    if (box.LoadPage(Raw(name, {GreyTags(8, 8, 64, {tag})}, data), 0)) {
      EXPECT_EQ(box.PixelBytes(), data) << name;
    } else {
      EXPECT_NE(box.LastError().find(name), std::string::npos) << box.LastError();
    }
  }
}

TEST_F(BadInputTest, DirectoryLoopEnds) {
  // Page 2's "next directory" points back at page 1.
  auto bytes = BuildRawTiff({GreyTags(2, 2, 4), GreyTags(2, 2, 4)}, {1, 2, 3, 4});
  const uint32_t first = bytes[4] | (bytes[5] << 8) | (bytes[6] << 16) | (bytes[7] << 24);
  const size_t link = (bytes[first + 2 + 9 * 12] | (bytes[first + 3 + 9 * 12] << 8)) + 2 + 9 * 12;
  ASSERT_LE(link + 4, bytes.size());
  for (int i = 0; i < 4; ++i) bytes[link + i] = static_cast<uint8_t>(first >> (8 * i));
  const std::string path = Bytes("loop.tif", bytes);
  ImageBox box;
  int32_t pages = -1;
  try {
    pages = box.CountPages(path);
  } catch (const ImageError&) {
  }
  EXPECT_LE(pages, 2);
  if (pages >= 1) {
    EXPECT_TRUE(box.LoadPage(path, 0)) << box.LastError();
  }
  EXPECT_FALSE(box.LoadPage(path, 5));
}

TEST_F(BadInputTest, DamagedJpegFiles) {
  std::vector<uint8_t> bgr(64 * 48 * 3);
  for (size_t i = 0; i < bgr.size(); ++i) bgr[i] = static_cast<uint8_t>(i / 3 % 64 * 3 + i / 192 * 2 + i % 3 * 40);
  ImageBox writer;
  writer.SetPixels(bgr, 64, 48);
  writer.SaveImage(dir.File("c.jpg"), kFormatJpeg, false);
  const auto bytes = test_support::ReadBytes(dir.File("c.jpg"));
  ExpectRefused(Bytes("cut.jpg", std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2)), "truncated");
  ExpectRefused(Bytes("head.jpg", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 40)), "head.jpg");
  auto scrambled = bytes;
  for (size_t i = 4; i < 200; ++i) scrambled[i] = static_cast<uint8_t>(i * 31);
  ExpectRefused(Bytes("bad.jpg", scrambled), "bad.jpg");
}

TEST_F(BadInputTest, ScrambledFilesNeverCrash) {
  // Random damage anywhere in small valid files of several kinds.
  std::mt19937 random(11);
  TiffLayout layout;
  layout.width = 20, layout.height = 12, layout.pages = 2;
  const std::string path = dir.File("src.tif");
  int refused = 0;
  for (int round = 0; round < 60; ++round) {
    layout.compression = static_cast<TiffCompression>(round % 4);
    layout.tiled = round % 3 == 0;
    layout.samples = round % 2 ? test_support::TiffSamples::kRgb8 : test_support::TiffSamples::kGrey16;
    test_support::WriteTiff(path, layout, PatternFn());
    auto bytes = test_support::ReadBytes(path);
    for (int k = 0; k < 6; ++k) bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
    const std::string damaged = Bytes("damaged.tif", bytes);
    ImageBox box;
    for (int16_t p = 0; p < 3; ++p) {
      if (!box.LoadPage(damaged, p)) {
        ++refused;
        EXPECT_TRUE(!box.LastError().empty() && box.PixelBytes().empty());
      } else {
        const size_t bytes_per_pixel = box.IsGreyImage() || box.BitDepth() == 8 ? 1 : 3;  // grey or palette: 1
        EXPECT_EQ(box.PixelBytes().size(), size_t(box.ImageWidth()) * box.ImageHeight() * bytes_per_pixel);
      }
    }
  }
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace lumetrix::imaging
