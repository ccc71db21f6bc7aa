#pragma once
// VBScript's regular expressions on std::regex (ECMAScript grammar): the dialect's differences
// are translated, sizes are bounded, matching runs on a thread with a large stack (the library
// recurses once per character) and stops after a fixed number of steps, so no pattern or
// subject can crash or hang the engine. Texts are UTF-16 code units; indices count them.
#include <cstddef>
#include <string>
#include <vector>

#include "text.h"

namespace lumetrix::vbs {

constexpr size_t kMaxRegExpPattern = 4096;      // code units
constexpr size_t kMaxRegExpSubject = 1u << 18;  // code units

struct RegExpOptions {
  bool global = false, ignoreCase = false, multiLine = false;
};

struct RegExpMatch {
  size_t index = 0, length = 0;
  std::vector<bool> groupMatched;
  std::vector<ustring> groups;  // submatches 1..n
  ustring value;
};

// All matches (one unless `global`). Throws ScriptError: 5017..5020 for a bad pattern, 5 for a
// subject or pattern beyond the bounds or a match that takes too many steps.
std::vector<RegExpMatch> RegExpFind(const ustring& pattern, const RegExpOptions& options, const ustring& subject);
// Replace with $1..$9, $&, $`, $' and $$ in `replacement`.
ustring RegExpReplace(const ustring& pattern, const RegExpOptions& options, const ustring& subject,
                      const ustring& replacement);

}  // namespace lumetrix::vbs
