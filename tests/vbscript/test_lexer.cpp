// Lexer: tokens, keywords, comments, continuations, literals and their positions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vbscript/lexer.h"

namespace lumetrix::vbs {
namespace {

std::vector<Token> Lex(std::string_view src) { return Tokenize(src); }

// Kinds of all tokens but the final End.
std::vector<Tok> Kinds(std::string_view src) {
  std::vector<Tok> kinds;
  for (const Token& t : Lex(src))
    if (t.kind != Tok::End) kinds.push_back(t.kind);
  return kinds;
}

// The error number Tokenize throws (0 when it succeeds); line/column of the error when given.
int32_t LexError(std::string_view src, int* line = nullptr, int* column = nullptr) {
  try {
    Tokenize(src);
  } catch (const SourceError& e) {
    if (line) *line = e.line;
    if (column) *column = e.column;
    return e.number;
  }
  return 0;
}

// The single literal of `src`.
Variant Literal(std::string_view src) {
  std::vector<Token> t = Lex(src);
  EXPECT_EQ(t.size(), 2u) << src;
  EXPECT_EQ(t[0].kind, Tok::Literal) << src;
  return t[0].value;
}

TEST(LexerKeywords, AreCaseInsensitiveAndKeepTheirSpelling) {
  for (const char* spelling : {"dim", "DIM", "Dim", "dIm"}) {
    std::vector<Token> t = Lex(spelling);
    ASSERT_EQ(t[0].kind, Tok::Ident);
    EXPECT_EQ(t[0].kw, Kw::Dim) << spelling;
    EXPECT_EQ(t[0].text, spelling);
  }
  EXPECT_EQ(Lex("ELSEIF")[0].kw, Kw::ElseIf);
  EXPECT_EQ(Lex("wEnD")[0].kw, Kw::Wend);
  EXPECT_EQ(Lex("Mod")[0].kw, Kw::Mod);
}

TEST(LexerKeywords, NamesThatStartWithAKeywordAreNames) {
  for (const char* name : {"Dimension", "Ending", "Iffy", "Nexts", "Remark", "Rem_1", "Form"}) {
    std::vector<Token> t = Lex(name);
    ASSERT_EQ(t.size(), 2u) << name;
    EXPECT_EQ(t[0].kind, Tok::Ident) << name;
    EXPECT_EQ(t[0].kw, Kw::None) << name;
    EXPECT_EQ(t[0].text, name);
  }
}

TEST(LexerKeywords, BracketedNamesMayHoldAnyCharacterAndAreNeverKeywords) {
  std::vector<Token> t = Lex("[my var] = [End]");
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[0].text, "my var");
  EXPECT_EQ(t[0].kw, Kw::None);
  EXPECT_EQ(t[2].text, "End");
  EXPECT_EQ(t[2].kw, Kw::None);
  EXPECT_EQ(LexError("[open"), err::Syntax);
  EXPECT_EQ(LexError("[open\n]"), err::Syntax);
}

TEST(LexerComments, ApostropheAndRemRunToTheEndOfTheLine) {
  EXPECT_EQ(Kinds("x = 1 ' a comment \"with a quote"),
            (std::vector<Tok>{Tok::Ident, Tok::Eq, Tok::Literal}));
  EXPECT_EQ(Kinds("Rem everything here: x = 1\ny"), (std::vector<Tok>{Tok::Newline, Tok::Ident}));
  EXPECT_EQ(Kinds("REM\ny"), (std::vector<Tok>{Tok::Newline, Tok::Ident}));
  EXPECT_EQ(Kinds("x = 1 : rem done"), (std::vector<Tok>{Tok::Ident, Tok::Eq, Tok::Literal, Tok::Colon}));
  EXPECT_EQ(Kinds("'only a comment"), std::vector<Tok>{});
  // A comment does not swallow the line break: the next line is a new statement.
  EXPECT_EQ(Kinds("a ' c\r\nb"), (std::vector<Tok>{Tok::Ident, Tok::Newline, Tok::Ident}));
}

TEST(LexerSeparators, ColonAndEveryLineEndingSeparateStatements) {
  EXPECT_EQ(Kinds("a:b"), (std::vector<Tok>{Tok::Ident, Tok::Colon, Tok::Ident}));
  EXPECT_EQ(Kinds("a\nb\r\nc\rd"), (std::vector<Tok>{Tok::Ident, Tok::Newline, Tok::Ident, Tok::Newline,
                                                      Tok::Ident, Tok::Newline, Tok::Ident}));
  std::vector<Token> t = Lex("a\r\nb\rc\nd");
  EXPECT_EQ(t[2].line, 2);
  EXPECT_EQ(t[4].line, 3);
  EXPECT_EQ(t[6].line, 4);
}

TEST(LexerContinuation, UnderscoreAtLineEndJoinsLines) {
  std::vector<Token> t = Lex("x = 1 + _\n    2");
  ASSERT_EQ(t.size(), 6u);
  EXPECT_EQ(t[3].kind, Tok::Plus);
  EXPECT_EQ(t[4].kind, Tok::Literal);
  EXPECT_EQ(t[4].line, 2);  // positions still follow the source lines
  EXPECT_EQ(t[4].column, 5);
  // Blanks after the underscore, CRLF endings and several continuations in a row.
  EXPECT_EQ(Kinds("s = \"a\" & _  \r\n \"b\" & _\r\n\"c\""),
            (std::vector<Tok>{Tok::Ident, Tok::Eq, Tok::Literal, Tok::Amp, Tok::Literal, Tok::Amp, Tok::Literal}));
  // `&_` without a blank, as in much pasted code.
  EXPECT_EQ(Kinds("s = a &_\nb"), (std::vector<Tok>{Tok::Ident, Tok::Eq, Tok::Ident, Tok::Amp, Tok::Ident}));
}

TEST(LexerContinuation, UnderscoreAtTheEndOfTheSourceStaysOnTheLastLine) {
  std::vector<Token> t = Lex("x = 1\ny = 2 _");
  EXPECT_EQ(t.back().kind, Tok::End);
  EXPECT_EQ(t.back().line, 2);
}

TEST(LexerContinuation, UnderscoreInsideNamesIsPartOfTheName) {
  std::vector<Token> t = Lex("my_var_ = 1");
  EXPECT_EQ(t[0].text, "my_var_");
  EXPECT_EQ(LexError("x = _ 1"), err::InvalidCharacter);
}

TEST(LexerOperators, TwoCharacterOperators) {
  EXPECT_EQ(Kinds("a<>b<=c>=d<e>f=g"),
            (std::vector<Tok>{Tok::Ident, Tok::Ne, Tok::Ident, Tok::Le, Tok::Ident, Tok::Ge, Tok::Ident, Tok::Lt,
                              Tok::Ident, Tok::Gt, Tok::Ident, Tok::Eq, Tok::Ident}));
  EXPECT_EQ(Kinds("a^b*c/d\\e+f-g & h"),
            (std::vector<Tok>{Tok::Ident, Tok::Caret, Tok::Ident, Tok::Star, Tok::Ident, Tok::Slash, Tok::Ident,
                              Tok::Backslash, Tok::Ident, Tok::Plus, Tok::Ident, Tok::Minus, Tok::Ident, Tok::Amp,
                              Tok::Ident}));
}

TEST(LexerOperators, DotAfterAnOperandIsMemberAccessNotANumber) {
  EXPECT_EQ(Kinds("a.b"), (std::vector<Tok>{Tok::Ident, Tok::Dot, Tok::Ident}));
  EXPECT_EQ(Kinds("f(1).x"), (std::vector<Tok>{Tok::Ident, Tok::LParen, Tok::Literal, Tok::RParen, Tok::Dot, Tok::Ident}));
  EXPECT_EQ(Kinds("x = .5"), (std::vector<Tok>{Tok::Ident, Tok::Eq, Tok::Literal}));
  std::vector<Token> t = Lex("a .b");
  ASSERT_EQ(t.size(), 4u);
  EXPECT_TRUE(t[1].spaceBefore);
  EXPECT_FALSE(Lex("a.b")[1].spaceBefore);
}

TEST(LexerNumbers, IntegersTakeTheSmallestFittingSubtype) {
  EXPECT_EQ(Literal("0").type(), VarType::Integer);
  EXPECT_EQ(Literal("32767").type(), VarType::Integer);
  EXPECT_EQ(Literal("32767").n(), 32767);
  EXPECT_EQ(Literal("32768").type(), VarType::Long);
  EXPECT_EQ(Literal("2147483647").type(), VarType::Long);
  EXPECT_EQ(Literal("2147483647").n(), 2147483647);
  EXPECT_EQ(Literal("2147483648").type(), VarType::Double);
  EXPECT_DOUBLE_EQ(Literal("2147483648").d(), 2147483648.0);
  EXPECT_EQ(Literal("00012").n(), 12);
}

TEST(LexerNumbers, DecimalsAndExponentsAreDoubles) {
  EXPECT_EQ(Literal("1.5").type(), VarType::Double);
  EXPECT_DOUBLE_EQ(Literal("1.5").d(), 1.5);
  EXPECT_DOUBLE_EQ(Literal(".25").d(), 0.25);
  EXPECT_DOUBLE_EQ(Literal("3.").d(), 3.0);
  EXPECT_EQ(Literal("1e3").type(), VarType::Double);
  EXPECT_DOUBLE_EQ(Literal("1e3").d(), 1000.0);
  EXPECT_DOUBLE_EQ(Literal("1.5E+2").d(), 150.0);
  EXPECT_DOUBLE_EQ(Literal("25e-1").d(), 2.5);
  EXPECT_DOUBLE_EQ(Literal("1.7976931348623157E308").d(), 1.7976931348623157E308);
}

TEST(LexerNumbers, MalformedNumbersAreSyntaxErrors) {
  EXPECT_EQ(LexError("x = 1e"), err::InvalidNumber);
  EXPECT_EQ(LexError("x = 1e+"), err::InvalidNumber);
  EXPECT_EQ(LexError("x = 1E400"), err::InvalidNumber);  // beyond Double
  int line = 0, column = 0;
  EXPECT_EQ(LexError("x = 12abc", &line, &column), err::ExpectedEndOfStatement);
  EXPECT_EQ(line, 1);
  EXPECT_EQ(column, 7);
}

TEST(LexerNumbers, HexAndOctalLiterals) {
  EXPECT_EQ(Literal("&HFF").type(), VarType::Integer);
  EXPECT_EQ(Literal("&HFF").n(), 255);
  EXPECT_EQ(Literal("&hff").n(), 255);
  EXPECT_EQ(Literal("&H7FFF").n(), 32767);
  EXPECT_EQ(Literal("&HFFFF").type(), VarType::Integer);
  EXPECT_EQ(Literal("&HFFFF").n(), -1);  // 16-bit values wrap like VBScript's
  EXPECT_EQ(Literal("&H8000").n(), -32768);
  EXPECT_EQ(Literal("&H10000").type(), VarType::Long);
  EXPECT_EQ(Literal("&H10000").n(), 65536);
  EXPECT_EQ(Literal("&HFFFFFFFF").n(), -1);
  EXPECT_EQ(Literal("&H8000&").type(), VarType::Long);  // trailing & forces Long
  EXPECT_EQ(Literal("&H8000&").n(), 32768);
  EXPECT_EQ(Literal("&O17").n(), 15);
  EXPECT_EQ(Literal("&o777").n(), 511);
  EXPECT_EQ(Literal("&17").n(), 15);
  EXPECT_EQ(LexError("x = &H"), err::InvalidNumber);
  EXPECT_EQ(LexError("x = &O8"), err::InvalidNumber);
  EXPECT_EQ(LexError("x = &H100000000"), err::InvalidNumber);
  EXPECT_EQ(LexError("x = &HFFFFFFFFFFFFFFFFFFFFFFFF"), err::InvalidNumber);
}

TEST(LexerNumbers, AmpersandBeforeANameIsConcatenation) {
  EXPECT_EQ(Kinds("a & b"), (std::vector<Tok>{Tok::Ident, Tok::Amp, Tok::Ident}));
  EXPECT_EQ(Kinds("a &b"), (std::vector<Tok>{Tok::Ident, Tok::Amp, Tok::Ident}));
  EXPECT_EQ(Kinds("a&"), (std::vector<Tok>{Tok::Ident, Tok::Amp}));
}

TEST(LexerStrings, DoubledQuotesAndNonAsciiText) {
  EXPECT_EQ(Literal("\"\"").str(), u"");
  EXPECT_EQ(Literal("\"abc\"").str(), u"abc");
  EXPECT_EQ(Literal("\"He said \"\"hi\"\"\"").str(), u"He said \"hi\"");
  EXPECT_EQ(Literal("\"\"\"\"").str(), u"\"");
  EXPECT_EQ(Literal("\"ünïcödé €\"").str(), u"ünïcödé €");
  EXPECT_EQ(Literal("\"'not a comment\"").str(), u"'not a comment");
  EXPECT_EQ(Literal("\"a:b _\"").str(), u"a:b _");
}

TEST(LexerStrings, UnterminatedStringsAreReportedOnTheirLine) {
  int line = 0;
  EXPECT_EQ(LexError("x = 1\ns = \"abc", &line), err::UnterminatedString);
  EXPECT_EQ(line, 2);
  EXPECT_EQ(LexError("s = \"abc\ndef\""), err::UnterminatedString);
  EXPECT_EQ(LexError("s = \"abc\"\"\n"), err::UnterminatedString);
  EXPECT_EQ(LexError("\""), err::UnterminatedString);
}

TEST(LexerDates, DateLiteralsBecomeDates) {
  Variant d = Literal("#1/2/2003#");
  EXPECT_EQ(d.type(), VarType::Date);
  EXPECT_DOUBLE_EQ(d.d(), 37623.0);  // 2 January 2003
  EXPECT_DOUBLE_EQ(Literal("#12/30/1899#").d(), 0.0);
  Variant t = Literal("#12:00:00#");
  EXPECT_EQ(t.type(), VarType::Date);
  EXPECT_DOUBLE_EQ(t.d(), 0.5);
  EXPECT_DOUBLE_EQ(Literal("#1/2/2003 6:00 PM#").d(), 37623.75);
  EXPECT_EQ(LexError("x = #1/2/2003"), err::Syntax);
  EXPECT_EQ(LexError("x = #1/2/2003\n#"), err::Syntax);
  EXPECT_EQ(LexError("x = #not a date#"), err::Syntax);
  EXPECT_EQ(LexError("x = ##"), err::Syntax);
}

TEST(LexerPositions, LinesAndColumnsAreOneBased) {
  std::vector<Token> t = Lex("Dim x\n  y = 10\n\tz");
  ASSERT_EQ(t.size(), 9u);
  EXPECT_EQ(t[0].line, 1);
  EXPECT_EQ(t[0].column, 1);
  EXPECT_EQ(t[1].column, 5);
  EXPECT_EQ(t[2].kind, Tok::Newline);
  EXPECT_EQ(t[3].line, 2);
  EXPECT_EQ(t[3].column, 3);
  EXPECT_EQ(t[4].column, 5);
  EXPECT_EQ(t[5].column, 7);
  EXPECT_EQ(t[7].line, 3);
  EXPECT_EQ(t[7].column, 2);  // a tab counts as one character
  EXPECT_EQ(t[8].kind, Tok::End);
}

TEST(LexerPositions, ColumnsCountCharactersNotBytes) {
  // "ä" is two bytes of UTF-8, "€" three, "😀" four (two UTF-16 units, as VBScript counts).
  std::vector<Token> t = Lex("s = \"ä€\" : x\ny = \"😀\": z");
  ASSERT_GE(t.size(), 12u);
  EXPECT_EQ(t[4].text, "x");
  EXPECT_EQ(t[4].column, 12);
  EXPECT_EQ(t[10].text, "z");
  EXPECT_EQ(t[10].column, 11);
  int line = 0, column = 0;
  EXPECT_EQ(LexError("' äöü\nx = \"äöü\" $", &line, &column), err::InvalidCharacter);
  EXPECT_EQ(line, 2);
  EXPECT_EQ(column, 11);
}

TEST(LexerPositions, EndTokenSitsAfterTheLastCharacter) {
  std::vector<Token> t = Lex("ab\ncd");
  EXPECT_EQ(t.back().kind, Tok::End);
  EXPECT_EQ(t.back().line, 2);
  EXPECT_EQ(t.back().column, 3);
  EXPECT_EQ(Lex("").size(), 1u);
  EXPECT_EQ(Lex("").back().line, 1);
}

TEST(LexerNames, LongNamesAreRefused) {
  EXPECT_EQ(LexError(std::string(255, 'a')), 0);
  EXPECT_EQ(LexError(std::string(256, 'a')), err::IdentifierTooLong);
  EXPECT_EQ(LexError("[" + std::string(300, 'b') + "]"), err::IdentifierTooLong);
}

TEST(LexerNames, LettersBeyondAsciiMayFormNames) {
  std::vector<Token> t = Lex("größe = 1");
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[0].text, "größe");
  EXPECT_EQ(t[1].column, 7);
}

TEST(LexerHostileInput, InvalidCharactersAreReportedWithTheirPosition) {
  int line = 0, column = 0;
  EXPECT_EQ(LexError("x = 1\nx = 2 $ 3", &line, &column), err::InvalidCharacter);
  EXPECT_EQ(line, 2);
  EXPECT_EQ(column, 7);
  for (const char* s : {"?", "!", "@", "{", "}", ";", "`", "~", "|", "%"})
    EXPECT_EQ(LexError(s), err::InvalidCharacter) << s;
}

TEST(LexerHostileInput, InvalidUtf8OutsideStringsIsAnInvalidCharacter) {
  for (std::string bad : {"\xff", "\xc3", "\x80", "a\xc3(", "\xe2\x82", "\xed\xa0\x80", "\xc0\xaf", "\xf8\x88\x80\x80\x80"}) {
    int line = 0, column = 0;
    EXPECT_EQ(LexError("x = 1 : " + bad, &line, &column), err::InvalidCharacter) << bad;
    EXPECT_EQ(line, 1);
  }
  // Inside strings and comments bad bytes are kept as U+FFFD or ignored.
  EXPECT_EQ(Literal("\"a\xff" "b\"").str(), u"a\uFFFDb");
  EXPECT_EQ(Kinds("x ' \xff\xfe"), std::vector<Tok>{Tok::Ident});
}

TEST(LexerHostileInput, ByteOrderMarkAndNoBreakSpacesAreBlanks) {
  std::vector<Token> t = Lex("\xEF\xBB\xBFSub Main");
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].kw, Kw::Sub);
  EXPECT_EQ(t[1].text, "Main");
  EXPECT_EQ(Kinds("x\xC2\xA0=\xE2\x80\x83" "1"), (std::vector<Tok>{Tok::Ident, Tok::Eq, Tok::Literal}));
  EXPECT_EQ(Lex("ab\xC2\xA0" "cd")[1].text, "cd");
}

TEST(LexerHostileInput, NulBytesAreBlanksOutsideStrings) {
  std::string src("x\0=\0" "1", 5);
  EXPECT_EQ(Kinds(src), (std::vector<Tok>{Tok::Ident, Tok::Eq, Tok::Literal}));
  std::string lit("\"a\0b\"", 5);
  EXPECT_EQ(Literal(lit).str(), ustring(u"a\0b", 3));
}

TEST(LexerHostileInput, VeryLongLinesAreLexedInOnePass) {
  std::string s = "s = \"" + std::string(1'000'000, 'x') + "\"";
  EXPECT_EQ(Literal(s.substr(4)).str().size(), 1'000'000u);
  std::string sum = "x = 1";
  for (int i = 0; i < 100'000; ++i) sum += " + 1";
  std::vector<Token> t = Lex(sum);
  EXPECT_EQ(t.size(), 3u + 200'000u + 1u);
  EXPECT_EQ(t[t.size() - 2].column, static_cast<int>(sum.size()));
  std::string blanks(1'000'000, ' ');
  EXPECT_EQ(Lex(blanks + "x")[0].column, 1'000'001);
}

}  // namespace
}  // namespace lumetrix::vbs
