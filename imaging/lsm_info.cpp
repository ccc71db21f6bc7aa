#include "imaging/lsm_info.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "imaging/image_box.h"

namespace lumetrix::imaging {
namespace {

constexpr uint16_t kLsmTag = 34412;
constexpr size_t kFixedPart = 128;  // through OffsetChannelColors (108) and TimeIntervall (112)
constexpr uint32_t kMaxNames = 64 << 10;  // bytes of channel names read at most

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24; }
int32_t LeInt(const uint8_t* p) { return static_cast<int32_t>(Le32(p)); }
double LeDouble(const uint8_t* p) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | p[i];
  double d;
  std::memcpy(&d, &bits, 8);
  return d;
}

// The channel colours and names block (OffsetChannelColors): its size, colour and name counts,
// the offsets of both lists from its start, and a mono flag; colours are 4 bytes, red first.
void ReadColours(LsmFileReader read, void* context, uint64_t file_size, uint64_t at, LsmInfo& info,
                 const std::string& name) {
  const auto ignored = [&](const std::string& why) {
    info.colours.clear();
    info.names.clear();
    info.note = name + ": its Zeiss LSM channel colours " + why + "; the channels keep their usual colours.";
  };
  uint8_t head[24];
  if (at > file_size || file_size - at < sizeof head || !read(context, at, head, sizeof head)) {
    return ignored("lie beyond the end of the file");
  }
  const uint32_t size = Le32(head), colours = Le32(head + 4), names = Le32(head + 8);
  const uint32_t colour_at = Le32(head + 12), names_at = Le32(head + 16);
  if (colours != static_cast<uint64_t>(info.channels)) {
    return ignored("are given for " + std::to_string(colours) + " channels, not " + std::to_string(info.channels));
  }
  std::vector<uint8_t> rgba(size_t{colours} * 4);
  if (at + colour_at > file_size || file_size - at - colour_at < rgba.size() ||
      !read(context, at + colour_at, rgba.data(), rgba.size())) {
    return ignored("lie beyond the end of the file");
  }
  for (uint32_t c = 0; c < colours; ++c) info.colours.push_back({rgba[4 * c], rgba[4 * c + 1], rgba[4 * c + 2]});
  // Names: each a 4-byte length and that many bytes, the last a terminating zero.
  if (names != colours || names_at >= size || at + names_at > file_size) return;
  const uint64_t length = std::min<uint64_t>({uint64_t{size} - names_at, file_size - at - names_at, uint64_t{kMaxNames}});
  std::vector<uint8_t> text(length);
  if (!read(context, at + names_at, text.data(), text.size())) return;
  for (size_t i = 0; i + 4 <= text.size() && info.names.size() < names;) {
    const uint64_t n = Le32(text.data() + i);
    if (n == 0 || n > text.size() - i - 4) break;
    std::string one(reinterpret_cast<const char*>(text.data() + i + 4), n);
    one.resize(std::strlen(one.c_str()));
    info.names.push_back(one);
    i += 4 + n;
  }
  if (info.names.size() != names) info.names.clear();
}

bool ReadFromFd(void* context, uint64_t offset, void* out, size_t size) {
  const int fd = *static_cast<int*>(context);
  size_t done = 0;
  while (done < size) {
    const ssize_t got = pread(fd, static_cast<uint8_t*>(out) + done, size - done, static_cast<off_t>(offset + done));
    if (got <= 0) return false;
    done += static_cast<size_t>(got);
  }
  return true;
}

}  // namespace

std::optional<LsmInfo> ReadLsmInfo(LsmFileReader read, void* context, uint64_t file_size, uint64_t first_directory,
                                   const std::string& name) {
  // The classic TIFF header says the byte order of the directory; the structure is little-endian.
  uint8_t header[4];
  if (file_size < 8 || !read(context, 0, header, 4)) return std::nullopt;
  const bool big = header[0] == 'M';
  if (header[2] + header[3] != 42) return std::nullopt;  // BigTIFF: never an LSM file
  const auto u16 = [big](const uint8_t* p) { return static_cast<uint16_t>(big ? p[0] << 8 | p[1] : p[1] << 8 | p[0]); };
  const auto u32 = [big](const uint8_t* p) {
    return big ? uint32_t{p[0]} << 24 | p[1] << 16 | p[2] << 8 | p[3] : Le32(p);
  };
  uint8_t count_bytes[2];
  if (first_directory > file_size - 2 || !read(context, first_directory, count_bytes, 2)) return std::nullopt;
  const uint16_t entries = u16(count_bytes);
  if (uint64_t{entries} * 12 > file_size - first_directory - 2) return std::nullopt;
  std::vector<uint8_t> table(size_t{entries} * 12);
  if (!read(context, first_directory + 2, table.data(), table.size())) return std::nullopt;
  uint64_t at = 0;
  bool found = false;
  for (size_t e = 0; e < entries && !found; ++e) {
    const uint8_t* entry = table.data() + 12 * e;
    if (u16(entry) != kLsmTag) continue;
    found = true;
    at = u32(entry + 8);  // whatever its type, the value field points at the structure
  }
  if (!found) return std::nullopt;

  const std::string where = name + ": its Zeiss LSM information (tag 34412) ";
  uint8_t s[kFixedPart];
  if (at > file_size || file_size - at < sizeof s || !read(context, at, s, sizeof s)) {
    throw ImageError(where + "lies beyond the end of the file");
  }
  const uint32_t magic = Le32(s);
  if (magic != 0x0300494C && magic != 0x0400494C) throw ImageError(where + "is not in a layout this program knows");
  LsmInfo info;
  const int32_t dims[5] = {LeInt(s + 8), LeInt(s + 12), LeInt(s + 16), LeInt(s + 20), LeInt(s + 24)};
  for (int32_t d : dims) {
    if (d < 1) throw ImageError(where + "gives an empty or negative dimension");
  }
  info.width = dims[0], info.height = dims[1], info.slices = dims[2], info.channels = dims[3], info.frames = dims[4];
  for (int i = 0; i < 3; ++i) {
    const double v = LeDouble(s + 40 + 8 * i);
    info.voxel_metres[i] = std::isfinite(v) && v > 0 && v < 1 ? v : 0;  // a voxel of a metre is no calibration
  }
  if (info.channels > kMaxChannels) return info;  // refused by the layout; its colours are not needed
  const uint32_t colours_at = Le32(s + 108);
  if (colours_at != 0) ReadColours(read, context, file_size, colours_at, info, name);
  return info;
}

std::optional<LsmInfo> ReadLsmInfo(const std::string& path, uint64_t file_size, const std::string& name) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  uint8_t header[8];
  std::optional<LsmInfo> info;
  try {
    if (ReadFromFd(&fd, 0, header, 8) && header[0] == header[1] && (header[0] == 'I' || header[0] == 'M')) {
      const bool big = header[0] == 'M';
      const uint32_t first = big ? uint32_t{header[4]} << 24 | header[5] << 16 | header[6] << 8 | header[7]
                                 : Le32(header + 4);
      info = ReadLsmInfo(ReadFromFd, &fd, file_size, first, name);
    }
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
  return info;
}

std::vector<detail::BytePatch> LsmBitsPerSamplePatches(const std::string& path, uint64_t file_size) {
  std::vector<detail::BytePatch> patches;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return patches;
  uint8_t header[8];
  std::vector<uint8_t> table;
  if (ReadFromFd(&fd, 0, header, 8) && std::memcmp(header, "II*\0", 4) == 0) {
    for (uint64_t at = Le32(header + 4), before = 0; at > before && at + 2 <= file_size;) {
      uint8_t count[2];
      if (!ReadFromFd(&fd, at, count, 2)) break;
      const uint64_t entries = count[0] | count[1] << 8;
      if (entries * 12 + 6 > file_size - at) break;
      table.resize(entries * 12 + 4);
      if (!ReadFromFd(&fd, at + 2, table.data(), table.size())) break;
      bool lsm = false;
      for (uint64_t e = 0; e < entries; ++e) {
        const uint8_t* entry = table.data() + 12 * e;
        const unsigned tag = entry[0] | entry[1] << 8, type = entry[2] | entry[3] << 8;
        lsm = lsm || tag == kLsmTag;
        if (tag != 258 || type != 3 || Le32(entry + 4) != 2 || (entry[8] == entry[10] && entry[9] == entry[11])) continue;
        detail::BytePatch p;
        p.offset = at + 2 + 12 * e + 8;
        const uint64_t values = Le32(entry + 8);
        if (values + 4 <= file_size && ReadFromFd(&fd, values, p.bytes, 4) && p.bytes[0] == p.bytes[2] &&
            p.bytes[1] == p.bytes[3]) {
          patches.push_back(p);
        }
      }
      if (before == 0 && !lsm) {  // the first page tells an LSM file
        patches.clear();
        break;
      }
      before = at;
      at = Le32(table.data() + 12 * entries);
    }
  }
  ::close(fd);
  return patches;
}

HyperstackLayout LsmLayout(const LsmInfo& info, int64_t pages, int64_t page_width, int64_t page_height,
                           int page_samples, const std::string& name) {
  const std::string where = name + ": its Zeiss LSM information ";
  if (info.width != page_width || info.height != page_height) {
    throw ImageError(where + "gives planes of " + std::to_string(info.width) + " x " + std::to_string(info.height) +
                     " pixels, but its pages are " + std::to_string(page_width) + " x " + std::to_string(page_height));
  }
  if (info.channels > kMaxChannels) {
    throw ImageError(where + "gives " + std::to_string(info.channels) + " channels; at most " +
                     std::to_string(kMaxChannels) + " are read");
  }
  if (info.channels != page_samples) {
    throw ImageError(where + "gives " + std::to_string(info.channels) + " channels, but its pages hold " +
                     std::to_string(page_samples) + " samples per pixel");
  }
  if (info.slices * info.frames != pages) {  // each below 2^31: no overflow
    throw ImageError(where + "counts " + std::to_string(info.slices) + " slices x " + std::to_string(info.frames) +
                     " time points, but the file holds " + std::to_string(pages) + " pages besides its thumbnails");
  }
  HyperstackLayout l;
  l.page_groups = 1;  // the channels are the samples of each page
  l.slices = static_cast<int32_t>(info.slices);
  l.frames = static_cast<int32_t>(info.frames);
  l.page_axes = "CZT";
  if (info.voxel_metres[0] > 0 && info.voxel_metres[1] > 0) {
    for (int i = 0; i < 3; ++i) l.voxel[i] = info.voxel_metres[i] * 1e6;
    l.unit = "\xC2\xB5m";
  }
  for (size_t c = 0; c < info.colours.size() || c < info.names.size(); ++c) {
    ChannelLook look;
    if (c < info.names.size()) look.name = info.names[c];
    if (c < info.colours.size()) {
      look.has_colour = true;
      look.red = info.colours[c][0], look.green = info.colours[c][1], look.blue = info.colours[c][2];
    }
    l.channels.push_back(look);
  }
  l.note = info.note;
  return l;
}

}  // namespace lumetrix::imaging
