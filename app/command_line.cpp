#include "app/command_line.h"

#include "core/frame_size.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>

namespace lumetrix {
namespace {

struct CommandShape {
  size_t min_args, max_args;
  std::set<std::string> valued, flags;
};

const std::map<std::string, CommandShape>& Shapes() {
  static const std::map<std::string, CommandShape> shapes = {
      {"info", {1, 1, {"--series", "--memory"}, {}}},
      {"render",
       {2, 2, {"--size", "--xrot", "--yrot", "--mode", "--range", "--crop", "--clip", "--quality", "--series",
            "--memory"},
        {"--scalebar", "--axes", "--ortho"}}},
      {"run", {2, 2, {"--series", "--memory"}, {}}},
      {"movie",
       {2, SIZE_MAX, {"--size", "--out-dir", "--format", "--codec", "--palette", "--dither", "--mode", "--crop", "--clip",
         "--quality", "--series", "--memory"},
        {"--ortho"}}},
      {"recompress", {2, 2, {"--codec"}, {}}},
      {"join-tiff", {2, SIZE_MAX, {}, {}}},
      {"convert-leica", {2, 2, {"--map"}, {}}},
      {"avi2gif", {2, 2, {"--palette", "--dither"}, {"--swaprg", "--optimize"}}},
      {"help", {0, 0, {}, {}}},
      {"version", {0, 0, {}, {}}},
  };
  return shapes;
}

}  // namespace

std::optional<std::string> CommandLine::Option(const std::string& name) const {
  for (const auto& [key, value] : Options)
    if (key == name) return value;
  return std::nullopt;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  size_t i = 0;
  if (!args.empty() && args[0].rfind("--", 0) == 0) {
    line.Command = args[0].substr(2);
    if (line.Command == "h") line.Command = "help";
    if (!Shapes().count(line.Command)) {
      line.Error = "unknown command " + args[0];
      return line;
    }
    i = 1;
  } else if (!args.empty() && (args[0] == "-h")) {
    line.Command = "help";
    i = 1;
  }
  const CommandShape window{0, 1, {"--memory"}, {}};
  const CommandShape& shape = line.Command.empty() ? window : Shapes().at(line.Command);
  for (; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) == 0 && a.size() > 2) {
      if (shape.flags.count(a)) {
        line.Options.emplace_back(a, "");
      } else if (shape.valued.count(a)) {
        if (i + 1 >= args.size()) {
          line.Error = a + " needs a value";
          return line;
        }
        line.Options.emplace_back(a, args[++i]);
      } else {
        line.Error = "unknown option " + a;
        return line;
      }
    } else {
      line.Arguments.push_back(a);
    }
  }
  if (line.Arguments.size() < shape.min_args || line.Arguments.size() > shape.max_args)
    line.Error = line.Command.empty() ? "only one file can be opened" : "wrong number of arguments for --" + line.Command;
  return line;
}

std::vector<CommandOptions> CommandTable() {
  std::vector<CommandOptions> table;
  for (const auto& [command, shape] : Shapes()) {
    CommandOptions entry{command, {shape.valued.begin(), shape.valued.end()}};
    entry.Options.insert(entry.Options.end(), shape.flags.begin(), shape.flags.end());
    table.push_back(std::move(entry));
  }
  return table;
}

std::string UsageText() {
  return "usage: lumetrix [FILE.tif] [--memory MB]\n"
         "       lumetrix --info FILE.tif [--series N] [--memory MB]\n"
         "       lumetrix --render FILE.tif OUT.bmp|OUT.jpg [--size WxH] [--xrot A] [--yrot A]\n"
         "                [--range CHANNEL:MIN:MAX]... [--scalebar] [--axes] [VIEW OPTIONS]\n"
         "       lumetrix --run SCRIPT.scp FILE.tif [--series N] [--memory MB]\n"
         "       lumetrix --movie KEYS.lkf OUT.mp4|OUT.avi|OUT.gif FILE.tif [--size WxH] [--codec NAME]\n"
         "                [--palette optimal|grey|web|best] [--dither none|ordered|fs] [VIEW OPTIONS]\n"
         "       lumetrix --movie KEYS.lkf --out-dir DIR [--format mp4|avi|gif] [--size WxH] [--codec NAME]\n"
         "                [--palette optimal|grey|web|best] [--dither none|ordered|fs] [VIEW OPTIONS]\n"
         "                FILE1.tif FILE2.tif ...\n"
         "       lumetrix --recompress IN.avi OUT.avi [--codec NAME]\n"
         "       lumetrix --join-tiff OUT.tif IN1.tif IN2.tif ...\n"
         "       lumetrix --convert-leica FOLDER DESTFOLDER [--map R,G,B]\n"
         "       lumetrix --avi2gif IN.avi OUT.gif [--palette optimal|grey|web|best] [--dither none|ordered|fs]\n"
         "                [--swaprg] [--optimize]\n"
         "       lumetrix --help\n"
         "       lumetrix --version\n"
         "VIEW OPTIONS: [--mode additive|max|volume|mip|attenuated|minip|iso] [--crop X0,X1,Y0,Y1,Z0,Z1]\n"
         "              [--clip NX,NY,NZ,D] [--ortho] [--quality STEP] [--series N] [--memory MB]\n"
         "FILE.tif: a TIFF (ImageJ, OME-TIFF, Zeiss LSM), BMP or JPEG file, or an OME-Zarr folder NAME.zarr\n";
}

bool ParseNumber(const std::string& text, double& value) {
  if (text.empty()) return false;
  const char* begin = text.data() + (text[0] == '+' ? 1 : 0);
  const auto [end, ec] = std::from_chars(begin, text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

namespace {

// Digits (with a leading minus) -> the number, held at +-1e12 when it is longer; false otherwise.
bool WholeNumber(const char* begin, const char* end, int64_t& value) {
  const auto [stop, code] = std::from_chars(begin, end, value);
  if (stop != end || begin == end) return false;
  if (code == std::errc::result_out_of_range) value = *begin == '-' ? -1000000000000 : 1000000000000;
  else if (code != std::errc()) return false;
  return true;
}

}  // namespace

std::string ReadSizeOption(const std::string& text, int& width, int& height) {
  const std::string shown = "--size " + text;
  const auto x = text.find_first_of("xX");
  int64_t w = 0, h = 0;
  const char* s = text.data();
  if (x == std::string::npos || !WholeNumber(s, s + x, w) || !WholeNumber(s + x + 1, s + text.size(), h))
    return shown + ": the size must be WIDTHxHEIGHT in pixels, for example 640x480";
  if (std::string problem = DrawingSizeProblem(shown, w, h); !problem.empty()) return problem;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return {};
}

bool ParseSize(const std::string& text, int& width, int& height) { return ReadSizeOption(text, width, height).empty(); }

std::string ReadAngleOption(const std::string& option, const std::string& text, double& degrees) {
  double value = 0;
  if (!ParseNumber(text, value) || !(std::fabs(value) <= kMaxAngle))  // NaN fails the comparison
    return option + " " + text + ": the angle must be a number of degrees from -1000000 to 1000000";
  degrees = value;
  return {};
}

}  // namespace lumetrix
