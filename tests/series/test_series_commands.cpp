// The command-line forms: --join-tiff and --convert-leica.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "export/series/leica_names.h"
#include "export/series/series_commands.h"
#include "tests/series/series_fixtures.h"

namespace lumetrix::series {
namespace {

using testing::ReadPages;

void WriteSeries(const testing::TempDir& dir, const std::string& base, int last, int channel, uint8_t value) {
  for (int z = 0; z <= last; ++z) {
    testing::WriteGreyTiff(dir.File(LeicaSliceName(base, z, channel)), 3, 2,
                           [=](int, int) { return static_cast<uint8_t>(value + z); });
  }
}

TEST(ParseColourMap, ThreeChannelsOrDashes) {
  EXPECT_EQ(ParseColourMap("0,1,2"), (ColourSources{0, 1, 2}));
  EXPECT_EQ(ParseColourMap("1,-,0"), (ColourSources{1, kNoChannel, 0}));
  EXPECT_EQ(ParseColourMap("2,2,2"), (ColourSources{2, 2, 2}));
  for (const char* bad : {"", "0,1", "0,1,2,", "0,1,2,0", "3,1,2", "a,b,c", "0,,2", "-,-,-", "01,1,2", " 0,1,2"}) {
    EXPECT_FALSE(ParseColourMap(bad)) << bad;
  }
}

TEST(JoinTiffCommand, PrintsOneLineForTheFileWritten) {
  testing::TempDir dir;
  testing::WriteGreyTiff(dir.File("a.tif"), 4, 4, [](int x, int) { return static_cast<uint8_t>(x); });
  testing::WriteGreyTiff(dir.File("b.tif"), 4, 4, [](int, int y) { return static_cast<uint8_t>(y); });
  std::ostringstream log, errors;
  EXPECT_EQ(JoinTiffCommand(dir.File("out.tif"), {dir.File("a.tif"), dir.File("b.tif"), dir.File("a.tif")}, log, errors), 0);
  EXPECT_EQ(log.str(), "wrote " + dir.File("out.tif") + " (3 pages)\n");
  EXPECT_EQ(errors.str(), "");
  EXPECT_EQ(ReadPages(dir.File("out.tif")).size(), 3u);
}

TEST(JoinTiffCommand, ErrorsGoToStderrWithExitCodeOne) {
  testing::TempDir dir;
  testing::WriteBytes(dir.File("bad.tif"), "nope");
  std::ostringstream log, errors;
  EXPECT_EQ(JoinTiffCommand(dir.File("out.tif"), {dir.File("bad.tif")}, log, errors), 1);
  EXPECT_EQ(log.str(), "");
  EXPECT_NE(errors.str().find("bad.tif"), std::string::npos) << errors.str();
  const std::string text = errors.str();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << "one line per error";
  EXPECT_FALSE(testing::Exists(dir.File("out.tif")));
}

TEST(ConvertLeicaCommand, EverySeriesBecomesOneFile) {
  testing::TempDir src, dest;
  WriteSeries(src, "A", 2, 0, 10);
  WriteSeries(src, "A", 2, 1, 100);
  WriteSeries(src, "B", 1, 1, 50);  // only in channel 1
  testing::WriteBytes(src.File("readme.txt"), "x");
  std::ostringstream log, errors;
  EXPECT_EQ(ConvertLeicaCommand(src.Path(), dest.Path(), "0,1,2", log, errors), 0) << errors.str();
  EXPECT_EQ(log.str(), "wrote " + dest.File("A.tif") + " (3 pages)\nwrote " + dest.File("B.tif") + " (2 pages)\n");
  EXPECT_EQ(dest.Entries(), (std::vector<std::string>{"A.tif", "B.tif"}));
  const auto a = ReadPages(dest.File("A.tif"));
  ASSERT_EQ(a.size(), 3u);
  EXPECT_EQ(a[2].At(0, 0, 0), 12);
  EXPECT_EQ(a[2].At(0, 0, 1), 102);
  EXPECT_EQ(a[2].At(0, 0, 2), 0);
  const auto b = ReadPages(dest.File("B.tif"));
  ASSERT_EQ(b.size(), 2u);
  EXPECT_EQ(b[1].At(1, 1, 1), 51);
}

TEST(ConvertLeicaCommand, MapPutsChannelsIntoColours) {
  testing::TempDir src, dest;
  WriteSeries(src, "A", 1, 0, 10);
  WriteSeries(src, "A", 1, 1, 100);
  std::ostringstream log, errors;
  EXPECT_EQ(ConvertLeicaCommand(src.Path(), dest.Path(), "1,-,0", log, errors), 0) << errors.str();
  const auto pages = ReadPages(dest.File("A.tif"));
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[1].At(0, 0, 0), 101);
  EXPECT_EQ(pages[1].At(0, 0, 1), 0);
  EXPECT_EQ(pages[1].At(0, 0, 2), 11);
}

TEST(ConvertLeicaCommand, BadArgumentsAndProblemsExitWithOne) {
  testing::TempDir src, dest;
  std::ostringstream log, errors;
  EXPECT_EQ(ConvertLeicaCommand(src.Path(), dest.Path(), "0,1", log, errors), 1);
  EXPECT_NE(errors.str().find("--map"), std::string::npos);
  errors.str("");
  EXPECT_EQ(ConvertLeicaCommand(src.Path(), dest.Path(), "0,1,2", log, errors), 1);
  EXPECT_NE(errors.str().find("no Leica series"), std::string::npos) << errors.str();
  WriteSeries(src, "A", 1, 0, 10);
  errors.str("");
  EXPECT_EQ(ConvertLeicaCommand(src.Path(), dest.File("missing"), "0,1,2", log, errors), 1);
  EXPECT_NE(errors.str().find("does not exist"), std::string::npos);
  errors.str("");
  EXPECT_EQ(ConvertLeicaCommand(src.File("missing"), dest.Path(), "0,1,2", log, errors), 1);
  EXPECT_EQ(log.str(), "");
  testing::WriteBytes(src.File("A_z001_ch00.tif"), "broken");
  errors.str("");
  EXPECT_EQ(ConvertLeicaCommand(src.Path(), dest.Path(), "0,1,2", log, errors), 1) << "written, but with a slice missing";
  EXPECT_EQ(log.str(), "wrote " + dest.File("A.tif") + " (2 pages)\n");
  EXPECT_NE(errors.str().find("1 slice could not be read"), std::string::npos) << errors.str();
}

}  // namespace
}  // namespace lumetrix::series
