// Lexer: tokens, keywords, comments, continuations, literals and their positions.
#include <string>
#include <vector>

#include "vbs_test_support.h"
#include "vbscript/lexer.h"

namespace lumetrix::vbs::testing {
namespace {

// Kinds of all tokens but the final End.
std::vector<Tok> Kinds(std::string_view src) {
  std::vector<Tok> kinds;
  for (const Token& t : Tokenize(src))
    if (t.kind != Tok::End) kinds.push_back(t.kind);
  return kinds;
}

// "line:column" of token `i` of `src` (counted from the end when negative).
std::string Where(std::string_view src, int i) {
  std::vector<Token> t = Tokenize(src);
  const Token& k = t[static_cast<size_t>(i < 0 ? static_cast<int>(t.size()) + i : i)];
  return std::to_string(k.line) + ":" + std::to_string(k.column);
}

// The single literal of `src`, described.
std::string Literal(std::string_view src) {
  std::vector<Token> t = Tokenize(src);
  if (t.size() != 2 || t[0].kind != Tok::Literal) return "not one literal";
  return Describe(t[0].value);
}

TEST(Lexer, KeywordsIgnoreCaseAndNamesKeepTheirSpelling) {
  for (const char* spelling : {"dim", "DIM", "Dim", "dIm"}) {
    std::vector<Token> t = Tokenize(spelling);
    EXPECT_EQ(t[0].kw, Kw::Dim) << spelling;
    EXPECT_EQ(t[0].text, spelling);
  }
  EXPECT_EQ(Tokenize("ELSEIF")[0].kw, Kw::ElseIf);
  EXPECT_EQ(Tokenize("wEnD")[0].kw, Kw::Wend);
  EXPECT_EQ(Tokenize("Mod")[0].kw, Kw::Mod);
  for (const char* name : {"Dimension", "Ending", "Iffy", "Nexts", "Remark", "Rem_1", "Form", "my_var_", "größe"}) {
    std::vector<Token> t = Tokenize(name);
    ASSERT_EQ(t.size(), 2u) << name;
    EXPECT_EQ(t[0].kind, Tok::Ident) << name;
    EXPECT_EQ(t[0].kw, Kw::None) << name;
    EXPECT_EQ(t[0].text, name);
  }
  // Bracketed names may hold any character and are never keywords.
  std::vector<Token> t = Tokenize("[my var] = [End]");
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[0].text + "|" + t[2].text, "my var|End");
  EXPECT_EQ(t[2].kw, Kw::None);
  // A blank before a dot tells `a .b` from `a.b`.
  EXPECT_TRUE(Tokenize("a .b")[1].spaceBefore);
  EXPECT_FALSE(Tokenize("a.b")[1].spaceBefore);
  EXPECT_EQ(Tokenize("\xEF\xBB\xBFSub Main")[0].kw, Kw::Sub);  // a byte order mark is a blank
  EXPECT_EQ(Tokenize("ab\xC2\xA0" "cd")[1].text, "cd");
}

TEST(Lexer, TokenKinds) {
  using enum Tok;
  struct Row {
    std::string source;
    std::vector<Tok> kinds;
  };
  const Row rows[] = {
      {"x = 1 ' a comment \"with a quote", {Ident, Eq, Literal}},
      {"Rem everything here: x = 1\ny", {Newline, Ident}},
      {"REM\ny", {Newline, Ident}},
      {"x = 1 : rem done", {Ident, Eq, Literal, Colon}},
      {"'only a comment", {}},
      {"a ' c\r\nb", {Ident, Newline, Ident}},  // a comment leaves the line break
      {"x ' \xff\xfe", {Ident}},
      {"a:b", {Ident, Colon, Ident}},
      {"a\nb\r\nc\rd", {Ident, Newline, Ident, Newline, Ident, Newline, Ident}},
      {"s = \"a\" & _  \r\n \"b\" & _\r\n\"c\"", {Ident, Eq, Literal, Amp, Literal, Amp, Literal}},
      {"s = a &_\nb", {Ident, Eq, Ident, Amp, Ident}},
      {"a<>b<=c>=d<e>f=g", {Ident, Ne, Ident, Le, Ident, Ge, Ident, Lt, Ident, Gt, Ident, Eq, Ident}},
      {"a^b*c/d\\e+f-g & h", {Ident, Caret, Ident, Star, Ident, Slash, Ident, Backslash, Ident, Plus, Ident, Minus,
                              Ident, Amp, Ident}},
      {"a.b", {Ident, Dot, Ident}},  // a dot after an operand is member access, not a number
      {"f(1).x", {Ident, LParen, Literal, RParen, Dot, Ident}},
      {"x = .5", {Ident, Eq, Literal}},
      {"a & b", {Ident, Amp, Ident}},
      {"a &b", {Ident, Amp, Ident}},  // & before a name is concatenation
      {"a&", {Ident, Amp}},
      {"x\xC2\xA0=\xE2\x80\x83" "1", {Ident, Eq, Literal}},  // no-break and em spaces are blanks
      {std::string("x\0=\0" "1", 5), {Ident, Eq, Literal}},     // so are NUL bytes outside strings
      {"\xEF\xBB\xBFSub Main", {Ident, Ident}},
  };
  for (const Row& r : rows) EXPECT_EQ(Kinds(r.source), r.kinds) << r.source;
}

TEST(Lexer, LiteralsTakeTheSmallestFittingSubtype) {
  const Case rows[] = {
      {"0", "Integer 0"}, {"32767", "Integer 32767"}, {"32768", "Long 32768"}, {"2147483647", "Long 2147483647"},
      {"2147483648", "Double 2147483648"}, {"00012", "Integer 12"}, {"1.5", "Double 1.5"}, {".25", "Double 0.25"},
      {"3.", "Double 3"}, {"1e3", "Double 1000"}, {"1.5E+2", "Double 150"}, {"25e-1", "Double 2.5"},
      {"1.7976931348623157E308", "Double 1.79769313486232E+308"}, {"&HFF", "Integer 255"}, {"&hff", "Integer 255"},
      {"&H7FFF", "Integer 32767"}, {"&HFFFF", "Integer -1"},  // 16-bit values wrap like VBScript's
      {"&H8000", "Integer -32768"}, {"&H10000", "Long 65536"}, {"&HFFFFFFFF", "Long -1"},
      {"&H8000&", "Long 32768"}, {"&H10&", "Integer 16"},  // a trailing & reads 32 bits
      {"&O17", "Integer 15"}, {"&o777", "Integer 511"}, {"&17", "Integer 15"}, {"\"\"", "String "},
      {"\"He said \"\"hi\"\"\"", "String He said \"hi\""}, {"\"\"\"\"", "String \""},
      {"\"ünïcödé €\"", "String ünïcödé €"}, {"\"'not a comment\"", "String 'not a comment"},
      {"\"a:b _\"", "String a:b _"}, {"\"a\xff" "b\"", "String a\xEF\xBF\xBD" "b"},  // bad UTF-8 becomes U+FFFD
      {"#1/2/2003#", "Date 1/2/2003"}, {"#12/30/1899#", "Date 12:00:00 AM"}, {"#12:00:00#", "Date 12:00:00 PM"},
      {"#1/2/2003 6:00 PM#", "Date 1/2/2003 6:00:00 PM"},
  };
  for (const Case& r : rows) EXPECT_EQ(Literal(r.input), r.expected) << r.input;
  EXPECT_DOUBLE_EQ(Tokenize("#1/2/2003 6:00 PM#")[0].value.d(), 37623.75);
  EXPECT_EQ(Tokenize(std::string("\"a\0b\"", 5))[0].value.str(), ustring(u"a\0b", 3));
}

TEST(Lexer, PositionsCountCharactersFromOne) {
  struct Row {
    std::string source;
    int token;
    std::string where;
  };
  const Row rows[] = {
      {"Dim x\n  y = 10\n\tz", 1, "1:5"}, {"Dim x\n  y = 10\n\tz", 3, "2:3"}, {"Dim x\n  y = 10\n\tz", 5, "2:7"},
      {"Dim x\n  y = 10\n\tz", 7, "3:2"},  // a tab is one character
      {"a\r\nb\rc\nd", 2, "2:1"}, {"a\r\nb\rc\nd", 4, "3:1"}, {"a\r\nb\rc\nd", 6, "4:1"},
      {"x = 1 + _\n    2", 4, "2:5"},  // a continuation keeps the source lines
      {"x = 1\ny = 2 _", -1, "2:8"},  // an underscore ending the source stays on its line
      {"ab\ncd", -1, "2:3"}, {"", -1, "1:1"}, {"größe = 1", 1, "1:7"},
      // "ä" is two bytes of UTF-8, "€" three, "😀" four (two UTF-16 units, as VBScript counts).
      {"s = \"ä€\" : x\ny = \"😀\": z", 4, "1:12"}, {"s = \"ä€\" : x\ny = \"😀\": z", 10, "2:11"},
      {std::string(1'000'000, ' ') + "x", 0, "1:1000001"},
  };
  for (const Row& r : rows) EXPECT_EQ(Where(r.source, r.token), r.where) << r.source << " token " << r.token;
  // Very long lines are lexed in one pass.
  std::string sum = "x = 1" + Repeat(" + 1", 100'000);
  std::vector<Token> t = Tokenize(sum);
  EXPECT_EQ(t.size(), 3u + 200'000u + 1u);
  EXPECT_EQ(t[t.size() - 2].column, static_cast<int>(sum.size()));
  EXPECT_EQ(Tokenize("s = \"" + std::string(1'000'000, 'x') + "\"")[2].value.str().size(), 1'000'000u);
}

}  // namespace
}  // namespace lumetrix::vbs::testing
