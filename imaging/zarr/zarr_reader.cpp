#include "imaging/zarr/zarr_reader.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <mutex>
#include <thread>

#include "core/megabytes.h"
#include "imaging/hyperstack_reader.h"
#include "imaging/image_box.h"
#include "imaging/parallel_steps.h"
#include "imaging/zarr/zarr_chunk.h"
#include "imaging/zarr/zarr_samples.h"

namespace lumetrix::imaging {
namespace {

namespace fs = std::filesystem;

// Chunks whose buffers for all workers together would pass this are decoded two at a time.
constexpr size_t kLargeChunks = size_t{512} << 20;

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool EndsWithZarr(const std::string& name) {
  if (name.size() < 5) return false;
  std::string end = name.substr(name.size() - 5);
  std::transform(end.begin(), end.end(), end.begin(), [](unsigned char c) { return std::tolower(c); });
  return end == ".zarr";
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A whole file of at most `limit` bytes; nothing when it does not exist.
std::optional<std::string> ReadText(const std::string& path, uint64_t limit, const std::string& where) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    throw ImageError(where + " cannot be opened: " + std::strerror(errno));
  }
  struct stat st {};
  std::string text;
  const bool fine = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && uint64_t(st.st_size) <= limit;
  if (fine) {
    text.resize(size_t(st.st_size));
    size_t done = 0;
    while (done < text.size()) {
      const ssize_t got = ::pread(fd, text.data() + done, text.size() - done, off_t(done));
      if (got <= 0) break;
      done += size_t(got);
    }
    text.resize(done);
  }
  ::close(fd);
  if (!fine) throw ImageError(where + " is not a file of at most " + std::to_string(limit >> 20) + " MB");
  return text;
}

// The bytes of the chunk files under a level's folder (its metadata files aside), up to a bound
// a little past `enough`.
uint64_t StoredBytes(const std::string& folder, uint64_t enough) {
  uint64_t total = 0, entries = 0;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end && total <= enough; it.increment(ec)) {
    if (++entries > kZarrMaxChunks + 1024) break;
    const std::string name = it->path().filename().string();
    if (name == ".zarray" || name == ".zattrs") continue;
    std::error_code size_ec;
    if (it->is_regular_file(size_ec)) total += it->file_size(size_ec);
  }
  return total;
}

ZarrLevel PlanLevel(const ZarrPlan& plan, size_t index, bool whole_levels) {
  const std::string where = "level " + std::to_string(index + 1) + " of " + plan.name;
  ZarrLevel level;
  level.folder = plan.folder + "/" + plan.image.paths[index];
  const auto text = ReadText(level.folder + "/.zarray", 4 << 20, where);
  if (!text) throw ImageError(where + " (\"" + plan.image.paths[index] + "\") has no .zarray");
  level.array = ParseZarrArray(*text, where);
  const ZarrArrayMeta& a = level.array;
  const std::string& axes = plan.image.axes;
  if (a.shape.size() != axes.size())
    throw ImageError(where + " has " + std::to_string(a.shape.size()) + " axes, but the image names " +
                     std::to_string(axes.size()) + " (" + axes + ")");
  for (size_t i = 0; i < axes.size(); ++i) {
    const auto n = static_cast<int32_t>(a.shape[i]);
    (axes[i] == 'x' ? level.width : axes[i] == 'y' ? level.height : axes[i] == 'z' ? level.slices
                                                                   : axes[i] == 'c' ? level.channels : level.frames) = n;
  }
  if (level.channels > kMaxChannels)
    throw ImageError(where + " has " + std::to_string(level.channels) + " channels; at most " +
                     std::to_string(kMaxChannels) + " are read");
  std::copy(plan.image.voxels[index].begin(), plan.image.voxels[index].end(), level.voxel);

  // What the level would decode to (with a chunk of fill_value and one chunk per worker, at most
  // two when chunks are large) against what its chunk files could hold.
  const uint64_t decoded = level.PeakBytes() + 3 * a.ChunkBytes();
  if (whole_levels && decoded > kSmallFileAllowance) {
    level.stored_bytes = StoredBytes(level.folder, decoded / kMaxExpansion + kSmallFile);
    if (level.stored_bytes < kSmallFile || decoded / kMaxExpansion > level.stored_bytes)
      throw ImageError(where + " would take " + Megabytes(decoded) + " to decode (" + level.Size() + ") from chunk files of " +
                       std::to_string((level.stored_bytes + 1023) / 1024) + " KB; no real image is compressed that far");
  }
  return level;
}

}  // namespace

bool IsZarrPath(const std::string& path) {
  const std::string p = WithoutTrailingSlashes(path);
  const std::string name = fs::path(p).filename().string();
  if ((name == ".zattrs" || name == ".zgroup") && IsFile(p)) return true;
  if (!IsFolder(p)) return false;
  return EndsWithZarr(name) || IsFile(p + "/.zattrs") || IsFile(p + "/.zgroup");
}

std::string ZarrFolderOf(const std::string& path) {
  const std::string p = WithoutTrailingSlashes(path);
  const std::string name = fs::path(p).filename().string();
  if ((name == ".zattrs" || name == ".zgroup") && IsFile(p)) return fs::path(p).parent_path().string();
  return p;
}

std::string ZarrLevel::Size() const {
  std::string s = std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(slices);
  if (channels > 1) s.append(" ").append(std::to_string(channels)).append("ch");
  if (frames > 1) s.append(" ").append(std::to_string(frames)).append("t");
  return s;
}

ZarrPlan PlanZarr(const std::string& path, bool whole_levels) {
  ZarrPlan plan;
  plan.folder = ZarrFolderOf(path);
  plan.name = fs::path(plan.folder).filename().string();
  auto attributes = ReadText(plan.folder + "/.zattrs", 4 << 20, ".zattrs of " + plan.name);
  // bioformats2raw writes the image as series "0" of the folder.
  if (attributes && attributes->find("multiscales") == std::string::npos &&
      attributes->find("bioformats2raw.layout") != std::string::npos) {
    plan.folder += "/0";
    attributes = ReadText(plan.folder + "/.zattrs", 4 << 20, ".zattrs of " + plan.name + "/0");
  }
  if (!attributes) throw ImageError(plan.name + " is not an OME-Zarr image: it has no .zattrs");
  plan.image = ParseZarrAttributes(*attributes, ".zattrs of " + plan.name);
  for (size_t i = 0; i < plan.image.paths.size(); ++i) plan.levels.push_back(PlanLevel(plan, i, whole_levels));
  return plan;
}

std::optional<Hyperstack> ReadZarrLevel(const ZarrPlan& plan, size_t level, ProgressSink& progress, std::string& error,
                                        const std::string& note, unsigned threads) {
  const ZarrLevel& l = plan.levels.at(level);
  const ZarrArrayMeta& a = l.array;
  Hyperstack h;
  h.width = l.width;
  h.height = l.height;
  h.slices = l.slices;
  h.channels = l.channels;
  h.frames = l.frames;
  h.bits = l.Bits();
  std::copy(l.voxel, l.voxel + 3, h.voxel);
  if (h.voxel[0] > 0) h.unit = plan.image.unit;
  h.looks = plan.image.channels;
  h.note = note;
  h.kind = a.Kind();
  h.values.bits = a.type == ZarrType::kUint8 ? 8 : a.type == ZarrType::kFloat32 ? 32 : 16;
  if (a.type == ZarrType::kInt16) h.values.format = SampleFormat::kSigned, h.values.offset = -32768;
  h.data = AllocateSamples(std::max<uint64_t>(l.Bytes(), 1));
  std::unique_ptr<uint8_t[], FreeDeleter> floats;
  if (a.type == ZarrType::kFloat32) floats = AllocateSamples(l.Samples() * 4);

  // Where each array axis steps in the stack: plane (t * C + c) * Z + z, rows of width samples.
  const size_t plane = h.PlaneSamples();
  SampleBox box;
  box.axes = static_cast<int>(a.shape.size());
  for (int i = 0; i < box.axes; ++i) {
    const char axis = plan.image.axes[size_t(i)];
    box.chunk[i] = a.chunks[size_t(i)];
    box.step[i] = axis == 'x'   ? 1
                  : axis == 'y' ? size_t(h.width)
                  : axis == 'z' ? plane
                  : axis == 'c' ? plane * size_t(h.slices)
                                : plane * size_t(h.slices) * size_t(h.channels);
  }
  const size_t chunk_bytes = a.ChunkBytes();
  const size_t chunks = a.ChunkCount();
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<size_t>({threads, chunks, 64, std::max<size_t>(2, kLargeChunks / chunk_bytes)}));
  std::vector<std::vector<uint8_t>> stored(threads), decoded(threads);
  std::vector<uint8_t> fill;  // made when the first missing chunk is met
  std::once_flag fill_made;
  void* out = floats ? floats.get() : h.data.get();

  // 16-bit integer samples: each plane's range gathered chunk by chunk, while the samples just
  // written are in the cache (float planes are ranged once scaled).
  const bool range_chunks = a.type == ZarrType::kUint16 || a.type == ZarrType::kInt16;
  if (h.bits == 16) h.plane_ranges.assign(h.Planes(), {uint16_t{65535}, uint16_t{0}});
  std::mutex ranges_mutex;
  const auto note_ranges = [&](const SampleBox& b) {
    int64_t from[5] = {}, count[5] = {1, 1, 1, 1, 1};  // t, c, z, y, x
    for (int i = 0; i < b.axes; ++i) {
      const size_t k = std::string("tczyx").find(plan.image.axes[size_t(i)]);
      from[k] = b.origin[i];
      count[k] = b.extent[i];
    }
    const auto* samples = reinterpret_cast<const uint16_t*>(h.data.get());
    for (int64_t t = from[0]; t < from[0] + count[0]; ++t)
      for (int64_t c = from[1]; c < from[1] + count[1]; ++c)
        for (int64_t z = from[2]; z < from[2] + count[2]; ++z) {
          const size_t p = (size_t(t) * size_t(h.channels) + size_t(c)) * size_t(h.slices) + size_t(z);
          std::pair<uint16_t, uint16_t> range{65535, 0};
          for (int64_t y = from[3]; y < from[3] + count[3]; ++y) {
            const auto [lo, hi] = PlaneRange(samples + p * plane + size_t(y) * size_t(h.width) + size_t(from[4]), size_t(count[4]));
            range = {std::min(range.first, lo), std::max(range.second, hi)};
          }
          std::lock_guard lock(ranges_mutex);
          auto& r = h.plane_ranges[p];
          r = {std::min(r.first, range.first), std::max(r.second, range.second)};
        }
  };
  const auto decode = [&](unsigned worker, size_t index) {
    std::vector<int64_t> grid(a.shape.size());
    SampleBox b = box;
    for (size_t i = grid.size(), rest = index; i-- > 0;) {
      const int64_t across = (a.shape[i] + a.chunks[i] - 1) / a.chunks[i];
      grid[i] = static_cast<int64_t>(rest % uint64_t(across));
      rest /= uint64_t(across);
      b.origin[i] = grid[i] * a.chunks[i];
      b.extent[i] = std::min(a.chunks[i], a.shape[i] - b.origin[i]);
    }
    const std::string key = ZarrChunkKey(grid, a.separator);
    const std::string where = "chunk " + key + " of level " + std::to_string(level + 1) + " of " + plan.name;
    std::vector<uint8_t>& raw = stored[worker];
    if (!ReadZarrChunkFile(l.folder + "/" + key, chunk_bytes, raw, where)) {
      std::call_once(fill_made, [&] { fill = FillChunk(a); });
      ScatterSamples(a, fill.data(), b, out);  // never written: fill_value
      if (range_chunks) note_ranges(b);
      return;
    }
    std::vector<uint8_t>& samples = decoded[worker];
    samples.resize(chunk_bytes);
    DecodeZarrChunk(a.codec, raw.data(), raw.size(), samples.data(), samples.size(), where);
    ScatterSamples(a, samples.data(), b, out);
    if (range_chunks) note_ranges(b);
  };
  progress.ShowProgress("Reading Image", 0, static_cast<int32_t>(std::min<size_t>(chunks, INT32_MAX)));
  bool finished = false;
  try {
    finished = RunSteps(chunks, threads, &progress, decode);
  } catch (...) {
    progress.HideProgress();
    throw;
  }
  progress.HideProgress();
  if (!finished) {
    error = "Reading " + plan.name + " was stopped.";
    return std::nullopt;
  }
  stored.clear();
  decoded.clear();
  if (floats) {
    h.values = ScaleFloatsInto16(reinterpret_cast<const float*>(floats.get()), l.Samples(),
                                 reinterpret_cast<uint16_t*>(h.data.get()));
    floats.reset();
    RunSteps(h.Planes(), threads, nullptr, [&](unsigned, size_t p) {
      h.plane_ranges[p] = PlaneRange(reinterpret_cast<const uint16_t*>(h.data.get()) + p * plane, plane);
    });
  }
  return h;
}

}  // namespace lumetrix::imaging
