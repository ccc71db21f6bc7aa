// Parser: syntax errors carry VBScript's numbers and the position of the offending token.
#include <gtest/gtest.h>

#include "test_parser_support.h"

namespace lumetrix::vbs {
namespace {

using parser_test::ParseError;
using parser_test::ParseFailure;

struct ErrorCase {
  const char* source;
  int32_t number;
  int line, column;
};

void ExpectErrors(std::initializer_list<ErrorCase> cases) {
  for (const ErrorCase& c : cases) {
    ParseFailure f = ParseError(c.source);
    EXPECT_EQ(f.number, c.number) << c.source;
    EXPECT_EQ(f.line, c.line) << c.source;
    EXPECT_EQ(f.column, c.column) << c.source;
  }
}

TEST(ParserErrors, UnclosedBlocksExpectTheirEnd) {
  ExpectErrors({
      {"If a Then\n  b = 1\n", err::ExpectedEnd, 3, 1},
      {"If a Then\n  b = 1\nElse\n  b = 2", err::ExpectedEnd, 4, 8},
      {"If a Then\n  b = 1\nEnd", err::ExpectedIf, 3, 4},
      {"If a Then\n  b = 1\nEnd Sub", err::ExpectedIf, 3, 5},
      {"For i = 1 To 3\n  If i Then\nNext", err::ExpectedEnd, 3, 1},
      {"Sub Main\n  x = 1\n", err::ExpectedEnd, 3, 1},
      {"Sub Main\nEnd Function", err::ExpectedSub, 2, 5},
      {"Function F\nEnd Sub", err::ExpectedFunction, 2, 5},
      {"For i = 1 To 3\n  x = i\n", err::ExpectedNext, 3, 1},
      {"Do\n  x = 1\n", err::ExpectedLoop, 3, 1},
      {"While x\n  x = 1\n", err::ExpectedWend, 3, 1},
      {"With o\n  .x = 1\n", err::ExpectedEnd, 3, 1},
      {"With o\nEnd Select", err::ExpectedWith, 2, 5},
      {"Select Case x\n  Case 1\n", err::ExpectedEnd, 3, 1},
      {"Select Case x\nEnd If", err::ExpectedSelect, 2, 5},
      {"Class C\n  Dim a\n", err::ExpectedEnd, 3, 1},
      {"Class C\nEnd Sub", err::ExpectedClass, 2, 5},
  });
}

TEST(ParserErrors, MissingPiecesOfStatements) {
  ExpectErrors({
      {"If a b = 1", err::ExpectedThen, 1, 6},
      {"For i = 1 10\nNext", err::ExpectedTo, 1, 11},
      {"For i 1 To 10\nNext", err::ExpectedEquals, 1, 7},
      {"For 1 = 1 To 2\nNext", err::InvalidForVariable, 1, 5},
      {"For i = 1 To 2\nNext j", err::InvalidForVariable, 1 + 1, 6},
      {"For Each v arr\nNext", err::ExpectedIn, 1, 12},
      {"Select x\nEnd Select", err::ExpectedCase, 1, 8},
      {"Do Foo\nLoop", err::ExpectedWhileUntilEos, 1, 4},
      {"Do While a\nLoop While b", err::ExpectedEndOfStatement, 2, 6},
      {"Const K\n", err::ExpectedEquals, 1, 8},
      {"Const = 1", err::ExpectedIdentifier, 1, 7},
      {"Dim", err::ExpectedIdentifier, 1, 4},
      {"Dim 5", err::ExpectedIdentifier, 1, 5},
      {"Dim a(1", err::ExpectedRParen, 1, 8},
      {"ReDim a", err::ExpectedLParen, 1, 1},
      {"Sub (x)\nEnd Sub", err::ExpectedIdentifier, 1, 5},
      {"Sub S(a, a)\nEnd Sub", err::NameRedefined, 1, 10},
      {"Sub S(ByVal)\nEnd Sub", err::ExpectedIdentifier, 1, 12},
      {"Option Strict", err::ExpectedIdentifier, 1, 8},
      {"On Error GoTo 10", err::Syntax, 1, 15},
      {"On Error Resume", err::Syntax, 1, 16},
      {"On Resume Next", err::Syntax, 1, 4},
      {"Set = 1", err::ExpectedExpression, 1, 5},
      {"Set o Nothing", err::ExpectedEquals, 1, 7},
  });
}

TEST(ParserErrors, ExpressionsAndStatementEnds) {
  ExpectErrors({
      {"x =", err::ExpectedExpression, 1, 4},
      {"x = 1 +", err::ExpectedExpression, 1, 8},
      {"x = (1 + 2", err::ExpectedRParen, 1, 11},
      {"x = f(1, 2", err::ExpectedRParen, 1, 11},
      {"x = 1 2", err::ExpectedEndOfStatement, 1, 7},
      {"x = 1 )", err::ExpectedEndOfStatement, 1, 7},
      {"x = * 2", err::ExpectedExpression, 1, 5},
      {"x = Then", err::ExpectedExpression, 1, 5},
      {"x = New", err::ExpectedIdentifier, 1, 8},
      {"Foo(1, 2)", err::ParensCallingSub, 1, 1},
      {"a\n  b = 1 2", err::ExpectedEndOfStatement, 2, 9},
      {"1 = x", err::ExpectedStatement, 1, 1},
      {"x = 1\n(x) = 2", err::ExpectedStatement, 2, 1},
      {"Call 5", err::ExpectedIdentifier, 1, 6},
  });
}

TEST(ParserErrors, StrayBlockEnds) {
  ExpectErrors({
      {"x = 1\nNext", err::UnexpectedNext, 2, 1},
      {"Loop", err::LoopWithoutDo, 1, 1},
      {"Wend", err::ExpectedStatement, 1, 1},
      {"End If", err::ExpectedStatement, 1, 1},
      {"Else", err::ExpectedStatement, 1, 1},
      {"Case 1", err::ExpectedStatement, 1, 1},
  });
}

TEST(ParserErrors, StatementsInTheWrongPlace) {
  ExpectErrors({
      {"Exit For", err::InvalidExit, 1, 6},
      {"Exit Do", err::InvalidExit, 1, 6},
      {"Exit Sub", err::InvalidExit, 1, 6},
      {"Sub S\n  Exit Function\nEnd Sub", err::InvalidExit, 2, 8},
      {"Function F\n  Exit Sub\nEnd Function", err::InvalidExit, 2, 8},
      {"Exit While", err::InvalidExit, 1, 6},
      {"Sub A\n  Sub B\n  End Sub\nEnd Sub", err::ExpectedStatement, 2, 3},
      {"If a Then\n  Function F\n  End Function\nEnd If", err::ExpectedStatement, 2, 3},
      {"For i = 1 To 2\n  Option Explicit\nNext", err::ExpectedStatement, 2, 3},
      {"x = Me", err::InvalidMe, 1, 5},
      {"Property Get P\nEnd Property", err::MustBeInClass, 1, 1},
      {".x = 1", err::ExpectedStatement, 1, 1},
      {"x = .y", err::InvalidReference, 1, 5},
      {"Class C\n  x = 1\nEnd Class", err::ExpectedStatement, 2, 3},
      {"Class C\n  Property Let P()\n  End Property\nEnd Class", err::PropertyNeedsArg, 2, 19},
      {"Class C\n  Property Put P()\n  End Property\nEnd Class", err::ExpectedLetSetGet, 2, 12},
  });
}

TEST(ParserErrors, LexicalErrorsSurfaceWithTheirPosition) {
  ExpectErrors({
      {"x = 1\ny = \"open", err::UnterminatedString, 2, 5},
      {"x = 1\ny = 2 # 3", err::Syntax, 2, 7},
      {"x = 1 $", err::InvalidCharacter, 1, 7},
      {"x = &HZ", err::InvalidNumber, 1, 5},
      {"x = 1.5e", err::InvalidNumber, 1, 5},
  });
}

TEST(ParserErrors, ExitInsideNestedLoopsAndProcedures) {
  // Exit For inside Do inside For is fine; the loop kinds are tracked separately.
  EXPECT_EQ(ParseError("For i = 1 To 2\n  Do\n    Exit For\n  Loop\nNext").number, 0);
  EXPECT_EQ(ParseError("Do\n  For i = 1 To 2\n    Exit Do\n  Next\nLoop").number, 0);
  EXPECT_EQ(ParseError("Sub S\n  If x Then Exit Sub\nEnd Sub").number, 0);
  // A loop around the procedure does not reach into it.
  EXPECT_EQ(ParseError("Class C\n  Function F\n    Exit Function\n  End Function\nEnd Class").number, 0);
}

TEST(ParserErrors, OneLineIfRequiresAStatementOrAnEndOfLine) {
  EXPECT_EQ(ParseError("If a Then b = 1 c = 2").number, err::ExpectedEndOfStatement);
  EXPECT_EQ(ParseError("If a Then b = 1 Else Else").number, err::ExpectedEndOfStatement);
  EXPECT_EQ(ParseError("If a Then b = 1 End If").number, 0);  // tolerated like VBScript
}

}  // namespace
}  // namespace lumetrix::vbs
