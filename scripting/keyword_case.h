#pragma once
// Case fixing while typing: when a character that cannot be part of a word is typed, the word
// just before it is put into its proper case if it is a known word outside strings and comments.

#include <optional>
#include <string>
#include <string_view>

namespace lumetrix::scripting {

struct CaseFix {
  size_t offset = 0;         // byte offset of the word in the line
  std::string replacement;   // same length as the word
};

// `line` holds the line's bytes from its start up to (not including) the character just
// typed. Bytes of 0x80 and above count as word characters.
std::optional<CaseFix> FixCaseBefore(std::string_view line);

bool IsWordByte(unsigned char c);

}  // namespace lumetrix::scripting
