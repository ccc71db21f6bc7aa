// The Leica naming scheme and the series it finds in a folder's file list.

#include <gtest/gtest.h>

#include "export/series/leica_names.h"
#include "export/series/series_table.h"

namespace lumetrix::series {
namespace {

std::vector<std::string> Slices(const std::string& base, int last, int channel) {
  std::vector<std::string> names;
  for (int z = 0; z <= last; ++z) names.push_back(LeicaSliceName(base, z, channel));
  return names;
}

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

std::vector<std::string> BaseNames(const SeriesTable& table, int channel) {
  std::vector<std::string> names;
  for (size_t row : table.Channel(channel)) names.push_back(table.Rows()[row].BaseName);
  return names;
}

TEST(LeicaNames, SliceNamesCarryThreeDigitSliceAndTwoDigitChannel) {
  EXPECT_EQ(LeicaSliceName("Sample3", 12, 1), "Sample3_z012_ch01.tif");
  EXPECT_EQ(LeicaSliceName("A", 0, 0), "A_z000_ch00.tif");
  EXPECT_EQ(LeicaSliceName("A", 999, 2), "A_z999_ch02.tif");
  EXPECT_THROW(LeicaSliceName("A", 1000, 0), std::out_of_range);
  EXPECT_THROW(LeicaSliceName("A", -1, 0), std::out_of_range);
  EXPECT_THROW(LeicaSliceName("A", 0, 3), std::out_of_range);
  EXPECT_EQ(ChannelTag(2), "_ch02");
}

TEST(LeicaNames, FirstSliceNeedsLowerCaseZ000AndTheChannelTag) {
  EXPECT_TRUE(IsFirstSlice("A_z000_ch00.tif", 0));
  EXPECT_FALSE(IsFirstSlice("A_z000_ch00.tif", 1));
  EXPECT_TRUE(IsFirstSlice("A_z000_ch01.TIF", 1));
  EXPECT_FALSE(IsFirstSlice("A_Z000_ch00.tif", 0));
  EXPECT_FALSE(IsFirstSlice("A_z000_CH00.tif", 0));
  EXPECT_FALSE(IsFirstSlice("A_z001_ch00.tif", 0));
}

TEST(LeicaNames, BaseNameRemovesEveryTagThenZ000ThenExtension) {
  EXPECT_EQ(LeicaBaseName("Sample3_z000_ch01.tif", 1), "Sample3");
  EXPECT_EQ(LeicaBaseName("A_ch00_z000.tif", 0), "A");
  // An upper-case extension is not the scheme's, so it stays in the name.
  EXPECT_EQ(LeicaBaseName("A_z000_ch00.TIF", 0), "A.TIF");
  // Only the channel's own tag goes.
  EXPECT_EQ(LeicaBaseName("A_ch01_z000_ch00.tif", 0), "A_ch01");
  EXPECT_EQ(LeicaBaseName("x_z000_z000_ch00.tif.tif", 0), "x");
}

TEST(LeicaNames, ParseSliceNameIsTheExactInverse) {
  const auto slice = ParseSliceName("Sample3_z012_ch01.tif");
  ASSERT_TRUE(slice);
  EXPECT_EQ(slice->Base, "Sample3");
  EXPECT_EQ(slice->Z, 12);
  EXPECT_EQ(slice->Channel, 1);
  EXPECT_FALSE(ParseSliceName("Sample3_z012_ch03.tif"));  // no fourth channel
  EXPECT_FALSE(ParseSliceName("Sample3_Z012_ch01.tif"));
  EXPECT_FALSE(ParseSliceName("Sample3_z012_ch01.TIF"));
  EXPECT_FALSE(ParseSliceName("Sample3_z12_ch01.tif"));
  EXPECT_FALSE(ParseSliceName("Sample3_z012_ch01.tiff"));
  EXPECT_FALSE(ParseSliceName("_z0a2_ch01.tif"));
  EXPECT_FALSE(ParseSliceName(".tif"));
  EXPECT_FALSE(ParseSliceName(""));
  const auto bare = ParseSliceName("_z007_ch02.tif");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->Base, "");
}

TEST(LeicaNames, ToolTipText) { EXPECT_EQ(SliceToolTip(6, 12), "Slice Z=6 of 12"); }

TEST(FindSeries, TwoChannelSeriesListedInBothChannelsOnly) {
  const SeriesTable table = FindSeries(Concat({Slices("A", 4, 0), Slices("A", 4, 1)}));
  ASSERT_EQ(table.Rows().size(), 1u);
  EXPECT_EQ(BaseNames(table, 0), std::vector<std::string>{"A"});
  EXPECT_EQ(BaseNames(table, 1), std::vector<std::string>{"A"});
  EXPECT_TRUE(BaseNames(table, 2).empty());
  EXPECT_EQ(table.Rows()[0].LastSlice[0], 4);
  EXPECT_EQ(table.Rows()[0].LastSlice[1], 4);
  EXPECT_FALSE(table.Rows()[0].HasChannel(2));
}

TEST(FindSeries, SeveralSeriesKeepListOrderAndTheirOwnCounts) {
  const SeriesTable table = FindSeries(
      Concat({Slices("Beads", 2, 0), Slices("Beads", 2, 1), Slices("Cells", 12, 0), Slices("Nuclei", 3, 2)}));
  EXPECT_EQ(BaseNames(table, 0), (std::vector<std::string>{"Beads", "Cells"}));
  EXPECT_EQ(BaseNames(table, 1), (std::vector<std::string>{"Beads"}));
  EXPECT_EQ(BaseNames(table, 2), (std::vector<std::string>{"Nuclei"}));
  ASSERT_EQ(table.Rows().size(), 3u);
  EXPECT_EQ(table.Rows()[*table.RowOf("Cells")].LastSlice[0], 12);
  EXPECT_EQ(table.Rows()[*table.RowOf("Nuclei")].LastSlice[2], 3);
  EXPECT_EQ(table.Rows()[*table.RowOf("Beads")].LastSliceOver({true, true, true}), 2);
  EXPECT_FALSE(table.RowOf("Missing"));
}

TEST(FindSeries, ChannelsOfDifferentLengthKeepEachTheirLastSlice) {
  const SeriesTable table = FindSeries(Concat({Slices("A", 6, 0), Slices("A", 3, 1)}));
  const SeriesRow& row = table.Rows()[0];
  EXPECT_EQ(row.LastSlice[0], 6);
  EXPECT_EQ(row.LastSlice[1], 3);
  EXPECT_EQ(row.LastSliceOver({false, true, true}), 3);
  EXPECT_EQ(row.LastSliceOver({true, true, false}), 6);
  EXPECT_FALSE(row.LastSliceOver({false, false, true}));
}

TEST(FindSeries, OnlyTheFirstSliceGivesLastSliceZero) {
  const SeriesTable table = FindSeries({"Single_z000_ch00.tif"});
  ASSERT_EQ(table.Rows().size(), 1u);
  EXPECT_EQ(table.Rows()[0].LastSlice[0], 0);
}

TEST(FindSeries, UpperCaseZAndExtensionAreNotTheScheme) {
  // _Z000 starts nothing; with .TIF the extension stays in the base name and no slice matches it.
  const SeriesTable table =
      FindSeries({"Lower_z000_ch00.TIF", "Lower_z001_ch00.TIF", "Upper_Z000_ch00.tif", "Upper_Z001_ch00.tif"});
  EXPECT_EQ(BaseNames(table, 0), std::vector<std::string>{"Lower.TIF"});
  EXPECT_EQ(table.Rows()[0].LastSlice[0], 0);
}

TEST(FindSeries, StrayNamesWithATagDoNotLengthenASeries) {
  const SeriesTable table =
      FindSeries({"A_z000_ch00.tif", "A_z001_ch00.tif", "A_z001_ch00_copy.tif", "A_notes_ch00.tif", "B_z007_ch00.tif"});
  EXPECT_EQ(BaseNames(table, 0), std::vector<std::string>{"A"});
  EXPECT_EQ(table.Rows()[0].LastSlice[0], 1);
}

TEST(FindSeries, AMissingMiddleSliceKeepsTheRealLastSlice) {
  std::vector<std::string> names = Slices("A", 5, 0);
  names.erase(names.begin() + 2);
  const SeriesTable table = FindSeries(names);
  EXPECT_EQ(table.Rows()[0].LastSlice[0], 5);
}

TEST(FindSeries, OrderOfTheListDoesNotChangeCounts) {
  std::vector<std::string> names = Concat({Slices("A", 3, 0), Slices("B", 2, 0)});
  std::reverse(names.begin(), names.end());
  const SeriesTable table = FindSeries(names);
  EXPECT_EQ(BaseNames(table, 0), (std::vector<std::string>{"B", "A"}));
  EXPECT_EQ(table.Rows()[*table.RowOf("A")].LastSlice[0], 3);
  EXPECT_EQ(table.Rows()[*table.RowOf("B")].LastSlice[0], 2);
}

TEST(FindSeries, TwoFirstSlicesWithOneBaseNameListTheSeriesOnce) {
  const SeriesTable table = FindSeries({"A_z000_ch00.tif", "A_z000_z000_ch00.tif", "A_z001_ch00.tif"});
  EXPECT_EQ(BaseNames(table, 0), std::vector<std::string>{"A"});
}

TEST(FindSeries, NothingFoundInAnUnrelatedFolder) {
  EXPECT_TRUE(FindSeries({}).empty());
  EXPECT_TRUE(FindSeries({"beads.tif", "cells_z001_ch00.tif"}).empty());
}

}  // namespace
}  // namespace lumetrix::series
