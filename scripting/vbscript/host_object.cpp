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

std::string UiHost::InputBox(const std::string&, const std::string&, const std::string& defaultText) {
  return defaultText;
}

}  // namespace lumetrix::vbs
