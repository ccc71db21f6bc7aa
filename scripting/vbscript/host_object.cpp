#include "host_object.h"

#include <cstdio>

namespace lumetrix::vbs {

namespace {

// Prompts end up on a Linux terminal or log: vbCrLf (vbNewLine) and lone vbCr break lines as "\n".
void PrintLine(const std::string& text, FILE* to) {
  std::string out;
  out.reserve(text.size() + 1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out.push_back('\n');
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  out.push_back('\n');
  std::fwrite(out.data(), 1, out.size(), to);
  std::fflush(to);
}

}  // namespace

void HostObject::Assign(int, std::span<const Variant>, const Variant&) { ThrowError(err::NoSuchMember); }

int UiHost::MsgBox(const std::string& prompt, int, const std::string&) {
  PrintLine(prompt, stdout);
  return 1;
}

std::string UiHost::InputBox(const std::string& prompt, const std::string&, const std::string&) {
  // The prompt goes to standard error, so that standard output carries only what scripts print.
  PrintLine(prompt, stderr);
  // One line of standard input. At its end nobody can answer: rather than the default (every
  // job of a batch would get the same answer), VBScript's error for reading past the end of a
  // text stream, 62 "Input past end of file", which On Error Resume Next can trap.
  std::string line;
  bool any = false;
  for (int c; (c = std::fgetc(stdin)) != EOF;) {
    any = true;
    if (c == '\n') break;
    if (line.size() < kMaxStringLength) line.push_back(static_cast<char>(c));  // the rest is dropped
  }
  if (!any) ThrowError(err::PastEndOfFile);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace lumetrix::vbs
