// CBool CByte CCur CDate CDbl CInt CLng CSng CStr: rounding, ranges and refused values.
#include "vbs_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(BuiltinConversion, IntegersRoundHalfToEvenAndCheckTheirRange) {
  ExpectEvals({
      {"CInt(2.5)", "Integer 2"}, {"CInt(3.5)", "Integer 4"}, {"CInt(-2.5)", "Integer -2"}, {"CInt(2.51)", "Integer 3"},
      {"CInt(\"12\")", "Integer 12"}, {"CInt(\" 7 \")", "Integer 7"}, {"CInt(True)", "Integer -1"},
      {"CInt(Empty)", "Integer 0"}, {"CInt(32767)", "Integer 32767"}, {"CInt(-32768.5)", "Integer -32768"},
      {"CInt(32767.5)", "error 6"}, {"CInt(40000)", "error 6"}, {"CInt(\"abc\")", "error 13"},
      {"CInt(\"\")", "error 13"}, {"CInt(Null)", "error 94"}, {"CInt(Array(1))", "error 13"},
      {"CLng(2147483647)", "Long 2147483647"}, {"CLng(-2147483648.5)", "Long -2147483648"},
      {"CLng(2147483647.5)", "error 6"}, {"CLng(\"1,000\")", "Long 1000"}, {"CLng(\"&HFF\")", "Long 255"},
      {"CLng(1.5)", "Long 2"}, {"CLng(Null)", "error 94"},
      // Negative halves go to the even neighbour too: -0.5 -> 0, -1.5 -> -2, -3.5 -> -4.
      {"CInt(0.5)", "Integer 0"}, {"CInt(-0.5)", "Integer 0"}, {"CInt(-1.5)", "Integer -2"},
      {"CInt(-3.5)", "Integer -4"}, {"CInt(-2.51)", "Integer -3"}, {"CInt(-2.49)", "Integer -2"},
      {"CLng(-0.5)", "Long 0"}, {"CLng(-1.5)", "Long -2"}, {"CLng(-2.5)", "Long -2"},
      {"CLng(2147483646.5)", "Long 2147483646"}, {"CLng(-2147483649.5)", "error 6"},  // -2147483650
      {"CByte(0.5)", "Byte 0"}, {"CByte(1.5)", "Byte 2"}, {"CByte(254.5)", "Byte 254"}, {"CByte(-0.51)", "error 6"},
      {"CByte(255)", "Byte 255"}, {"CByte(-0.5)", "Byte 0"}, {"CByte(255.5)", "error 6"}, {"CByte(-1)", "error 6"},
      {"CByte(\"x\")", "error 13"}, {"CInt()", "error 450"}, {"CStr(1, 2)", "error 450"},
  });
}

TEST(BuiltinConversion, RealsAndCurrency) {
  ExpectEvals({
      {"CSng(1/3)", "Single 0.3333333"}, {"CSng(\"1.5\")", "Single 1.5"}, {"CSng(1E+39)", "error 6"},
      {"CSng(\"1e39\")", "error 6"}, {"CDbl(\"1,000.5\")", "Double 1000.5"}, {"CDbl(\"&HFF\")", "Double 255"},
      {"CDbl(\"1e309\")", "error 13"}, {"CDbl(True)", "Double -1"}, {"CDbl(#1/1/2000#)", "Double 36526"},
      {"CDbl(\"abc\")", "error 13"}, {"CCur(1.23456)", "Currency 1.2346"}, {"CCur(1E+20)", "error 6"},
  });
}

TEST(BuiltinConversion, BooleansAndTexts) {
  ExpectEvals({
      {"CBool(\"True\")", "Boolean True"}, {"CBool(\"false\")", "Boolean False"}, {"CBool(\"1\")", "Boolean True"},
      {"CBool(0)", "Boolean False"}, {"CBool(-0.5)", "Boolean True"}, {"CBool(Empty)", "Boolean False"},
      {"CBool(\"abc\")", "error 13"}, {"CBool(Null)", "error 94"},
      {"CStr(1/3)", "String 0.333333333333333"}, {"CStr(CSng(1/3))", "String 0.3333333"},
      {"CStr(1E+15)", "String 1E+15"}, {"CStr(123456789012345)", "String 123456789012345"},
      {"CStr(-0.5)", "String -0.5"}, {"CStr(True)", "String True"}, {"CStr(Empty)", "String "},
      {"CStr(#12/7/2026#)", "String 12/7/2026"}, {"CStr(#3:04:05 PM#)", "String 3:04:05 PM"},
      {"CStr(#12/7/2026 3:04:05 PM#)", "String 12/7/2026 3:04:05 PM"}, {"CStr(Null)", "error 94"},
      {"CStr(Array(1))", "error 13"},
  });
}

TEST(BuiltinConversion, DatesFromTextsAndNumbersWithinTheRange) {
  ExpectEvals({
      {"CDate(\"12/7/2026\")", "Date 12/7/2026"}, {"CDate(\"2026-12-07\")", "Date 12/7/2026"},
      {"CDate(\"7 Dec 2026\")", "Date 12/7/2026"}, {"CDate(\"15:04:05\")", "Date 3:04:05 PM"},
      {"CDate(0)", "Date 12:00:00 AM"},  // day 0 shows as a time only
      {"CDate(1)", "Date 12/31/1899"}, {"CDate(2.5)", "Date 1/1/1900 12:00:00 PM"},
      {"CDate(-657434)", "Date 1/1/100"}, {"CDate(2958465)", "Date 12/31/9999"}, {"CDate(2958466)", "error 6"},
      {"CDate(-657435)", "error 6"}, {"CDate(\"abc\")", "error 13"}, {"CDate(\"13/13/2026\")", "error 13"},
      {"CDate(Null)", "error 94"},
  });
}

}  // namespace
}  // namespace lumetrix::vbs::testing
