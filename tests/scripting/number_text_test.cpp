#include "scripting/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace lumetrix::scripting {
namespace {

TEST(ReadLeadingNumber, ReadsUpToTheFirstCharacterThatDoesNotFit) {
  const std::pair<const char*, double> cases[] = {
      {"2.5 apples", 2.5}, {"   -3", -3}, {"+7x", 7},  {".5", 0.5},   {"5.", 5},    {"1e3", 1000}, {"1.5E-2", 0.015},
      {"\t4", 4},          {"2e", 2},     {"2e+", 2},  {"3,5", 3},    {"1.2.3", 1.2}, {"1 2", 1},  {"--1", 0},
      {"abc", 0},          {"", 0},       {"-", 0},    {".", 0},      {"+.e5", 0},  {"x12", 0},    {"1e-999", 0}};
  for (const auto& [text, value] : cases) EXPECT_DOUBLE_EQ(ReadLeadingNumber(text), value) << text;
  EXPECT_EQ(ReadLeadingNumber("1e999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadLeadingNumber("-1e999"), -std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isinf(ReadLeadingNumber(std::string(5000, '9'))));
}

TEST(FormatTwoDecimals, FixedPointRoundingHalvesAwayFromZeroWithoutASignForZero) {
  const std::pair<float, const char*> cases[] = {
      {30, "30.00"},      {-3, "-3.00"},     {0.4f, "0.40"},    {0, "0.00"},         {123456.789f, "123456.79"},
      {1234567, "1234567.00"} /* no grouping */, {0.125f, "0.13"}, {-0.125f, "-0.13"}, {9.999f, "10.00"},
      {99.995f, "100.00"}, {0.994f, "0.99"},  {-0.0f, "0.00"},   {-0.001f, "0.00"},   {-0.005f, "-0.01"},
      {std::numeric_limits<float>::quiet_NaN(), "NaN"}, {std::numeric_limits<float>::infinity(), "Inf"},
      {-std::numeric_limits<float>::infinity(), "-Inf"}, {std::numeric_limits<float>::denorm_min(), "0.00"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(FormatTwoDecimals(value), text) << value;
  const std::string max = FormatTwoDecimals(std::numeric_limits<float>::max());
  EXPECT_EQ(max.size(), 39u + 3u);
  EXPECT_EQ(max.substr(0, 6), "340282");
}

TEST(EditText, SixSignificantDigitsThatReadBackToTheValue) {
  const std::pair<float, const char*> cases[] = {{30, "30"},  {-3, "-3"}, {0.3f, "0.3"}, {0.25f, "0.25"},
                                                 {1.0f / 3.0f, "0.333333"}, {123456.789f, "123457"}, {-0.0f, "0"},
                                                 {0.5120001f, "0.512"}, {0.1f + 0.2f, "0.3"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(EditText(value), text) << value;
  for (float v : {0.3f, -3.0f, 12345678.0f, 1e-6f, 360.0f, 2.5e20f})
    EXPECT_NEAR(ReadLeadingNumber(EditText(v)), v, std::fabs(v) * 5e-6) << EditText(v);  // half the sixth digit
}

}  // namespace
}  // namespace lumetrix::scripting
