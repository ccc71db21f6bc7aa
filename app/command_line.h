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

// The value of --size ("640x480" -> 640, 480); "" when it is a size within the drawing limits
// (core/frame_size.h), else the message naming the option, its value and what is wrong.
std::string ReadSizeOption(const std::string& text, int& width, int& height);
// ReadSizeOption without the message.
bool ParseSize(const std::string& text, int& width, int& height);
// The value of --xrot or --yrot: an angle in degrees within +-kMaxAngle; "" or the message.
inline constexpr double kMaxAngle = 1e6;  // beyond it a float angle is coarser than a tenth of a degree
std::string ReadAngleOption(const std::string& option, const std::string& text, double& degrees);
// A number in C notation; false when the text is not one.
bool ParseNumber(const std::string& text, double& value);

}  // namespace lumetrix
