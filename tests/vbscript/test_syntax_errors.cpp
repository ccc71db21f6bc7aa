// Syntax errors carry VBScript's numbers, texts and the position of the offending token.
#include <string>

#include "vbs_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

struct SyntaxCase {
  std::string source;
  int32_t number;
  int line, column;
};

void ExpectSyntaxErrors(std::initializer_list<SyntaxCase> cases) {
  for (const SyntaxCase& c : cases) {
    std::string expected =
        std::to_string(c.number) + " at " + std::to_string(c.line) + ":" + std::to_string(c.column);
    EXPECT_EQ(ParseOutcome(c.source), expected) << c.source;
  }
}

TEST(SyntaxErrors, LexicalErrors) {
  using namespace err;
  ExpectSyntaxErrors({
      {"[open", Syntax, 1, 1}, {"[open\n]", Syntax, 1, 1}, {"x = _ 1", InvalidCharacter, 1, 5},
      {"x = 1e", InvalidNumber, 1, 5}, {"x = 1e+", InvalidNumber, 1, 5}, {"x = 1E400", InvalidNumber, 1, 5},
      {"x = 12abc", ExpectedEndOfStatement, 1, 7}, {"x = &H", ExpectedExpression, 1, 5}, {"x = &O8", InvalidNumber, 1, 5},
      {"x = &H100000000", InvalidNumber, 1, 5}, {"x = &HFFFFFFFFFFFFFFFFFFFFFFFF", InvalidNumber, 1, 5},
      {"x = 1\ns = \"abc", UnterminatedString, 2, 5}, {"s = \"abc\ndef\"", UnterminatedString, 1, 5},
      {"s = \"abc\"\"\n", UnterminatedString, 1, 5}, {"\"", UnterminatedString, 1, 1},
      {"x = #1/2/2003", Syntax, 1, 5}, {"x = #1/2/2003\n#", Syntax, 1, 5}, {"x = #not a date#", Syntax, 1, 5},
      {"x = ##", Syntax, 1, 5}, {"x = 1\ny = 2 # 3", Syntax, 2, 7}, {"x = 1\nx = 2 $ 3", InvalidCharacter, 2, 7},
      {"' äöü\nx = \"äöü\" $", InvalidCharacter, 2, 11},  // columns count characters
      {std::string(256, 'a'), IdentifierTooLong, 1, 1},
      {"[" + std::string(300, 'b') + "]", IdentifierTooLong, 1, 1},
  });
  EXPECT_EQ(ParseOutcome("x = " + std::string(255, 'a')), "parsed");
  for (const char* c : {"?", "!", "@", "{", "}", ";", "`", "~", "|", "%"})
    EXPECT_EQ(ParseOutcome(c), std::to_string(err::InvalidCharacter) + " at 1:1") << c;
  // Invalid UTF-8 outside strings and comments.
  for (std::string bad : {"\xff", "\xc3", "\x80", "a\xc3(", "\xe2\x82", "\xed\xa0\x80", "\xc0\xaf", "\xf8\x88\x80\x80\x80"})
    EXPECT_EQ(ParseOutcome("x = 1 : " + bad), std::to_string(err::InvalidCharacter) + (bad[0] == 'a' ? " at 1:10" : " at 1:9"))
        << bad;
}

TEST(SyntaxErrors, UnclosedBlocksAndStrayEnds) {
  using namespace err;
  ExpectSyntaxErrors({
      {"If a Then\n  b = 1\n", ExpectedEnd, 3, 1}, {"If a Then\n  b = 1\nElse\n  b = 2", ExpectedEnd, 4, 8},
      {"If a Then\n  b = 1\nEnd", ExpectedIf, 3, 4}, {"If a Then\n  b = 1\nEnd Sub", ExpectedIf, 3, 5},
      {"For i = 1 To 3\n  If i Then\nNext", ExpectedEnd, 3, 1}, {"Sub Main\n  x = 1\n", ExpectedEnd, 3, 1},
      {"Sub Main\nEnd Function", ExpectedSub, 2, 5}, {"Function F\nEnd Sub", ExpectedFunction, 2, 5},
      {"For i = 1 To 3\n  x = i\n", ExpectedNext, 3, 1}, {"Do\n  x = 1\n", ExpectedLoop, 3, 1},
      {"While x\n  x = 1\n", ExpectedWend, 3, 1}, {"With o\n  .x = 1\n", ExpectedEnd, 3, 1},
      {"With o\nEnd Select", ExpectedWith, 2, 5}, {"Select Case x\n  Case 1\n", ExpectedEnd, 3, 1},
      {"Select Case x\nEnd If", ExpectedSelect, 2, 5}, {"Class C\n  Dim a\n", ExpectedEnd, 3, 1},
      {"Class C\nEnd Sub", ExpectedClass, 2, 5}, {"x = 1\nNext", UnexpectedNext, 2, 1}, {"Loop", LoopWithoutDo, 1, 1},
      {"Wend", ExpectedStatement, 1, 1}, {"End If", ExpectedStatement, 1, 1}, {"Else", ExpectedStatement, 1, 1},
      {"Case 1", ExpectedStatement, 1, 1}, {"Do\n  x = 1\nWend", ExpectedLoop, 3, 1},
  });
}

TEST(SyntaxErrors, MissingPiecesOfStatementsAndExpressions) {
  using namespace err;
  ExpectSyntaxErrors({
      {"If a b = 1", ExpectedThen, 1, 6}, {"For i = 1 10\nNext", ExpectedTo, 1, 11},
      {"For i 1 To 10\nNext", ExpectedEquals, 1, 7}, {"For 1 = 1 To 2\nNext", InvalidForVariable, 1, 5},
      {"For i = 1 To 2\nNext j", InvalidForVariable, 2, 6}, {"For Each v arr\nNext", ExpectedIn, 1, 12},
      {"Select x\nEnd Select", ExpectedCase, 1, 8}, {"Do Foo\nLoop", ExpectedWhileUntilEos, 1, 4},
      {"Do While a\nLoop While b", ExpectedEndOfStatement, 2, 6}, {"Const K\n", ExpectedEquals, 1, 8},
      {"Const = 1", ExpectedIdentifier, 1, 7}, {"Dim", ExpectedIdentifier, 1, 4}, {"Dim 5", ExpectedIdentifier, 1, 5},
      {"Dim a(1", ExpectedRParen, 1, 8}, {"ReDim a", ExpectedLParen, 1, 1}, {"Sub (x)\nEnd Sub", ExpectedIdentifier, 1, 5},
      {"Sub S(a, a)\nEnd Sub", NameRedefined, 1, 10}, {"Sub S(ByVal)\nEnd Sub", ExpectedIdentifier, 1, 12},
      {"Option Strict", ExpectedIdentifier, 1, 8}, {"On Error GoTo 10", Syntax, 1, 15},
      {"On Error Resume", Syntax, 1, 16}, {"On Resume Next", Syntax, 1, 4}, {"Set = 1", ExpectedExpression, 1, 5},
      {"Set o Nothing", ExpectedEquals, 1, 7}, {"x =", ExpectedExpression, 1, 4}, {"x = 1 +", ExpectedExpression, 1, 8}, {"x = 1 +\n", ExpectedExpression, 1, 8},
      {"x = (1 + 2", ExpectedRParen, 1, 11}, {"x = f(1, 2", ExpectedRParen, 1, 11}, {"x = 1 2", ExpectedEndOfStatement, 1, 7},
      {"x = 1 )", ExpectedEndOfStatement, 1, 7}, {"x = * 2", ExpectedExpression, 1, 5},
      {"x = Then", ExpectedExpression, 1, 5}, {"x = New", ExpectedIdentifier, 1, 8}, {"Foo(1, 2)", ParensCallingSub, 1, 1},
      {"a\n  b = 1 2", ExpectedEndOfStatement, 2, 9}, {"1 = x", ExpectedStatement, 1, 1},
      {"x = 1\n(x) = 2", ExpectedStatement, 2, 1}, {"Call 5", ExpectedIdentifier, 1, 6}, {"x = = 2", ExpectedExpression, 1, 5},
      {"Dim x = 1", ExpectedEndOfStatement, 1, 7}, {"If a Then b = 1 c = 2", ExpectedEndOfStatement, 1, 17},
      {"If a Then b = 1 Else Else", ExpectedEndOfStatement, 1, 22},
  });
}

TEST(SyntaxErrors, StatementsInTheWrongPlace) {
  using namespace err;
  ExpectSyntaxErrors({
      {"Exit For", InvalidExit, 1, 6}, {"Exit Do", InvalidExit, 1, 6}, {"Exit Sub", InvalidExit, 1, 6},
      {"Sub S\n  Exit Function\nEnd Sub", InvalidExit, 2, 8}, {"Function F\n  Exit Sub\nEnd Function", InvalidExit, 2, 8},
      {"Exit While", InvalidExit, 1, 6}, {"Sub A\n  Sub B\n  End Sub\nEnd Sub", ExpectedStatement, 2, 3},
      {"For i = 1 To 2\n  Option Explicit\nNext", ExpectedStatement, 2, 3}, {"x = Me", InvalidMe, 1, 5},
      {"Property Get P\nEnd Property", MustBeInClass, 1, 1}, {".x = 1", ExpectedStatement, 1, 1},
      {"x = .y", InvalidReference, 1, 5}, {"Class C\n  x = 1\nEnd Class", ExpectedStatement, 2, 3},
      {"Class C\n  Property Let P()\n  End Property\nEnd Class", PropertyNeedsArg, 2, 19},
      {"Class C\n  Property Put P()\n  End Property\nEnd Class", ExpectedLetSetGet, 2, 12},
  });
}

// A host sees number, text, position and source line through ScriptControl::AddCode and Eval.
TEST(SyntaxErrors, HostsSeeTextsAndSourceLines) {
  ExpectReports({
      {"Sub Main\n  x = 1\n  y = (2 + 3\nEnd Sub\n", "1006 at 3:13 Expected ')'"},
      {"x = 1\ny = (2 + \nz = 3", "1023 at 2:10 Expected expression"},
      {"If a Then\n  b = 1\n", "1014 at 3:1 Expected 'End'"},
      {"x = 1 2", "1025 at 1:7 Expected end of statement"},
      {"s = \"abc", "1033 at 1:5 Unterminated string constant"},
      {"s = \"Größe\" $", "1032 at 1:13 Invalid character"},
      {"Do\n  x = 1\nWend", "1019 at 3:1 Expected 'Loop'"},
      {"For i = 1 To 3\n", "1020 at 2:1 Expected 'Next'"},
      {"Exit Do", "1039 at 1:6 Invalid 'exit' statement"},
      {"Next", "1055 at 1:1 Unexpected 'Next'"},
      {"Foo(1, 2)", "1044 at 1:1 Cannot use parentheses when calling a Sub"},
      {"x = Me", "1037 at 1:5 Invalid use of 'Me' keyword"},
      {"Sub a\nEnd Sub\nDim b, a", "1041 at 3:8 Name redefined"},
      {"Class C\n  Dim a\n  Public b, a\nEnd Class", "1041 at 3:13 Name redefined"},
  });
  Engine sc;
  EXPECT_FALSE(sc.AddCode("Sub Main\n  x = 1\n  y = (2 + 3\nEnd Sub\n"));
  EXPECT_EQ(sc.Error().Text, "  y = (2 + 3");
  EXPECT_EQ(sc.Error().Source, "Microsoft VBScript compilation error");
  EXPECT_FALSE(sc.AddCode("s = \"Größe\" $"));
  EXPECT_EQ(sc.Error().Text, "s = \"Größe\" $");
  // Nothing of a failed chunk runs; the code added before stays usable.
  ASSERT_TRUE(sc.AddCode("Dim ran\nran = 0\nFunction Twice(n)\n  Twice = n * 2\nEnd Function"));
  EXPECT_FALSE(sc.AddCode("ran = 1\nx = )"));
  EXPECT_FALSE(sc.AddCode("Sub Broken(\nEnd Sub"));
  EXPECT_EQ(Report(sc.Error()), "1010 at 1:12 Expected identifier");
  EXPECT_EQ(EvalIn(sc, "ran + Twice(21)"), "Integer 42");
  // Hostile bytes fail cleanly on the first line.
  for (const std::string& s : {std::string("\0\xff\xfe", 3), std::string("\xc3\x28 = 1"), std::string("Sub \xe2\x82\n"),
                               std::string(300, 'x') + " = 1", std::string("x = #99/99/9999#"),
                               std::string("x = &HFFFFFFFFF"), std::string("x = 1E999")}) {
    EXPECT_FALSE(sc.AddCode(s));
    EXPECT_TRUE(IsSyntaxError(sc.Error().Number)) << Report(sc.Error());
    EXPECT_FALSE(sc.Error().Description.empty());
    EXPECT_EQ(sc.Error().Line, 1);
  }
}

}  // namespace
}  // namespace lumetrix::vbs::testing
