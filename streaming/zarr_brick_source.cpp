#include "streaming/zarr_brick_source.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "imaging/image_box.h"
#include "imaging/zarr/zarr_chunk.h"
#include "imaging/zarr/zarr_reader.h"
#include "imaging/zarr/zarr_samples.h"
#include "streaming/box_copy.h"
#include "streaming/piece_cache.h"

namespace lumetrix::streaming {
namespace {

using imaging::ImageError;
using imaging::ZarrArrayMeta;
using imaging::ZarrType;

// The coarsest level's float samples are read whole to fix their 16-bit map up to this size.
constexpr uint64_t kWholeRangeBytes = uint64_t{64} << 20;

constexpr std::string_view kAxes = "tczyx";

// A folder open for reading the files in it by name; -1 when it could not be opened.
struct OpenFolder {
  explicit OpenFolder(const std::string& path) : fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
  OpenFolder(OpenFolder&& other) noexcept : fd(std::exchange(other.fd, -1)) {}
  OpenFolder(const OpenFolder&) = delete;
  OpenFolder& operator=(const OpenFolder&) = delete;
  OpenFolder& operator=(OpenFolder&&) = delete;
  ~OpenFolder() {
    if (fd >= 0) ::close(fd);
  }
  int fd;
};

// Writes the first and the `last` column of `rows` rows of `width` samples after them.
template <typename T>
void KeepEdgeColumns(T* samples, size_t rows, size_t width, size_t last) {
  T* first_column = samples + rows * width;
  T* last_column = first_column + rows;
  for (size_t r = 0; r < rows; ++r) {
    first_column[r] = samples[r * width];
    last_column[r] = samples[r * width + last];
  }
}

class ZarrBrickSource final : public BrickSource {
 public:
  ZarrBrickSource(imaging::ZarrPlan plan, uint64_t cache_bytes) : plan_(std::move(plan)), cache_(cache_bytes) {
    const imaging::ZarrLevel& first = plan_.levels.at(0);
    for (size_t i = 0; i < plan_.levels.size(); ++i) {
      const imaging::ZarrLevel& l = plan_.levels[i];
      PyramidLevel p;
      p.width = l.width, p.height = l.height, p.depth = l.slices;
      p.factor[0] = LevelFactor(first.width, l.width);
      p.factor[1] = LevelFactor(first.height, l.height);
      p.factor[2] = LevelFactor(first.slices, l.slices);
      // A level of other channels, time points or sample type, or of sizes that are not whole
      // factors, is not a copy of level 0 at a lower resolution.
      if (l.channels != first.channels || l.frames != first.frames || l.array.type != first.array.type ||
          p.factor[0] == 0 || p.factor[1] == 0 || p.factor[2] == 0)
        continue;
      levels_.push_back(p);
      zarr_levels_.push_back(i);
    }
    // Each level's folder, open while the source is: a chunk is then found by its name alone.
    // Where a folder cannot be opened, its chunks are read by their whole path as before.
    for (const imaging::ZarrLevel& l : plan_.levels) folders_.emplace_back(l.folder);
    x_last_ = plan_.image.axes.back() == 'x';
    bits_ = first.Bits();
    if (first.array.type == ZarrType::kInt16) {
      values_.format = imaging::SampleFormat::kSigned, values_.bits = 16, values_.offset = -32768;
    } else if (first.array.type == ZarrType::kFloat32) {
      float_range_ = CoarsestRange();
      values_ = imaging::FloatValuesOver(float_range_);
    } else {
      values_.bits = bits_;
    }
  }

  const std::vector<PyramidLevel>& Levels() const override { return levels_; }
  int32_t Channels() const override { return plan_.levels[0].channels; }
  int32_t TimePoints() const override { return plan_.levels[0].frames; }
  int Bits() const override { return bits_; }
  imaging::StoredValues Values() const override { return values_; }
  std::string Name() const override { return plan_.name; }
  uint64_t HeldBytes() const override { return cache_.HeldBytes(); }

  void ReadBox(size_t level, int32_t c, int32_t t, const VoxelBox& box, uint8_t* out) const override {
    if (level >= levels_.size() || c < 0 || c >= Channels() || t < 0 || t >= TimePoints())
      throw ImageError(plan_.name + " has no level " + std::to_string(level + 1) + ", channel " + std::to_string(c + 1) +
                       ", time point " + std::to_string(t + 1));
    if (box.w <= 0 || box.h <= 0 || box.d <= 0) return;
    const size_t index = zarr_levels_[level];
    const PyramidLevel& p = levels_[level];
    const ZarrArrayMeta& a = plan_.levels[index].array;
    const ClampedRange range[3] = {ClampedAxis(box.x0, box.w, p.width), ClampedAxis(box.y0, box.h, p.height),
                                   ClampedAxis(box.z0, box.d, p.depth)};
    const int32_t at_ct[2] = {t, c};
    // Per array axis: the chunks the box needs, and how one step along the axis moves in a chunk.
    const size_t axes = a.shape.size();
    std::vector<int64_t> first(axes), last(axes);
    std::vector<size_t> stride(axes);
    int spatial[3] = {-1, -1, -1};  // the array axis of x, y, z
    for (size_t i = axes; i-- > 0;) {
      stride[i] = i + 1 == axes ? 1 : stride[i + 1] * size_t(a.chunks[i + 1]);
      const size_t k = kAxes.find(plan_.image.axes[i]);
      const ClampedRange r = k < 2 ? ClampedRange{at_ct[k], at_ct[k]} : range[4 - k];
      if (k >= 2) spatial[4 - k] = static_cast<int>(i);
      first[i] = r.first / a.chunks[i];
      last[i] = r.last / a.chunks[i];
    }
    std::vector<int64_t> grid = first;
    while (true) {
      const PieceCache::Piece chunk = Chunk(index, grid);
      HeldPiece piece;
      piece.samples = chunk->data();
      int32_t* origin[3] = {&piece.x0, &piece.y0, &piece.z0};
      int32_t* extent[3] = {&piece.w, &piece.h, &piece.d};
      for (size_t i = 0; i < axes; ++i) {
        const int64_t start = grid[i] * a.chunks[i];
        const size_t k = kAxes.find(plan_.image.axes[i]);
        if (k < 2) {
          piece.samples += (size_t(at_ct[k] - start) * stride[i]) * size_t(bits_ / 8);
          continue;
        }
        const int s = 4 - static_cast<int>(k);
        *origin[s] = static_cast<int32_t>(start);
        *extent[s] = static_cast<int32_t>(std::min(a.chunks[i], a.shape[i] - start));
        piece.step[s] = stride[i];
      }
      for (int s = 0; s < 3; ++s)
        if (spatial[s] < 0) *extent[s] = 1, piece.step[s] = 0;  // an axis the array does not have
      if (x_last_ && chunk->size() > a.ChunkSamples() * size_t(bits_ / 8))  // the fill piece has none
        EdgeColumn(piece, range[0], *chunk, a);
      CopyPieceIntoBox(piece, box, p, bits_ / 8, out);
      size_t i = axes;
      while (i-- > 0 && ++grid[i] > last[i]) grid[i] = first[i];
      if (i == size_t(-1)) break;
    }
  }

 private:
  // A box that reads only the first or the last column of a chunk (its border from the chunk
  // beside it) reads it from the column kept after the chunk's samples, where it lies whole in a
  // few cache lines, not one sample in every row of the chunk.
  void EdgeColumn(HeldPiece& piece, const ClampedRange& xs, const PieceSamples& chunk, const ZarrArrayMeta& a) const {
    const int32_t from = std::max(xs.first, piece.x0), to = std::min(xs.last, piece.x0 + piece.w - 1);
    if (from != to || (from != piece.x0 && from != piece.x0 + piece.w - 1)) return;
    const size_t bytes = size_t(bits_ / 8), width = size_t(a.chunks.back());
    const size_t rows = a.ChunkSamples() / width;
    const size_t at = size_t(piece.samples - chunk.data()) / bytes / width;  // the row the piece starts at
    piece.samples = chunk.data() + (a.ChunkSamples() + (from == piece.x0 ? 0 : rows) + at) * bytes;
    piece.x0 = from, piece.w = 1;
    piece.step[0] = 0, piece.step[1] /= width, piece.step[2] /= width;
  }

  // Chunk `grid` of Zarr level `index`, decoded and converted to the held samples (a float chunk
  // into 16 bits by the fixed map). Chunks never written are held as empty pieces, and read from
  // the level's one piece of fill_value: a sparse volume's empty space costs no decoding and no
  // memory per chunk.
  PieceCache::Piece Chunk(size_t index, const std::vector<int64_t>& grid) const {
    const std::string key = imaging::ZarrChunkKey(grid, plan_.levels[index].array.separator);
    const PieceCache::Piece piece = cache_.Get(std::to_string(index) + ":" + key, [&] {
      thread_local std::vector<uint8_t> raw;  // a loading thread's stored bytes, its storage reused
      if (!Stored(index, key, raw)) return PieceSamples{};
      return Held(index, grid, key, &raw);
    });
    return piece->empty() ? FillPiece(index) : piece;
  }

  PieceCache::Piece FillPiece(size_t index) const {
    std::lock_guard lock(fill_mutex_);
    PieceCache::Piece& fill = fill_[index];
    // Made at the first chunk, which is whole unless the array is smaller than a chunk: its
    // samples cover what any chunk of the level reads.
    if (!fill) {
      const std::vector<int64_t> first(plan_.levels[index].array.shape.size(), 0);
      fill = std::make_shared<const PieceSamples>(Held(index, first, "fill", nullptr));
    }
    return fill;
  }

  // The samples held of a chunk from its stored bytes (`raw`; null: never written).
  PieceSamples Held(size_t index, const std::vector<int64_t>& grid, const std::string& key,
                    const std::vector<uint8_t>* raw) const {
    const ZarrArrayMeta& a = plan_.levels[index].array;
    const size_t bytes = size_t(bits_ / 8), samples = a.ChunkSamples(), width = size_t(a.chunks.back());
    const size_t rows = samples / width;
    const bool columns = raw && x_last_;
    PieceSamples held = cache_.Buffer((samples + (columns ? 2 * rows : 0)) * bytes);
    if (a.type != ZarrType::kFloat32) {
      Samples(index, grid, key, raw, held.data());
    } else {
      std::vector<float> floats(samples);
      Samples(index, grid, key, raw, floats.data());
      imaging::FloatsInto16(float_range_, floats.data(), floats.size(), reinterpret_cast<uint16_t*>(held.data()));
    }
    if (columns) {
      // The first and the last column inside the array, after the samples, row by row.
      const size_t last = size_t(std::min<int64_t>(a.chunks.back(), a.shape.back() - grid.back() * a.chunks.back())) - 1;
      if (bytes == 1) KeepEdgeColumns(held.data(), rows, width, last);
      else KeepEdgeColumns(reinterpret_cast<uint16_t*>(held.data()), rows, width, last);
    }
    return held;
  }

  // The chunk's stored bytes; false when it was never written.
  bool Stored(size_t index, const std::string& key, std::vector<uint8_t>& raw) const {
    const imaging::ZarrLevel& l = plan_.levels[index];
    if (folders_[index].fd < 0) return imaging::ReadZarrChunkFile(l.folder + "/" + key, l.array.ChunkBytes(), raw, Where(index, key));
    return imaging::ReadZarrChunkFile(folders_[index].fd, key, l.array.ChunkBytes(), raw, Where(index, key));
  }

  std::string Where(size_t index, const std::string& key) const {
    return "chunk " + key + " of level " + std::to_string(index + 1) + " of " + plan_.name;
  }

  // The chunk's samples (`raw` its stored bytes; null: fill_value) into `out` as the
  // whole-volume reader converts them (float32 stays float), in the chunk's own C order; where
  // the chunk reaches beyond the array, `out` keeps what it held.
  void Samples(size_t index, const std::vector<int64_t>& grid, const std::string& key, const std::vector<uint8_t>* raw,
               void* out) const {
    const ZarrArrayMeta& a = plan_.levels[index].array;
    const std::string where = Where(index, key);
    imaging::SampleBox box;
    box.axes = static_cast<int>(a.shape.size());
    size_t step = 1;
    bool inside = true;
    for (int i = box.axes - 1; i >= 0; --i) {
      box.chunk[i] = a.chunks[size_t(i)];
      box.extent[i] = std::min(a.chunks[size_t(i)], a.shape[size_t(i)] - grid[size_t(i)] * a.chunks[size_t(i)]);
      inside = inside && box.extent[i] == box.chunk[i];
      box.step[i] = step;
      step *= size_t(a.chunks[size_t(i)]);
    }
    std::vector<uint8_t> decoded;
    if (raw) {
      // A whole chunk of samples held as stored is decoded straight into `out`.
      if (inside && imaging::HeldAsStored(a)) {
        imaging::DecodeZarrChunk(a.codec, raw->data(), raw->size(), static_cast<uint8_t*>(out), a.ChunkBytes(), where);
        return;
      }
      decoded.resize(a.ChunkBytes());
      imaging::DecodeZarrChunk(a.codec, raw->data(), raw->size(), decoded.data(), decoded.size(), where);
    } else {
      decoded = imaging::FillChunk(a);
    }
    imaging::ScatterSamples(a, decoded.data(), box, out);
  }

  // The finite range of the coarsest level's float samples, which fixes the 16-bit map of every
  // level: the coarsest level is the cheapest view of the whole image, and a map fixed once keeps
  // bricks of every level and place comparable (finer levels' extremes beyond it are clamped).
  // A coarsest level over kWholeRangeBytes gives the range of its first chunk of each channel.
  std::pair<float, float> CoarsestRange() const {
    const size_t index = zarr_levels_.back();
    const imaging::ZarrLevel& l = plan_.levels[index];
    const ZarrArrayMeta& a = l.array;
    const size_t axes = a.shape.size();
    std::vector<int64_t> count(axes, 1);
    const size_t channel_axis = plan_.image.axes.find('c');
    for (size_t i = 0; i < axes; ++i)
      if (l.Samples() * 4 <= kWholeRangeBytes || i == channel_axis) count[i] = (a.shape[i] + a.chunks[i] - 1) / a.chunks[i];
    std::pair<float, float> range{std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()};
    std::vector<int64_t> grid(axes, 0);
    while (true) {
      // NaN where the chunk reaches beyond the array: left out of the range.
      std::vector<float> samples(a.ChunkSamples(), std::numeric_limits<float>::quiet_NaN());
      const std::string key = imaging::ZarrChunkKey(grid, a.separator);
      std::vector<uint8_t> raw;
      const bool stored = Stored(index, key, raw);
      Samples(index, grid, key, stored ? &raw : nullptr, samples.data());
      const auto [lo, hi] = imaging::FiniteRange(samples.data(), samples.size());
      range = {std::min(range.first, lo), std::max(range.second, hi)};
      size_t i = axes;
      while (i-- > 0 && ++grid[i] == count[i]) grid[i] = 0;
      if (i == size_t(-1)) break;
    }
    return range;
  }

  imaging::ZarrPlan plan_;
  std::vector<OpenFolder> folders_;  // per Zarr level
  std::vector<PyramidLevel> levels_;
  std::vector<size_t> zarr_levels_;  // the Zarr level of each of levels_
  // x is the arrays' last axis: a chunk's rows lie one after another, and the chunks read from
  // the files keep their first and last column after their samples.
  bool x_last_ = false;
  int bits_ = 8;
  imaging::StoredValues values_;
  std::pair<float, float> float_range_{0.f, 0.f};
  mutable PieceCache cache_;
  mutable std::mutex fill_mutex_;
  mutable std::unordered_map<size_t, PieceCache::Piece> fill_;  // per Zarr level
};

}  // namespace

std::unique_ptr<BrickSource> OpenZarrBrickSource(const std::string& path, uint64_t cache_bytes) {
  return std::make_unique<ZarrBrickSource>(imaging::PlanZarr(path, false), cache_bytes);
}

}  // namespace lumetrix::streaming
