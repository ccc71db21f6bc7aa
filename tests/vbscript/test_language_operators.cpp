// Operators: precedence, promotion, rounding, string rules, mixed comparisons and Null.
#include "vbs_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

// Each row tells the intended grouping from the others by its value or its type.
TEST(LanguageOperators, Precedence) {
  ExpectEvals({
      {"2 + 3 * 4", "Integer 14"}, {"(2 + 3) * 4", "Integer 20"}, {"10 - 4 - 3", "Integer 3"},
      {"2 ^ 3 ^ 2", "Double 64"},  // left to right
      {"-2 ^ 2", "Double 4"},      // negation binds tighter than ^
      {"2 ^ -1", "Double 0.5"}, {"+1", "Integer 1"}, {"- -3", "Integer 3"}, {"-(-3)", "Integer 3"},
      {"7 \\ 2 * 2", "Integer 1"},   // * before \  -> 7 \ 4
      {"3 * 5 \\ 2", "Integer 7"},   // (3 * 5) \ 2
      {"7 Mod 4 \\ 2", "Integer 1"},  // \ before Mod -> 7 Mod 2
      {"1 + 5 Mod 3", "Integer 3"}, {"3 * 4 Mod 5", "Integer 2"}, {"1 + 2 & 3", "String 33"},
      {"1 & 2 + 3", "String 15"}, {"1 & 2 = \"12\"", "Boolean True"}, {"1 < 2 = True", "Boolean True"},
      {"1 > -1", "Boolean True"}, {"Not 1 = 2", "Boolean True"}, {"Not 0 And 2", "Integer 2"},
      {"2 > 1 And 4", "Integer 4"}, {"True Or False And False", "Boolean True"},
      {"True Or True Xor True", "Boolean False"}, {"False Eqv False Imp True", "Boolean True"},
      {"\"a\" & True & Null & Empty", "String aTrue"},
  });
  ExpectScripts({{"Set a = Nothing\nResult = Not a Is Nothing", "Boolean False"}});
}

TEST(LanguageOperators, IntegersPromoteInsteadOfOverflowing) {
  ExpectEvals({
      {"32766 + 1", "Integer 32767"}, {"CByte(1) + 32766", "Integer 32767"}, {"32767 + 1", "Long 32768"}, {"-32767 - 1", "Integer -32768"},
      {"-32768 - 1", "Long -32769"}, {"200 * 200", "Long 40000"},
      {"2147483647 + 1", "Double 2147483648"}, {"65536 * 65536", "Double 4294967296"}, {"1 + 1", "Integer 2"},
      {"1 + 1.5", "Double 2.5"}, {"10 / 4", "Double 2.5"}, {"10 / 5", "Double 2"}, {"True + True", "Integer -2"},
  });
  ExpectScripts({{"x = 30000\nFor i = 1 To 3\n  x = x + 1000\nNext\nResult = x", "Long 33000"}});
}

// Floating operands are rounded half to even to Long first.
TEST(LanguageOperators, IntegerDivisionAndModRoundHalfToEven) {
  ExpectEvals({
      {"7 \\ 2", "Integer 3"}, {"-7 \\ 2", "Integer -3"}, {"2.5 \\ 1", "Long 2"}, {"3.5 \\ 1", "Long 4"},
      {"7 \\ 2.5", "Long 3"}, {"7 \\ 3.5", "Long 1"}, {"10 Mod 3", "Integer 1"}, {"-7 Mod 3", "Integer -1"},
      {"5.5 Mod 3", "Long 0"}, {"4.5 Mod 3", "Long 1"},
      // Negative halves: -2.5 -> -2, -3.5 -> -4, -5.5 -> -6 (Mod 3 = 0), -4.5 -> -4 (Mod 3 = -1),
      // 7 \ -2.5 = 7 \ -2 = -3.
      {"-2.5 \\ 1", "Long -2"}, {"-3.5 \\ 1", "Long -4"}, {"-5.5 Mod 3", "Long 0"}, {"-4.5 Mod 3", "Long -1"},
      {"7 \\ -2.5", "Long -3"}, {"100000 Mod 7", "Long 5"}, {"1 \\ 0", "error 11"},
      {"1 Mod 0", "error 11"}, {"1 / 0", "error 11"}, {"0 / 0", "error 6"}, {"1E300 \\ 1", "error 6"},
      {"(-8) ^ (1 / 3)", "error 5"}, {"10 ^ 400", "error 6"}, {"-\"2\"", "Double -2"}, {"2 ^ 0.5 > 1.41", "Boolean True"},
  });
}

TEST(LanguageOperators, PlusConcatenationAndComparisons) {
  ExpectEvals({
      {"\"a\" + \"b\"", "String ab"}, {"\"1\" + \"2\"", "String 12"}, {"\"1\" + 2", "Double 3"},
      {"2 + \"1.5\"", "Double 3.5"}, {"\"abc\" + 1", "error 13"}, {"\"1\" & 2", "String 12"}, {"1 & 2", "String 12"},
      {"\"x\" & Null", "String x"}, {"1.5 & \"\"", "String 1.5"}, {"True & \"\"", "String True"},
      {"1 = 1.0", "Boolean True"}, {"\"abc\" < \"abd\"", "Boolean True"},
      {"\"a\" = \"A\"", "Boolean False"},  // binary comparison
      {"\"10\" < \"9\"", "Boolean True"},   // as strings
      {"True = -1", "Boolean True"}, {"2 <> 3", "Boolean True"}, {"2 >= 2", "Boolean True"},
      {"2.5 <= 2", "Boolean False"},
  });
  ExpectScripts({
      {"Result = \"a\" + Empty", "String a"}, {"Result = x + 1", "Integer 1"}, {"Result = x & \"z\"", "String z"},
      // A literal number against a string value compares numerically; between two variables a
      // number is less than any string.
      {"s = \"10\"\nResult = s > 9", "Boolean True"},
      {"s = \"10\" : n = 9\nResult = (n < s) & (s = n)", "String TrueFalse"},
      {"n = 0\nResult = n = Empty", "Boolean True"}, {"s = \"\"\nResult = s = Empty", "Boolean True"},
  });
}

TEST(LanguageOperators, NullLogicAndObjects) {
  ExpectEvals({
      {"Null + 1", "Null"}, {"Null * 0", "Null"}, {"Null = Null", "Null"}, {"Null <> 1", "Null"}, {"-Null", "Null"},
      {"Not Null", "Null"}, {"Null And False", "Boolean False"}, {"Null Or True", "Boolean True"},
      {"Null And True", "Null"}, {"IsNull(Null & Null)", "Boolean True"}, {"5 And 3", "Integer 1"},
      {"5 Or 3", "Integer 7"}, {"5 Xor 3", "Integer 6"}, {"Not 0", "Integer -1"}, {"Not True", "Boolean False"},
      {"True And 1", "Integer 1"}, {"70000 And 65535", "Long 4464"},
  });
  ExpectScripts({
      // No short circuit: both sides are evaluated.
      {"Function T()\n  n = n + 1\n  T = True\nEnd Function\nDim n\nx = False And T()\nResult = n", "Integer 1"},
      {"Set a = Err\nSet b = Err\nResult = a Is b", "Boolean True"},
      {"Set a = Nothing\nResult = a Is Nothing", "Boolean True"},
      {"Result = 1 Is Nothing", "error 424 at line 1"}, {"Set a = 5", "error 424 at line 1"},
      {"Set a = Nothing\nb = a.Foo", "error 91 at line 2"}, {"b = Nothing", "error 91 at line 1"},
  });
}

}  // namespace
}  // namespace lumetrix::vbs::testing
