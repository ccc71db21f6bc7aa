// Array IsArray IsDate IsEmpty IsNull IsNumeric IsObject LBound TypeName UBound VarType, the
// ScriptEngine functions and the vb constants.
#include <sstream>

#include "vbs_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(BuiltinInfo, TypeNameAndVarTypeOfEverySubtype) {
  ExpectEvals({
      {"TypeName(Empty)", "String Empty"}, {"TypeName(Null)", "String Null"}, {"TypeName(1)", "String Integer"},
      {"TypeName(100000)", "String Long"}, {"TypeName(1.5)", "String Double"}, {"TypeName(CSng(1))", "String Single"},
      {"TypeName(CByte(1))", "String Byte"}, {"TypeName(True)", "String Boolean"}, {"TypeName(\"\")", "String String"},
      {"TypeName(Now)", "String Date"}, {"TypeName(Nothing)", "String Nothing"}, {"TypeName(Array())", "String Variant()"},
      {"TypeName(Err)", "String ErrObject"}, {"VarType(Empty)", "Integer 0"}, {"VarType(Null)", "Integer 1"},
      {"VarType(1)", "Integer 2"}, {"VarType(100000)", "Integer 3"}, {"VarType(CSng(1))", "Integer 4"},
      {"VarType(1.5)", "Integer 5"}, {"VarType(Now)", "Integer 7"}, {"VarType(\"a\")", "Integer 8"},
      {"VarType(Nothing)", "Integer 9"}, {"VarType(True)", "Integer 11"}, {"VarType(CByte(1))", "Integer 17"},
      {"VarType(Array(1, 2))", "Integer 8204"}, {"VarType(Array()) = vbArray + vbVariant", "Boolean True"},
      {"TypeName()", "error 450"}, {"ScriptEngine", "String VBScript"}, {"ScriptEngineMajorVersion", "Long 5"},
      {"ScriptEngineMinorVersion() >= 0", "Boolean True"},
  });
  ExpectScripts({
      {"Dim x\nResult = TypeName(x)", "String Empty"},
      {"Function F(v)\n  F = TypeName(v) & VarType(v)\nEnd Function\nResult = F(2.5)", "String Double5"},
      {"Set o = Nothing\nResult = IsObject(o) And TypeName(o) = \"Nothing\"", "Boolean True"},
  });
}

TEST(BuiltinInfo, IsFunctions) {
  ExpectEvals({
      {"IsEmpty(Empty)", "Boolean True"}, {"IsEmpty(\"\")", "Boolean False"}, {"IsEmpty(Null)", "Boolean False"},
      {"IsNull(Null)", "Boolean True"}, {"IsNull(Empty)", "Boolean False"}, {"IsArray(Array())", "Boolean True"},
      {"IsArray(\"a\")", "Boolean False"}, {"IsObject(Nothing)", "Boolean True"}, {"IsObject(Err)", "Boolean True"},
      {"IsObject(1)", "Boolean False"}, {"IsNumeric(1)", "Boolean True"}, {"IsNumeric(\"1e5\")", "Boolean True"},
      {"IsNumeric(\" -1.5 \")", "Boolean True"}, {"IsNumeric(\"&HFF\")", "Boolean True"},
      {"IsNumeric(\"1,000\")", "Boolean True"}, {"IsNumeric(\"\")", "Boolean False"},
      {"IsNumeric(\"abc\")", "Boolean False"}, {"IsNumeric(\"1e\")", "Boolean False"},
      {"IsNumeric(Empty)", "Boolean True"}, {"IsNumeric(True)", "Boolean True"}, {"IsNumeric(Null)", "Boolean False"},
      {"IsNumeric(Now)", "Boolean False"}, {"IsNumeric(Array(1))", "Boolean False"}, {"IsDate(Now)", "Boolean True"},
      {"IsDate(\"1/1/2000\")", "Boolean True"}, {"IsDate(\"December 7, 2026\")", "Boolean True"},
      {"IsDate(\"3:04 PM\")", "Boolean True"}, {"IsDate(\"2/30/2000\")", "Boolean False"},
      {"IsDate(\"abc\")", "Boolean False"}, {"IsDate(5)", "Boolean False"}, {"IsDate(Null)", "Boolean False"},
  });
}

TEST(BuiltinInfo, ArraysAndTheirBounds) {
  ExpectEvals({
      {"UBound(Array(1, 2, 3))", "Long 2"}, {"LBound(Array(1, 2, 3))", "Long 0"}, {"UBound(Array())", "Long -1"},
      {"Array(1, \"a\", True)(1)", "String a"}, {"TypeName(Array(1, 2)(0))", "String Integer"},
      {"UBound(Array(1), 1)", "Long 0"}, {"UBound(Array(1), 2)", "error 9"}, {"UBound(Array(1), 0)", "error 9"},
      {"LBound(Array(1), 2)", "error 9"}, {"UBound(5)", "error 13"}, {"LBound(\"abc\")", "error 13"},
      {"UBound(Null)", "error 13"},
  });
  ExpectScripts({
      {"Dim a(2, 3)\nResult = UBound(a, 1) & \",\" & UBound(a, 2) & \",\" & LBound(a, 2)", "String 2,3,0"},
      {"Dim a(2, 3)\nResult = UBound(a, 3)", "error 9 at line 2"},
      {"Dim a()\nResult = UBound(a)", "error 9 at line 2"},
      // Array copies its arguments: they do not change with the originals.
      {"b = Array(1, 2)\na = Array(b)\nb(0) = 9\nResult = a(0)(0)", "Integer 1"},
      {"x = 5\na = Array(x)\nx = 6\nResult = a(0)", "Integer 5"},
  });
}

TEST(BuiltinConstants, TextsAndNumbers) {
  ExpectEvals({
      {"vbCrLf = Chr(13) & Chr(10)", "Boolean True"}, {"vbNewLine = vbCrLf", "Boolean True"},
      {"vbCr = Chr(13)", "Boolean True"}, {"vbLf = Chr(10)", "Boolean True"}, {"vbTab = Chr(9)", "Boolean True"},
      {"vbFormFeed = Chr(12)", "Boolean True"}, {"vbVerticalTab = Chr(11)", "Boolean True"},
      {"vbNullString", "String "}, {"Len(vbNullChar)", "Long 1"}, {"AscW(vbNullChar)", "Integer 0"},
      {"VBCRLF = vbcrlf", "Boolean True"},  // names are case-insensitive
  });
  std::istringstream numbers(
      "vbOKOnly 0 vbOKCancel 1 vbAbortRetryIgnore 2 vbYesNoCancel 3 vbYesNo 4 vbRetryCancel 5 vbCritical 16 "
      "vbQuestion 32 vbExclamation 48 vbInformation 64 vbDefaultButton2 256 vbDefaultButton3 512 vbSystemModal 4096 "
      "vbOK 1 vbCancel 2 vbAbort 3 vbRetry 4 vbIgnore 5 vbYes 6 vbNo 7 "
      "vbEmpty 0 vbNull 1 vbInteger 2 vbLong 3 vbSingle 4 vbDouble 5 vbCurrency 6 vbDate 7 vbString 8 vbObject 9 "
      "vbError 10 vbBoolean 11 vbVariant 12 vbDataObject 13 vbByte 17 vbArray 8192 "
      "vbBinaryCompare 0 vbTextCompare 1 vbDatabaseCompare 2 vbUseSystemDayOfWeek 0 vbSunday 1 vbMonday 2 vbSaturday 7 "
      "vbFirstJan1 1 vbFirstFourDays 2 vbFirstFullWeek 3 vbGeneralDate 0 vbLongDate 1 vbShortDate 2 vbLongTime 3 "
      "vbShortTime 4 vbUseDefault -2 vbTrue -1 vbFalse 0 vbObjectError -2147221504 vbBlack 0 vbRed 255 vbGreen 65280 "
      "vbYellow 65535 vbBlue 16711680 vbMagenta 16711935 vbCyan 16776960 vbWhite 16777215");
  std::string name, value;
  int count = 0;
  // Integer, as in VBScript, but for colours and vbObjectError.
  for (; numbers >> name >> value; ++count) {
    bool isLong = std::string(" vbObjectError vbBlack vbRed vbGreen vbYellow vbBlue vbMagenta vbCyan vbWhite ")
                      .find(" " + name + " ") != std::string::npos;
    EXPECT_EQ(EvalOutcome(name), (isLong ? "Long " : "Integer ") + value) << name;
  }
  EXPECT_EQ(count, 63);
  ExpectScripts({{"Const x = vbTab\nResult = Len(x)", "Long 1"}, {"vbOK = 5\nResult = vbOK", "error 501 at line 1"}});
}

}  // namespace
}  // namespace lumetrix::vbs::testing
