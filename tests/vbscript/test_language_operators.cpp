// Operators: precedence, promotion, rounding, string rules, mixed comparisons and Null.
#include "script_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(LanguageOperators, Precedence) {
  EXPECT_EQ(EvalOutcome("2 + 3 * 4"), "Integer 14");
  EXPECT_EQ(EvalOutcome("(2 + 3) * 4"), "Integer 20");
  EXPECT_EQ(EvalOutcome("2 ^ 3 ^ 2"), "Double 64");  // left to right
  EXPECT_EQ(EvalOutcome("-2 ^ 2"), "Double -4");     // ^ binds tighter than negation
  EXPECT_EQ(EvalOutcome("10 - 4 - 3"), "Integer 3");
  EXPECT_EQ(EvalOutcome("7 \\ 2 * 2"), "Integer 1");   // * before \  -> 7 \ 4
  EXPECT_EQ(EvalOutcome("7 Mod 4 \\ 2"), "Integer 1");  // \ before Mod -> 7 Mod 2
  EXPECT_EQ(EvalOutcome("1 + 2 & 3"), "String 33");
  EXPECT_EQ(EvalOutcome("1 < 2 = True"), "Boolean True");
  EXPECT_EQ(EvalOutcome("Not 1 = 2"), "Boolean True");
  EXPECT_EQ(EvalOutcome("True Or False And False"), "Boolean True");
  EXPECT_EQ(EvalOutcome("False Imp True Eqv True"), "Boolean True");
}

TEST(LanguageOperators, IntegerPromotion) {
  EXPECT_EQ(EvalOutcome("32767 + 1"), "Long 32768");
  EXPECT_EQ(EvalOutcome("-32768 - 1"), "Long -32769");
  EXPECT_EQ(EvalOutcome("200 * 200"), "Long 40000");
  EXPECT_EQ(EvalOutcome("2147483647 + 1"), "Double 2147483648");
  EXPECT_EQ(EvalOutcome("65536 * 65536"), "Double 4294967296");
  EXPECT_EQ(EvalOutcome("1 + 1"), "Integer 2");
  EXPECT_EQ(EvalOutcome("1 + 1.5"), "Double 2.5");
  EXPECT_EQ(EvalOutcome("10 / 4"), "Double 2.5");
  EXPECT_EQ(EvalOutcome("10 / 5"), "Double 2");
  EXPECT_EQ(EvalOutcome("True + True"), "Integer -2");
  EXPECT_EQ(Outcome("x = 30000\nFor i = 1 To 3\n  x = x + 1000\nNext\nResult = x"), "Long 33000");
}

// Floating operands are rounded half to even to Long first.
TEST(LanguageOperators, IntegerDivisionAndModRoundHalfToEven) {
  EXPECT_EQ(EvalOutcome("7 \\ 2"), "Integer 3");
  EXPECT_EQ(EvalOutcome("-7 \\ 2"), "Integer -3");
  EXPECT_EQ(EvalOutcome("2.5 \\ 1"), "Long 2");
  EXPECT_EQ(EvalOutcome("3.5 \\ 1"), "Long 4");
  EXPECT_EQ(EvalOutcome("7 \\ 2.5"), "Long 3");  // 7 \ 2
  EXPECT_EQ(EvalOutcome("7 \\ 3.5"), "Long 1");  // 7 \ 4
  EXPECT_EQ(EvalOutcome("10 Mod 3"), "Integer 1");
  EXPECT_EQ(EvalOutcome("-7 Mod 3"), "Integer -1");
  EXPECT_EQ(EvalOutcome("5.5 Mod 3"), "Long 0");  // 6 Mod 3
  EXPECT_EQ(EvalOutcome("4.5 Mod 3"), "Long 1");  // 4 Mod 3
  EXPECT_EQ(EvalOutcome("100000 Mod 7"), "Long 5");
  EXPECT_EQ(EvalOutcome("1 \\ 0"), "error 11");
  EXPECT_EQ(EvalOutcome("1 Mod 0"), "error 11");
  EXPECT_EQ(EvalOutcome("1 / 0"), "error 11");
  EXPECT_EQ(EvalOutcome("0 / 0"), "error 6");
  EXPECT_EQ(EvalOutcome("1E300 \\ 1"), "error 6");
}

TEST(LanguageOperators, PlusAndConcatenation) {
  EXPECT_EQ(EvalOutcome("\"a\" + \"b\""), "String ab");
  EXPECT_EQ(EvalOutcome("\"1\" + \"2\""), "String 12");
  EXPECT_EQ(EvalOutcome("\"1\" + 2"), "Double 3");
  EXPECT_EQ(EvalOutcome("2 + \"1.5\""), "Double 3.5");
  EXPECT_EQ(EvalOutcome("\"abc\" + 1"), "error 13");
  EXPECT_EQ(EvalOutcome("\"1\" & 2"), "String 12");
  EXPECT_EQ(EvalOutcome("1 & 2"), "String 12");
  EXPECT_EQ(EvalOutcome("\"x\" & Null"), "String x");
  EXPECT_EQ(EvalOutcome("1.5 & \"\""), "String 1.5");
  EXPECT_EQ(EvalOutcome("True & \"\""), "String True");
  EXPECT_EQ(Outcome("Result = \"a\" + Empty"), "String a");
  EXPECT_EQ(Outcome("Result = x + 1"), "Integer 1");  // Empty is 0
  EXPECT_EQ(Outcome("Result = x & \"z\""), "String z");
}

TEST(LanguageOperators, MixedComparisons) {
  EXPECT_EQ(EvalOutcome("1 = 1.0"), "Boolean True");
  EXPECT_EQ(EvalOutcome("\"abc\" < \"abd\""), "Boolean True");
  EXPECT_EQ(EvalOutcome("\"a\" = \"A\""), "Boolean False");  // binary comparison
  EXPECT_EQ(EvalOutcome("\"10\" < \"9\""), "Boolean True");   // as strings
  // A literal number against a string value compares numerically.
  EXPECT_EQ(Outcome("s = \"10\"\nResult = s > 9"), "Boolean True");
  // Two variables: a number is less than any string.
  EXPECT_EQ(Outcome("s = \"10\" : n = 9\nResult = (n < s) & (s = n)"), "String TrueFalse");
  EXPECT_EQ(Outcome("n = 0\nResult = n = Empty"), "Boolean True");
  EXPECT_EQ(Outcome("s = \"\"\nResult = s = Empty"), "Boolean True");
  EXPECT_EQ(EvalOutcome("True = -1"), "Boolean True");
  EXPECT_EQ(EvalOutcome("2 <> 3"), "Boolean True");
  EXPECT_EQ(EvalOutcome("2 >= 2"), "Boolean True");
  EXPECT_EQ(EvalOutcome("2.5 <= 2"), "Boolean False");
}

TEST(LanguageOperators, NullPropagation) {
  EXPECT_EQ(EvalOutcome("Null + 1"), "Null");
  EXPECT_EQ(EvalOutcome("Null * 0"), "Null");
  EXPECT_EQ(EvalOutcome("Null = Null"), "Null");
  EXPECT_EQ(EvalOutcome("Null <> 1"), "Null");
  EXPECT_EQ(EvalOutcome("-Null"), "Null");
  EXPECT_EQ(EvalOutcome("Not Null"), "Null");
  EXPECT_EQ(EvalOutcome("Null And False"), "Boolean False");
  EXPECT_EQ(EvalOutcome("Null Or True"), "Boolean True");
  EXPECT_EQ(EvalOutcome("Null And True"), "Null");
  EXPECT_EQ(EvalOutcome("IsNull(Null & Null)"), "Boolean True");
}

TEST(LanguageOperators, LogicalAndBitwise) {
  EXPECT_EQ(EvalOutcome("5 And 3"), "Integer 1");
  EXPECT_EQ(EvalOutcome("5 Or 3"), "Integer 7");
  EXPECT_EQ(EvalOutcome("5 Xor 3"), "Integer 6");
  EXPECT_EQ(EvalOutcome("Not 0"), "Integer -1");
  EXPECT_EQ(EvalOutcome("Not True"), "Boolean False");
  EXPECT_EQ(EvalOutcome("True And 1"), "Integer 1");
  EXPECT_EQ(EvalOutcome("70000 And 65535"), "Long 4464");
  // No short circuit: both sides are evaluated.
  EXPECT_EQ(Outcome("Function T()\n  n = n + 1\n  T = True\nEnd Function\nDim n\nx = False And T()\nResult = n"), "Integer 1");
}

TEST(LanguageOperators, UnaryAndPower) {
  EXPECT_EQ(EvalOutcome("-(-3)"), "Integer 3");
  EXPECT_EQ(EvalOutcome("- -3"), "Integer 3");
  EXPECT_EQ(EvalOutcome("-\"2\""), "Double -2");
  EXPECT_EQ(EvalOutcome("2 ^ 0.5 > 1.41"), "Boolean True");
  EXPECT_EQ(EvalOutcome("(-8) ^ (1 / 3)"), "error 5");
  EXPECT_EQ(EvalOutcome("10 ^ 400"), "error 6");
}

TEST(LanguageOperators, ObjectsAndIs) {
  EXPECT_EQ(Outcome("Set a = Err\nSet b = Err\nResult = a Is b"), "Boolean True");
  EXPECT_EQ(Outcome("Set a = Nothing\nResult = a Is Nothing"), "Boolean True");
  EXPECT_EQ(Outcome("Result = 1 Is Nothing"), "error 424 at line 1");
  EXPECT_EQ(Outcome("Set a = 5"), "error 424 at line 1");
  EXPECT_EQ(Outcome("Set a = Nothing\nb = a.Foo"), "error 91 at line 2");
  EXPECT_EQ(Outcome("b = Nothing"), "error 91 at line 1");
}

}  // namespace
}  // namespace lumetrix::vbs::testing
