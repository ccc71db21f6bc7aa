// Asc AscW Chr ChrW Escape Filter InStr InStrRev Join LCase Left Len LTrim Mid Replace Right
// RTrim Space Split StrComp String StrReverse Trim UCase Unescape.
#include "vbs_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(BuiltinString, PiecesLengthsAndCase) {
  ExpectEvals({
      {"Left(\"abcdef\", 2)", "String ab"}, {"Left(\"abc\", 0)", "String "}, {"Left(\"abc\", 10)", "String abc"},
      {"Left(12345, 2)", "String 12"}, {"Right(\"abcdef\", 2)", "String ef"}, {"Right(\"abc\", 5)", "String abc"},
      {"Mid(\"abcdef\", 2, 3)", "String bcd"}, {"Mid(\"abcdef\", 4)", "String def"}, {"Mid(\"abc\", 3, 10)", "String c"},
      {"Mid(\"abc\", 4)", "String "}, {"Mid(\"abc\", 10, 2)", "String "}, {"Mid(\"abc\", 2147483647)", "String "},
      {"Mid(\"abc\", 2, 0)", "String "}, {"Mid(\"abc\", 2.5)", "String bc"},  // 2.5 rounds to 2
      {"Left(Null, 1)", "Null"}, {"Right(Null, 1)", "Null"}, {"Mid(Null, 1)", "Null"},
      {"Left(\"abc\", -1)", "error 5"}, {"Right(\"abc\", -1)", "error 5"}, {"Mid(\"abc\", 0)", "error 5"},
      {"Mid(\"abc\", -5)", "error 5"}, {"Mid(\"abc\", 1, -1)", "error 5"}, {"Left(\"abc\", 1E+10)", "error 6"},
      {"Left(\"abc\", \"x\")", "error 13"}, {"Left(\"abc\", Null)", "error 94"}, {"Mid(\"abc\", Null)", "error 94"},
      {"Left(\"abc\")", "error 450"}, {"Mid(\"abc\")", "error 450"}, {"Mid(\"abc\", 1, 2, 3)", "error 450"},
      // Len counts UTF-16 code units.
      {"Len(\"abc\")", "Long 3"}, {"Len(\"\")", "Long 0"}, {"Len(Empty)", "Long 0"}, {"Len(123)", "Long 3"},
      {"Len(-1.5)", "Long 4"}, {"Len(True)", "Long 4"}, {"Len(\"Grüße\")", "Long 5"}, {"Len(Null)", "Null"},
      {"Len(Array(1))", "error 13"},
      {"UCase(\"abc Grüße\")", "String ABC GRÜßE"},  // one letter for one: ß stays
      {"LCase(\"ÄBC\")", "String äbc"}, {"UCase(Null)", "Null"}, {"LCase(12)", "String 12"},
      {"Trim(\"  a b  \")", "String a b"}, {"LTrim(\"  a  \") & \"|\"", "String a  |"},
      {"RTrim(\"  a  \") & \"|\"", "String   a|"},
      {"Len(Trim(vbTab & \" a \" & vbTab))", "Long 5"},  // only blanks are trimmed
      {"Trim(Null)", "Null"}, {"Trim(\"\")", "String "},
  });
}

TEST(BuiltinString, InStrAndInStrRevWithStartAndCompare) {
  ExpectEvals({
      {"InStr(\"abcabc\", \"c\")", "Long 3"}, {"InStr(4, \"abcabc\", \"c\")", "Long 6"}, {"InStr(\"abc\", \"x\")", "Long 0"},
      {"InStr(\"ABC\", \"b\")", "Long 0"}, {"InStr(1, \"ABC\", \"b\", 1)", "Long 2"},
      {"InStr(1, \"ABC\", \"b\", vbTextCompare)", "Long 2"}, {"InStr(1, \"ABC\", \"b\", vbBinaryCompare)", "Long 0"},
      {"InStr(2, \"abc\", \"\")", "Long 2"}, {"InStr(\"\", \"\")", "Long 0"}, {"InStr(\"\", \"a\")", "Long 0"},
      {"InStr(5, \"abc\", \"c\")", "Long 0"}, {"InStr(\"a\", Null)", "Null"}, {"InStr(Null, \"a\")", "Null"},
      {"InStr(Null, \"a\", \"a\")", "error 94"}, {"InStr(0, \"abc\", \"b\")", "error 5"},
      {"InStr(-1, \"abc\", \"b\")", "error 5"}, {"InStr(1, \"abc\", \"b\", 3)", "error 5"},
      {"InStr(\"x\", \"abc\", \"b\")", "error 13"}, {"InStr(\"abc\")", "error 450"}, {"InStr(123456, 34)", "Long 3"},
      {"InStrRev(\"abcabc\", \"b\")", "Long 5"}, {"InStrRev(\"abcabc\", \"b\", 4)", "Long 2"},
      {"InStrRev(\"abcabc\", \"bc\", 5)", "Long 2"}, {"InStrRev(\"abcabc\", \"bc\", 6)", "Long 5"},
      {"InStrRev(\"ABCabc\", \"B\", -1, 1)", "Long 5"}, {"InStrRev(\"abc\", \"x\")", "Long 0"},
      {"InStrRev(\"abc\", \"\")", "Long 3"}, {"InStrRev(\"abc\", \"\", 2)", "Long 2"},
      {"InStrRev(\"abc\", \"c\", 10)", "Long 0"}, {"InStrRev(\"\", \"a\")", "Long 0"},
      {"InStrRev(\"abc\", \"abcd\")", "Long 0"}, {"InStrRev(Null, \"a\")", "Null"},
      {"InStrRev(\"abc\", \"c\", 0)", "error 5"}, {"InStrRev(\"abc\", \"c\", -2)", "error 5"},
      {"StrComp(\"a\", \"a\")", "Integer 0"}, {"StrComp(\"a\", \"B\")", "Integer 1"},
      {"StrComp(\"a\", \"B\", 1)", "Integer -1"}, {"StrComp(\"abc\", \"ABC\", vbTextCompare)", "Integer 0"},
      {"StrComp(\"ab\", \"abc\")", "Integer -1"}, {"StrComp(\"a\", Null)", "Null"}, {"StrComp(\"a\", \"b\", 5)", "error 5"},
  });
}

TEST(BuiltinString, ReplaceSplitJoinAndFilter) {
  ExpectEvals({
      {"Replace(\"a.b.c\", \".\", \"--\")", "String a--b--c"}, {"Replace(\"aXbxc\", \"x\", \"-\")", "String aXb-c"},
      {"Replace(\"aXbxc\", \"x\", \"-\", 1, -1, 1)", "String a-b-c"}, {"Replace(\"aaaa\", \"a\", \"b\", 1, 2)", "String bbaa"},
      {"Replace(\"abcabc\", \"b\", \"\", 3)", "String cac"},  // the result starts at `start`
      {"Replace(\"abc\", \"b\", \"x\", 10)", "String "}, {"Replace(\"abc\", \"\", \"x\")", "String abc"},
      {"Replace(\"abc\", \"b\", \"x\", 1, 0)", "String abc"}, {"Replace(\"\", \"a\", \"b\")", "String "},
      {"Replace(\"aaa\", \"aa\", \"a\")", "String aa"}, {"Replace(123, 2, 9)", "String 193"},
      {"Replace(\"abc\", \"b\", \"x\", 0)", "error 5"}, {"Replace(\"abc\", \"b\", \"x\", 1, -2)", "error 5"},
      {"Replace(Null, \"a\", \"b\")", "error 94"}, {"Replace(\"abc\", Null, \"b\")", "error 94"},
      {"Replace(\"abc\", \"a\")", "error 450"},
      {"UBound(Split(\"a,b,,c\", \",\"))", "Long 3"}, {"Split(\"a,b,,c\", \",\")(2)", "String "},
      {"Split(\"a,b,,c\", \",\")(3)", "String c"}, {"Split(\"a b c\")(1)", "String b"}, {"UBound(Split(\"\"))", "Long -1"},
      {"UBound(Split(\"abc\", \"\"))", "Long 0"}, {"Split(\"abc\", \"\")(0)", "String abc"},
      {"Split(\"a b c\", \" \", 2)(1)", "String b c"}, {"UBound(Split(\"a b c\", \" \", 0))", "Long -1"},
      {"Split(\"aXbxc\", \"x\", -1, 1)(2)", "String c"}, {"UBound(Split(\"aXbxc\", \"x\"))", "Long 1"},
      {"TypeName(Split(\"a\"))", "String Variant()"}, {"TypeName(Split(\"1 2\")(0))", "String String"},
      {"Split(\"abc\", \" \", -2)", "error 5"}, {"Split(Null)", "error 94"},
      {"Join(Array(1, 2, 3), \"-\")", "String 1-2-3"}, {"Join(Array(1, 2, 3))", "String 1 2 3"},
      {"Join(Array(1, 2), \"\")", "String 12"}, {"Join(Array())", "String "},
      {"Join(Array(\"a\", Empty, True))", "String a  True"}, {"Join(Split(\"x;y;z\", \";\"), \"+\")", "String x+y+z"},
      {"Join(5)", "error 13"}, {"Join(\"abc\")", "error 13"}, {"Join(Null)", "error 94"},
      {"Join(Array(Array(1)))", "error 13"},
      {"Join(Filter(Array(\"apple\", \"banana\", \"cherry\"), \"an\"), \",\")", "String banana"},
      {"Join(Filter(Array(\"apple\", \"banana\", \"cherry\"), \"an\", False), \",\")", "String apple,cherry"},
      {"Join(Filter(Array(\"Apple\", \"apricot\"), \"AP\", True, vbTextCompare), \",\")", "String Apple,apricot"},
      {"UBound(Filter(Array(\"a\", \"b\"), \"z\"))", "Long -1"}, {"Filter(Array(1, 12, 3), 1)(1)", "String 12"},
      {"Filter(5, \"a\")", "error 13"}, {"Filter(Array(\"a\"), Null)", "error 94"},
  });
  ExpectScripts({
      {"Dim a(1, 1)\nResult = Join(a)", "error 5 at line 2"},
      {"Dim a(2)\na(0) = \"x\"\na(2) = \"z\"\nResult = Join(a, \",\")", "String x,,z"},
  });
}

TEST(BuiltinString, MadeStringsAndCharacterCodes) {
  ExpectEvals({
      {"Space(3) & \"|\"", "String    |"}, {"Space(0)", "String "}, {"String(3, \"xy\")", "String xxx"},
      {"String(3, 65)", "String AAA"}, {"String(2, 321)", "String AA"},  // character codes wrap at 256
      {"String(0, \"a\")", "String "}, {"String(3, Null)", "Null"}, {"StrReverse(\"abc\")", "String cba"},
      {"StrReverse(\"\")", "String "}, {"StrReverse(123)", "String 321"}, {"Space(-1)", "error 5"},
      {"String(-1, \"a\")", "error 5"}, {"String(3, \"\")", "error 5"}, {"StrReverse(Null)", "error 94"},
      // StrReverse keeps characters outside the BMP whole.
      {"AscW(Left(StrReverse(\"a\" & ChrW(&HD83D) & ChrW(&HDE00)), 1))", "Integer -10179"},  // 0xD83D
      {"Right(StrReverse(\"a\" & ChrW(&HD83D) & ChrW(&HDE00)), 1)", "String a"},
      // Asc and Chr use Windows-1252.
      {"Asc(\"A\")", "Integer 65"}, {"Asc(\"Abc\")", "Integer 65"}, {"Asc(5)", "Integer 53"}, {"Chr(65)", "String A"},
      {"Chr(128)", "String €"}, {"Asc(Chr(128))", "Integer 128"}, {"AscW(Chr(128))", "Integer 8364"},
      {"Asc(\"é\")", "Integer 233"}, {"Asc(ChrW(&H4E2D))", "Integer 63"},  // not in the code page: "?"
      {"Len(Chr(0))", "Long 1"}, {"AscW(ChrW(65535))", "Integer -1"}, {"AscW(ChrW(-1))", "Integer -1"},
      {"AscW(\"€\")", "Integer 8364"}, {"Asc(\"\")", "error 5"}, {"AscW(\"\")", "error 5"}, {"Asc(Null)", "error 94"},
      {"Chr(256)", "error 5"}, {"Chr(-1)", "error 5"}, {"ChrW(65536)", "error 5"}, {"ChrW(-32769)", "error 5"},
      {"Chr(\"x\")", "error 13"}, {"Escape(\"a b&c/d.e\")", "String a%20b%26c/d.e"}, {"Escape(\"€\")", "String %u20AC"},
      {"Unescape(\"a%20b%u20AC\")", "String a b€"}, {"Unescape(\"100%\")", "String 100%"},
      {"Unescape(Escape(\"x=1;y=2 ü\"))", "String x=1;y=2 ü"}, {"Escape(Null)", "Null"},
  });
}

TEST(BuiltinString, HugeResultsAreOutOfMemoryNotACrash) {
  ExpectEvals({
      {"Space(1000000000)", "error 7"}, {"Space(2147483647)", "error 7"}, {"String(1000000000, \"a\")", "error 7"},
      {"Len(Replace(String(100000, \"a\"), \"a\", String(10000, \"b\")))", "error 7"},
      {"UBound(Split(String(40000000, \",\"), \",\"))", "error 7"}, {"Len(Space(1000000))", "Long 1000000"},
  });
  ExpectScripts({{"s = Space(50000000)\nResult = Len(Join(Array(s, s, s), \"\"))", "error 7 at line 2"}});
}

}  // namespace
}  // namespace lumetrix::vbs::testing
