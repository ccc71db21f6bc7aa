#include "app/series_option.h"

#include <charconv>

#include "imaging/tiff_series.h"

namespace lumetrix {

std::string ReadSeriesOption(const CommandLine& line, const std::vector<std::string>& volumes, int32_t& series) {
  series = 0;
  const auto text = line.Option("--series");
  if (!text) return {};
  int32_t n = 0;
  const auto [end, code] = std::from_chars(text->data(), text->data() + text->size(), n);
  if (text->empty() || code != std::errc() || end != text->data() + text->size() || n < 1)
    return "--series " + *text + ": the series must be a whole number from 1";
  for (const std::string& volume : volumes) {
    const size_t count = std::max<size_t>(imaging::ListSeries(volume).size(), 1);
    if (static_cast<size_t>(n) > count)
      return "--series " + *text + ": " + volume + " holds " + std::to_string(count) + " series";
  }
  series = n - 1;
  return {};
}

}  // namespace lumetrix
