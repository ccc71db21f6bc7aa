#include <gtest/gtest.h>

#include "tests/support/tiff_fixture.h"
#include "viewer/volume_loader.h"

namespace lumetrix {
namespace {

using test_support::TempDir;
using test_support::TiffCompression;
using test_support::TiffSamples;
using test_support::TiffLayout;
using test_support::WriteTiff;

struct RecordingProgress : ProgressSink {
  std::vector<std::string> calls;
  bool cancel_after_first = false;
  int sets = 0;
  void ShowProgress(const std::string& caption, int32_t start, int32_t maximum) override {
    calls.push_back("show " + caption + " " + std::to_string(start) + " " + std::to_string(maximum));
  }
  void SetProgress(int32_t value) override {
    ++sets;
    calls.push_back("set " + std::to_string(value));
  }
  void HideProgress() override { calls.push_back("hide"); }
  bool Cancelled() const override { return cancel_after_first && sets > 0; }
};

double Pattern(int page, int x, int y, int channel) { return (page * 37 + x * 11 + y * 5 + channel * 60) % 256; }

std::optional<VolumeData> Read(const std::string& path, std::string& error, uint64_t max_bytes = 0) {
  imaging::ImageBox image;
  NullProgress progress;
  return ReadVolume(path, image, progress, error, VolumeLoadOptions{max_bytes});
}

TEST(ReadVolume, GreyPagesLandPageFastest) {
  TempDir dir;
  TiffLayout layout;
  layout.width = 7, layout.height = 5, layout.pages = 3, layout.compression = TiffCompression::kLzw;
  WriteTiff(dir.File("grey.tif"), layout, Pattern);
  std::string error;
  const auto v = Read(dir.File("grey.tif"), error);
  ASSERT_TRUE(v) << error;
  EXPECT_EQ(v->Width, 7);
  EXPECT_EQ(v->Height, 5);
  EXPECT_EQ(v->Depth, 3);
  EXPECT_TRUE(v->IsGrey);
  ASSERT_EQ(v->Samples.size(), 7u * 5 * 3);
  for (int p = 0; p < 3; ++p)
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) ASSERT_EQ(v->Samples[p + 3 * (x + 7 * y)], Pattern(p, x, y, 0));
}

TEST(ReadVolume, ManyPagesCrossTheGatheringBlocks) {
  TempDir dir;
  TiffLayout layout;
  // Sizes that are no multiples of the 16 x 16 tiles, grey and colour.
  for (TiffSamples samples : {TiffSamples::kGrey8, TiffSamples::kRgb8}) {
    layout.width = 37, layout.height = 5, layout.pages = 150, layout.samples = samples;
    WriteTiff(dir.File("deep.tif"), layout, Pattern);
    std::string error;
    const auto v = Read(dir.File("deep.tif"), error);
    ASSERT_TRUE(v) << error;
    for (int c = 0; c < v->Channels(); ++c)
      for (int p = 0; p < 150; ++p)
        for (int y = 0; y < 5; ++y)
          for (int x = 0; x < 37; ++x) ASSERT_EQ(v->At(p, x, y, c), Pattern(p, x, y, c)) << p << " " << c;
  }
}

TEST(ReadVolume, ColourPagesKeepRedGreenBluePlanes) {
  TempDir dir;
  for (bool planar : {false, true}) {
    TiffLayout layout;
    layout.width = 6, layout.height = 4, layout.pages = 2, layout.samples = TiffSamples::kRgb8, layout.planar = planar;
    WriteTiff(dir.File("rgb.tif"), layout, Pattern);
    std::string error;
    const auto v = Read(dir.File("rgb.tif"), error);
    ASSERT_TRUE(v) << error;
    EXPECT_FALSE(v->IsGrey);
    ASSERT_EQ(v->Samples.size(), 6u * 4 * 2 * 3);
    for (int c = 0; c < 3; ++c)
      for (int p = 0; p < 2; ++p)
        for (int y = 0; y < 4; ++y)
          for (int x = 0; x < 6; ++x) ASSERT_EQ(v->At(p, x, y, c), Pattern(p, x, y, c)) << planar << c;
  }
}

TEST(ReadVolume, PaletteImagesAreReadInColour) {
  TempDir dir;
  TiffLayout layout;
  layout.width = 4, layout.height = 4, layout.samples = TiffSamples::kPalette8;
  WriteTiff(dir.File("pal.tif"), layout, [](int, int x, int y, int) { return x + 4 * y; });
  std::string error;
  const auto v = Read(dir.File("pal.tif"), error);
  ASSERT_TRUE(v) << error;
  EXPECT_FALSE(v->IsGrey);
  // Entry i of the fixture's ramp is (i*257, 65535 - i*257, ...) in 16 bits: red i, green 255 - i.
  EXPECT_EQ(v->At(0, 3, 1, 0), 7);
  EXPECT_EQ(v->At(0, 3, 1, 1), 248);
}

TEST(ReadVolume, SixteenBitStacksShareOneScaleAcrossPages) {
  TempDir dir;
  TiffLayout layout;
  layout.width = 4, layout.height = 2, layout.pages = 2, layout.samples = TiffSamples::kGrey16;
  // Page 0 holds 1000..1007, page 1 holds 3000..3007: page 0 must stay dark.
  WriteTiff(dir.File("deep16.tif"), layout, [](int p, int x, int y, int) { return (p ? 3000 : 1000) + x + 4 * y; });
  std::string error;
  const auto v = Read(dir.File("deep16.tif"), error);
  ASSERT_TRUE(v) << error;
  EXPECT_TRUE(v->IsGrey);
  EXPECT_EQ(v->At(0, 0, 0), 0);
  EXPECT_EQ(v->At(1, 3, 1), 255);
  EXPECT_LT(v->At(0, 3, 1), 3);
  EXPECT_GT(v->At(1, 0, 0), 250);
}

TEST(ReadVolume, ReportsProgressPerPage) {
  TempDir dir;
  TiffLayout layout;
  layout.pages = 3;
  WriteTiff(dir.File("p.tif"), layout, Pattern);
  imaging::ImageBox image;
  RecordingProgress progress;
  std::string error;
  ASSERT_TRUE(ReadVolume(dir.File("p.tif"), image, progress, error));
  EXPECT_EQ(progress.calls, (std::vector<std::string>{"show Reading Image 0 3", "set 1", "set 2", "set 3", "hide"}));
}

TEST(ReadVolume, StopsWhenCancelled) {
  TempDir dir;
  TiffLayout layout;
  layout.pages = 5;
  WriteTiff(dir.File("p.tif"), layout, Pattern);
  imaging::ImageBox image;
  RecordingProgress progress;
  progress.cancel_after_first = true;
  std::string error;
  EXPECT_FALSE(ReadVolume(dir.File("p.tif"), image, progress, error));
  EXPECT_EQ(progress.calls.back(), "hide");
}

TEST(ReadVolume, BadFilesAreRefusedWithTheirReason) {
  TempDir dir;
  std::string error;
  EXPECT_FALSE(Read(dir.File("missing.tif"), error));
  EXPECT_FALSE(error.empty());

  test_support::WriteBytes(dir.File("text.tif"), {'h', 'e', 'l', 'l', 'o', '\n'});
  error.clear();
  EXPECT_FALSE(Read(dir.File("text.tif"), error));
  EXPECT_NE(error.find("text.tif"), std::string::npos);

  test_support::WriteBytes(dir.File("none.tif"), test_support::BuildRawTiff({}, {}));
  error.clear();
  EXPECT_FALSE(Read(dir.File("none.tif"), error));
  EXPECT_FALSE(error.empty());

  TiffLayout layout;
  layout.width = 64, layout.height = 64, layout.pages = 4, layout.compression = TiffCompression::kLzw;
  WriteTiff(dir.File("whole.tif"), layout, Pattern);
  // Cut inside the pixels of the first page.
  const auto cut_at = test_support::FirstDataOffset(dir.File("whole.tif"), 0) + 20;
  test_support::CopyTruncated(dir.File("whole.tif"), dir.File("cut.tif"), cut_at);
  error.clear();
  EXPECT_FALSE(Read(dir.File("cut.tif"), error));
  EXPECT_FALSE(error.empty());

  // Cut inside the last page: the chain of pages breaks off after page 3.
  const auto cut_late = test_support::FirstDataOffset(dir.File("whole.tif"), 3) + 20;
  test_support::CopyTruncated(dir.File("whole.tif"), dir.File("cut_late.tif"), cut_late);
  error.clear();
  EXPECT_FALSE(Read(dir.File("cut_late.tif"), error));
  EXPECT_NE(error.find("damaged after page 3"), std::string::npos) << error;
}

TEST(ReadVolume, PagesMustMatchTheFirstInSizeAndKind) {
  TempDir dir;
  // Two single-page files joined by hand would need a writer; build the stack page by page.
  TiffLayout a;
  a.width = 8, a.height = 8, a.pages = 2;
  WriteTiff(dir.File("a.tif"), a, Pattern);
  TiffLayout big = a;
  big.width = 9, big.pages = 1;
  // Append a page of another size with the image component.
  imaging::ImageBox box;
  ASSERT_TRUE(box.LoadPage(dir.File("a.tif"), 0));
  box.NewImage(9, 8);
  box.SaveImage(dir.File("a.tif"), imaging::kFormatTiff, true);
  std::string error;
  EXPECT_FALSE(Read(dir.File("a.tif"), error));
  EXPECT_NE(error.find("Page 3"), std::string::npos) << error;
  EXPECT_NE(error.find("same size"), std::string::npos) << error;

  WriteTiff(dir.File("b.tif"), a, Pattern);
  ASSERT_TRUE(box.LoadPage(dir.File("b.tif"), 0));
  box.NewImage(8, 8);  // a colour page after grey ones
  box.SaveImage(dir.File("b.tif"), imaging::kFormatTiff, true);
  error.clear();
  EXPECT_FALSE(Read(dir.File("b.tif"), error));
  EXPECT_NE(error.find("colour"), std::string::npos) << error;
}

TEST(ReadVolume, VolumesLargerThanMemoryAreRefusedBeforeAllocation) {
  TempDir dir;
  TiffLayout layout;
  layout.width = 64, layout.height = 64, layout.pages = 4;
  WriteTiff(dir.File("v.tif"), layout, Pattern);
  std::string error;
  EXPECT_FALSE(Read(dir.File("v.tif"), error, 1000));
  EXPECT_NE(error.find("memory"), std::string::npos) << error;
  EXPECT_TRUE(Read(dir.File("v.tif"), error, 64 * 64 * 4));
}

}  // namespace
}  // namespace lumetrix
