// The Leica naming scheme and the series it finds in a folder's file list.

#include <gtest/gtest.h>

#include "export/series/leica_names.h"
#include "export/series/series_table.h"

namespace lumetrix::series {
namespace {

using Names = std::vector<std::string>;

Names Slices(const std::string& base, int last, int channel) {
  Names names;
  for (int z = 0; z <= last; ++z) names.push_back(LeicaSliceName(base, z, channel));
  return names;
}

Names Concat(std::initializer_list<Names> parts) {
  Names all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

Names BaseNames(const SeriesTable& table, int channel) {
  Names names;
  for (size_t row : table.Channel(channel)) names.push_back(table.Rows()[row].BaseName);
  return names;
}

std::optional<int32_t> LastSlice(const SeriesTable& table, const std::string& base, int channel) {
  return table.Rows()[table.RowOf(base).value()].LastSlice[static_cast<size_t>(channel)];
}

TEST(LeicaNames, SliceNamesAndTheirExactInverse) {
  EXPECT_EQ(LeicaSliceName("Sample3", 12, 1), "Sample3_z012_ch01.tif");
  EXPECT_EQ(LeicaSliceName("A", 0, 0), "A_z000_ch00.tif");
  EXPECT_EQ(LeicaSliceName("A", 999, 2), "A_z999_ch02.tif");
  for (const auto& [z, c] : {std::pair{1000, 0}, {-1, 0}, {0, 3}}) EXPECT_THROW(LeicaSliceName("A", z, c), std::out_of_range);
  EXPECT_EQ(ChannelTag(2), "_ch02");
  EXPECT_EQ(SliceToolTip(6, 12), "Slice Z=6 of 12");
  const auto slice = ParseSliceName("Sample3_z012_ch01.tif");
  ASSERT_TRUE(slice);
  EXPECT_EQ(std::tuple(slice->Base, slice->Z, slice->Channel), std::tuple("Sample3", 12, 1));
  EXPECT_EQ(ParseSliceName("_z007_ch02.tif").value_or(SliceName{}).Base, "");
  // No fourth channel, upper case, two digits, ".tiff", a letter for a digit, nothing.
  for (const char* bad : {"Sample3_z012_ch03.tif", "Sample3_Z012_ch01.tif", "Sample3_z012_ch01.TIF", "Sample3_z12_ch01.tif",
                          "Sample3_z012_ch01.tiff", "_z0a2_ch01.tif", ".tif", ""})
    EXPECT_FALSE(ParseSliceName(bad)) << bad;
}

TEST(LeicaNames, FirstSliceAndBaseName) {
  EXPECT_TRUE(IsFirstSlice("A_z000_ch00.tif", 0));
  EXPECT_TRUE(IsFirstSlice("A_z000_ch01.TIF", 1));
  for (const auto& [name, channel] : {std::pair{"A_z000_ch00.tif", 1}, {"A_Z000_ch00.tif", 0}, {"A_z000_CH00.tif", 0},
                                      {"A_z001_ch00.tif", 0}})
    EXPECT_FALSE(IsFirstSlice(name, channel)) << name;
  // Every tag of the channel goes, then "_z000", then the extension; an upper-case extension is
  // not the scheme's and stays.
  for (const auto& [name, base] : {std::pair{"Sample3_z000_ch01.tif", "Sample3"}, {"A_ch00_z000.tif", "A"},
                                   {"A_z000_ch00.TIF", "A.TIF"}, {"A_ch01_z000_ch00.tif", "A_ch01"},
                                   {"x_z000_z000_ch00.tif.tif", "x"}})
    EXPECT_EQ(LeicaBaseName(name, name == std::string("Sample3_z000_ch01.tif") ? 1 : 0), base) << name;
}

// Several series keep the list order, each its own channels and counts; channels of different
// length keep each their last slice, and the last slice over the checked channels is the longest.
TEST(FindSeries, SeriesChannelsAndCounts) {
  const SeriesTable table = FindSeries(
      Concat({Slices("Beads", 2, 0), Slices("Beads", 2, 1), Slices("Cells", 12, 0), Slices("Nuclei", 3, 2),
              Slices("A", 6, 0), Slices("A", 3, 1), {"Single_z000_ch00.tif"}}));
  EXPECT_EQ(BaseNames(table, 0), (Names{"Beads", "Cells", "A", "Single"}));
  EXPECT_EQ(BaseNames(table, 1), (Names{"Beads", "A"}));
  EXPECT_EQ(BaseNames(table, 2), (Names{"Nuclei"}));
  EXPECT_EQ(table.Rows().size(), 5u);
  EXPECT_EQ(std::tuple(LastSlice(table, "Cells", 0), LastSlice(table, "Nuclei", 2), LastSlice(table, "Single", 0)),
            std::tuple(12, 3, 0));
  EXPECT_FALSE(table.Rows()[*table.RowOf("Beads")].HasChannel(2));
  EXPECT_FALSE(table.RowOf("Missing"));
  const SeriesRow& a = table.Rows()[*table.RowOf("A")];
  EXPECT_EQ(std::tuple(a.LastSlice[0], a.LastSlice[1]), std::tuple(6, 3));
  EXPECT_EQ(a.LastSliceOver({false, true, true}), 3);
  EXPECT_EQ(a.LastSliceOver({true, true, false}), 6);
  EXPECT_FALSE(a.LastSliceOver({false, false, true}));
  EXPECT_EQ(table.Rows()[*table.RowOf("Beads")].LastSliceOver({true, true, true}), 2);
}

TEST(FindSeries, NamesThatAreNotTheSchemeChangeNothing) {
  // _Z000 starts nothing; with .TIF the extension stays in the base name and no slice matches it.
  const SeriesTable upper =
      FindSeries({"Lower_z000_ch00.TIF", "Lower_z001_ch00.TIF", "Upper_Z000_ch00.tif", "Upper_Z001_ch00.tif"});
  EXPECT_EQ(BaseNames(upper, 0), Names{"Lower.TIF"});
  EXPECT_EQ(LastSlice(upper, "Lower.TIF", 0), 0);
  // Stray names with a tag do not lengthen a series; a missing middle slice keeps the real last
  // one; two first slices with one base name list the series once.
  Names names = Concat({Slices("A", 5, 0), {"A_z008_ch00_copy.tif", "A_notes_ch00.tif", "B_z009_ch00.tif",
                                            "A_z000_z000_ch00.tif"}});
  names.erase(names.begin() + 2);
  const SeriesTable table = FindSeries(names);
  EXPECT_EQ(BaseNames(table, 0), Names{"A"});
  EXPECT_EQ(LastSlice(table, "A", 0), 5);
  EXPECT_TRUE(FindSeries({}).empty());
  EXPECT_TRUE(FindSeries({"beads.tif", "cells_z001_ch00.tif"}).empty());
}

TEST(FindSeries, OrderOfTheListDoesNotChangeCounts) {
  Names names = Concat({Slices("A", 3, 0), Slices("B", 2, 0)});
  std::reverse(names.begin(), names.end());
  const SeriesTable table = FindSeries(names);
  EXPECT_EQ(BaseNames(table, 0), (Names{"B", "A"}));
  EXPECT_EQ(std::tuple(LastSlice(table, "A", 0), LastSlice(table, "B", 0)), std::tuple(3, 2));
}

}  // namespace
}  // namespace lumetrix::series
