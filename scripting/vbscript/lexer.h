#pragma once
// Lexer: turns VBScript source (UTF-8) into tokens with line and column (both 1-based).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "variant.h"

namespace lumetrix::vbs {

// A syntax error at a source position.
struct SourceError : ScriptError {
  int line = 0, column = 0;
  SourceError(int32_t num, int ln, int col, std::string desc = {}) : ScriptError(num, std::move(desc)), line(ln), column(col) {}
};

enum class Tok : uint8_t {
  End, Newline, Colon, Ident, Literal,
  LParen, RParen, Comma, Dot, Plus, Minus, Star, Slash, Backslash, Caret, Amp, Eq, Ne, Lt, Gt, Le, Ge,
};

// Keywords; an identifier token carries the keyword it spells (or None).
enum class Kw : uint8_t {
  None, And, ByRef, ByVal, Call, Case, Class, Const, Default, Dim, Do, Each, Else, ElseIf, Empty, End,
  Eqv, Erase, Error, Exit, Explicit, False, For, Function, Get, GoTo, If, Imp, In, Is, Let, Loop, Me, Mod,
  New, Next, Not, Nothing, Null, On, Option, Or, Preserve, Private, Property, Public, ReDim, Resume,
  Select, Set, Step, Stop, Sub, Then, To, True, Until, Wend, While, With, Xor,
};

struct Token {
  Tok kind = Tok::End;
  Kw kw = Kw::None;
  bool spaceBefore = false;  // whitespace precedes the token (tells `a .b` from `a.b`)
  int line = 1, column = 1;
  std::string text;  // identifier as written
  Variant value;     // literal value
};

std::vector<Token> Tokenize(std::string_view source);

}  // namespace lumetrix::vbs
