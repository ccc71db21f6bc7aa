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

// The deepest trees the parser lets through must also compile and run (the compiler walks
// them recursively).
TEST(ParserReporting, DeepestAcceptedNestingCompilesAndRuns) {
  std::string chain = "Function Chain()\n  Chain = 1";
  for (int i = 0; i < 990; ++i) chain += " + 1";
  chain += "\nEnd Function\n";
  std::string parens = "Function Parens()\n  Parens = ";
  int depth = 0;
  for (;; ++depth) {  // as deep as the parser allows
    std::string open(static_cast<size_t>(depth + 1), '(');
    std::string close(static_cast<size_t>(depth + 1), ')');
    ScriptControl probe;
    if (!probe.AddCode("x = " + open + "1" + close)) break;
  }
  ASSERT_GT(depth, 50);
  parens += std::string(static_cast<size_t>(depth), '(') + "2" + std::string(static_cast<size_t>(depth), ')');
  parens += "\nEnd Function\n";
  std::string ifs = "Function Ifs()\n";
  int ifDepth = 0;
  for (;; ++ifDepth) {
    std::string src;
    for (int i = 0; i <= ifDepth; ++i) src += "If True Then\n";
    for (int i = 0; i <= ifDepth; ++i) src += "End If\n";
    ScriptControl probe;
    if (!probe.AddCode("Sub S\n" + src + "End Sub")) break;
  }
  ASSERT_GT(ifDepth, 30);
  for (int i = 0; i < ifDepth; ++i) ifs += "If True Then\n";
  ifs += "Ifs = 3\n";
  for (int i = 0; i < ifDepth; ++i) ifs += "End If\n";
  ifs += "End Function\n";

  ScriptControl sc;
  ASSERT_TRUE(sc.AddCode(chain + parens + ifs)) << sc.Error().Description << " line " << sc.Error().Line;
  EXPECT_EQ(ToLong(sc.Run("Chain")), 991);
  EXPECT_EQ(ToLong(sc.Run("Parens")), 2);
  EXPECT_EQ(ToLong(sc.Run("Ifs")), 3);
  EXPECT_EQ(sc.Error().Number, 0) << sc.Error().Description;
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
