// libFuzzer target: VBScript regular expressions. The first byte picks Global, IgnoreCase and
// MultiLine; the rest up to the first newline is the pattern, after it the text, then a
// replacement after a second newline. Every outcome must be matches within the text or a
// script error (5017..5020 for a bad pattern, 5 for one too costly): never a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "vbscript/errors.h"
#include "vbscript/regexp_engine.h"

using namespace lumetrix::vbs;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  RegExpOptions o;
  o.global = data[0] & 1;
  o.ignoreCase = data[0] & 2;
  o.multiLine = data[0] & 4;
  ustring rest = FromUtf8(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  size_t nl = rest.find(u'\n');
  ustring pattern = rest.substr(0, nl);
  ustring text = nl == ustring::npos ? ustring() : rest.substr(nl + 1);
  size_t nl2 = text.find(u'\n');
  ustring replacement = nl2 == ustring::npos ? ustring(u"[$1$&]") : text.substr(nl2 + 1);
  if (nl2 != ustring::npos) text.resize(nl2);
  try {
    for (const RegExpMatch& m : RegExpFind(pattern, o, text)) {
      fuzz::Check(m.index + m.length <= text.size(), "match outside the text", static_cast<long>(m.index),
                  static_cast<long>(m.length));
      fuzz::Check(text.compare(m.index, m.length, m.value) == 0, "match value differs from the text");
    }
    RegExpReplace(pattern, o, text, replacement);
  } catch (const ScriptError& e) {
    bool known = e.number == err::InvalidCall || e.number == err::OutOfMemory || (e.number >= 5016 && e.number <= 5020);
    fuzz::Check(known, "unexpected regular expression error", e.number);
  }
  return 0;
}
