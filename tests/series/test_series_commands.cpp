// The command-line forms: --join-tiff and --convert-leica.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "export/series/leica_names.h"
#include "export/series/series_commands.h"
#include "tests/series/series_fixtures.h"

namespace lumetrix::series {
namespace {

using namespace testing;

// Slices 0..last of a series, uniformly value + z.
void WriteSeries(const TempDir& dir, const std::string& base, int last, int channel, int value) {
  for (int z = 0; z <= last; ++z) WriteGrey(dir.File(LeicaSliceName(base, z, channel)), 3, 2, [=](int, int) { return value + z; });
}

TEST(ParseColourMap, ThreeChannelsOrDashes) {
  EXPECT_EQ(ParseColourMap("0,1,2"), (ColourSources{0, 1, 2}));
  EXPECT_EQ(ParseColourMap("1,-,0"), (ColourSources{1, kNoChannel, 0}));
  EXPECT_EQ(ParseColourMap("2,2,2"), (ColourSources{2, 2, 2}));
  for (const char* bad : {"", "0,1", "0,1,2,", "0,1,2,0", "3,1,2", "a,b,c", "0,,2", "-,-,-", "01,1,2", " 0,1,2"})
    EXPECT_FALSE(ParseColourMap(bad)) << bad;
}

// One line on standard output for the file written; an error is one line on standard error,
// exit code 1, no file.
TEST(JoinTiffCommand, PrintsOneLineForTheFileWrittenOrTheError) {
  TempDir dir;
  WriteGrey(dir.File("a.tif"), 4, 4, [](int x, int) { return x; });
  WriteGrey(dir.File("b.tif"), 4, 4, [](int, int y) { return y; });
  WriteText(dir.File("bad.tif"), "nope");
  std::ostringstream log, errors;
  EXPECT_EQ(JoinTiffCommand(dir.File("out.tif"), {dir.File("a.tif"), dir.File("b.tif"), dir.File("a.tif")}, log, errors), 0);
  EXPECT_EQ(std::tuple(log.str(), errors.str()), std::tuple("wrote " + dir.File("out.tif") + " (3 pages)\n", ""));
  EXPECT_EQ(ReadPages(dir.File("out.tif")).size(), 3u);
  log.str("");
  EXPECT_EQ(JoinTiffCommand(dir.File("new.tif"), {dir.File("bad.tif")}, log, errors), 1);
  EXPECT_EQ(log.str(), "");
  const std::string text = errors.str();
  EXPECT_NE(text.find("bad.tif"), std::string::npos) << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << "one line per error";
  EXPECT_FALSE(Exists(dir.File("new.tif")));
}

// Every series becomes one file, the map putting channels into colours.
TEST(ConvertLeicaCommand, EverySeriesBecomesOneFile) {
  TempDir src, dest;
  WriteSeries(src, "A", 2, 0, 10);
  WriteSeries(src, "A", 2, 1, 100);
  WriteSeries(src, "B", 1, 1, 50);  // only in channel 1
  WriteText(src.File("readme.txt"), "x");
  std::ostringstream log, errors;
  EXPECT_EQ(ConvertLeicaCommand(src.path().string(), dest.path().string(), "0,1,2", log, errors), 0) << errors.str();
  EXPECT_EQ(log.str(), "wrote " + dest.File("A.tif") + " (3 pages)\nwrote " + dest.File("B.tif") + " (2 pages)\n");
  EXPECT_EQ(Entries(dest), (std::vector<std::string>{"A.tif", "B.tif"}));
  const auto a = ReadPages(dest.File("A.tif")), b = ReadPages(dest.File("B.tif"));
  ASSERT_EQ(std::tuple(a.size(), b.size()), std::tuple(3u, 2u));
  EXPECT_EQ(std::tuple(a[2].At(0, 0, 0), a[2].At(0, 0, 1), a[2].At(0, 0, 2), b[1].At(1, 1, 1)), std::tuple(12, 102, 0, 51));
  EXPECT_EQ(ConvertLeicaCommand(src.path().string(), dest.path().string(), "1,-,0", log, errors), 0) << errors.str();
  const auto mapped = ReadPages(dest.File("A.tif"));
  EXPECT_EQ(std::tuple(mapped[1].At(0, 0, 0), mapped[1].At(0, 0, 1), mapped[1].At(0, 0, 2)), std::tuple(101, 0, 11));
}

TEST(ConvertLeicaCommand, BadArgumentsAndProblemsExitWithOne) {
  TempDir src, dest;
  const std::string from = src.path().string(), to = dest.path().string();
  std::ostringstream log, errors;
  EXPECT_EQ(ConvertLeicaCommand(from, to, "0,1", log, errors), 1);
  EXPECT_NE(errors.str().find("--map"), std::string::npos);
  EXPECT_EQ(ConvertLeicaCommand(from, to, "0,1,2", log, errors), 1);
  EXPECT_NE(errors.str().find("no Leica series"), std::string::npos) << errors.str();
  WriteSeries(src, "A", 1, 0, 10);
  errors.str("");
  EXPECT_EQ(ConvertLeicaCommand(from, dest.File("missing"), "0,1,2", log, errors), 1);
  EXPECT_NE(errors.str().find("does not exist"), std::string::npos);
  EXPECT_EQ(ConvertLeicaCommand(src.File("missing"), to, "0,1,2", log, errors), 1);
  EXPECT_EQ(log.str(), "");
  WriteText(src.File("A_z001_ch00.tif"), "broken");
  errors.str("");
  EXPECT_EQ(ConvertLeicaCommand(from, to, "0,1,2", log, errors), 1) << "written, but with a slice missing";
  EXPECT_EQ(log.str(), "wrote " + dest.File("A.tif") + " (2 pages)\n");
  EXPECT_NE(errors.str().find("1 slice could not be read"), std::string::npos) << errors.str();
}

}  // namespace
}  // namespace lumetrix::series
