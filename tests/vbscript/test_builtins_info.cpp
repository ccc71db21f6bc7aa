// Array IsArray IsDate IsEmpty IsNull IsNumeric IsObject LBound TypeName UBound VarType, the
// ScriptEngine functions and the vb constants.
#include <memory>

#include "test_builtins_support.h"
#include "vbscript/host_object.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(BuiltinInfo, TypeNameAndVarTypeOfEverySubtype) {
  ExpectEvals({
      {"TypeName(Empty)", "String Empty"},
      {"TypeName(Null)", "String Null"},
      {"TypeName(1)", "String Integer"},
      {"TypeName(100000)", "String Long"},
      {"TypeName(1.5)", "String Double"},
      {"TypeName(CSng(1))", "String Single"},
      {"TypeName(CByte(1))", "String Byte"},
      {"TypeName(True)", "String Boolean"},
      {"TypeName(\"\")", "String String"},
      {"TypeName(Now)", "String Date"},
      {"TypeName(Nothing)", "String Nothing"},
      {"TypeName(Array())", "String Variant()"},
      {"TypeName(Err)", "String ErrObject"},
      {"VarType(Empty)", "Integer 0"},
      {"VarType(Null)", "Integer 1"},
      {"VarType(1)", "Integer 2"},
      {"VarType(100000)", "Integer 3"},
      {"VarType(CSng(1))", "Integer 4"},
      {"VarType(1.5)", "Integer 5"},
      {"VarType(Now)", "Integer 7"},
      {"VarType(\"a\")", "Integer 8"},
      {"VarType(Nothing)", "Integer 9"},
      {"VarType(True)", "Integer 11"},
      {"VarType(CByte(1))", "Integer 17"},
      {"VarType(Array(1, 2))", "Integer 8204"},
      {"VarType(Array()) = vbArray + vbVariant", "Boolean True"},
      {"TypeName()", "error 450"},
  });
}

TEST(BuiltinInfo, TypeNameOfVariablesAndArguments) {
  ExpectScripts({
      {"Dim x\nResult = TypeName(x)", "String Empty"},
      {"Dim a(3)\nResult = TypeName(a)", "String Variant()"},
      {"Function F(v)\n  F = TypeName(v) & VarType(v)\nEnd Function\nResult = F(2.5)", "String Double5"},
      {"Set o = Nothing\nResult = IsObject(o) And TypeName(o) = \"Nothing\"", "Boolean True"},
  });
}

TEST(BuiltinInfo, IsFunctions) {
  ExpectEvals({
      {"IsEmpty(Empty)", "Boolean True"},
      {"IsEmpty(\"\")", "Boolean False"},
      {"IsEmpty(Null)", "Boolean False"},
      {"IsNull(Null)", "Boolean True"},
      {"IsNull(Empty)", "Boolean False"},
      {"IsArray(Array())", "Boolean True"},
      {"IsArray(\"a\")", "Boolean False"},
      {"IsObject(Nothing)", "Boolean True"},
      {"IsObject(Err)", "Boolean True"},
      {"IsObject(1)", "Boolean False"},
      {"IsNumeric(1)", "Boolean True"},
      {"IsNumeric(\"1e5\")", "Boolean True"},
      {"IsNumeric(\" -1.5 \")", "Boolean True"},
      {"IsNumeric(\"&HFF\")", "Boolean True"},
      {"IsNumeric(\"1,000\")", "Boolean True"},
      {"IsNumeric(\"\")", "Boolean False"},
      {"IsNumeric(\"abc\")", "Boolean False"},
      {"IsNumeric(\"1e\")", "Boolean False"},
      {"IsNumeric(Empty)", "Boolean True"},
      {"IsNumeric(True)", "Boolean True"},
      {"IsNumeric(Null)", "Boolean False"},
      {"IsNumeric(Now)", "Boolean False"},
      {"IsNumeric(Array(1))", "Boolean False"},
      {"IsDate(Now)", "Boolean True"},
      {"IsDate(\"1/1/2000\")", "Boolean True"},
      {"IsDate(\"December 7, 2026\")", "Boolean True"},
      {"IsDate(\"3:04 PM\")", "Boolean True"},
      {"IsDate(\"2/30/2000\")", "Boolean False"},
      {"IsDate(\"abc\")", "Boolean False"},
      {"IsDate(5)", "Boolean False"},
      {"IsDate(Null)", "Boolean False"},
  });
}

TEST(BuiltinInfo, ArrayAndBounds) {
  ExpectEvals({
      {"UBound(Array(1, 2, 3))", "Long 2"},
      {"LBound(Array(1, 2, 3))", "Long 0"},
      {"UBound(Array())", "Long -1"},
      {"Array(1, \"a\", True)(1)", "String a"},
      {"TypeName(Array(1, 2)(0))", "String Integer"},
      {"UBound(Array(1), 1)", "Long 0"},
      {"UBound(Array(1), 2)", "error 9"},
      {"UBound(Array(1), 0)", "error 9"},
      {"LBound(Array(1), 2)", "error 9"},
      {"UBound(5)", "error 13"},
      {"LBound(\"abc\")", "error 13"},
      {"UBound(Null)", "error 13"},
  });
  ExpectScripts({
      {"Dim a(2, 3)\nResult = UBound(a, 1) & \",\" & UBound(a, 2) & \",\" & LBound(a, 2)", "String 2,3,0"},
      {"Dim a(2, 3)\nResult = UBound(a, 3)", "error 9 at line 2"},
      {"Dim a()\nResult = UBound(a)", "error 9 at line 2"},
      {"ReDim a(4)\nResult = UBound(a)", "Long 4"},
  });
}

TEST(BuiltinInfo, ArrayCopiesItsArguments) {
  ExpectScripts({
      // Arrays are values: the copy inside does not change with the original.
      {"b = Array(1, 2)\na = Array(b)\nb(0) = 9\nResult = a(0)(0)", "Integer 1"},
      {"x = 5\na = Array(x)\nx = 6\nResult = a(0)", "Integer 5"},
  });
}

class Microscope : public HostObject {
 public:
  std::vector<std::string> MemberNames() const override { return {"Name"}; }
  Variant Invoke(int, std::span<const Variant>) override { return Variant("Leica SP8"); }
  std::string TypeName() const override { return "Microscope"; }
};

// Host objects are objects to the information functions; where a value is needed they have
// none (no default member).
TEST(BuiltinInfo, HostObjectsAsArguments) {
  ScriptControl sc;
  sc.AddObject("Scope", std::make_shared<Microscope>(), false);
  EXPECT_EQ(Describe(sc.Eval("IsObject(Scope)")), "Boolean True");
  EXPECT_EQ(Describe(sc.Eval("TypeName(Scope)")), "String Microscope");
  EXPECT_EQ(Describe(sc.Eval("VarType(Scope)")), "Integer 9");
  EXPECT_EQ(Describe(sc.Eval("IsNumeric(Scope)")), "Boolean False");
  EXPECT_EQ(Describe(sc.Eval("Len(Scope.Name)")), "Long 9");
  EXPECT_EQ(Describe(sc.Eval("UCase(Scope.Name)")), "String LEICA SP8");
  EXPECT_EQ(Describe(sc.Eval("TypeName(Array(Scope)(0))")), "String Microscope");
  sc.Eval("Len(Scope)");
  EXPECT_EQ(sc.Error().Number, 438);
  sc.ClearError();
  sc.Eval("Join(Array(Scope))");
  EXPECT_EQ(sc.Error().Number, 438);
  sc.ClearError();
  sc.Eval("UBound(Scope)");
  EXPECT_EQ(sc.Error().Number, 13);
}

TEST(BuiltinInfo, ScriptEngine) {
  ExpectEvals({
      {"ScriptEngine", "String VBScript"},
      {"ScriptEngineMajorVersion", "Long 5"},
      {"ScriptEngineMinorVersion() >= 0", "Boolean True"},
  });
}

TEST(BuiltinConstants, Texts) {
  ExpectEvals({
      {"vbCrLf = Chr(13) & Chr(10)", "Boolean True"},
      {"vbNewLine = vbCrLf", "Boolean True"},
      {"vbCr = Chr(13)", "Boolean True"},
      {"vbLf = Chr(10)", "Boolean True"},
      {"vbTab = Chr(9)", "Boolean True"},
      {"vbFormFeed = Chr(12)", "Boolean True"},
      {"vbVerticalTab = Chr(11)", "Boolean True"},
      {"vbNullString", "String "},
      {"Len(vbNullChar)", "Long 1"},
      {"AscW(vbNullChar)", "Integer 0"},
      {"VBCRLF = vbcrlf", "Boolean True"},  // names are case-insensitive
  });
}

TEST(BuiltinConstants, Numbers) {
  ExpectEvals({
      {"vbOKOnly", "Long 0"},
      {"vbOKCancel", "Long 1"},
      {"vbAbortRetryIgnore", "Long 2"},
      {"vbYesNoCancel", "Long 3"},
      {"vbYesNo", "Long 4"},
      {"vbRetryCancel", "Long 5"},
      {"vbCritical", "Long 16"},
      {"vbQuestion", "Long 32"},
      {"vbExclamation", "Long 48"},
      {"vbInformation", "Long 64"},
      {"vbDefaultButton2", "Long 256"},
      {"vbDefaultButton3", "Long 512"},
      {"vbSystemModal", "Long 4096"},
      {"vbOK", "Long 1"},
      {"vbCancel", "Long 2"},
      {"vbAbort", "Long 3"},
      {"vbRetry", "Long 4"},
      {"vbIgnore", "Long 5"},
      {"vbYes", "Long 6"},
      {"vbNo", "Long 7"},
      {"vbEmpty", "Long 0"},
      {"vbNull", "Long 1"},
      {"vbInteger", "Long 2"},
      {"vbLong", "Long 3"},
      {"vbSingle", "Long 4"},
      {"vbDouble", "Long 5"},
      {"vbCurrency", "Long 6"},
      {"vbDate", "Long 7"},
      {"vbString", "Long 8"},
      {"vbObject", "Long 9"},
      {"vbError", "Long 10"},
      {"vbBoolean", "Long 11"},
      {"vbVariant", "Long 12"},
      {"vbDataObject", "Long 13"},
      {"vbByte", "Long 17"},
      {"vbArray", "Long 8192"},
      {"vbBinaryCompare", "Long 0"},
      {"vbTextCompare", "Long 1"},
      {"vbDatabaseCompare", "Long 2"},
      {"vbUseSystemDayOfWeek", "Long 0"},
      {"vbSunday", "Long 1"},
      {"vbMonday", "Long 2"},
      {"vbSaturday", "Long 7"},
      {"vbFirstJan1", "Long 1"},
      {"vbFirstFourDays", "Long 2"},
      {"vbFirstFullWeek", "Long 3"},
      {"vbGeneralDate", "Long 0"},
      {"vbLongDate", "Long 1"},
      {"vbShortDate", "Long 2"},
      {"vbLongTime", "Long 3"},
      {"vbShortTime", "Long 4"},
      {"vbUseDefault", "Long -2"},
      {"vbTrue", "Long -1"},
      {"vbFalse", "Long 0"},
      {"vbObjectError", "Long -2147221504"},
      {"vbBlack", "Long 0"},
      {"vbRed", "Long 255"},
      {"vbGreen", "Long 65280"},
      {"vbYellow", "Long 65535"},
      {"vbBlue", "Long 16711680"},
      {"vbMagenta", "Long 16711935"},
      {"vbCyan", "Long 16776960"},
      {"vbWhite", "Long 16777215"},
  });
}

TEST(BuiltinConstants, ConstantsCannotBeAssigned) {
  ExpectScripts({
      {"Result = vbYes + vbNo", "Long 13"},
      {"Const x = vbTab\nResult = Len(x)", "Long 1"},
  });
  EXPECT_EQ(Outcome("vbOK = 5\nResult = vbOK"), "error 501 at line 1");
}

}  // namespace
}  // namespace lumetrix::vbs::testing
