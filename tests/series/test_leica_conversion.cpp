// Converting Leica series: page order, plane extraction, the colour mapping and bad input.

#include <gtest/gtest.h>

#include <filesystem>

#include "export/series/leica_conversion.h"
#include "export/series/series_table.h"
#include "export/series/tiff_folder.h"
#include "tests/series/series_fixtures.h"

namespace lumetrix::series {
namespace {

using testing::Page;
using testing::ReadPages;

constexpr int kW = 6, kH = 4;

// A value that tells slice, channel and position apart; never 0.
uint8_t Value(int z, int c, int x, int y) { return static_cast<uint8_t>(1 + z * 16 + c * 64 + x + kW * y) ; }

class LeicaSeries : public ::testing::Test {
 protected:
  // Grey slices of one channel.
  void WriteChannel(const std::string& base, int last, int c, int width = kW, int height = kH) {
    for (int z = 0; z <= last; ++z) {
      testing::WriteGreyTiff(dir.File(LeicaSliceName(base, z, c)), width, height,
                             [=](int x, int y) { return Value(z, c, x % kW, y % kH); });
    }
  }
  SeriesTable Table() const { return FindSeries(ListTiffFiles(dir.Path())); }
  LeicaConversion Job(const std::string& base, std::array<bool, 3> checked = {true, true, true},
                      ColourSources colours = kDefaultColourSources) const {
    const SeriesTable table = Table();
    const auto row = table.RowOf(base);
    EXPECT_TRUE(row) << base;
    return LeicaConversionFor(table.Rows()[*row], dir.Path(), checked, colours, out.File(base + ".tif"));
  }
  // Red, green, blue of page z at every pixel equal the expected channel values (-1: black).
  void ExpectPage(const Page& page, int z, std::array<int, 3> channels) const {
    ASSERT_EQ(page.Width, static_cast<uint32_t>(kW));
    ASSERT_EQ(page.Height, static_cast<uint32_t>(kH));
    ASSERT_EQ(page.Samples, 3);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        for (int k = 0; k < 3; ++k) {
          const int c = channels[static_cast<size_t>(k)];
          ASSERT_EQ(page.At(x, y, k), c < 0 ? 0 : Value(z, c, x, y)) << "z=" << z << " colour " << k << " at " << x << "," << y;
        }
  }
  testing::TempDir dir;
  testing::TempDir out;
};

TEST_F(LeicaSeries, TwoChannelsGiveOnePagePerSliceInRedAndGreen) {
  WriteChannel("A", 4, 0);
  WriteChannel("A", 4, 1);
  testing::StepProgress progress;
  const ConversionResult result = ConvertLeicaSeries(Job("A"), &progress);
  ASSERT_TRUE(result.Written) << result.Message();
  EXPECT_EQ(result.Pages, 5);
  EXPECT_EQ(result.UnreadableSlices, 0) << "channel 2 has no files and is simply black";
  EXPECT_EQ(progress.Maximum, 5);
  EXPECT_EQ(progress.Steps, (std::vector<int32_t>{1, 2, 3, 4, 5}));
  const auto pages = ReadPages(out.File("A.tif"));
  ASSERT_EQ(pages.size(), 5u);
  for (int z = 0; z < 5; ++z) ExpectPage(pages[static_cast<size_t>(z)], z, {0, 1, -1});
}

TEST_F(LeicaSeries, ColourListsChooseTheChannelOfEachColour) {
  WriteChannel("A", 2, 0);
  WriteChannel("A", 2, 1);
  WriteChannel("A", 2, 2);
  // Colour list 0 ("red") set to "Green": red is a copy of channel 1.
  ASSERT_TRUE(ConvertLeicaSeries(Job("A", {true, true, true}, {1, 1, 2})).Written);
  auto pages = ReadPages(out.File("A.tif"));
  ASSERT_EQ(pages.size(), 3u);
  ExpectPage(pages[1], 1, {1, 1, 2});
  ASSERT_TRUE(ConvertLeicaSeries(Job("A", {true, true, true}, {2, 0, 1})).Written);
  pages = ReadPages(out.File("A.tif"));
  ExpectPage(pages[2], 2, {2, 0, 1});
}

TEST_F(LeicaSeries, AnUncheckedChannelIsBlackOnEveryPage) {
  WriteChannel("A", 3, 0);
  WriteChannel("A", 3, 1);
  WriteChannel("A", 3, 2);
  ASSERT_TRUE(ConvertLeicaSeries(Job("A", {true, true, false})).Written);
  const auto pages = ReadPages(out.File("A.tif"));
  ASSERT_EQ(pages.size(), 4u);
  for (int z = 0; z < 4; ++z) ExpectPage(pages[static_cast<size_t>(z)], z, {0, 1, -1});
}

TEST_F(LeicaSeries, ColourSlicesGiveTheirFirstNonZeroByte) {
  // Channel 0 stored in green (blue empty), channel 1 stored in red only.
  for (int z = 0; z < 2; ++z) {
    testing::WriteRgbTiff(dir.File(LeicaSliceName("C", z, 0)), kW, kH,
                          [z](int x, int y) { return std::array<uint8_t, 3>{9, Value(z, 0, x, y), 0}; });
    testing::WriteRgbTiff(dir.File(LeicaSliceName("C", z, 1)), kW, kH,
                          [z](int x, int y) { return std::array<uint8_t, 3>{Value(z, 1, x, y), 0, 0}; });
  }
  // Blue comes before green in the pixel bytes: channel 0 (blue 0, green set, red 9) gives green.
  ASSERT_TRUE(ConvertLeicaSeries(Job("C")).Written);
  const auto pages = ReadPages(out.File("C.tif"));
  ASSERT_EQ(pages.size(), 2u);
  for (int z = 0; z < 2; ++z) ExpectPage(pages[static_cast<size_t>(z)], z, {0, 1, -1});
}

TEST_F(LeicaSeries, OnlyTheFirstSliceGivesAOnePageFile) {
  WriteChannel("Single", 0, 0);
  const ConversionResult result = ConvertLeicaSeries(Job("Single"));
  ASSERT_TRUE(result.Written) << result.Message();
  const auto pages = ReadPages(out.File("Single.tif"));
  ASSERT_EQ(pages.size(), 1u);
  ExpectPage(pages[0], 0, {0, -1, -1});
}

TEST_F(LeicaSeries, AnUnreadableSliceIsBlackAndReported) {
  WriteChannel("A", 4, 0);
  WriteChannel("A", 4, 1);
  testing::WriteBytes(dir.File("A_z002_ch01.tif"), "broken");
  std::filesystem::remove(dir.File("A_z003_ch01.tif"));
  const ConversionResult result = ConvertLeicaSeries(Job("A"));
  ASSERT_TRUE(result.Written) << result.Message();
  EXPECT_EQ(result.UnreadableSlices, 2);
  EXPECT_EQ(result.FirstUnreadable, "A_z002_ch01.tif");
  EXPECT_NE(result.Message().find("2 slices could not be read"), std::string::npos) << result.Message();
  EXPECT_NE(result.Message().find("A_z002_ch01.tif"), std::string::npos) << result.Message();
  const auto pages = ReadPages(out.File("A.tif"));
  ASSERT_EQ(pages.size(), 5u);
  ExpectPage(pages[1], 1, {0, 1, -1});
  // Not the previous slice's plane: black.
  ExpectPage(pages[2], 2, {0, -1, -1});
  ExpectPage(pages[3], 3, {0, -1, -1});
  ExpectPage(pages[4], 4, {0, 1, -1});
}

TEST_F(LeicaSeries, UnreadableFirstSlicesStillKeepPageZEqualToSliceZ) {
  WriteChannel("A", 3, 0);
  testing::WriteBytes(dir.File("A_z000_ch00.tif"), "");
  testing::WriteBytes(dir.File("A_z001_ch00.tif"), "II*\0");
  const ConversionResult result = ConvertLeicaSeries(Job("A"));
  ASSERT_TRUE(result.Written) << result.Message();
  EXPECT_EQ(result.UnreadableSlices, 2);
  EXPECT_NE(result.Message().find("A_z000_ch00.tif"), std::string::npos);
  const auto pages = ReadPages(out.File("A.tif"));
  ASSERT_EQ(pages.size(), 4u);
  ExpectPage(pages[0], 0, {-1, -1, -1});
  ExpectPage(pages[1], 1, {-1, -1, -1});
  ExpectPage(pages[2], 2, {0, -1, -1});
}

TEST_F(LeicaSeries, NoReadableSliceWritesNothing) {
  testing::WriteBytes(dir.File("A_z000_ch00.tif"), "not a tiff");
  testing::WriteBytes(dir.File("A_z001_ch00.tif"), "not a tiff");
  testing::WriteBytes(out.File("A.tif"), "older");
  const ConversionResult result = ConvertLeicaSeries(Job("A"));
  EXPECT_FALSE(result.Written);
  EXPECT_NE(result.Error.find("None of the slices of A could be read"), std::string::npos) << result.Error;
  EXPECT_EQ(testing::ReadBytes(out.File("A.tif")), "older");
  EXPECT_EQ(out.Entries(), std::vector<std::string>{"A.tif"});
}

TEST_F(LeicaSeries, SlicesOfAnotherSizeAreRefusedNamingTheFile) {
  WriteChannel("A", 3, 0);
  WriteChannel("A", 3, 1);
  testing::WriteGreyTiff(dir.File("A_z002_ch01.tif"), kW, kH + 2, [](int, int) { return 5; });
  const ConversionResult result = ConvertLeicaSeries(Job("A"));
  EXPECT_FALSE(result.Written);
  EXPECT_NE(result.Error.find("A_z002_ch01.tif is 6 x 6 pixels"), std::string::npos) << result.Error;
  EXPECT_TRUE(out.Entries().empty());
}

TEST_F(LeicaSeries, TheDestinationMayNotBeASlice) {
  WriteChannel("A", 2, 0);
  LeicaConversion job = Job("A");
  job.Destination = dir.File("A_z001_ch00.tif");
  const std::string before = testing::ReadBytes(job.Destination);
  const ConversionResult result = ConvertLeicaSeries(job);
  EXPECT_FALSE(result.Written);
  EXPECT_NE(result.Error.find("is one of the slices of A"), std::string::npos) << result.Error;
  EXPECT_EQ(testing::ReadBytes(job.Destination), before);
}

TEST_F(LeicaSeries, ChannelsOutsideTheColoursAreNeitherReadNorCounted) {
  WriteChannel("A", 2, 0);
  // Only channel 1 is checked, but no colour shows it.
  const ConversionResult result = ConvertLeicaSeries(Job("A", {false, true, false}, {0, 0, 0}));
  EXPECT_FALSE(result.Written);
  EXPECT_NE(result.Error.find("None of the checked channels"), std::string::npos);
}

TEST_F(LeicaSeries, CancellingKeepsTheOlderFile) {
  WriteChannel("A", 5, 0);
  testing::WriteBytes(out.File("A.tif"), "older");
  testing::StepProgress progress;
  progress.StopAt = 3;
  const ConversionResult result = ConvertLeicaSeries(Job("A"), &progress);
  EXPECT_TRUE(result.Cancelled);
  EXPECT_EQ(testing::ReadBytes(out.File("A.tif")), "older");
  EXPECT_EQ(out.Entries(), std::vector<std::string>{"A.tif"});
}

TEST_F(LeicaSeries, ShorterChannelsUseTheLongestCheckedOne) {
  WriteChannel("A", 4, 0);
  WriteChannel("A", 2, 1);
  LeicaConversion job = Job("A");
  EXPECT_EQ(job.LastSlice, 4);
  const ConversionResult result = ConvertLeicaSeries(job);
  ASSERT_TRUE(result.Written);
  EXPECT_EQ(result.Pages, 5);
  EXPECT_EQ(result.UnreadableSlices, 2) << "slices 3 and 4 of channel 1 are missing";
  EXPECT_EQ(Job("A", {false, true, true}).LastSlice, 2);
}

}  // namespace
}  // namespace lumetrix::series
