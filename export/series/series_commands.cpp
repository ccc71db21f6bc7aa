#include "export/series/series_commands.h"

#include <sys/stat.h>

#include "core/output_check.h"
#include "export/series/join_series.h"
#include "export/series/series_table.h"
#include "export/series/tiff_folder.h"

namespace lumetrix::series {

namespace {

void ReportWritten(const ConversionResult& result, std::ostream& log) {
  log << "wrote " << result.Destination << " (" << result.Pages << (result.Pages == 1 ? " page)" : " pages)")
      << std::endl;
}

// One line for stderr from a possibly multi-line user message.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n') c = ' ';
  return text;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::optional<ColourSources> ParseColourMap(const std::string& text) {
  ColourSources colours{};
  size_t at = 0;
  for (size_t k = 0; k < 3; ++k) {
    const size_t comma = text.find(',', at);
    const bool last = k == 2;
    if (last != (comma == std::string::npos)) return std::nullopt;
    const std::string part = text.substr(at, last ? std::string::npos : comma - at);
    if (part == "-") {
      colours[k] = kNoChannel;
    } else if (part.size() == 1 && part[0] >= '0' && part[0] < '0' + kLeicaChannels) {
      colours[k] = part[0] - '0';
    } else {
      return std::nullopt;
    }
    at = comma + 1;
  }
  if (colours[0] == kNoChannel && colours[1] == kNoChannel && colours[2] == kNoChannel) return std::nullopt;
  return colours;
}

int JoinTiffCommand(const std::string& out, const std::vector<std::string>& inputs, std::ostream& log,
                    std::ostream& errors) {
  if (const std::string problem = OutputProblem(out, inputs); !problem.empty()) {
    errors << "lumetrix: " << problem << std::endl;
    return 2;
  }
  ProtectInputs(inputs);
  const ConversionResult result = JoinTiffSeries(inputs, out);
  if (!result.Written) {
    errors << "lumetrix: " << OneLine(result.Message()) << std::endl;
    return 1;
  }
  ReportWritten(result, log);
  return 0;
}

int ConvertLeicaCommand(const std::string& folder, const std::string& dest, const std::string& map,
                        std::ostream& log, std::ostream& errors) {
  const std::optional<ColourSources> colours = ParseColourMap(map);
  if (!colours) {
    errors << "lumetrix: --map wants three channels for red, green and blue, each 0, 1, 2 or -, such as 0,1,2 "
              "(not \""
           << map << "\")" << std::endl;
    return 1;
  }
  if (!IsFolder(folder)) {
    errors << "lumetrix: the folder " << folder << " does not exist" << std::endl;
    return 1;
  }
  if (!IsFolder(dest)) {
    errors << "lumetrix: the destination folder " << dest << " does not exist" << std::endl;
    return 1;
  }
  std::string list_error;
  const std::vector<std::string> names = ListTiffFiles(folder, &list_error);
  if (!list_error.empty()) {
    errors << "lumetrix: " << list_error << std::endl;
    return 1;
  }
  const SeriesTable table = FindSeries(names);
  if (table.empty()) {
    errors << "lumetrix: " << folder << " holds no Leica series (files named like NAME_z000_ch00.tif)" << std::endl;
    return 1;
  }
  // Every file of the folder stays as it is, and every output is checked before the first is made.
  std::vector<std::string> sources;
  for (const std::string& name : names) sources.push_back(JoinPath(folder, name));
  ProtectInputs(sources);
  for (const SeriesRow& row : table.Rows()) {
    if (const std::string problem = OutputProblem(JoinPath(dest, row.BaseName + ".tif")); !problem.empty()) {
      errors << "lumetrix: " << problem << std::endl;
      return 2;
    }
  }
  int code = 0;
  for (const SeriesRow& row : table.Rows()) {
    const LeicaConversion job =
        LeicaConversionFor(row, folder, {true, true, true}, *colours, JoinPath(dest, row.BaseName + ".tif"));
    const ConversionResult result = ConvertLeicaSeries(job);
    if (result.Written) ReportWritten(result, log);
    if (const std::string message = result.Message(); !message.empty()) {
      errors << "lumetrix: " << OneLine(message) << std::endl;
      code = 1;
    }
  }
  return code;
}

}  // namespace lumetrix::series
