#include "imaging/imagej_description.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace lumetrix::imaging {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\0')) s.remove_suffix(1);
  return s;
}

bool Number(std::string_view text, double& out) {
  const std::string s(text.substr(0, 64));
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(s.c_str(), &end);
  if (end == s.c_str() || *end != '\0' || errno == ERANGE || !std::isfinite(v)) return false;
  out = v;
  return true;
}

// Whole counts; negative, fractional or huge ones become -1 ("impossible").
long Count(std::string_view text) {
  double v = 0;
  if (!Number(text, v)) return -1;
  if (v < 0 || v != std::floor(v) || v > 1e9) return -1;
  return static_cast<long>(v);
}

}  // namespace

std::string NormalisedUnit(std::string_view unit) {
  unit = Trim(unit);
  if (unit == "micron" || unit == "microns" || unit == "um" || unit == "\\u00B5m" || unit == "\xC2\xB5m" ||
      unit == "\xCE\xBCm" || unit == "\xB5m")
    return "\xC2\xB5m";
  if (unit == "nm" || unit == "mm" || unit == "cm" || unit == "m") return std::string(unit);
  if (unit == "pixel" || unit == "pixels") return "pixel";
  if (unit == "nanometer" || unit == "nanometers") return "nm";
  return {};
}

std::optional<ImageJDescription> ParseImageJDescription(std::string_view text) {
  if (text.substr(0, 7) != "ImageJ=") return std::nullopt;
  ImageJDescription d;
  // Only the first few kilobytes hold the keys; "info" properties may follow at length.
  text = text.substr(0, 1 << 16);
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = Trim(line.substr(0, eq));
    const std::string_view value = Trim(line.substr(eq + 1));
    double v = 0;
    if (key == "images") d.images = Count(value);
    else if (key == "channels") d.channels = Count(value);
    else if (key == "slices") d.slices = Count(value);
    else if (key == "frames") d.frames = Count(value);
    else if (key == "hyperstack") d.hyperstack = value == "true";
    else if (key == "unit") d.unit = std::string(value.substr(0, 32));
    else if (key == "spacing") d.spacing = Number(value, v) ? v : -1;
    else if (key == "min" && Number(value, v)) d.min = v, d.has_range = true;
    else if (key == "max" && Number(value, v)) d.max = v, d.has_range = true;
  }
  return d;
}

}  // namespace lumetrix::imaging
