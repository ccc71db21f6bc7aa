#pragma once
// Shared by the fuzz targets: an invariant that does not hold is a finding, so it aborts
// (libFuzzer then saves the input as a crash artifact).
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "vbscript/lexer.h"

namespace lumetrix::vbs::fuzz {

[[noreturn]] inline void Fail(const char* what, long a = 0, long b = 0) {
  std::fprintf(stderr, "fuzz invariant broken: %s (%ld, %ld)\n", what, a, b);
  std::abort();
}

inline void Check(bool ok, const char* what, long a = 0, long b = 0) {
  if (!ok) Fail(what, a, b);
}

// Lines of the source as the lexer counts them (CR LF, CR and LF each end a line).
inline long LineCount(std::string_view s) {
  long lines = 1;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r') {
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
      ++lines;
    } else if (s[i] == '\n') {
      ++lines;
    }
  }
  return lines;
}

// A syntax error must be one of the numbers the lexer and parser raise, at a position in the
// source. The compiler may also report run-time numbers it can already see (`Dim a(-8)`:
// Subscript out of range), so for it any error number will do (`fromCompiler`).
inline void CheckSourceError(const SourceError& e, std::string_view src, bool fromCompiler = false) {
  if (fromCompiler)
    Check(e.number > 0, "compile error without a number", e.number);
  else
    Check(IsSyntaxError(e.number) || e.number == err::OutOfStack || e.number == err::InvalidReference,
          "unexpected error number from the front end", e.number);
  Check(e.line >= 1 && e.line <= LineCount(src), "error line outside the source", e.line, LineCount(src));
  Check(e.column >= 1 && static_cast<size_t>(e.column) <= src.size() + 1, "error column outside the source",
        e.column, static_cast<long>(src.size()));
  Check(!e.description.empty(), "error without a description", e.number);
}

}  // namespace lumetrix::vbs::fuzz
