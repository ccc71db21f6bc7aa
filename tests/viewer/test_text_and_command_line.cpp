#include <gtest/gtest.h>

#include <cmath>

#include "core/file_helpers.h"
#include "core/rounding.h"
#include "core/text_number.h"
#include "app/command_line.h"

namespace lumetrix {
namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  // Exact halves of both signs go to the even neighbour; anything short of a half goes to the
  // nearer one (0.49999999999999994 is the double just below 0.5, where adding 0.5 and flooring
  // would give 1).
  const std::pair<double, int32_t> cases[] = {
      {0.5, 0},     {1.5, 2},     {2.5, 2},      {3.5, 4},      {126.5, 126},  {127.5, 128}, {-0.5, 0},
      {-1.5, -2},   {-2.5, -2},   {-3.5, -4},    {-126.5, -126}, {-127.5, -128}, {2.51, 3},  {-2.51, -3},
      {-2.49, -2},  {0.49999999999999994, 0},    {-0.49999999999999994, 0},    {-0.0, 0}};
  for (const auto& [in, out] : cases) EXPECT_EQ(CLng(in), out) << in;
  // 2^52 - 0.5 is the largest half a double holds; its even neighbour is 2^52 = 4503599627370496.
  EXPECT_EQ(RoundHalfEven(4503599627370495.5), 4503599627370496.0);
  EXPECT_EQ(RoundHalfEven(-4503599627370495.5), -4503599627370496.0);
  EXPECT_EQ(CInt(32767.4), 32767);
  EXPECT_EQ(CInt(-32768.5), -32768);  // the even neighbour fits
  EXPECT_THROW(CInt(32767.5), OverflowError);   // 32768
  EXPECT_THROW(CInt(-32769.5), OverflowError);  // -32770
  EXPECT_THROW(CLng(NAN), OverflowError);
}

TEST(LeadingNumber, ReadsTheNumberATextStartsWith) {
  const std::pair<const char*, double> cases[] = {{"abc", 0},   {"2.5 apples", 2.5}, {"  -3", -3}, {"+.5x", 0.5},
                                                  {"1e3px", 1000}, {"1e", 1},        {"640,480", 640}, {"", 0},
                                                  {"-", 0},     {"1e-999", 0}};
  for (const auto& [text, value] : cases) EXPECT_EQ(LeadingNumber(text), value) << text;
  EXPECT_TRUE(std::isinf(LeadingNumber("1e999")));
}

TEST(CommandLine, FormsOptionsSizesAndNumbers) {
  EXPECT_TRUE(ParseCommandLine({}).Command.empty());
  EXPECT_EQ(ParseCommandLine({"beads.tif"}).Arguments, std::vector<std::string>{"beads.tif"});
  const auto line = ParseCommandLine({"--render", "in.tif", "out.bmp", "--size", "800x600", "--yrot", "30"});
  ASSERT_TRUE(line.Error.empty()) << line.Error;
  EXPECT_EQ(line.Command, "render");
  EXPECT_EQ(*line.Option("--size"), "800x600");
  EXPECT_EQ(*line.Option("--yrot"), "30");
  EXPECT_FALSE(line.Option("--xrot"));
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"a.tif", "b.tif"}, {"--render", "in.tif"}, {"--render", "a", "b", "--size"},
           {"--render", "a", "b", "--bogus", "1"}, {"--nonsense"}})
    EXPECT_FALSE(ParseCommandLine(bad).Error.empty()) << bad[0];
  int w = 0, h = 0;
  EXPECT_TRUE(ParseSize("800x600", w, h));
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  for (const char* bad : {"800", "0x600", "800x600x3", "99999x10"}) EXPECT_FALSE(ParseSize(bad, w, h)) << bad;
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
