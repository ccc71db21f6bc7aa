#include "imaging/zarr/zarr_metadata.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "imaging/image_box.h"

namespace lumetrix::imaging {
namespace {

using nlohmann::json;

// Metadata is a few kilobytes; anything far larger is not an OME-Zarr group.
constexpr size_t kMaxJsonBytes = size_t{4} << 20;
constexpr size_t kMaxLevels = 64;

json Parse(const std::string& text, const std::string& where) {
  if (text.size() > kMaxJsonBytes) throw ImageError(where + " is larger than any Zarr metadata (" + std::to_string(text.size() >> 20) + " MB)");
  json j = json::parse(text, nullptr, false);
  if (j.is_discarded()) throw ImageError(where + " is not valid JSON");
  if (!j.is_object()) throw ImageError(where + " does not hold a JSON object");
  return j;
}

// A product of counts, or nothing beyond `limit`.
bool MultiplyWithin(uint64_t& total, uint64_t factor, uint64_t limit) {
  if (factor != 0 && total > limit / factor) return false;
  total *= factor;
  return true;
}

std::vector<int64_t> Counts(const json& j, const char* key, int64_t least, const std::string& where) {
  const auto it = j.find(key);
  if (it == j.end() || !it->is_array() || it->empty() || it->size() > 5)
    throw ImageError(where + " has no \"" + key + "\" of one to five numbers");
  std::vector<int64_t> counts;
  for (const json& n : *it) {
    if (!n.is_number_integer() || n.get<int64_t>() < least || n.get<int64_t>() > INT32_MAX)
      throw ImageError(where + " has a \"" + key + "\" entry that is not a whole number from " + std::to_string(least) +
                       " to " + std::to_string(INT32_MAX) + ": " + n.dump());
    counts.push_back(n.get<int64_t>());
  }
  return counts;
}

void ReadType(const json& j, ZarrArrayMeta& a, const std::string& where) {
  const auto it = j.find("dtype");
  const std::string dtype = it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
  struct Known {
    const char* code;
    ZarrType type;
    int bytes;
  };
  static constexpr Known kKnown[] = {{"u1", ZarrType::kUint8, 1}, {"u2", ZarrType::kUint16, 2},
                                     {"i2", ZarrType::kInt16, 2}, {"f4", ZarrType::kFloat32, 4}};
  if (dtype.size() == 3 && (dtype[0] == '<' || dtype[0] == '>' || dtype[0] == '|')) {
    for (const Known& k : kKnown) {
      if (dtype.compare(1, 2, k.code) != 0 || (dtype[0] == '|' && k.bytes > 1)) continue;
      a.type = k.type;
      a.item_bytes = k.bytes;
      a.big_endian = dtype[0] == '>' && k.bytes > 1;
      return;
    }
  }
  throw ImageError(where + " stores samples of type " + (it == j.end() ? std::string("(none)") : it->dump()) +
                   "; uint8, uint16, int16 and float32 (\"|u1\", \"<u2\", \"<i2\", \"<f4\") can be read");
}

void ReadCompressor(const json& j, ZarrArrayMeta& a, const std::string& where) {
  const auto it = j.find("compressor");
  if (it == j.end() || it->is_null()) {
    a.codec_name = "uncompressed";
    return;
  }
  const auto id = it->is_object() ? it->find("id") : it->end();
  a.codec_name = id != it->end() && id->is_string() ? id->get<std::string>() : std::string();
  if (a.codec_name == "blosc") a.codec = ZarrCodec::kBlosc;
  else if (a.codec_name == "zstd") a.codec = ZarrCodec::kZstd;
  else if (a.codec_name == "zlib") a.codec = ZarrCodec::kZlib;
  else if (a.codec_name == "gzip") a.codec = ZarrCodec::kGzip;
  else
    throw ImageError(where + " is compressed with " + it->dump() +
                     "; blosc, zstd, zlib, gzip or no compression can be read");
  if (a.codec == ZarrCodec::kBlosc) {
    const auto cname = it->find("cname");
    if (cname != it->end() && cname->is_string()) a.codec_name += " " + cname->get<std::string>();
  }
}

void ReadFill(const json& j, ZarrArrayMeta& a, const std::string& where) {
  const auto it = j.find("fill_value");
  if (it == j.end() || it->is_null()) return;
  if (it->is_number()) a.fill = it->get<double>();
  else if (a.type == ZarrType::kFloat32 && it->is_string() && *it == "NaN") a.fill = NAN;
  else if (a.type == ZarrType::kFloat32 && it->is_string() && *it == "Infinity") a.fill = INFINITY;
  else if (a.type == ZarrType::kFloat32 && it->is_string() && *it == "-Infinity") a.fill = -INFINITY;
  else throw ImageError(where + " has a fill_value that is not a number: " + it->dump());
  const double lo = a.type == ZarrType::kInt16 ? -32768 : 0;
  const double hi = a.type == ZarrType::kUint8 ? 255 : a.type == ZarrType::kUint16 ? 65535 : 32767;
  if (a.type != ZarrType::kFloat32 && !(a.fill >= lo && a.fill <= hi && a.fill == std::floor(a.fill)))
    throw ImageError(where + " has a fill_value " + it->dump() + " that its sample type cannot hold");
}

// NGFF units (UDUNITS names) as the program writes them, with their size in metres.
struct Unit {
  const char* name;
  const char* shown;
  double metres;
};
constexpr Unit kUnits[] = {{"angstrom", "\xC3\x85", 1e-10}, {"picometer", "pm", 1e-12},  {"nanometer", "nm", 1e-9},
                           {"micrometer", "\xC2\xB5m", 1e-6}, {"micron", "\xC2\xB5m", 1e-6}, {"millimeter", "mm", 1e-3},
                           {"centimeter", "cm", 1e-2},        {"meter", "m", 1}};
const Unit* FindUnit(const std::string& name) {
  for (const Unit& u : kUnits)
    if (name == u.name) return &u;
  return nullptr;
}

void ReadAxes(const json& ms, ZarrImageMeta& m, std::vector<std::string>& units, const std::string& where) {
  const auto it = ms.find("axes");
  if (it == ms.end()) {  // NGFF 0.1 and 0.2: always five axes
    m.axes = "tczyx";
    units.assign(5, "");
    return;
  }
  if (!it->is_array() || it->empty() || it->size() > 5) throw ImageError(where + " has no list of one to five axes");
  for (const json& axis : *it) {
    const json* name = axis.is_string() ? &axis : nullptr;
    if (axis.is_object() && axis.contains("name")) name = &axis["name"];
    const std::string text = name && name->is_string() ? name->get<std::string>() : std::string();
    if (text.size() != 1 || std::string("tczyx").find(text[0]) == std::string::npos ||
        m.axes.find(text[0]) != std::string::npos)
      throw ImageError(where + " has the axis " + axis.dump() + "; each of t, c, z, y and x may appear once");
    m.axes += text[0];
    const auto unit = axis.is_object() ? axis.find("unit") : axis.end();
    units.push_back(axis.is_object() && unit != axis.end() && unit->is_string() ? unit->get<std::string>() : "");
  }
  if (m.axes.find('x') == std::string::npos || m.axes.find('y') == std::string::npos)
    throw ImageError(where + " has no x and y axes");
}

// The product of the `scale` transformations of `owner` (one number per axis); empty when it
// has none.
std::vector<double> Scale(const json& owner, size_t axes, const std::string& where) {
  std::vector<double> scale;
  const auto list = owner.find("coordinateTransformations");
  if (list == owner.end() || !list->is_array()) return scale;
  for (const json& t : *list) {
    if (!t.is_object() || t.value("type", json()) != "scale") continue;
    scale.resize(axes, 1.0);
    const auto values = t.find("scale");
    if (values == t.end() || !values->is_array() || values->size() != axes)
      throw ImageError(where + " has a scale that does not give one number per axis");
    for (size_t i = 0; i < axes; ++i) {
      const json& v = (*values)[i];
      if (!v.is_number() || !(v.get<double>() > 0) || !std::isfinite(v.get<double>()))
        throw ImageError(where + " has a scale that is not a positive number: " + v.dump());
      scale[i] *= v.get<double>();
    }
  }
  return scale;
}

// A level's folder must lie inside the group: relative, without "." or ".." steps.
void CheckPath(const std::string& path, const std::string& where) {
  bool fine = !path.empty() && path.front() != '/' && path.find('\\') == std::string::npos &&
              path.find('\0') == std::string::npos;
  for (size_t start = 0; fine && start <= path.size();) {
    const size_t end = std::min(path.find('/', start), path.size());
    const std::string step = path.substr(start, end - start);
    fine = !step.empty() && step != "." && step != "..";
    start = end + 1;
  }
  if (!fine) throw ImageError(where + " names a level outside its folder: \"" + path + "\"");
}

void ReadChannels(const json& root, ZarrImageMeta& m) {
  const auto omero = root.find("omero");
  if (omero == root.end() || !omero->is_object()) return;
  const auto channels = omero->find("channels");
  if (channels == omero->end() || !channels->is_array()) return;
  for (const json& c : *channels) {
    ChannelLook look;
    if (!c.is_object()) {
      m.channels.push_back(look);
      continue;
    }
    if (c.contains("label") && c["label"].is_string()) look.name = c["label"].get<std::string>();
    const std::string colour = c.contains("color") && c["color"].is_string() ? c["color"].get<std::string>() : "";
    if (colour.size() == 6 && colour.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos) {
      const unsigned long rgb = std::stoul(colour, nullptr, 16);
      look.has_colour = true;
      look.red = static_cast<uint8_t>(rgb >> 16);
      look.green = static_cast<uint8_t>(rgb >> 8);
      look.blue = static_cast<uint8_t>(rgb);
    }
    m.channels.push_back(look);
  }
}

}  // namespace

uint64_t ZarrArrayMeta::ChunkSamples() const {
  uint64_t n = 1;
  for (int64_t c : chunks) n *= uint64_t(c);
  return n;
}

uint64_t ZarrArrayMeta::Samples() const {
  uint64_t n = 1;
  for (int64_t s : shape) n *= uint64_t(s);
  return n;
}

uint64_t ZarrArrayMeta::ChunkCount() const {
  uint64_t n = 1;
  for (size_t i = 0; i < shape.size(); ++i) n *= uint64_t((shape[i] + chunks[i] - 1) / chunks[i]);
  return n;
}

std::string ZarrArrayMeta::Kind() const {
  const char* names[] = {"8-bit", "16-bit unsigned", "16-bit signed", "32-bit float"};
  return std::string(names[static_cast<int>(type)]) + ", " + codec_name;
}

ZarrArrayMeta ParseZarrArray(const std::string& text, const std::string& where) {
  const json j = Parse(text, where);
  if (j.contains("zarr_format") && j["zarr_format"] != 2)
    throw ImageError(where + " is Zarr format " + j["zarr_format"].dump() + "; format 2 can be read");
  ZarrArrayMeta a;
  a.shape = Counts(j, "shape", 1, where);
  a.chunks = Counts(j, "chunks", 1, where);
  if (a.chunks.size() != a.shape.size()) throw ImageError(where + " gives chunks of another number of axes than its shape");
  ReadType(j, a, where);
  if (j.value("order", json("C")) != "C") throw ImageError(where + " stores its samples in Fortran order; C order can be read");
  if (j.contains("filters") && !j["filters"].is_null() && !(j["filters"].is_array() && j["filters"].empty()))
    throw ImageError(where + " passes its samples through filters " + j["filters"].dump() + ", which cannot be read");
  ReadCompressor(j, a, where);
  ReadFill(j, a, where);
  const json separator = j.value("dimension_separator", json("."));
  if (separator != "." && separator != "/") throw ImageError(where + " has the dimension_separator " + separator.dump());
  a.separator = separator.get<std::string>()[0];

  uint64_t samples = 1, chunk = uint64_t(a.item_bytes), count = 1;
  for (size_t i = 0; i < a.shape.size(); ++i) {
    if (!MultiplyWithin(samples, uint64_t(a.shape[i]), kZarrMaxSamples))
      throw ImageError(where + " declares more than 2^40 samples, more than any computer can show");
    if (!MultiplyWithin(chunk, uint64_t(a.chunks[i]), kZarrMaxChunkBytes))
      throw ImageError(where + " declares chunks of more than 256 MB");
    if (!MultiplyWithin(count, uint64_t((a.shape[i] + a.chunks[i] - 1) / a.chunks[i]), kZarrMaxChunks))
      throw ImageError(where + " is divided into more than 2^24 chunks");
  }
  return a;
}

ZarrImageMeta ParseZarrAttributes(const std::string& text, const std::string& where) {
  const json root = Parse(text, where);
  const auto list = root.find("multiscales");
  if (list == root.end() || !list->is_array() || list->empty() || !(*list)[0].is_object())
    throw ImageError(where + " has no \"multiscales\" image description");
  const json& ms = (*list)[0];
  ZarrImageMeta m;
  std::vector<std::string> units;
  ReadAxes(ms, m, units, where);
  const auto datasets = ms.find("datasets");
  if (datasets == ms.end() || !datasets->is_array() || datasets->empty() || datasets->size() > kMaxLevels)
    throw ImageError(where + " lists no levels (\"datasets\"), or more than 64");
  const std::vector<double> overall = Scale(ms, m.axes.size(), where);

  // The voxel in x's unit; y and z converted to it when theirs differ.
  const size_t ix = m.axes.find('x');
  const Unit* unit = FindUnit(units[ix]);
  // Scales without a unit are in pixels (their ratios still shape the volume).
  m.unit = unit ? unit->shown : units[ix].empty() ? "pixel" : units[ix];
  const auto factor = [&](char axis) {
    const size_t i = m.axes.find(axis);
    const Unit* u = FindUnit(units[i]);
    return u && unit && u != unit ? u->metres / unit->metres : 1.0;
  };
  for (const json& d : *datasets) {
    const auto path = d.is_object() ? d.find("path") : d.end();
    if (path == d.end() || !path->is_string()) throw ImageError(where + " has a level without a \"path\"");
    CheckPath(path->get<std::string>(), where);
    m.paths.push_back(path->get<std::string>());
    const std::vector<double> scale = Scale(d, m.axes.size(), where);
    std::array<double, 3> voxel{};
    for (int k = 0; k < 3 && !scale.empty(); ++k) {
      const size_t i = m.axes.find("xyz"[k]);
      if (i != std::string::npos) voxel[size_t(k)] = scale[i] * (overall.empty() ? 1.0 : overall[i]) * factor("xyz"[k]);
    }
    m.voxels.push_back(voxel);
  }
  if (ms.contains("name") && ms["name"].is_string()) m.name = ms["name"].get<std::string>();
  ReadChannels(root, m);
  return m;
}

}  // namespace lumetrix::imaging
