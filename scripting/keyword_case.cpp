#include "scripting/keyword_case.h"

#include "scripting/vb_keywords.h"

namespace lumetrix::scripting {

bool IsWordByte(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c >= 0x80;
}

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

std::optional<CaseFix> FixCaseBefore(std::string_view line) {
  // Walk the line once: a fix is only wanted for code, not inside a string or a comment.
  bool inString = false;
  bool statementStart = true;  // "Rem" is a comment only where a statement starts
  size_t i = 0;
  while (i < line.size()) {
    const unsigned char c = static_cast<unsigned char>(line[i]);
    if (inString) {
      if (c == '"') inString = false;  // a doubled quote closes and reopens: same result
      ++i;
      continue;
    }
    if (c == '"') {
      inString = true;
      statementStart = false;
      ++i;
      continue;
    }
    if (c == '\'') return std::nullopt;
    if (IsWordByte(c)) {
      const size_t start = i;
      while (i < line.size() && IsWordByte(static_cast<unsigned char>(line[i]))) ++i;
      const std::string_view word = line.substr(start, i - start);
      if (statementStart && EqualsNoCase(word, "rem") && i < line.size()) return std::nullopt;
      statementStart = false;
      if (i == line.size()) {
        // After a period only the script object's members are known words ("obj.end" stays).
        if (start > 0 && line[start - 1] == '.' && GroupOf(word) != WordGroup::ScriptObject)
          return std::nullopt;
        const std::string_view proper = ProperCase(word);
        if (proper.empty() || proper == word) return std::nullopt;
        return CaseFix{start, std::string(proper)};
      }
      continue;
    }
    if (c == ':') statementStart = true;
    else if (c != ' ' && c != '\t') statementStart = false;
    ++i;
  }
  return std::nullopt;
}

}  // namespace lumetrix::scripting
