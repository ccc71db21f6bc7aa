#include "lexer.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "convert.h"
#include "date_time.h"

namespace lumetrix::vbs {

namespace {

const std::unordered_map<std::string, Kw>& Keywords() {
  static const std::unordered_map<std::string, Kw> map = {
      {"and", Kw::And}, {"byref", Kw::ByRef}, {"byval", Kw::ByVal}, {"call", Kw::Call}, {"case", Kw::Case},
      {"class", Kw::Class}, {"const", Kw::Const}, {"default", Kw::Default}, {"dim", Kw::Dim}, {"do", Kw::Do},
      {"each", Kw::Each}, {"else", Kw::Else}, {"elseif", Kw::ElseIf}, {"empty", Kw::Empty}, {"end", Kw::End},
      {"eqv", Kw::Eqv}, {"erase", Kw::Erase}, {"error", Kw::Error}, {"exit", Kw::Exit},
      {"explicit", Kw::Explicit}, {"false", Kw::False}, {"for", Kw::For}, {"function", Kw::Function},
      {"get", Kw::Get}, {"goto", Kw::GoTo}, {"if", Kw::If}, {"imp", Kw::Imp}, {"in", Kw::In}, {"is", Kw::Is},
      {"let", Kw::Let}, {"loop", Kw::Loop}, {"me", Kw::Me}, {"mod", Kw::Mod}, {"new", Kw::New},
      {"next", Kw::Next}, {"not", Kw::Not}, {"nothing", Kw::Nothing}, {"null", Kw::Null}, {"on", Kw::On},
      {"option", Kw::Option}, {"or", Kw::Or}, {"preserve", Kw::Preserve}, {"private", Kw::Private},
      {"property", Kw::Property}, {"public", Kw::Public}, {"redim", Kw::ReDim}, {"resume", Kw::Resume},
      {"select", Kw::Select}, {"set", Kw::Set}, {"step", Kw::Step}, {"stop", Kw::Stop}, {"sub", Kw::Sub},
      {"then", Kw::Then}, {"to", Kw::To}, {"true", Kw::True}, {"until", Kw::Until}, {"wend", Kw::Wend},
      {"while", Kw::While}, {"with", Kw::With}, {"xor", Kw::Xor},
  };
  return map;
}

bool IsIdentStart(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80; }
bool IsIdentChar(unsigned char c) { return IsIdentStart(c) || (c >= '0' && c <= '9') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the well-formed UTF-8 sequence at `p` (0 when the bytes there are not one), and its
// code point. Same rules as FromUtf8, so columns agree with the strings scripts see.
size_t Utf8Sequence(std::string_view s, size_t p, char32_t& cp) {
  unsigned char c = static_cast<unsigned char>(s[p]);
  if (c < 0x80) {
    cp = c;
    return 1;
  }
  size_t len = c >= 0xC2 && c < 0xE0 ? 2 : c >= 0xE0 && c < 0xF0 ? 3 : c >= 0xF0 && c < 0xF5 ? 4 : 0;
  if (len == 0 || p + len > s.size()) return 0;
  char32_t v = c & (0x7F >> len);
  for (size_t k = 1; k < len; ++k) {
    unsigned char cc = static_cast<unsigned char>(s[p + k]);
    if ((cc & 0xC0) != 0x80) return 0;
    v = (v << 6) | (cc & 0x3F);
  }
  static const char32_t minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (v < minimum[len] || v > 0x10FFFF || (v >= 0xD800 && v < 0xE000)) return 0;
  cp = v;
  return len;
}

// Non-ASCII characters that separate tokens like a blank: no-break and typographic spaces
// (common in code pasted from web pages and documents) and the byte-order mark.
bool IsWideBlank(char32_t cp) {
  return cp == 0xA0 || (cp >= 0x2000 && cp <= 0x200B) || cp == 0x202F || cp == 0x205F || cp == 0x3000 ||
         cp == 0xFEFF;
}

class Lexer {
 public:
  explicit Lexer(std::string_view s) : src_(s) {}

  std::vector<Token> run() {
    while (true) {
      bool space = skipBlanks();
      if (pos_ >= src_.size()) break;
      Token t;
      t.line = line_;
      t.column = column();
      t.spaceBefore = space;
      char c = src_[pos_];
      if (c == '\r' || c == '\n') {
        if (c == '\r' && pos_ + 1 < src_.size() && src_[pos_ + 1] == '\n') ++pos_;
        ++pos_;
        newLine();
        t.kind = Tok::Newline;
        push(std::move(t));
        continue;
      }
      if (c == '\'') {
        skipToEol();
        continue;
      }
      if (IsIdentStart(static_cast<unsigned char>(c))) {
        size_t start = pos_;
        while (pos_ < src_.size() && IsIdentChar(static_cast<unsigned char>(src_[pos_]))) {
          if (static_cast<unsigned char>(src_[pos_]) < 0x80) {
            ++pos_;
            continue;
          }
          char32_t cp;
          size_t len = Utf8Sequence(src_, pos_, cp);
          if (len == 0) throw SourceError(err::InvalidCharacter, line_, column());
          if (IsWideBlank(cp)) break;
          pos_ += len;
        }
        t.text = std::string(src_.substr(start, pos_ - start));
        if (t.text.size() > 255) throw SourceError(err::IdentifierTooLong, t.line, t.column);
        std::string key = NameKey(t.text);
        if (key == "rem" && !(tokens_.size() && tokens_.back().kind == Tok::Dot)) {
          skipToEol();
          continue;
        }
        auto it = Keywords().find(key);
        if (it != Keywords().end()) t.kw = it->second;
        t.kind = Tok::Ident;
        push(std::move(t));
        continue;
      }
      if (c == '[') {  // [identifier with any characters]
        size_t end = src_.find(']', pos_ + 1);
        size_t eol = src_.find_first_of("\r\n", pos_ + 1);
        if (end == std::string_view::npos || (eol != std::string_view::npos && eol < end))
          throw SourceError(err::Syntax, t.line, t.column, "Expected ']'");
        t.text = std::string(src_.substr(pos_ + 1, end - pos_ - 1));
        if (t.text.size() > 255) throw SourceError(err::IdentifierTooLong, t.line, t.column);
        for (size_t p = pos_ + 1; p < end;) {
          char32_t cp;
          size_t len = Utf8Sequence(src_, p, cp);
          if (len == 0 || cp == 0) {
            pos_ = p;
            throw SourceError(err::InvalidCharacter, line_, column());
          }
          p += len;
        }
        pos_ = end + 1;
        t.kind = Tok::Ident;
        push(std::move(t));
        continue;
      }
      if (IsDigit(c) || (c == '.' && pos_ + 1 < src_.size() && IsDigit(src_[pos_ + 1]) && !afterOperand())) {
        number(t);
        push(std::move(t));
        continue;
      }
      if (c == '&' && pos_ + 1 < src_.size() &&
          (src_[pos_ + 1] == 'h' || src_[pos_ + 1] == 'H' || src_[pos_ + 1] == 'o' || src_[pos_ + 1] == 'O' ||
           IsDigit(src_[pos_ + 1])) &&
          !hexPrefixWithoutDigits()) {
        radixNumber(t);
        push(std::move(t));
        continue;
      }
      if (c == '"') {
        string(t);
        push(std::move(t));
        continue;
      }
      if (c == '#') {
        dateLiteral(t);
        push(std::move(t));
        continue;
      }
      ++pos_;
      switch (c) {
        case ':': t.kind = Tok::Colon; break;
        case '(': t.kind = Tok::LParen; break;
        case ')': t.kind = Tok::RParen; break;
        case ',': t.kind = Tok::Comma; break;
        case '.': t.kind = Tok::Dot; break;
        case '+': t.kind = Tok::Plus; break;
        case '-': t.kind = Tok::Minus; break;
        case '*': t.kind = Tok::Star; break;
        case '/': t.kind = Tok::Slash; break;
        case '\\': t.kind = Tok::Backslash; break;
        case '^': t.kind = Tok::Caret; break;
        case '&': t.kind = Tok::Amp; break;
        case '=':  // `=>` and `=<` are `>=` and `<=`
          if (pos_ < src_.size() && src_[pos_] == '>') { ++pos_; t.kind = Tok::Ge; }
          else if (pos_ < src_.size() && src_[pos_] == '<') { ++pos_; t.kind = Tok::Le; }
          else t.kind = Tok::Eq;
          break;
        case '<':
          if (pos_ < src_.size() && src_[pos_] == '>') { ++pos_; t.kind = Tok::Ne; }
          else if (pos_ < src_.size() && src_[pos_] == '=') { ++pos_; t.kind = Tok::Le; }
          else t.kind = Tok::Lt;
          break;
        case '>':
          if (pos_ < src_.size() && src_[pos_] == '=') { ++pos_; t.kind = Tok::Ge; }
          else if (pos_ < src_.size() && src_[pos_] == '<') { ++pos_; t.kind = Tok::Ne; }
          else t.kind = Tok::Gt;
          break;
        default:
          throw SourceError(err::InvalidCharacter, t.line, t.column);
      }
      push(std::move(t));
    }
    Token end;
    end.kind = Tok::End;
    end.line = line_;
    end.column = column();
    tokens_.push_back(std::move(end));
    return std::move(tokens_);
  }

 private:
  // Columns count UTF-16 units, as VBScript and the editors showing the script do. Counted
  // incrementally from the last position asked for, so long lines stay linear.
  int column() {
    while (colPos_ < pos_) {
      char32_t cp;
      size_t len = Utf8Sequence(src_, colPos_, cp);
      if (len == 0 || colPos_ + len > pos_) len = 1;
      col_ += len == 4 ? 2 : 1;
      colPos_ += len;
    }
    return col_ >= INT32_MAX ? INT32_MAX : static_cast<int>(col_) + 1;
  }
  void newLine() {
    if (line_ < INT32_MAX) ++line_;
    lineStart_ = pos_;
    colPos_ = pos_;
    col_ = 0;
  }
  void push(Token&& t) { tokens_.push_back(std::move(t)); }
  bool afterOperand() const {
    if (tokens_.empty()) return false;
    const Token& t = tokens_.back();
    return (t.kind == Tok::Ident && (t.kw == Kw::None || t.kw == Kw::Me)) || t.kind == Tok::RParen;
  }
  void skipToEol() {
    while (pos_ < src_.size() && src_[pos_] != '\r' && src_[pos_] != '\n') ++pos_;
  }
  // Skips blanks and line continuations; true when anything was skipped.
  bool skipBlanks() {
    bool any = false;
    while (pos_ < src_.size()) {
      char c = src_[pos_];
      if (c == ' ' || c == '\t' || c == '\f' || c == '\v' || c == '\0') {
        ++pos_;
        any = true;
        continue;
      }
      if (static_cast<unsigned char>(c) >= 0x80) {
        char32_t cp;
        size_t len = Utf8Sequence(src_, pos_, cp);
        if (len != 0 && IsWideBlank(cp)) {
          pos_ += len;
          any = true;
          continue;
        }
      }
      if (c == '_' && (any || pos_ == lineStart_ || !tokens_.empty())) {
        size_t p = pos_ + 1;
        while (p < src_.size() && (src_[p] == ' ' || src_[p] == '\t')) ++p;
        if (p >= src_.size() || src_[p] == '\r' || src_[p] == '\n') {
          bool lineBreak = p < src_.size();
          if (lineBreak) {
            if (src_[p] == '\r' && p + 1 < src_.size() && src_[p + 1] == '\n') ++p;
            ++p;
          }
          pos_ = p;
          if (lineBreak) newLine();
          any = true;
          continue;
        }
      }
      break;
    }
    return any;
  }
  void number(Token& t) {
    size_t start = pos_;
    while (pos_ < src_.size() && IsDigit(src_[pos_])) ++pos_;
    bool isFloat = false;
    if (pos_ < src_.size() && src_[pos_] == '.') {
      isFloat = true;
      ++pos_;
      while (pos_ < src_.size() && IsDigit(src_[pos_])) ++pos_;
    }
    if (pos_ < src_.size() && (src_[pos_] == 'e' || src_[pos_] == 'E')) {
      size_t p = pos_ + 1;
      if (p < src_.size() && (src_[p] == '+' || src_[p] == '-')) ++p;
      if (p < src_.size() && IsDigit(src_[p])) {
        isFloat = true;
        pos_ = p;
        while (pos_ < src_.size() && IsDigit(src_[pos_])) ++pos_;
      } else {
        throw SourceError(err::InvalidNumber, t.line, t.column);
      }
    }
    if (pos_ < src_.size() && IsIdentStart(static_cast<unsigned char>(src_[pos_])))
      throw SourceError(err::ExpectedEndOfStatement, t.line, column());
    std::string text(src_.substr(start, pos_ - start));
    double v;
    if (!ParseNumber(FromAscii(text), v) || std::isinf(v)) throw SourceError(err::InvalidNumber, t.line, t.column);
    t.kind = Tok::Literal;
    if (!isFloat && v <= 32767) t.value = Variant::Integer(static_cast<int32_t>(v));
    else if (!isFloat && v <= 2147483647.0) t.value = Variant(static_cast<int32_t>(v));
    else t.value = Variant(v);
  }
  // `&h` not followed by a hex digit (`"x" &hi`): the `&` is the operator.
  bool hexPrefixWithoutDigits() const {
    if (src_[pos_ + 1] != 'h' && src_[pos_ + 1] != 'H') return false;
    return pos_ + 2 >= src_.size() || !std::isxdigit(static_cast<unsigned char>(src_[pos_ + 2]));
  }
  void radixNumber(Token& t) {
    ++pos_;  // '&'
    int base = 8;
    if (src_[pos_] == 'h' || src_[pos_] == 'H') {
      base = 16;
      ++pos_;
    } else if (src_[pos_] == 'o' || src_[pos_] == 'O') {
      ++pos_;
    }
    uint64_t v = 0;
    int digits = 0;
    while (pos_ < src_.size()) {
      char c = src_[pos_];
      int d;
      if (IsDigit(c)) d = c - '0';
      else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else break;
      if (d >= base) throw SourceError(err::InvalidNumber, t.line, t.column);
      v = v * base + d;
      if (v > 0xFFFFFFFFull) throw SourceError(err::InvalidNumber, t.line, t.column);
      ++digits;
      ++pos_;
    }
    if (!digits) throw SourceError(err::InvalidNumber, t.line, t.column);
    bool forceLong = false;
    if (pos_ < src_.size() && src_[pos_] == '&') {
      forceLong = true;
      ++pos_;
    }
    t.kind = Tok::Literal;
    // The `&` suffix reads the digits as 32 bits; the value is still Integer when it fits.
    if (forceLong && static_cast<int32_t>(static_cast<uint32_t>(v)) >= -32768 &&
        static_cast<int32_t>(static_cast<uint32_t>(v)) <= 32767)
      t.value = Variant::Integer(static_cast<int32_t>(static_cast<uint32_t>(v)));
    else if (v <= 0xFFFF && !forceLong) t.value = Variant::Integer(static_cast<int16_t>(static_cast<uint16_t>(v)));
    else t.value = Variant(static_cast<int32_t>(static_cast<uint32_t>(v)));
  }
  void string(Token& t) {
    ++pos_;
    std::string s;
    while (true) {
      if (pos_ >= src_.size() || src_[pos_] == '\r' || src_[pos_] == '\n')
        throw SourceError(err::UnterminatedString, t.line, t.column);
      char c = src_[pos_++];
      if (c == '"') {
        if (pos_ < src_.size() && src_[pos_] == '"') {
          s.push_back('"');
          ++pos_;
          continue;
        }
        break;
      }
      s.push_back(c);
    }
    t.kind = Tok::Literal;
    t.value = Variant(FromUtf8(s));
  }
  void dateLiteral(Token& t) {
    size_t end = pos_ + 1;
    while (end < src_.size() && src_[end] != '#' && src_[end] != '\r' && src_[end] != '\n') ++end;
    if (end >= src_.size() || src_[end] != '#') throw SourceError(err::Syntax, t.line, t.column);
    double serial;
    if (!ParseDate(FromUtf8(src_.substr(pos_ + 1, end - pos_ - 1)), serial))
      throw SourceError(err::Syntax, t.line, t.column);
    pos_ = end + 1;
    t.kind = Tok::Literal;
    t.value = Variant::Date(serial);
  }

  std::string_view src_;
  size_t pos_ = 0;
  size_t lineStart_ = 0;
  size_t colPos_ = 0, col_ = 0;  // column() cache: units counted up to colPos_
  int line_ = 1;
  std::vector<Token> tokens_;
};

}  // namespace

std::vector<Token> Tokenize(std::string_view source) { return Lexer(source).run(); }

}  // namespace lumetrix::vbs
