#pragma once
// The program's command line: with no command it opens the window (and FILE, when given);
// the commands run without a window and end the program.

#include <optional>
#include <string>
#include <vector>

namespace lumetrix {

struct CommandLine {
  std::string Command;                  // empty: the window; else "info", "render", ...
  std::vector<std::string> Arguments;   // positional arguments in order
  std::vector<std::pair<std::string, std::string>> Options;  // "--size" -> "640x480"; flags get ""
  std::string Error;                    // set when the line cannot be understood

  std::optional<std::string> Option(const std::string& name) const;
};

// argv without the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);
std::string UsageText();

// Every command the parser accepts, without its "--" ("info", "render", ...), with the options
// it takes (with a value or without), in the parser's order: what the documents must list.
struct CommandOptions {
  std::string Command;
  std::vector<std::string> Options;
};
std::vector<CommandOptions> CommandTable();

// "640x480" -> 640, 480; false for anything else or sizes outside 1..32767.
bool ParseSize(const std::string& text, int& width, int& height);
// A number in C notation; false when the text is not one.
bool ParseNumber(const std::string& text, double& value);

}  // namespace lumetrix
