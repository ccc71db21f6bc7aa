#include <gtest/gtest.h>

#include "tests/support/tiff_fixture.h"
#include "imaging/tiff_series.h"
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
  void ShowProgress(const std::string& caption, int32_t start, int32_t max) override {
    calls.push_back("show " + caption + " " + std::to_string(start) + " " + std::to_string(max));
  }
  void SetProgress(int32_t value) override { calls.push_back("set " + std::to_string(value)); }
  void HideProgress() override { calls.push_back("hide"); }
  bool Cancelled() const override { return cancel_after_first && calls.size() > 1; }
};

double Pattern(int page, int x, int y, int channel) { return (page * 37 + x * 11 + y * 5 + channel * 60) % 256; }

std::optional<VolumeData> Read(const std::string& path, std::string& error, uint64_t max_bytes = 0) {
  imaging::ImageBox image;
  NullProgress progress;
  return ReadVolume(path, image, progress, error, VolumeLoadOptions{max_bytes});
}

TEST(ReadVolume, PagesLandPageFastestWithRedGreenBluePlanes) {
  TempDir dir;
  struct Case {
    int width, height, pages;
    TiffSamples samples;
    bool planar;
    TiffCompression compression;
  };
  // Sizes that are no multiples of the 16 x 16 gathering tiles; enough pages to cross blocks.
  const Case cases[] = {{7, 5, 3, TiffSamples::kGrey8, false, TiffCompression::kLzw},
                        {37, 5, 150, TiffSamples::kGrey8, false, TiffCompression::kNone},
                        {37, 5, 150, TiffSamples::kRgb8, false, TiffCompression::kNone},
                        {6, 4, 2, TiffSamples::kRgb8, true, TiffCompression::kDeflate}};
  for (const Case& c : cases) {
    TiffLayout layout;
    layout.width = c.width, layout.height = c.height, layout.pages = c.pages, layout.samples = c.samples;
    layout.planar = c.planar, layout.compression = c.compression;
    WriteTiff(dir.File("v.tif"), layout, Pattern);
    std::string error;
    const auto v = Read(dir.File("v.tif"), error);
    ASSERT_TRUE(v) << error;
    const bool grey = c.samples == TiffSamples::kGrey8;
    const int W = c.width, H = c.height, D = c.pages;
    EXPECT_EQ(std::tuple(v->IsGrey, v->Width, v->Height, v->Depth), std::tuple(grey, W, H, D));
    ASSERT_EQ(v->Samples.size(), static_cast<size_t>(W * H * D * (grey ? 1 : 3)));
    for (int ch = 0; ch < (grey ? 1 : 3); ++ch)
      for (int p = 0; p < D; ++p)
        for (int y = 0; y < H; ++y)
          for (int x = 0; x < W; ++x)
            ASSERT_EQ(v->Samples[p + D * (x + W * (y + H * ch))], Pattern(p, x, y, ch)) << W << " " << p << " " << ch;
  }
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
  EXPECT_EQ(v->At(0, 0, 0), 0);
  EXPECT_EQ(v->At(1, 3, 1), 255);
  EXPECT_LT(v->At(0, 3, 1), 3);
  EXPECT_GT(v->At(1, 0, 0), 250);
}

TEST(ReadVolume, ReportsProgressPerPageAndStopsWhenCancelled) {
  TempDir dir;
  TiffLayout layout;
  layout.pages = 3;
  WriteTiff(dir.File("p.tif"), layout, Pattern);
  imaging::ImageBox image;
  RecordingProgress progress;
  std::string error;
  ASSERT_TRUE(ReadVolume(dir.File("p.tif"), image, progress, error));
  EXPECT_EQ(progress.calls, (std::vector<std::string>{"show Reading Image 0 3", "set 1", "set 2", "set 3", "hide"}));
  RecordingProgress cancelling;
  cancelling.cancel_after_first = true;
  EXPECT_FALSE(ReadVolume(dir.File("p.tif"), image, cancelling, error));
  EXPECT_EQ(cancelling.calls, (std::vector<std::string>{"show Reading Image 0 3", "set 1", "hide"}));
}

TEST(ReadVolume, BadFilesAreRefusedWithTheirReason) {
  TempDir dir;
  std::string error;
  test_support::WriteBytes(dir.File("text.tif"), {'h', 'e', 'l', 'l', 'o', '\n'});
  test_support::WriteBytes(dir.File("none.tif"), test_support::BuildRawTiff({}, {}));
  for (const char* name : {"missing.tif", "text.tif", "none.tif"}) {
    error.clear();
    EXPECT_FALSE(Read(dir.File(name), error));
    EXPECT_NE(error.find(name), std::string::npos) << error;
  }

  TiffLayout layout;
  layout.width = 64, layout.height = 64, layout.pages = 4, layout.compression = TiffCompression::kLzw;
  WriteTiff(dir.File("whole.tif"), layout, Pattern);
  // Cut inside the pixels of the first page, then of the last: the chain breaks off after page 3.
  for (int page : {0, 3}) {
    test_support::CopyTruncated(dir.File("whole.tif"), dir.File("cut.tif"),
                                test_support::FirstDataOffset(dir.File("whole.tif"), page) + 20);
    error.clear();
    EXPECT_FALSE(Read(dir.File("cut.tif"), error));
    EXPECT_TRUE(page == 0 || error.find("damaged after page 3") != std::string::npos) << error;
  }
}

// Pages of another size or kind than the first form series of their own: the first series opens.
TEST(ReadVolume, PagesOfAnotherSizeOrKindAreSeriesOfTheirOwn) {
  TempDir dir;
  TiffLayout a;
  a.width = 8, a.height = 8, a.pages = 2;
  for (const auto& [name, width, kind] : {std::tuple("a.tif", 9, "3ch"), std::tuple("b.tif", 8, "3ch")}) {
    WriteTiff(dir.File(name), a, Pattern);
    // Append a colour page (of another size, or of the same) with the image component.
    imaging::ImageBox box;
    ASSERT_TRUE(box.LoadPage(dir.File(name), 0));
    box.NewImage(width, 8);
    box.SaveImage(dir.File(name), imaging::kFormatTiff, true);
    std::string error;
    const auto v = Read(dir.File(name), error);
    ASSERT_TRUE(v) << error;
    EXPECT_EQ(std::tuple(v->Width, v->Depth, v->IsGrey), std::tuple(8, 2, true));
    const auto series = imaging::ListSeries(dir.File(name));
    ASSERT_EQ(series.size(), 2u) << name;
    EXPECT_EQ(imaging::SeriesLine(2, series[1]), "series 2: " + std::to_string(width) + "x8x1 " + kind);
  }
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
