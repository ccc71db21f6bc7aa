// Joining single-page TIFF files into one 24-bit multi-page file.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "export/series/join_series.h"
#include "tests/series/series_fixtures.h"

namespace lumetrix::series {
namespace {

using testing::Page;
using testing::ReadPages;
using testing::TempDir;

constexpr int kW = 7, kH = 5;

uint8_t GreyValue(int file, int x, int y) { return static_cast<uint8_t>(10 * file + 3 * x + 11 * y + 1); }

class JoinSeries : public ::testing::Test {
 protected:
  // g0..g2 grey, c3 colour.
  void SetUp() override {
    for (int f = 0; f < 3; ++f) {
      testing::WriteGreyTiff(Source(f), kW, kH, [f](int x, int y) { return GreyValue(f, x, y); });
    }
    testing::WriteRgbTiff(Source(3), kW, kH, [](int x, int y) {
      return std::array<uint8_t, 3>{static_cast<uint8_t>(x), static_cast<uint8_t>(y), 200};
    });
  }
  std::string Source(int f) const {
    std::string name(1, f < 3 ? 'g' : 'c');
    return dir.File(name.append(std::to_string(f)).append(".tif"));
  }
  void ExpectGreyPage(const Page& page, int file) const {
    ASSERT_EQ(page.Width, static_cast<uint32_t>(kW));
    ASSERT_EQ(page.Height, static_cast<uint32_t>(kH));
    ASSERT_EQ(page.Samples, 3) << "every page is 24-bit colour";
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        for (int s = 0; s < 3; ++s) ASSERT_EQ(page.At(x, y, s), GreyValue(file, x, y)) << x << "," << y;
  }
  // The folder holds only the sources and what is named here: no temporary files were left.
  void ExpectOnlySourcesAnd(std::vector<std::string> more) const {
    std::vector<std::string> expected{"c3.tif", "g0.tif", "g1.tif", "g2.tif"};
    expected.insert(expected.end(), more.begin(), more.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(dir.Entries(), expected);
  }
  TempDir dir;
};

TEST_F(JoinSeries, PagesFollowTheListOrderAsColour) {
  const std::string out = dir.File("out.tif");
  testing::StepProgress progress;
  const ConversionResult result = JoinTiffSeries({Source(2), Source(0), Source(3), Source(1)}, out, &progress);
  ASSERT_TRUE(result.Written) << result.Message();
  EXPECT_EQ(result.Pages, 4);
  EXPECT_EQ(result.Message(), "");
  EXPECT_EQ(progress.Maximum, 4);
  EXPECT_EQ(progress.Steps, (std::vector<int32_t>{1, 2, 3, 4}));
  const std::vector<Page> pages = ReadPages(out);
  ASSERT_EQ(pages.size(), 4u);
  ExpectGreyPage(pages[0], 2);
  ExpectGreyPage(pages[1], 0);
  ExpectGreyPage(pages[3], 1);
  EXPECT_EQ(pages[2].Samples, 3);
  EXPECT_EQ(pages[2].At(4, 3, 0), 4);
  EXPECT_EQ(pages[2].At(4, 3, 1), 3);
  EXPECT_EQ(pages[2].At(4, 3, 2), 200);
  ExpectOnlySourcesAnd({"out.tif"});
}

TEST_F(JoinSeries, ANameTwiceGivesItsPageTwice) {
  const std::string out = dir.File("twice.tif");
  ASSERT_TRUE(JoinTiffSeries({Source(0), Source(1), Source(0), Source(1)}, out).Written);
  const auto pages = ReadPages(out);
  ASSERT_EQ(pages.size(), 4u);
  ExpectGreyPage(pages[2], 0);
  ExpectGreyPage(pages[3], 1);
}

TEST_F(JoinSeries, OneFileGivesOnePage) {
  const std::string out = dir.File("one.tif");
  ASSERT_TRUE(JoinTiffSeries({Source(1)}, out).Written);
  const auto pages = ReadPages(out);
  ASSERT_EQ(pages.size(), 1u);
  ExpectGreyPage(pages[0], 1);
}

TEST_F(JoinSeries, OnlyPageZeroOfAMultiPageSourceIsTaken) {
  testing::WriteGreyPages(dir.File("stack.tif"), kW, kH, 3, [](int p, int x, int y) { return GreyValue(p, x, y); });
  const std::string out = dir.File("out.tif");
  ASSERT_TRUE(JoinTiffSeries({dir.File("stack.tif"), Source(1)}, out).Written);
  const auto pages = ReadPages(out);
  ASSERT_EQ(pages.size(), 2u);
  ExpectGreyPage(pages[0], 0);
}

TEST_F(JoinSeries, AnExistingFileIsReplacedWhole) {
  const std::string out = dir.File("out.tif");
  ASSERT_TRUE(JoinTiffSeries({Source(0), Source(1), Source(2)}, out).Written);
  ASSERT_TRUE(JoinTiffSeries({Source(2)}, out).Written);
  const auto pages = ReadPages(out);
  ASSERT_EQ(pages.size(), 1u);
  ExpectGreyPage(pages[0], 2);
}

TEST_F(JoinSeries, AFileThatIsNotATiffStopsWithItsNameAndKeepsTheOldOutput) {
  testing::WriteBytes(dir.File("notes.tif"), "these are my notes, not an image");
  const std::string out = dir.File("out.tif");
  testing::WriteBytes(out, "precious");
  const ConversionResult result = JoinTiffSeries({Source(0), dir.File("notes.tif"), Source(1)}, out);
  EXPECT_FALSE(result.Written);
  EXPECT_NE(result.Message().find("notes.tif"), std::string::npos) << result.Message();
  EXPECT_NE(result.Message().find("Nothing was written to out.tif"), std::string::npos) << result.Message();
  EXPECT_EQ(testing::ReadBytes(out), "precious");
  ExpectOnlySourcesAnd({"notes.tif", "out.tif"});
}

TEST_F(JoinSeries, TruncatedAndEmptyTiffsAreRefused) {
  const std::string whole = testing::ReadBytes(Source(0));
  testing::WriteBytes(dir.File("cut.tif"), whole.substr(0, whole.size() / 2));
  testing::WriteBytes(dir.File("header.tif"), whole.substr(0, 8));
  testing::WriteBytes(dir.File("empty.tif"), "");
  // An IFD offset far past the end of the file.
  testing::WriteBytes(dir.File("hostile.tif"), std::string("II*\0\xff\xff\xff\x7f", 8));
  for (const char* bad : {"cut.tif", "header.tif", "empty.tif", "hostile.tif"}) {
    const std::string out = dir.File("out.tif");
    const ConversionResult result = JoinTiffSeries({Source(0), dir.File(bad)}, out);
    EXPECT_FALSE(result.Written) << bad;
    EXPECT_FALSE(result.Error.empty()) << bad;
    EXPECT_FALSE(testing::Exists(out)) << bad;
  }
  ExpectOnlySourcesAnd({"cut.tif", "empty.tif", "header.tif", "hostile.tif"});
}

TEST_F(JoinSeries, APageOfAnotherSizeIsRefusedNamingTheFile) {
  testing::WriteGreyTiff(dir.File("wide.tif"), kW + 1, kH, [](int, int) { return 9; });
  const std::string out = dir.File("out.tif");
  const ConversionResult result = JoinTiffSeries({Source(0), Source(1), dir.File("wide.tif")}, out);
  EXPECT_FALSE(result.Written);
  EXPECT_NE(result.Error.find("wide.tif is 8 x 5 pixels"), std::string::npos) << result.Error;
  EXPECT_NE(result.Error.find("7 x 5 pixels of g0.tif"), std::string::npos) << result.Error;
  EXPECT_FALSE(testing::Exists(out));
}

TEST_F(JoinSeries, TheDestinationMayNotBeOneOfTheSources) {
  const std::string before = testing::ReadBytes(Source(1));
  const ConversionResult result = JoinTiffSeries({Source(0), Source(1)}, Source(1));
  EXPECT_FALSE(result.Written);
  EXPECT_NE(result.Error.find("g1.tif is one of the files"), std::string::npos) << result.Error;
  EXPECT_EQ(testing::ReadBytes(Source(1)), before);
  ExpectOnlySourcesAnd({});
}

TEST_F(JoinSeries, UnwritableDestinationsGiveAMessage) {
  EXPECT_NE(JoinTiffSeries({Source(0)}, dir.File("missing/out.tif")).Error.find("does not exist"), std::string::npos);
  EXPECT_NE(JoinTiffSeries({Source(0)}, dir.Path()).Error.find("it is a folder"), std::string::npos);
  // A "folder" that is a file.
  EXPECT_FALSE(JoinTiffSeries({Source(0)}, Source(1) + "/out.tif").Written);
  if (::geteuid() != 0) {
    TempDir locked;
    std::filesystem::permissions(locked.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const ConversionResult result = JoinTiffSeries({Source(0)}, locked.File("out.tif"));
    EXPECT_FALSE(result.Written);
    EXPECT_NE(result.Error.find("Permission denied"), std::string::npos) << result.Error;
  }
  ExpectOnlySourcesAnd({});
}

TEST_F(JoinSeries, NoSourcesNoOutput) {
  const ConversionResult result = JoinTiffSeries({}, dir.File("out.tif"));
  EXPECT_FALSE(result.Written);
  EXPECT_FALSE(testing::Exists(dir.File("out.tif")));
}

TEST_F(JoinSeries, CancellingLeavesNothingBehind) {
  const std::string out = dir.File("out.tif");
  testing::WriteBytes(out, "older");
  testing::StepProgress progress;
  progress.StopAt = 2;
  const ConversionResult result = JoinTiffSeries({Source(0), Source(1), Source(2)}, out, &progress);
  EXPECT_TRUE(result.Cancelled);
  EXPECT_FALSE(result.Written);
  EXPECT_EQ(result.Message(), "");
  EXPECT_EQ(testing::ReadBytes(out), "older");
  ExpectOnlySourcesAnd({"out.tif"});
}

}  // namespace
}  // namespace lumetrix::series
