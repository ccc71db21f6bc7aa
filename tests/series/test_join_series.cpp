// Joining single-page TIFF files into one 24-bit multi-page file.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "export/series/join_series.h"
#include "tests/series/series_fixtures.h"

namespace lumetrix::series {
namespace {

using namespace testing;
using Names = std::vector<std::string>;

constexpr int kW = 7, kH = 5;

uint8_t GreyValue(int file, int x, int y) { return static_cast<uint8_t>(10 * file + 3 * x + 11 * y + 1); }

class JoinSeries : public ::testing::Test {
 protected:
  // g0..g2 grey, c3 colour.
  void SetUp() override {
    for (int f = 0; f < 3; ++f) WriteGrey(Source(f), kW, kH, [f](int x, int y) { return GreyValue(f, x, y); });
    WriteRgb(Source(3), kW, kH, [](int x, int y) { return std::array<uint8_t, 3>{uint8_t(x), uint8_t(y), 200}; });
  }
  std::string Source(int f) const { return dir.File(std::string(f < 3 ? "g" : "c").append(std::to_string(f)).append(".tif")); }
  // Every page is 24-bit colour; grey pages have their grey value in each colour.
  void ExpectPages(const std::string& path, const std::vector<int>& files) const {
    const std::vector<Page> pages = ReadPages(path);
    ASSERT_EQ(pages.size(), files.size());
    for (size_t i = 0; i < pages.size(); ++i) {
      ASSERT_EQ(std::tuple(pages[i].Width, pages[i].Height, pages[i].Samples), std::tuple(kW, kH, 3));
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
          for (int s = 0; s < 3; ++s) {
            const int want = files[i] == 3 ? std::array<int, 3>{x, y, 200}[static_cast<size_t>(s)] : GreyValue(files[i], x, y);
            ASSERT_EQ(pages[i].At(x, y, s), want) << "page " << i << " at " << x << "," << y;
          }
    }
  }
  // The folder holds only the sources and what is named here: no temporary files were left.
  void ExpectOnlySourcesAnd(Names more) const {
    more.insert(more.end(), {"c3.tif", "g0.tif", "g1.tif", "g2.tif"});
    std::sort(more.begin(), more.end());
    EXPECT_EQ(Entries(dir), more);
  }
  TempDir dir;
};

// Pages follow the list order (a name twice gives its page twice); only page 0 of a multi-page
// source is taken; one progress step per page; an existing file is replaced whole.
TEST_F(JoinSeries, PagesFollowTheListOrderAsColour) {
  const std::string out = dir.File("out.tif");
  ProgressLog progress;
  const ConversionResult result = JoinTiffSeries({Source(2), Source(0), Source(3), Source(1), Source(0)}, out, &progress);
  ASSERT_TRUE(result.Written) << result.Message();
  EXPECT_EQ(std::tuple(result.Pages, result.Message()), std::tuple(5, ""));
  EXPECT_EQ(progress.Calls, (std::vector<std::pair<int32_t, int32_t>>{{1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}}));
  ExpectPages(out, {2, 0, 3, 1, 0});
  ExpectOnlySourcesAnd({"out.tif"});
  test_support::TiffLayout stack;
  stack.width = kW, stack.height = kH, stack.pages = 3;
  test_support::WriteTiff(dir.File("stack.tif"), stack, [](int p, int x, int y, int) { return GreyValue(p + 1, x, y); });
  ASSERT_TRUE(JoinTiffSeries({dir.File("stack.tif")}, out).Written);
  ExpectPages(out, {1});
}

// Files that are not TIFFs, cut, empty or hostile (an IFD offset far past the end) stop the
// join, naming the file; nothing is written and an older output stays.
TEST_F(JoinSeries, FilesThatCannotBeReadStopWithTheirName) {
  const std::string whole = ReadText(Source(0));
  WriteText(dir.File("notes.tif"), "these are my notes, not an image");
  WriteText(dir.File("cut.tif"), whole.substr(0, whole.size() / 2));
  WriteText(dir.File("header.tif"), whole.substr(0, 8));
  WriteText(dir.File("empty.tif"), "");
  WriteText(dir.File("hostile.tif"), std::string("II*\0\xff\xff\xff\x7f", 8));
  WriteText(dir.File("out.tif"), "precious");
  for (const char* bad : {"notes.tif", "cut.tif", "header.tif", "empty.tif", "hostile.tif"}) {
    const ConversionResult result = JoinTiffSeries({Source(0), dir.File(bad), Source(1)}, dir.File("out.tif"));
    EXPECT_FALSE(result.Written) << bad;
    EXPECT_FALSE(result.Error.empty()) << bad;
    EXPECT_EQ(ReadText(dir.File("out.tif")), "precious") << bad;
  }
  const ConversionResult notes = JoinTiffSeries({Source(0), dir.File("notes.tif")}, dir.File("out.tif"));
  EXPECT_NE(notes.Message().find("notes.tif"), std::string::npos) << notes.Message();
  EXPECT_NE(notes.Message().find("Nothing was written to out.tif"), std::string::npos) << notes.Message();
  ExpectOnlySourcesAnd({"cut.tif", "empty.tif", "header.tif", "hostile.tif", "notes.tif", "out.tif"});
}

TEST_F(JoinSeries, APageOfAnotherSizeIsRefusedNamingTheFile) {
  WriteGrey(dir.File("wide.tif"), kW + 1, kH, [](int, int) { return 9; });
  const ConversionResult result = JoinTiffSeries({Source(0), Source(1), dir.File("wide.tif")}, dir.File("out.tif"));
  EXPECT_FALSE(result.Written);
  EXPECT_NE(result.Error.find("wide.tif is 8 x 5 pixels"), std::string::npos) << result.Error;
  EXPECT_NE(result.Error.find("7 x 5 pixels of g0.tif"), std::string::npos) << result.Error;
  EXPECT_FALSE(Exists(dir.File("out.tif")));
}

// A source as destination, a missing folder, a folder, a "folder" that is a file, a folder that
// cannot be written, no sources: a message and no output.
TEST_F(JoinSeries, DestinationsThatCannotBeWrittenGiveAMessage) {
  const std::string before = ReadText(Source(1));
  EXPECT_NE(JoinTiffSeries({Source(0), Source(1)}, Source(1)).Error.find("g1.tif is one of the files"), std::string::npos);
  EXPECT_EQ(ReadText(Source(1)), before);
  EXPECT_NE(JoinTiffSeries({Source(0)}, dir.File("missing/out.tif")).Error.find("does not exist"), std::string::npos);
  EXPECT_NE(JoinTiffSeries({Source(0)}, dir.path().string()).Error.find("it is a folder"), std::string::npos);
  EXPECT_FALSE(JoinTiffSeries({Source(0)}, Source(1) + "/out.tif").Written);
  EXPECT_FALSE(JoinTiffSeries({}, dir.File("out.tif")).Written);
  if (::geteuid() != 0) {
    TempDir locked;
    std::filesystem::permissions(locked.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_NE(JoinTiffSeries({Source(0)}, locked.File("out.tif")).Error.find("Permission denied"), std::string::npos);
  }
  ExpectOnlySourcesAnd({});
}

TEST_F(JoinSeries, CancellingLeavesNothingBehind) {
  WriteText(dir.File("out.tif"), "older");
  ProgressLog progress;
  progress.StopAt = 2;
  const ConversionResult result = JoinTiffSeries({Source(0), Source(1), Source(2)}, dir.File("out.tif"), &progress);
  EXPECT_EQ(std::tuple(result.Cancelled, result.Written, result.Message()), std::tuple(true, false, ""));
  EXPECT_EQ(ReadText(dir.File("out.tif")), "older");
  ExpectOnlySourcesAnd({"out.tif"});
}

// Many pages of several strips, compressed on worker threads by our LZW, land in the order given;
// the file satisfies libtiff's own tools, and libtiff decodes tiffcp's copy to the same pixels.
TEST_F(JoinSeries, ManyPagesCompressedInParallelKeepTheirOrderAndSatisfyLibtiffsTools) {
  constexpr int kPages = 41, kBigW = 300, kBigH = 150;  // 72 rows per 64 KB strip: three strips
  // Noise on odd pages fills the compression table several times per strip.
  auto value = [](int f, int x, int y) {
    const uint32_t noise = f % 2 ? (static_cast<uint32_t>(x * 7919 + y * 104729 + f) * 2654435761u) >> 27 : 0;
    return static_cast<int>((f * 37 + x * (f % 5 + 1) + y * 3 + noise) % 256);
  };
  Names sources;
  for (int f = 0; f < kPages; ++f) {
    char name[16];
    std::snprintf(name, sizeof name, "p%03d.tif", f);
    sources.push_back(dir.File(name));
    WriteGrey(sources.back(), kBigW, kBigH, [&, f](int x, int y) { return value(f, x, y); });
  }
  const std::string out = dir.File("many.tif"), copy = dir.File("copy.tif");
  ASSERT_TRUE(JoinTiffSeries(sources, out, nullptr).Written);
  std::string quiet = " >/dev/null 2>";
  quiet += dir.File("err.txt");
  EXPECT_EQ(std::system(("tiffinfo -D " + out + quiet).c_str()), 0);
  EXPECT_EQ(std::system(("tiffcp -c none " + out + " " + copy + quiet).c_str()), 0);
  EXPECT_EQ(std::filesystem::file_size(dir.File("err.txt")), 0u);
  const std::vector<Page> pages = ReadPages(out), copied = ReadPages(copy);
  ASSERT_EQ(pages.size(), size_t{kPages});
  ASSERT_EQ(copied.size(), size_t{kPages});
  for (int f = 0; f < kPages; ++f) {
    const Page& p = pages[static_cast<size_t>(f)];
    ASSERT_EQ(p.Rgb, copied[static_cast<size_t>(f)].Rgb);
    for (int y = 0; y < kBigH; y += 7)
      for (int x = 0; x < kBigW; x += 13) ASSERT_EQ(p.At(x, y, 1), value(f, x, y)) << f;
  }
}

}  // namespace
}  // namespace lumetrix::series
