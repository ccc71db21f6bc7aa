#include <gtest/gtest.h>

#include <cmath>

#include "viewer/command_line.h"
#include "core/file_helpers.h"
#include "core/rounding.h"
#include "core/text_number.h"

namespace lumetrix {
namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(CLng(2.5), 2);
  EXPECT_EQ(CLng(3.5), 4);
  EXPECT_EQ(CLng(-2.5), -2);
  EXPECT_EQ(CLng(126.5), 126);
  EXPECT_EQ(CLng(127.5), 128);
  EXPECT_EQ(CInt(32767.4), 32767);
  EXPECT_THROW(CInt(32767.5), OverflowError);
  EXPECT_THROW(CLng(NAN), OverflowError);
}

TEST(LeadingNumber, ReadsTheNumberATextStartsWith) {
  EXPECT_EQ(LeadingNumber("abc"), 0);
  EXPECT_EQ(LeadingNumber("2.5 apples"), 2.5);
  EXPECT_EQ(LeadingNumber("  -3"), -3);
  EXPECT_EQ(LeadingNumber("+.5x"), 0.5);
  EXPECT_EQ(LeadingNumber("1e3px"), 1000);
  EXPECT_EQ(LeadingNumber("1e"), 1);
  EXPECT_EQ(LeadingNumber("640,480"), 640);
  EXPECT_EQ(LeadingNumber(""), 0);
  EXPECT_EQ(LeadingNumber("-"), 0);
  EXPECT_EQ(LeadingNumber("1e-999"), 0);
  EXPECT_TRUE(std::isinf(LeadingNumber("1e999")));
}

TEST(CommandLine, WindowWithAnOptionalFile) {
  EXPECT_TRUE(ParseCommandLine({}).Command.empty());
  const auto one = ParseCommandLine({"beads.tif"});
  EXPECT_TRUE(one.Error.empty());
  EXPECT_EQ(one.Arguments, std::vector<std::string>{"beads.tif"});
  EXPECT_FALSE(ParseCommandLine({"a.tif", "b.tif"}).Error.empty());
}

TEST(CommandLine, RenderTakesTwoFilesAndItsOptions) {
  const auto line = ParseCommandLine({"--render", "in.tif", "out.bmp", "--size", "800x600", "--yrot", "30"});
  ASSERT_TRUE(line.Error.empty()) << line.Error;
  EXPECT_EQ(line.Command, "render");
  EXPECT_EQ(*line.Option("--size"), "800x600");
  EXPECT_EQ(*line.Option("--yrot"), "30");
  EXPECT_FALSE(line.Option("--xrot"));
  EXPECT_FALSE(ParseCommandLine({"--render", "in.tif"}).Error.empty());
  EXPECT_FALSE(ParseCommandLine({"--render", "a", "b", "--size"}).Error.empty());
  EXPECT_FALSE(ParseCommandLine({"--render", "a", "b", "--bogus", "1"}).Error.empty());
  EXPECT_FALSE(ParseCommandLine({"--nonsense"}).Error.empty());
}

TEST(CommandLine, SizesAndNumbers) {
  int w = 0, h = 0;
  EXPECT_TRUE(ParseSize("800x600", w, h));
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  EXPECT_FALSE(ParseSize("800", w, h));
  EXPECT_FALSE(ParseSize("0x600", w, h));
  EXPECT_FALSE(ParseSize("800x600x3", w, h));
  EXPECT_FALSE(ParseSize("99999x10", w, h));
  double v = 0;
  EXPECT_TRUE(ParseNumber("-12.5", v));
  EXPECT_EQ(v, -12.5);
  EXPECT_FALSE(ParseNumber("12deg", v));
}

TEST(FileHelpers, NamesSeparatorsAndExistence) {
  EXPECT_EQ(FileNameOf("/data/stacks/beads.tif"), "beads.tif");
  EXPECT_EQ(FileNameOf("beads.tif"), "beads.tif");
  EXPECT_EQ(AppendSeparator("/tmp", '/'), "/tmp/");
  EXPECT_EQ(AppendSeparator("/tmp/", '/'), "/tmp/");
  const std::string temp = GetTempFolder();
  EXPECT_EQ(temp.back(), '/');
  EXPECT_TRUE(FolderExists(temp));
  EXPECT_FALSE(FileExists(temp));
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(FolderExists(temp + "surely-not-here-4711"));
  EXPECT_FALSE(IsFileLocked(temp + "surely-not-here-4711"));
}

}  // namespace
}  // namespace lumetrix
