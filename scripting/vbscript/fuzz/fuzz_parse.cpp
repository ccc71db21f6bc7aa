// libFuzzer target: lexer and parser on arbitrary bytes. Either a tree or a syntax error with
// a sane position; anything else (crash, other exception, stack overflow, leak) is a finding.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "vbscript/parser.h"

using namespace lumetrix::vbs;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view src(reinterpret_cast<const char*>(data), size);

  bool lexed = false;
  try {
    std::vector<Token> tokens = Tokenize(src);
    lexed = true;
    fuzz::Check(!tokens.empty() && tokens.back().kind == Tok::End, "token list does not end with End");
    int line = 1, column = 1;
    for (const Token& t : tokens) {
      fuzz::Check(t.line > line || (t.line == line && t.column >= column), "token positions go backwards",
                  t.line, t.column);
      line = t.line;
      column = t.column;
      if (t.kind == Tok::Ident) fuzz::Check(!t.text.empty() || t.column > 0, "empty identifier");
    }
    fuzz::Check(line <= fuzz::LineCount(src), "token after the last line", line);
  } catch (const SourceError& e) {
    fuzz::CheckSourceError(e, src);
  }

  try {
    std::unique_ptr<ast::Chunk> chunk = Parse(src);
    fuzz::Check(lexed, "parser accepted what the lexer refused");
  } catch (const SourceError& e) {
    fuzz::CheckSourceError(e, src);
  }
  return 0;
}
