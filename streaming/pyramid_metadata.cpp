#include "streaming/pyramid_metadata.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "imaging/file_probe.h"
#include "imaging/image_box.h"

namespace lumetrix::streaming {
namespace {

using nlohmann::json;
using imaging::ImageError;

constexpr size_t kMaxJsonBytes = size_t{4} << 20;  // as the Zarr reader allows
constexpr int32_t kMaxLevels = 64;

// The TIFF reader's unit spellings as NGFF (UDUNITS) names; others are written as they are.
std::string NgffUnit(const std::string& unit) {
  static const char* const kNames[][2] = {{"\xC2\xB5m", "micrometer"}, {"nm", "nanometer"}, {"mm", "millimeter"},
                                          {"cm", "centimeter"},        {"m", "meter"},      {"\xC3\x85", "angstrom"},
                                          {"pm", "picometer"}};
  for (const auto& n : kNames)
    if (unit == n[0]) return n[1];
  return unit == "pixel" ? "" : unit;
}

const char* FormatName(imaging::SampleFormat f) {
  return f == imaging::SampleFormat::kFloat ? "float" : f == imaging::SampleFormat::kSigned ? "signed" : "unsigned";
}

std::string Hex(const imaging::ChannelLook& look) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X%02X", look.red, look.green, look.blue);
  return text;
}

const json& Member(const json& j, const char* key, const std::string& where) {
  const auto it = j.find(key);
  if (it == j.end()) throw ImageError(where + " has no \"" + key + "\" in its lumetrix block");
  return *it;
}

int64_t Whole(const json& j, const char* key, int64_t least, int64_t most, const std::string& where) {
  const json& v = Member(j, key, where);
  if (!v.is_number_integer() || (v.is_number_unsigned() && v.get<uint64_t>() > uint64_t(INT64_MAX)))
    throw ImageError(where + " gives \"" + key + "\" as " + v.dump(-1, ' ', true) + ", not a whole number");
  const int64_t n = v.get<int64_t>();
  if (n < least || n > most) throw ImageError(where + " gives \"" + key + "\" as " + std::to_string(n) + ", out of range");
  return n;
}

double Finite(const json& j, const char* key, const std::string& where) {
  const json& v = Member(j, key, where);
  if (!v.is_number() || !std::isfinite(v.get<double>()))
    throw ImageError(where + " gives \"" + key + "\" as " + v.dump(-1, ' ', true) + ", not a finite number");
  return v.get<double>();
}

}  // namespace

PyramidKey KeyOf(const std::string& path, int32_t series) {
  const imaging::detail::FileStamp stamp = imaging::detail::StampOf(path);
  PyramidKey key;
  key.path = std::filesystem::absolute(path).lexically_normal().string();
  key.size = stamp.size;
  key.mtime_ns = stamp.mtime_ns;
  key.series = series;
  return key;
}

std::string WritePyramidAttributes(const PyramidAttributes& a) {
  const std::string unit = a.voxel[0] > 0 ? NgffUnit(a.unit) : "";
  json axes = json::array({{{"name", "t"}, {"type", "time"}}, {{"name", "c"}, {"type", "channel"}}});
  for (const char* name : {"z", "y", "x"}) {
    json axis = {{"name", name}, {"type", "space"}};
    if (!unit.empty()) axis["unit"] = unit;
    axes.push_back(axis);
  }
  json datasets = json::array();
  for (int32_t level = 0; level < a.levels; ++level) {
    // Unknown voxel sizes: one finest voxel per unit, so that the levels still line up.
    const double factor = std::ldexp(1.0, level);
    const auto side = [&](int k) { return (a.voxel[k] > 0 ? a.voxel[k] : 1.0) * factor; };
    datasets.push_back({{"path", std::to_string(level)},
                        {"coordinateTransformations",
                         json::array({{{"type", "scale"}, {"scale", {1.0, 1.0, side(2), side(1), side(0)}}}})}});
  }
  json channels = json::array();
  for (const imaging::ChannelLook& look : a.looks) {
    json c = {{"label", look.name}, {"active", true}};
    if (look.has_colour) c["color"] = Hex(look);
    if (look.has_range) c["window"] = {{"start", look.min}, {"end", look.max}, {"min", look.min}, {"max", look.max}};
    channels.push_back(c);
  }
  json root;
  root["multiscales"] = json::array(
      {{{"version", "0.4"}, {"name", a.name}, {"axes", axes}, {"datasets", datasets}, {"type", "mean of 2x2x2 blocks"}}});
  root["omero"] = {{"version", "0.4"}, {"name", a.name}, {"channels", channels}};
  root["lumetrix"] = {
      {"pyramid", 1},
      {"source", {{"path", a.key.path}, {"size", a.key.size}, {"mtime_ns", a.key.mtime_ns}, {"series", a.key.series}}},
      {"values",
       {{"format", FormatName(a.values.format)}, {"bits", a.values.bits}, {"offset", a.values.offset}, {"scale", a.values.scale}}},
      {"levels", a.levels}};
  // Names and paths come from outside: invalid UTF-8 is replaced rather than refused.
  return root.dump(1, ' ', false, json::error_handler_t::replace) + "\n";
}

PyramidAttributes ReadPyramidAttributes(const std::string& text, const std::string& where) {
  if (text.size() > kMaxJsonBytes) throw ImageError(where + " is larger than any pyramid's metadata");
  const json root = json::parse(text, nullptr, false);
  if (root.is_discarded() || !root.is_object()) throw ImageError(where + " is not a JSON object");
  const auto block = root.find("lumetrix");
  if (block == root.end() || !block->is_object()) throw ImageError(where + " has no lumetrix block");
  if (Whole(*block, "pyramid", 0, INT64_MAX, where) != 1)
    throw ImageError(where + " was written by another version of the pyramid cache");
  PyramidAttributes a;
  const json& source = Member(*block, "source", where);
  const json& values = Member(*block, "values", where);
  if (!source.is_object() || !values.is_object()) throw ImageError(where + " has a lumetrix block of the wrong shape");
  const json& path = Member(source, "path", where);
  if (!path.is_string() || path.get<std::string>().empty() || path.get<std::string>()[0] != '/')
    throw ImageError(where + " names no absolute source path");
  a.key.path = path.get<std::string>();
  a.key.size = uint64_t(Whole(source, "size", 0, INT64_MAX, where));
  a.key.mtime_ns = Whole(source, "mtime_ns", INT64_MIN, INT64_MAX, where);
  a.key.series = int32_t(Whole(source, "series", 0, INT32_MAX, where));
  const json& format = Member(values, "format", where);
  if (format == "unsigned") a.values.format = imaging::SampleFormat::kUnsigned;
  else if (format == "signed") a.values.format = imaging::SampleFormat::kSigned;
  else if (format == "float") a.values.format = imaging::SampleFormat::kFloat;
  else throw ImageError(where + " gives the sample format " + format.dump(-1, ' ', true) + "; unsigned, signed or float");
  a.values.bits = int(Whole(values, "bits", 1, 64, where));
  a.values.offset = Finite(values, "offset", where);
  a.values.scale = Finite(values, "scale", where);
  if (!(a.values.scale > 0)) throw ImageError(where + " gives a scale that is not positive");
  a.levels = int32_t(Whole(*block, "levels", 1, kMaxLevels, where));
  return a;
}

}  // namespace lumetrix::streaming
