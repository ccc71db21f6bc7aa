// Converting Leica series: page order, plane extraction, the colour mapping and bad input.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "export/series/leica_conversion.h"
#include "export/series/series_table.h"
#include "export/series/tiff_folder.h"
#include "tests/series/series_fixtures.h"

namespace lumetrix::series {
namespace {

using namespace testing;
using Names = std::vector<std::string>;

constexpr int kW = 6, kH = 4;

// A value that tells slice, channel and position apart; never 0.
uint8_t Value(int z, int c, int x, int y) { return static_cast<uint8_t>(1 + z * 16 + c * 64 + x + kW * y); }

class LeicaSeries : public ::testing::Test {
 protected:
  // Grey slices 0..last of one channel.
  void WriteChannel(const std::string& base, int last, int c) {
    for (int z = 0; z <= last; ++z) WriteGrey(dir.File(LeicaSliceName(base, z, c)), kW, kH, [=](int x, int y) { return Value(z, c, x, y); });
  }
  LeicaConversion Job(const std::string& base, std::array<bool, 3> checked = {true, true, true},
                      ColourSources colours = kDefaultColourSources) const {
    const SeriesTable table = FindSeries(ListTiffFiles(dir.path().string()));
    EXPECT_TRUE(table.RowOf(base)) << base;
    return LeicaConversionFor(table.Rows()[table.RowOf(base).value_or(0)], dir.path().string(), checked, colours,
                              out.File(base + ".tif"));
  }
  // Red, green, blue of every page z equal the channels given (-1: black) of slice z.
  void ExpectPages(const std::string& base, size_t count, std::map<int, std::array<int, 3>> channels) const {
    const std::vector<Page> pages = ReadPages(out.File(base + ".tif"));
    ASSERT_EQ(pages.size(), count);
    for (const auto& [z, colours] : channels) {
      const Page& page = pages[static_cast<size_t>(z)];
      ASSERT_EQ(std::tuple(page.Width, page.Height, page.Samples), std::tuple(kW, kH, 3));
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
          for (int k = 0; k < 3; ++k) {
            const int c = colours[static_cast<size_t>(k)];
            ASSERT_EQ(page.At(x, y, k), c < 0 ? 0 : Value(z, c, x, y)) << "z=" << z << " colour " << k << " at " << x << "," << y;
          }
    }
  }
  TempDir dir, out;
};

// Two channels give one page per slice in red and green, one progress step per slice; a third
// channel without files is simply black.
TEST_F(LeicaSeries, TwoChannelsGiveOnePagePerSliceInRedAndGreen) {
  WriteChannel("A", 4, 0);
  WriteChannel("A", 4, 1);
  ProgressLog progress;
  const ConversionResult result = ConvertLeicaSeries(Job("A"), &progress);
  ASSERT_TRUE(result.Written) << result.Message();
  EXPECT_EQ(std::tuple(result.Pages, result.UnreadableSlices), std::tuple(5, 0));
  EXPECT_EQ(progress.Calls, (std::vector<std::pair<int32_t, int32_t>>{{1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}}));
  ExpectPages("A", 5, {{0, {0, 1, -1}}, {1, {0, 1, -1}}, {2, {0, 1, -1}}, {3, {0, 1, -1}}, {4, {0, 1, -1}}});
}

// The colour lists choose the channel of each colour; an unchecked channel is black on every page.
TEST_F(LeicaSeries, ColourListsAndCheckedChannels) {
  for (int c = 0; c < 3; ++c) WriteChannel("A", 3, c);
  ASSERT_TRUE(ConvertLeicaSeries(Job("A", {true, true, true}, {1, 1, 2})).Written);  // red from "Green"
  ExpectPages("A", 4, {{1, {1, 1, 2}}});
  ASSERT_TRUE(ConvertLeicaSeries(Job("A", {true, true, true}, {2, 0, 1})).Written);
  ExpectPages("A", 4, {{2, {2, 0, 1}}});
  ASSERT_TRUE(ConvertLeicaSeries(Job("A", {true, true, false})).Written);
  ExpectPages("A", 4, {{0, {0, 1, -1}}, {3, {0, 1, -1}}});
  // Only channel 1 checked, but no colour shows it: nothing is read or counted.
  EXPECT_NE(ConvertLeicaSeries(Job("A", {false, true, false}, {0, 0, 0})).Error.find("None of the checked channels"),
            std::string::npos);
}

// Colour slices give their first non-zero byte in blue, green, red order: channel 0 stored in
// green (blue empty, red 9), channel 1 in red only. A series of one slice gives one page.
TEST_F(LeicaSeries, ColourSlicesGiveTheirFirstNonZeroByte) {
  for (int z = 0; z < 2; ++z) {
    WriteRgb(dir.File(LeicaSliceName("C", z, 0)), kW, kH, [z](int x, int y) { return std::array<uint8_t, 3>{9, Value(z, 0, x, y), 0}; });
    WriteRgb(dir.File(LeicaSliceName("C", z, 1)), kW, kH, [z](int x, int y) { return std::array<uint8_t, 3>{Value(z, 1, x, y), 0, 0}; });
  }
  ASSERT_TRUE(ConvertLeicaSeries(Job("C")).Written);
  ExpectPages("C", 2, {{0, {0, 1, -1}}, {1, {0, 1, -1}}});
  WriteChannel("Single", 0, 0);
  ASSERT_TRUE(ConvertLeicaSeries(Job("Single")).Written);
  ExpectPages("Single", 1, {{0, {0, -1, -1}}});
}

// An unreadable or missing slice is black (not the slice before) and reported; a shorter
// channel counts its missing slices; unreadable first slices keep page z equal to slice z.
TEST_F(LeicaSeries, UnreadableSlicesAreBlackAndReported) {
  WriteChannel("A", 4, 0);
  WriteChannel("A", 4, 1);
  WriteText(dir.File("A_z002_ch01.tif"), "broken");
  std::filesystem::remove(dir.File("A_z003_ch01.tif"));
  const ConversionResult result = ConvertLeicaSeries(Job("A"));
  ASSERT_TRUE(result.Written) << result.Message();
  EXPECT_EQ(std::tuple(result.UnreadableSlices, result.FirstUnreadable), std::tuple(2, "A_z002_ch01.tif"));
  EXPECT_NE(result.Message().find("2 slices could not be read"), std::string::npos) << result.Message();
  EXPECT_NE(result.Message().find("A_z002_ch01.tif"), std::string::npos) << result.Message();
  ExpectPages("A", 5, {{1, {0, 1, -1}}, {2, {0, -1, -1}}, {3, {0, -1, -1}}, {4, {0, 1, -1}}});
  WriteChannel("B", 4, 0);
  WriteChannel("B", 2, 1);
  LeicaConversion job = Job("B");
  EXPECT_EQ(std::tuple(job.LastSlice, Job("B", {false, true, true}).LastSlice), std::tuple(4, 2));
  const ConversionResult shorter = ConvertLeicaSeries(job);
  EXPECT_EQ(std::tuple(shorter.Written, shorter.Pages, shorter.UnreadableSlices), std::tuple(true, 5, 2));
  WriteChannel("D", 3, 0);
  WriteText(dir.File("D_z000_ch00.tif"), "");
  WriteText(dir.File("D_z001_ch00.tif"), std::string("II*\0", 4));
  const ConversionResult first = ConvertLeicaSeries(Job("D"));
  ASSERT_TRUE(first.Written) << first.Message();
  EXPECT_EQ(first.UnreadableSlices, 2);
  EXPECT_NE(first.Message().find("D_z000_ch00.tif"), std::string::npos);
  ExpectPages("D", 4, {{0, {-1, -1, -1}}, {1, {-1, -1, -1}}, {2, {0, -1, -1}}});
}

// No readable slice, a slice of another size, a slice as destination, a cancel: nothing is
// written and an older file stays.
TEST_F(LeicaSeries, FailuresWriteNothing) {
  WriteText(dir.File("N_z000_ch00.tif"), "not a tiff");
  WriteText(dir.File("N_z001_ch00.tif"), "not a tiff");
  WriteText(out.File("N.tif"), "older");
  EXPECT_NE(ConvertLeicaSeries(Job("N")).Error.find("None of the slices of N could be read"), std::string::npos);
  WriteChannel("A", 3, 0);
  WriteChannel("A", 3, 1);
  WriteGrey(dir.File("A_z002_ch01.tif"), kW, kH + 2, [](int, int) { return 5; });
  EXPECT_NE(ConvertLeicaSeries(Job("A")).Error.find("A_z002_ch01.tif is 6 x 6 pixels"), std::string::npos);
  LeicaConversion job = Job("A");
  job.Destination = dir.File("A_z001_ch00.tif");
  const std::string slice = ReadText(job.Destination);
  EXPECT_NE(ConvertLeicaSeries(job).Error.find("is one of the slices of A"), std::string::npos);
  EXPECT_EQ(ReadText(job.Destination), slice);
  WriteChannel("L", 5, 0);
  WriteText(out.File("L.tif"), "older");
  ProgressLog progress;
  progress.StopAt = 3;
  EXPECT_TRUE(ConvertLeicaSeries(Job("L"), &progress).Cancelled);
  EXPECT_EQ(std::tuple(ReadText(out.File("N.tif")), ReadText(out.File("L.tif"))), std::tuple("older", "older"));
  EXPECT_EQ(Entries(out), (Names{"L.tif", "N.tif"}));
}

}  // namespace
}  // namespace lumetrix::series
