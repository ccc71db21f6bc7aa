#include "streaming/pyramid_builder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zstd.h>

#include <algorithm>
#include <limits>
#include <bit>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <vector>

#include "core/progress_scope.h"
#include "imaging/hyperstack_reader.h"
#include "imaging/image_box.h"
#include "streaming/halve_volume.h"
#include "streaming/pyramid_metadata.h"

namespace lumetrix::streaming {
namespace {

using nlohmann::json;

constexpr int kZstdLevel = 1;  // a cache: quick to write matters more than the last bytes

[[noreturn]] void Fail(int code, const std::string& path) {
  throw PyramidWriteError(code, "cannot write " + path + ": " + std::strerror(code));
}

void WriteWhole(const std::string& path, const void* data, size_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) Fail(errno, path);
  const auto* bytes = static_cast<const uint8_t*>(data);
  for (size_t done = 0; done < size;) {
    const ssize_t put = ::write(fd, bytes + done, size - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      const int code = put < 0 ? errno : ENOSPC;
      ::close(fd);
      Fail(code, path);
    }
    done += size_t(put);
  }
  if (::close(fd) != 0) Fail(errno, path);
}

void WriteText(const std::string& path, const std::string& text) { WriteWhole(path, text.data(), text.size()); }

struct LevelShape {
  int32_t w, h, d;
  int32_t Chunk(int axis) const { return std::min(kPyramidChunk, axis == 0 ? w : axis == 1 ? h : d); }
};

std::vector<LevelShape> LevelShapes(int32_t w, int32_t h, int32_t d) {
  std::vector<LevelShape> levels{{w, h, d}};
  while (std::max({w, h, d}) > kPyramidChunk) {
    w = (w + 1) / 2, h = (h + 1) / 2, d = (d + 1) / 2;
    levels.push_back({w, h, d});
  }
  return levels;
}

// The planes of one level of one channel waiting to become a row of chunks: at most one chunk
// deep, starting at slice `z0` of the level.
struct Slab {
  LevelShape shape;
  int32_t capacity = 0, count = 0, z0 = 0;
  std::vector<uint8_t> data;
};

class Writer {
 public:
  Writer(std::string folder, int bits, std::vector<LevelShape> levels, int32_t channels, int32_t frames)
      : folder_(std::move(folder)), bytes_(bits / 8), bits_(bits), levels_(std::move(levels)),
        context_(ZSTD_createCCtx(), ZSTD_freeCCtx) {
    if (!context_) throw std::bad_alloc();
    const char* dtype = bits == 8 ? "|u1" : std::endian::native == std::endian::little ? "<u2" : ">u2";
    WriteText(folder_ + "/.zgroup", "{\"zarr_format\": 2}\n");
    for (size_t l = 0; l < levels_.size(); ++l) {
      const LevelShape& s = levels_[l];
      const json array = {{"zarr_format", 2},
                          {"shape", {frames, channels, s.d, s.h, s.w}},
                          {"chunks", {1, 1, s.Chunk(2), s.Chunk(1), s.Chunk(0)}},
                          {"dtype", dtype},
                          {"compressor", {{"id", "zstd"}, {"level", kZstdLevel}}},
                          {"fill_value", 0},
                          {"order", "C"},
                          {"filters", nullptr},
                          {"dimension_separator", "/"}};
      MakeFolder(Level(l));
      WriteText(Level(l) + "/.zarray", array.dump(1) + "\n");
    }
  }

  // A fresh slab per level for a channel's volume.
  std::vector<Slab> Slabs() const {
    std::vector<Slab> slabs;
    for (const LevelShape& s : levels_) {
      Slab slab{s, s.Chunk(2), 0, 0, {}};
      slab.data.resize(size_t(slab.capacity) * PlaneBytes(s));
      slabs.push_back(std::move(slab));
    }
    return slabs;
  }
  size_t PlaneBytes(const LevelShape& s) const { return size_t(s.w) * size_t(s.h) * bytes_; }

  // Slab `l` holds its planes: they become chunks, and half as many planes of the next level.
  void Flush(std::vector<Slab>& slabs, size_t l, int32_t t, int32_t c) {
    Slab& slab = slabs[l];
    WriteChunks(l, t, c, slab);
    if (l + 1 < slabs.size()) {
      Slab& next = slabs[l + 1];
      HalveInto(slab.data.data(), bits_, slab.shape.w, slab.shape.h, slab.count,
                next.data.data() + size_t(next.count) * PlaneBytes(next.shape));
      next.count += (slab.count + 1) / 2;
      if (next.count == next.capacity) Flush(slabs, l + 1, t, c);
    }
    slab.z0 += slab.count;
    slab.count = 0;
  }

  uint64_t chunk_files() const { return chunk_files_; }

 private:
  std::string Level(size_t l) const { return folder_ + "/" + std::to_string(l); }

  static void MakeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) Fail(errno, path);
  }

  void WriteChunks(size_t l, int32_t t, int32_t c, const Slab& slab) {
    const LevelShape& s = slab.shape;
    const int32_t cx = s.Chunk(0), cy = s.Chunk(1), cz = s.Chunk(2);
    chunk_.assign(size_t(cx) * cy * cz * bytes_, 0);  // edge chunks are padded with fill_value
    packed_.resize(ZSTD_compressBound(chunk_.size()));
    std::string folder = Level(l);
    for (const int32_t step : {t, c, slab.z0 / cz}) {
      folder.append("/").append(std::to_string(step));
      MakeFolder(folder);
    }
    for (int32_t by = 0; by * cy < s.h; ++by) {
      const std::string row = folder + "/" + std::to_string(by);
      MakeFolder(row);
      for (int32_t bx = 0; bx * cx < s.w; ++bx) {
        const int32_t w = std::min(cx, s.w - bx * cx), h = std::min(cy, s.h - by * cy);
        std::fill(chunk_.begin(), chunk_.end(), 0);
        for (int32_t z = 0; z < slab.count; ++z)
          for (int32_t y = 0; y < h; ++y)
            std::memcpy(chunk_.data() + ((size_t(z) * cy + y) * cx) * bytes_,
                        slab.data.data() + ((size_t(z) * s.h + by * cy + y) * s.w + size_t(bx) * cx) * bytes_,
                        size_t(w) * bytes_);
        const size_t size = ZSTD_compressCCtx(context_.get(), packed_.data(), packed_.size(), chunk_.data(),
                                              chunk_.size(), kZstdLevel);
        if (ZSTD_isError(size)) throw PyramidWriteError(ENOMEM, std::string("zstd: ") + ZSTD_getErrorName(size));
        WriteWhole(row + "/" + std::to_string(bx), packed_.data(), size);
        ++chunk_files_;
      }
    }
  }

  std::string folder_;
  size_t bytes_;
  int bits_;
  std::vector<LevelShape> levels_;
  std::unique_ptr<ZSTD_CCtx, size_t (*)(ZSTD_CCtx*)> context_;
  std::vector<uint8_t> chunk_, packed_;
  uint64_t chunk_files_ = 0;
};

bool Build(const std::string& path, int32_t series, const std::string& folder, ProgressSink& progress,
           const std::atomic<bool>& stop, PyramidBuildStats* stats) {
  PyramidAttributes attributes;
  attributes.key = KeyOf(path, series);  // before reading: a file changed meanwhile is then stale
  const imaging::HyperstackPlan plan = imaging::PlanHyperstack(path, series);
  const imaging::detail::PageShape& shape = plan.page_shape;
  const imaging::HyperstackLayout& layout = plan.layout;
  const int bits = plan.Bits();
  const bool floats = shape.bits == 32;
  const int32_t channels = plan.Channels(), per_page = shape.channels;
  const std::vector<LevelShape> levels = LevelShapes(plan.Width(), plan.Height(), layout.slices);
  Writer writer(folder, bits, levels, channels, layout.frames);

  const size_t samples = size_t(plan.Width()) * size_t(plan.Height());
  std::vector<std::vector<float>> decoded(floats ? size_t(per_page) : 0, std::vector<float>(samples));
  std::vector<void*> planes(static_cast<size_t>(per_page));
  imaging::HyperstackPageReader reader(plan);
  const int64_t pages = layout.PagesUsed();
  const int64_t steps = int64_t(plan.Channels()) * layout.slices * layout.frames * (floats ? 2 : 1);
  ProgressScope scope(&progress, "Building the pyramid", int32_t(std::min<int64_t>(steps, INT32_MAX)));
  int64_t done = 0;
  const auto step = [&] {
    done += per_page;
    scope.Step(int32_t(std::min<int64_t>(done, INT32_MAX)));
    return !stop.load() && !progress.Cancelled();
  };
  if (stop.load() || progress.Cancelled()) return false;

  // Floating-point and 32-bit samples: a first pass for their finite range over the whole file,
  // so that each plane then maps into 16 bits exactly as reading the file whole does.
  std::pair<float, float> range{std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()};
  for (int64_t page = 0; floats && page < pages; ++page) {
    for (int k = 0; k < per_page; ++k) planes[size_t(k)] = decoded[size_t(k)].data();
    reader.Decode(size_t(page), planes.data());
    for (const std::vector<float>& plane : decoded) {
      const auto [lo, hi] = imaging::FiniteRange(plane.data(), plane.size());
      range = {std::min(range.first, lo), std::max(range.second, hi)};
    }
    if (!step()) return false;
  }
  attributes.values = imaging::HeldValuesOf(shape);
  if (floats) {
    const imaging::StoredValues scaled = imaging::FloatValuesOver(range);
    attributes.values.offset = scaled.offset, attributes.values.scale = scaled.scale;
  }

  for (int32_t t = 0; t < layout.frames; ++t)
    for (int32_t g = 0; g < layout.page_groups; ++g) {
      std::vector<std::vector<Slab>> slabs(static_cast<size_t>(per_page));
      for (std::vector<Slab>& s : slabs) s = writer.Slabs();
      for (int32_t z = 0; z < layout.slices; ++z) {
        for (int k = 0; k < per_page; ++k) {
          Slab& first = slabs[size_t(k)][0];
          uint8_t* target = first.data.data() + size_t(first.count) * writer.PlaneBytes(first.shape);
          planes[size_t(k)] = floats ? static_cast<void*>(decoded[size_t(k)].data()) : target;
        }
        reader.Decode(size_t(layout.PageOf(g, z, t)), planes.data());
        for (int k = 0; k < per_page; ++k) {
          std::vector<Slab>& s = slabs[size_t(k)];
          if (floats)
            imaging::FloatsInto16(range, decoded[size_t(k)].data(), samples,
                                  reinterpret_cast<uint16_t*>(s[0].data.data() + size_t(s[0].count) * samples * 2));
          if (++s[0].count == s[0].capacity) writer.Flush(s, 0, t, g * per_page + k);
        }
        if (!step()) return false;
      }
      // The partial slabs at the end of the volume, finest first (each feeds the next).
      for (int k = 0; k < per_page; ++k)
        for (size_t l = 0; l < levels.size(); ++l)
          if (slabs[size_t(k)][l].count > 0) writer.Flush(slabs[size_t(k)], l, t, g * per_page + k);
    }

  attributes.name = plan.name;
  attributes.levels = int32_t(levels.size());
  std::copy(layout.voxel, layout.voxel + 3, attributes.voxel);
  attributes.unit = layout.unit;
  attributes.looks = layout.channels;
  attributes.looks.resize(size_t(channels));
  const bool rgb = per_page == 3 && layout.page_groups == 1 && !shape.samples_as_channels;
  for (int k = 0; rgb && k < 3; ++k) {
    imaging::ChannelLook& look = attributes.looks[size_t(k)];
    if (!look.has_colour) look.has_colour = true, look.red = k == 0 ? 255 : 0, look.green = k == 1 ? 255 : 0, look.blue = k == 2 ? 255 : 0;
  }
  WriteText(folder + "/.zattrs", WritePyramidAttributes(attributes));  // last: its presence marks a whole pyramid
  if (stats) stats->levels = attributes.levels, stats->chunk_files = writer.chunk_files();
  return true;
}

}  // namespace

bool BuildPyramid(const std::string& path, int32_t series, const std::string& folder, ProgressSink& progress,
                  const std::atomic<bool>& stop, PyramidBuildStats* stats) {
  bool built = false;
  try {
    built = Build(path, series, folder, progress, stop, stats);
  } catch (...) {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    throw;
  }
  if (!built) {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  return built;
}

}  // namespace lumetrix::streaming
