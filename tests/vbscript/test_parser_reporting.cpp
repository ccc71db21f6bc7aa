// Syntax errors as a host sees them through ScriptControl::AddCode: number, VBScript's text,
// line, column and the source line.
#include <gtest/gtest.h>

#include <string>

#include "vbscript/script_control.h"

namespace lumetrix::vbs {
namespace {

ErrorInfo CompileError(const std::string& source) {
  ScriptControl sc;
  EXPECT_FALSE(sc.AddCode(source)) << source;
  return sc.Error();
}

TEST(ParserReporting, SyntaxErrorCarriesNumberTextPositionAndSourceLine) {
  ErrorInfo e = CompileError("Sub Main\n  x = 1\n  y = (2 + 3\nEnd Sub\n");
  EXPECT_EQ(e.Number, err::ExpectedRParen);
  EXPECT_EQ(e.Description, "Expected ')'");
  EXPECT_EQ(e.Line, 3);
  EXPECT_EQ(e.Column, 13);
  EXPECT_EQ(e.Text, "  y = (2 + 3");
  EXPECT_NE(e.Source.find("compilation error"), std::string::npos) << e.Source;
}

TEST(ParserReporting, StandardTextsOfTheCommonMistakes) {
  struct Case {
    const char* source;
    int32_t number;
    const char* text;
    int line;
  };
  const Case cases[] = {
      {"If a Then\n  b = 1\n", err::ExpectedEnd, "Expected 'End'", 3},
      {"x = 1 2", err::ExpectedEndOfStatement, "Expected end of statement", 1},
      {"x = ", err::ExpectedExpression, "Expected expression", 1},
      {"s = \"abc", err::UnterminatedString, "Unterminated string constant", 1},
      {"x = 1 $", err::InvalidCharacter, "Invalid character", 1},
      {"Do\n  x = 1\nWend", err::ExpectedLoop, "Expected 'Loop'", 3},
      {"For i = 1 To 3\n", err::ExpectedNext, "Expected 'Next'", 2},
      {"Exit Do", err::InvalidExit, "Invalid 'exit' statement", 1},
      {"Next", err::UnexpectedNext, "Unexpected 'Next'", 1},
      {"Foo(1, 2)", err::ParensCallingSub, "Cannot use parentheses when calling a Sub", 1},
      {"x = Me", err::InvalidMe, "Invalid use of 'Me' keyword", 1},
      {"Dim x = 1", err::ExpectedEndOfStatement, "Expected end of statement", 1},
      {"x = 1 +\n", err::ExpectedExpression, "Expected expression", 1},
      {"Sub A\nEnd Sub\nSub A\nEnd Sub", err::NameRedefined, "Name redefined", 3},
  };
  for (const Case& c : cases) {
    ErrorInfo e = CompileError(c.source);
    EXPECT_EQ(e.Number, c.number) << c.source;
    EXPECT_EQ(e.Description, c.text) << c.source;
    EXPECT_EQ(e.Line, c.line) << c.source;
    EXPECT_GE(e.Column, 1) << c.source;
  }
}

TEST(ParserReporting, ColumnsCountCharacters) {
  ErrorInfo e = CompileError("s = \"Größe\" $");
  EXPECT_EQ(e.Number, err::InvalidCharacter);
  EXPECT_EQ(e.Column, 13);
  EXPECT_EQ(e.Text, "s = \"Größe\" $");
}

TEST(ParserReporting, DeepNestingIsOutOfStackSpace) {
  std::string deep = "x = ";
  for (int i = 0; i < 50'000; ++i) deep += '(';
  ErrorInfo e = CompileError(deep + "1");
  EXPECT_EQ(e.Number, err::OutOfStack);
  EXPECT_EQ(e.Description, "Out of stack space");
  EXPECT_EQ(e.Line, 1);

  std::string blocks = "Sub Main\n";
  for (int i = 0; i < 50'000; ++i) blocks += "If a Then\n";
  e = CompileError(blocks);
  EXPECT_EQ(e.Number, err::OutOfStack);
  EXPECT_GT(e.Line, 1);
  EXPECT_EQ(e.Text, "If a Then");
}

TEST(ParserReporting, CodeAddedBeforeASyntaxErrorStaysUsable) {
  ScriptControl sc;
  ASSERT_TRUE(sc.AddCode("Function Twice(n)\n  Twice = n * 2\nEnd Function"));
  EXPECT_FALSE(sc.AddCode("Sub Broken(\nEnd Sub"));
  EXPECT_EQ(sc.Error().Number, err::ExpectedIdentifier);
  EXPECT_EQ(sc.Error().Line, 1);
  Variant r = sc.Run("Twice", {Variant::Integer(21)});
  EXPECT_EQ(sc.Error().Number, 0) << sc.Error().Description;
  EXPECT_EQ(ToLong(r), 42);
}

TEST(ParserReporting, HostileBytesFailCleanly) {
  const std::string inputs[] = {
      std::string("\0\xff\xfe", 3), "\xc3\x28 = 1", "Sub \xe2\x82\n", std::string(300, 'x') + " = 1",
      "x = #99/99/9999#", "x = &HFFFFFFFFF", "x = 1E999",
  };
  for (const std::string& s : inputs) {
    ErrorInfo e = CompileError(s);
    EXPECT_TRUE(e.Number >= 1001 && e.Number <= 1099) << e.Number << " " << e.Description;
    EXPECT_FALSE(e.Description.empty());
    EXPECT_EQ(e.Line, 1);
  }
}

}  // namespace
}  // namespace lumetrix::vbs
