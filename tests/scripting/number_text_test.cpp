#include "scripting/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace lumetrix::scripting {
namespace {

TEST(ReadLeadingNumber, ReadsTheNumberATextStartsWith) {
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("2.5 apples"), 2.5);
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("   -3"), -3.0);
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("+7x"), 7.0);
  EXPECT_DOUBLE_EQ(ReadLeadingNumber(".5"), 0.5);
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("5."), 5.0);
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("1e3"), 1000.0);
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("1.5E-2"), 0.015);
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("\t4"), 4.0);
}

TEST(ReadLeadingNumber, TextWithoutANumberGivesZero) {
  EXPECT_EQ(ReadLeadingNumber("abc"), 0.0);
  EXPECT_EQ(ReadLeadingNumber(""), 0.0);
  EXPECT_EQ(ReadLeadingNumber("-"), 0.0);
  EXPECT_EQ(ReadLeadingNumber("."), 0.0);
  EXPECT_EQ(ReadLeadingNumber("+.e5"), 0.0);
  EXPECT_EQ(ReadLeadingNumber("x12"), 0.0);
}

TEST(ReadLeadingNumber, StopsAtTheFirstCharacterThatDoesNotFit) {
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("2e"), 2.0);  // exponent without digits is not taken
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("2e+"), 2.0);
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("3,5"), 3.0);  // the period is the decimal point
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("1.2.3"), 1.2);
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("1 2"), 1.0);
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("--1"), 0.0);
}

TEST(ReadLeadingNumber, HugeAndTinyNumbersDoNotFail) {
  EXPECT_EQ(ReadLeadingNumber("1e999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadLeadingNumber("-1e999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadLeadingNumber("1e-999"), 0.0);
  const std::string digits(5000, '9');
  EXPECT_TRUE(std::isinf(ReadLeadingNumber(digits)));
}

TEST(FormatTwoDecimals, FixedPointWithTwoDecimals) {
  EXPECT_EQ(FormatTwoDecimals(30), "30.00");
  EXPECT_EQ(FormatTwoDecimals(-3), "-3.00");
  EXPECT_EQ(FormatTwoDecimals(0.4f), "0.40");
  EXPECT_EQ(FormatTwoDecimals(0.3f), "0.30");
  EXPECT_EQ(FormatTwoDecimals(0), "0.00");
  EXPECT_EQ(FormatTwoDecimals(123456.789f), "123456.79");
  EXPECT_EQ(FormatTwoDecimals(1234567), "1234567.00");     // no digit grouping
}

TEST(FormatTwoDecimals, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(FormatTwoDecimals(0.125f), "0.13");
  EXPECT_EQ(FormatTwoDecimals(-0.125f), "-0.13");
  EXPECT_EQ(FormatTwoDecimals(9.999f), "10.00");
  EXPECT_EQ(FormatTwoDecimals(99.995f), "100.00");
  EXPECT_EQ(FormatTwoDecimals(0.994f), "0.99");
}

TEST(FormatTwoDecimals, ValuesThatRoundToZeroHaveNoSign) {
  EXPECT_EQ(FormatTwoDecimals(-0.0f), "0.00");
  EXPECT_EQ(FormatTwoDecimals(-0.001f), "0.00");
  EXPECT_EQ(FormatTwoDecimals(-0.005f), "-0.01");
}

TEST(FormatTwoDecimals, ExtremeValues) {
  EXPECT_EQ(FormatTwoDecimals(std::numeric_limits<float>::quiet_NaN()), "NaN");
  EXPECT_EQ(FormatTwoDecimals(std::numeric_limits<float>::infinity()), "Inf");
  EXPECT_EQ(FormatTwoDecimals(-std::numeric_limits<float>::infinity()), "-Inf");
  const std::string max = FormatTwoDecimals(std::numeric_limits<float>::max());
  EXPECT_EQ(max.size(), 39u + 3u);
  EXPECT_EQ(max.substr(0, 6), "340282");
  EXPECT_EQ(FormatTwoDecimals(std::numeric_limits<float>::denorm_min()), "0.00");
}

TEST(EditText, SevenSignificantDigitsWithoutTrailingZeros) {
  EXPECT_EQ(EditText(30), "30");
  EXPECT_EQ(EditText(-3), "-3");
  EXPECT_EQ(EditText(0.3f), "0.3");
  EXPECT_EQ(EditText(0.25f), "0.25");
  EXPECT_EQ(EditText(1.0f / 3.0f), "0.3333333");
  EXPECT_EQ(EditText(123456.789f), "123456.8");
  EXPECT_EQ(EditText(-0.0f), "0");
}

TEST(EditText, ReadsBackToTheSameDisplayedValue) {
  for (float v : {0.3f, -3.0f, 12345678.0f, 1e-6f, 360.0f, 2.5e20f}) {
    const double back = ReadLeadingNumber(EditText(v));
    EXPECT_NEAR(back, v, std::fabs(v) * 1e-6) << EditText(v);
  }
}

}  // namespace
}  // namespace lumetrix::scripting
