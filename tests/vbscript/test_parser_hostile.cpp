// Parser: hostile and pathological input ends in a VBScript error, never in a crash.
#include <gtest/gtest.h>

#include <string>

#include "test_parser_support.h"

namespace lumetrix::vbs {
namespace {

using parser_test::ParseError;

std::string Repeat(std::string_view s, int n) {
  std::string r;
  r.reserve(s.size() * static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

constexpr int kHuge = 30'000;

TEST(ParserHostile, DeepParenthesesAreOutOfStackSpace) {
  auto f = ParseError("x = " + Repeat("(", kHuge) + "1" + Repeat(")", kHuge));
  EXPECT_EQ(f.number, err::OutOfStack);
  EXPECT_EQ(f.line, 1);
  EXPECT_GT(f.column, 4);
  EXPECT_EQ(ParseError("x = " + Repeat("(", kHuge)).number, err::OutOfStack);  // unclosed as well
}

TEST(ParserHostile, DeepUnaryOperatorsAreOutOfStackSpace) {
  EXPECT_EQ(ParseError("x = " + Repeat("-", kHuge) + "1").number, err::OutOfStack);
  EXPECT_EQ(ParseError("x = " + Repeat("Not ", kHuge) + "1").number, err::OutOfStack);
  EXPECT_EQ(ParseError("x = " + Repeat("- Not + ", kHuge) + "1").number, err::OutOfStack);
  EXPECT_EQ(ParseError("x = 2" + Repeat(" ^ -2", kHuge)).number, err::OutOfStack);
}

TEST(ParserHostile, DeepCallsAndIndexingAreOutOfStackSpace) {
  EXPECT_EQ(ParseError("x = " + Repeat("f(", kHuge) + "1" + Repeat(")", kHuge)).number, err::OutOfStack);
  EXPECT_EQ(ParseError("x = a" + Repeat("(1)", kHuge)).number, err::OutOfStack);
  EXPECT_EQ(ParseError("x = a" + Repeat(".b", kHuge)).number, err::OutOfStack);
  EXPECT_EQ(ParseError("Foo " + Repeat("(", kHuge)).number, err::OutOfStack);
  EXPECT_EQ(ParseError("Dim a(" + Repeat("(", kHuge) + ")").number, err::OutOfStack);
}

TEST(ParserHostile, LongOperatorChainsAreBounded) {
  // A left-deep tree this tall would make every later tree walk recurse too deep.
  EXPECT_EQ(ParseError("x = 1" + Repeat(" + 1", kHuge)).number, err::OutOfStack);
  EXPECT_EQ(ParseError("x = a" + Repeat(" & a", kHuge)).number, err::OutOfStack);
  EXPECT_EQ(ParseError("x = a" + Repeat(" = a", kHuge)).number, err::OutOfStack);
  // Ordinary long expressions are fine.
  EXPECT_EQ(ParseError("x = 1" + Repeat(" + 1", 500)).number, 0);
  // Many arguments make a wide, not a deep tree.
  EXPECT_EQ(ParseError("x = f(1" + Repeat(", 1", kHuge) + ")").number, 0);
}

TEST(ParserHostile, DeepBlocksAreOutOfStackSpace) {
  EXPECT_EQ(ParseError(Repeat("If a Then\n", kHuge) + Repeat("End If\n", kHuge)).number, err::OutOfStack);
  EXPECT_EQ(ParseError(Repeat("If a Then\n", kHuge)).number, err::OutOfStack);
  EXPECT_EQ(ParseError(Repeat("If a Then ", kHuge) + "x = 1").number, err::OutOfStack);
  EXPECT_EQ(ParseError(Repeat("For i = 1 To 2\n", kHuge) + Repeat("Next\n", kHuge)).number, err::OutOfStack);
  EXPECT_EQ(ParseError(Repeat("For Each v In a\n", kHuge)).number, err::OutOfStack);
  EXPECT_EQ(ParseError(Repeat("Do\n", kHuge) + Repeat("Loop\n", kHuge)).number, err::OutOfStack);
  EXPECT_EQ(ParseError(Repeat("While 1\n", kHuge)).number, err::OutOfStack);
  EXPECT_EQ(ParseError(Repeat("With o\n", kHuge)).number, err::OutOfStack);
  EXPECT_EQ(ParseError(Repeat("Select Case 1\nCase 1\n", kHuge)).number, err::OutOfStack);
  EXPECT_EQ(ParseError("Sub S\n" + Repeat("If a Then\nElseIf b Then\n", kHuge)).number, err::OutOfStack);
  EXPECT_EQ(ParseError(Repeat("If a Then\nElse\n", kHuge)).number, err::OutOfStack);
  auto f = ParseError("\n\n" + Repeat("If a Then\n", kHuge));
  EXPECT_GT(f.line, 3);  // reported where the nesting became too deep
}

TEST(ParserHostile, RealisticNestingStillParses) {
  EXPECT_EQ(ParseError("x = " + Repeat("(", 60) + "1" + Repeat(")", 60)).number, 0);
  EXPECT_EQ(ParseError("x = " + Repeat("f(", 40) + "1" + Repeat(")", 40)).number, 0);
  EXPECT_EQ(ParseError("Sub S\n" + Repeat("If a Then\n", 40) + Repeat("End If\n", 40) + "End Sub").number, 0);
  EXPECT_EQ(ParseError(Repeat("For i = 1 To 2\n", 40) + Repeat("Next\n", 40)).number, 0);
  EXPECT_EQ(ParseError(Repeat("If a Then ", 30) + "x = 1").number, 0);
}

TEST(ParserHostile, ManyStatementsAndLongLines) {
  EXPECT_EQ(ParseError(Repeat("x = x + 1\n", kHuge)).number, 0);
  EXPECT_EQ(ParseError(Repeat("x = 1 : ", kHuge)).number, 0);
  EXPECT_EQ(ParseError(Repeat(":", kHuge) + "\n" + Repeat("\n", kHuge)).number, 0);
  EXPECT_EQ(ParseError("s = \"" + std::string(4'000'000, 'a') + "\"").number, 0);
  std::string subs;
  for (int i = 0; i < 10'000; ++i) subs += "Sub S" + std::to_string(i) + "(a)\n  a = a + 1\nEnd Sub\n";
  auto chunk = Parse(subs);
  EXPECT_EQ(chunk->procedures.size(), 10'000u);
}

TEST(ParserHostile, GarbageBytesAreSyntaxErrors) {
  const std::string samples[] = {
      std::string("\0\0\0", 3),
      std::string("x = \0 1", 7),
      "\xff\xfe\x00\x00",
      "\xef\xbb\xbf\xef\xbb\xbf",
      "x = \"\xff\"",
      ")))(((",
      "If If If",
      "End End End",
      "Sub Sub",
      "x = = = 1",
      "Class",
      "Class C\nPublic Default Default Sub S\nEnd Sub\nEnd Class",
      "Select Case\nCase",
      "For Each\nNext",
      "_",
      "x _",
      "#",
      "[",
      "&",
      "&H",
      "\"",
      std::string(1, '\x1a'),
  };
  for (const std::string& s : samples) {
    // Any outcome but a crash will do; when it fails, the number is a VBScript syntax error.
    auto f = ParseError(s);
    if (f.number != 0) {
      EXPECT_TRUE(IsSyntaxError(f.number) || f.number == err::OutOfStack || f.number == err::InvalidReference)
          << f.number;
      EXPECT_GE(f.line, 1);
      EXPECT_GE(f.column, 1);
    }
  }
}

}  // namespace
}  // namespace lumetrix::vbs
