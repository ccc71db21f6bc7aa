#include "imaging/ome_description.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace lumetrix::imaging {
namespace {

// "<Pixels" or "<ome:Pixels" followed by a blank or the tag's end.
size_t FindElement(std::string_view text, std::string_view name, size_t from) {
  while (from < text.size()) {
    const size_t lt = text.find('<', from);
    if (lt == std::string_view::npos) return lt;
    size_t p = lt + 1;
    size_t q = p;
    while (q < text.size() && q - p < 64 && text[q] != ' ' && text[q] != '>' && text[q] != '/' &&
           text[q] != '\n' && text[q] != '\t' && text[q] != '\r')
      ++q;
    std::string_view tag = text.substr(p, q - p);
    if (const size_t colon = tag.find(':'); colon != std::string_view::npos) tag.remove_prefix(colon + 1);
    if (tag == name) return lt;
    from = lt + 1;
  }
  return std::string_view::npos;
}

std::string Unescape(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&') {
      out += s[i];
      continue;
    }
    const size_t semi = s.find(';', i);
    if (semi == std::string_view::npos || semi - i > 10) {
      out += s[i];
      continue;
    }
    const std::string_view e = s.substr(i + 1, semi - i - 1);
    long code = -1;
    if (e == "amp") code = '&';
    else if (e == "lt") code = '<';
    else if (e == "gt") code = '>';
    else if (e == "quot") code = '"';
    else if (e == "apos") code = '\'';
    else if (e.size() > 1 && e[0] == '#') {
      const std::string digits(e.substr(e[1] == 'x' ? 2 : 1));
      char* end = nullptr;
      code = std::strtol(digits.c_str(), &end, e[1] == 'x' ? 16 : 10);
      if (digits.empty() || *end != '\0') code = -1;
    }
    if (code < 0 || code > 0x7FF) {
      out += s.substr(i, semi - i + 1);
    } else if (code < 0x80) {
      out += static_cast<char>(code);
    } else {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
    i = semi;
  }
  return out;
}

// Attribute `name` of the element starting at `at` (up to its '>').
// Where the element starting at `at` ends: its '>', or the next '<' of text that lacks one, so
// that scanning each element costs no more than the text up to the next.
constexpr size_t kMaxElement = 8192;
size_t ElementEnd(std::string_view text, size_t at) {
  const size_t next = std::min(text.find('<', at + 1), text.size());
  return std::min(text.substr(0, next).find('>', at), next);
}

std::optional<std::string> Attribute(std::string_view text, size_t at, std::string_view name) {
  const size_t end = ElementEnd(text, at);
  const std::string_view element = text.substr(at, end - at);
  size_t from = 0;
  while (true) {
    const size_t hit = element.find(name, from);
    if (hit == std::string_view::npos) return std::nullopt;
    from = hit + 1;
    const char before = hit ? element[hit - 1] : ' ';
    size_t p = hit + name.size();
    if ((before != ' ' && before != '\n' && before != '\t' && before != '\r') || p >= element.size()) continue;
    while (p < element.size() && element[p] == ' ') ++p;
    if (p >= element.size() || element[p] != '=') continue;
    ++p;
    while (p < element.size() && element[p] == ' ') ++p;
    if (p >= element.size() || (element[p] != '"' && element[p] != '\'')) continue;
    const char quote = element[p];
    const size_t close = element.find(quote, p + 1);
    if (close == std::string_view::npos) return std::nullopt;
    return Unescape(element.substr(p + 1, std::min<size_t>(close - p - 1, 1024)));
  }
}

long Size(const std::optional<std::string>& v) {
  if (!v) return 0;
  char* end = nullptr;
  errno = 0;
  const long n = std::strtol(v->c_str(), &end, 10);
  if (v->empty() || *end != '\0' || errno == ERANGE || n < 0 || n > 1000000000) return -1;
  return n;
}

double Length(const std::optional<std::string>& v) {
  if (!v) return 0;
  char* end = nullptr;
  const double d = std::strtod(v->c_str(), &end);
  if (v->empty() || *end != '\0' || !std::isfinite(d) || d < 0) return -1;
  return d;  // 0 (older schemas' default): not known
}

}  // namespace

std::string PageAxes(std::string_view order) {
  if (order.size() != 5 || order.substr(0, 2) != "XY") return {};
  std::string rest(order.substr(2));
  std::string sorted = rest;
  std::sort(sorted.begin(), sorted.end());
  return sorted == "CTZ" ? rest : std::string();
}

namespace {

// The Image whose Pixels element starts at `pixels` in `text` (cut at the next Image).
OmeDescription ParsePixels(std::string_view text, size_t pixels) {
  OmeDescription d;
  d.size_x = Size(Attribute(text, pixels, "SizeX"));
  d.size_y = Size(Attribute(text, pixels, "SizeY"));
  d.size_c = Size(Attribute(text, pixels, "SizeC"));
  d.size_z = Size(Attribute(text, pixels, "SizeZ"));
  d.size_t = Size(Attribute(text, pixels, "SizeT"));
  d.dimension_order = Attribute(text, pixels, "DimensionOrder").value_or("");
  const char* axes[3] = {"X", "Y", "Z"};
  for (int i = 0; i < 3; ++i) {
    const std::string key = std::string("PhysicalSize") + axes[i];
    d.physical[i] = Length(Attribute(text, pixels, key));
    d.physical_unit[i] = Attribute(text, pixels, key + "Unit").value_or("\xC2\xB5m");
  }
  const size_t pixels_end = std::min(FindElement(text, "/Pixels", pixels), text.size());
  text = text.substr(0, pixels_end);
  size_t at = pixels;
  while (d.channels.size() < 64) {
    at = FindElement(text, "Channel", at + 1);
    if (at == std::string_view::npos) break;
    OmeChannel c;
    c.name = Attribute(text, at, "Name").value_or("").substr(0, 128);
    if (const auto colour = Attribute(text, at, "Color")) {
      char* end = nullptr;
      const long long v = std::strtoll(colour->c_str(), &end, 10);
      if (!colour->empty() && *end == '\0' && v >= INT32_MIN && v <= UINT32_MAX) {
        c.has_colour = true;
        c.rgba = static_cast<uint32_t>(v);
      }
    }
    const long spp = Size(Attribute(text, at, "SamplesPerPixel"));
    c.samples_per_pixel = spp == 0 ? 1 : spp;
    d.channels.push_back(c);
  }
  for (at = FindElement(text, "TiffData", pixels); at != std::string_view::npos;
       at = FindElement(text, "TiffData", at + 1)) {
    if (d.tiff_data.size() == kMaxTiffData) {
      d.too_many_tiff_data = true;
      break;
    }
    OmeTiffData t;
    const auto number = [&](const char* key) {
      const auto v = Attribute(text, at, key);
      return v ? Size(v) : -1;  // unreadable values are -1 as well: no such position
    };
    t.ifd = number("IFD");
    // NumPlanes: the name in schemas before 2009.
    const char* count_key = Attribute(text, at, "PlaneCount") || !Attribute(text, at, "NumPlanes") ? "PlaneCount" : "NumPlanes";
    t.plane_count = number(count_key);
    t.first_c = number("FirstC");
    t.first_z = number("FirstZ");
    t.first_t = number("FirstT");
    if (Attribute(text, at, "IFD") && t.ifd < 0) t.ifd = -2;  // given but unreadable: maps nothing
    if (Attribute(text, at, count_key) && t.plane_count < 0) t.plane_count = 0;
    // The UUID element inside (not after a self-closing TiffData), within a short window.
    const size_t close = ElementEnd(text, at);
    if (close < text.size() && text[close] == '>' && text[close - 1] != '/') {
      const std::string_view window = text.substr(0, std::min(text.size(), close + kMaxElement));
      const size_t end = std::min(FindElement(window, "/TiffData", close), window.size());
      const size_t uuid = FindElement(window.substr(0, end), "UUID", close);
      if (uuid != std::string_view::npos) {
        if (const auto name = Attribute(window, uuid, "FileName")) {
          const auto known = std::find(d.files.begin(), d.files.end(), *name);
          if (known != d.files.end()) {
            t.file = static_cast<int32_t>(known - d.files.begin());
          } else if (d.files.size() < kMaxSetFiles) {
            t.file = static_cast<int32_t>(d.files.size());
            d.files.push_back(*name);
          } else {
            d.too_many_tiff_data = true;
            break;
          }
        }
      }
    }
    d.tiff_data.push_back(t);
  }
  return d;
}

}  // namespace

std::vector<OmeDescription> ParseOmeImages(std::string_view text) {
  text = text.substr(0, size_t{16} << 20);
  std::vector<OmeDescription> images;
  if (FindElement(text, "OME", 0) == std::string_view::npos) return images;
  size_t image = FindElement(text, "Image", 0);
  if (image == std::string_view::npos) {  // Pixels straight under OME: one image
    const size_t pixels = FindElement(text, "Pixels", 0);
    if (pixels != std::string_view::npos) images.push_back(ParsePixels(text, pixels));
    return images;
  }
  while (image != std::string_view::npos && images.size() < kMaxOmeImages) {
    const size_t next = FindElement(text, "Image", image + 1);
    const std::string_view within = text.substr(0, std::min(next, text.size()));
    const size_t pixels = FindElement(within, "Pixels", image);
    if (pixels != std::string_view::npos) {
      images.push_back(ParsePixels(within, pixels));
      images.back().name = Attribute(within, image, "Name").value_or("").substr(0, 256);
    }
    image = next;
  }
  return images;
}

std::optional<OmeDescription> ParseOmeDescription(std::string_view text) {
  std::vector<OmeDescription> images = ParseOmeImages(text);
  if (images.empty()) return std::nullopt;
  return std::move(images.front());
}

std::string OmeMetadataFile(std::string_view text) {
  text = text.substr(0, size_t{16} << 20);
  const size_t at = FindElement(text, "BinaryOnly", 0);
  if (at == std::string_view::npos) return {};
  return Attribute(text, at, "MetadataFile").value_or("");
}

}  // namespace lumetrix::imaging
