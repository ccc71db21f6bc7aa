#include "host_object.h"

#include <cstdio>

namespace lumetrix::vbs {

void HostObject::Assign(int, std::span<const Variant>, const Variant&) { ThrowError(err::NoSuchMember); }

int UiHost::MsgBox(const std::string& prompt, int, const std::string&) {
  std::fwrite(prompt.data(), 1, prompt.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
  return 1;
}

std::string UiHost::InputBox(const std::string& prompt, const std::string&, const std::string& defaultText) {
  std::fwrite(prompt.data(), 1, prompt.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
  // One line of standard input; the default when there is none (end of input).
  std::string line;
  bool any = false;
  for (int c; (c = std::fgetc(stdin)) != EOF;) {
    any = true;
    if (c == '\n') break;
    if (line.size() < kMaxStringLength) line.push_back(static_cast<char>(c));  // the rest is dropped
  }
  if (!any) return defaultText;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace lumetrix::vbs
