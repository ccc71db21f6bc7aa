#include "streaming/tiff_brick_source.h"

#include <algorithm>
#include <limits>
#include <map>
#include <mutex>
#include <tuple>

#include "imaging/file_probe.h"
#include "imaging/hyperstack_reader.h"
#include "imaging/image_box.h"
#include "imaging/tiff_reader.h"
#include "streaming/box_copy.h"
#include "streaming/piece_cache.h"

namespace lumetrix::streaming {
namespace {

using imaging::HyperstackPlan;
using imaging::ImageError;
using imaging::PageSource;
using imaging::detail::PageBlocks;
using imaging::detail::TiffReader;

// The coarsest level's 32-bit samples are read whole to fix their 16-bit map up to this size.
constexpr uint64_t kWholeRangeBytes = uint64_t{64} << 20;

struct Level {
  HyperstackPlan plan;
  std::vector<size_t> files;  // the source's file of each of plan.files (or of plan.path)
};

class TiffBrickSource final : public BrickSource {
 public:
  TiffBrickSource(const std::string& path, int32_t series, uint64_t cache_bytes) : cache_(cache_bytes) {
    AddLevel(imaging::PlanHyperstack(path, series));
    const HyperstackPlan& first = levels_[0].plan;
    std::vector<HyperstackPlan> coarser;
    for (size_t j = 1; series == 0 && j < first.series.size(); ++j) {
      if (!first.series[j].reduced) continue;
      try {
        HyperstackPlan p = imaging::PlanHyperstack(path, static_cast<int32_t>(j));
        // A copy of the same planes at a lower resolution; thumbnails and overviews are not.
        if (p.Channels() == first.Channels() && p.layout.slices == first.layout.slices &&
            p.layout.frames == first.layout.frames && p.page_shape.bits == first.page_shape.bits &&
            p.page_shape.channels == first.page_shape.channels && LevelFactor(first.Width(), p.Width()) > 0 &&
            LevelFactor(first.Height(), p.Height()) > 0)
          coarser.push_back(std::move(p));
      } catch (const ImageError&) {
        // a level that cannot be planned is left out
      }
    }
    std::stable_sort(coarser.begin(), coarser.end(), [](const auto& a, const auto& b) { return a.Width() > b.Width(); });
    for (HyperstackPlan& p : coarser)
      if (p.Width() < infos_.back().width) AddLevel(std::move(p));  // `first` moves with levels_ here
    const imaging::detail::PageShape& shape = levels_[0].plan.page_shape;
    values_ = imaging::HeldValuesOf(shape);
    if (shape.bits == 32) {
      float_range_ = CoarsestRange();
      const imaging::StoredValues scaled = imaging::FloatValuesOver(float_range_);
      values_.offset = scaled.offset, values_.scale = scaled.scale;
    }
  }

  const std::vector<PyramidLevel>& Levels() const override { return infos_; }
  int32_t Channels() const override { return levels_[0].plan.Channels(); }
  int32_t TimePoints() const override { return levels_[0].plan.layout.frames; }
  int Bits() const override { return levels_[0].plan.Bits(); }
  imaging::StoredValues Values() const override { return values_; }
  std::string Name() const override { return levels_[0].plan.name; }
  uint64_t HeldBytes() const override { return cache_.HeldBytes(); }

  void ReadBox(size_t level, int32_t c, int32_t t, const VoxelBox& box, uint8_t* out) const override {
    if (level >= levels_.size() || c < 0 || c >= Channels() || t < 0 || t >= TimePoints())
      throw ImageError(Name() + " has no level " + std::to_string(level + 1) + ", channel " + std::to_string(c + 1) +
                       ", time point " + std::to_string(t + 1));
    if (box.w <= 0 || box.h <= 0 || box.d <= 0) return;
    const HyperstackPlan& plan = levels_[level].plan;
    const PyramidLevel& size = infos_[level];
    const int page_channels = plan.page_shape.channels;
    const int bytes = Bits() / 8;
    const ClampedRange xs = ClampedAxis(box.x0, box.w, size.width), ys = ClampedAxis(box.y0, box.h, size.height),
                       zs = ClampedAxis(box.z0, box.d, size.depth);
    for (int32_t z = zs.first; z <= zs.last; ++z) {
      const auto page = static_cast<size_t>(plan.layout.PageOf(c / page_channels, z, t));
      const PageSource source = imaging::PageSourceOf(plan, page);
      if (source.file < 0) {  // a plane no page holds: blank
        static const uint16_t kBlank = 0;
        HeldPiece piece{0, 0, z, size.width, size.height, 1, reinterpret_cast<const uint8_t*>(&kBlank), {0, 0, 0}};
        CopyPieceIntoBox(piece, box, size, bytes, out);
        continue;
      }
      const std::string where = PageName(level, page);
      const PageBlocks blocks = BlocksOf(level, source, where);
      for (uint32_t by = uint32_t(ys.first) / blocks.block_height; by <= uint32_t(ys.last) / blocks.block_height; ++by)
        for (uint32_t bx = uint32_t(xs.first) / blocks.block_width; bx <= uint32_t(xs.last) / blocks.block_width; ++bx) {
          const PieceCache::Piece block = Block(level, source, blocks, bx, by, where);
          HeldPiece piece;
          piece.x0 = static_cast<int32_t>(bx * blocks.block_width);
          piece.y0 = static_cast<int32_t>(by * blocks.block_height);
          piece.z0 = z;
          piece.w = std::min<int32_t>(static_cast<int32_t>(blocks.block_width), size.width - piece.x0);
          piece.h = std::min<int32_t>(static_cast<int32_t>(blocks.block_height), size.height - piece.y0);
          piece.d = 1;
          const size_t plane = size_t(blocks.block_width) * blocks.block_height;
          piece.samples = block->data() + size_t(c % page_channels) * plane * size_t(bytes);
          piece.step[0] = 1, piece.step[1] = blocks.block_width, piece.step[2] = 0;
          CopyPieceIntoBox(piece, box, size, bytes, out);
        }
    }
  }

 private:
  // libtiff handles are not thread-safe: each ReadBox that decodes takes a set of its own from
  // the pool (one handle per file, opened when first needed) and gives it back.
  struct Handles {
    std::vector<std::unique_ptr<TiffReader>> readers;
  };
  class Lease {
   public:
    explicit Lease(const TiffBrickSource& s) : source_(s) {
      std::lock_guard lock(s.pool_mutex_);
      if (!s.idle_.empty()) {
        handles_ = std::move(s.idle_.back());
        s.idle_.pop_back();
      }
      if (!handles_) handles_ = std::make_unique<Handles>();
      handles_->readers.resize(s.paths_.size());
    }
    ~Lease() {
      std::lock_guard lock(source_.pool_mutex_);
      source_.idle_.push_back(std::move(handles_));
    }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    TiffReader& Reader(size_t file) {
      if (!handles_->readers[file])
        handles_->readers[file] = std::make_unique<TiffReader>(source_.paths_[file], source_.stamps_[file]);
      return *handles_->readers[file];
    }

   private:
    const TiffBrickSource& source_;
    std::unique_ptr<Handles> handles_;
  };

  void AddLevel(HyperstackPlan plan) {
    PyramidLevel info;
    info.width = plan.Width(), info.height = plan.Height(), info.depth = plan.layout.slices;
    if (!infos_.empty()) {
      info.factor[0] = LevelFactor(infos_[0].width, info.width);
      info.factor[1] = LevelFactor(infos_[0].height, info.height);
    }
    Level level;
    for (const std::string& file : plan.files.empty() ? std::vector<std::string>{plan.path} : plan.files) {
      const auto known = std::find(paths_.begin(), paths_.end(), file);
      level.files.push_back(size_t(known - paths_.begin()));
      if (known == paths_.end()) {
        paths_.push_back(file);
        stamps_.push_back(imaging::detail::StampOf(file));
      }
    }
    level.plan = std::move(plan);
    levels_.push_back(std::move(level));
    infos_.push_back(info);
  }

  std::string PageName(size_t level, size_t page) const {
    return "page " + std::to_string(page + 1) + " of " +
           (level == 0 ? Name() : "level " + std::to_string(level + 1) + " of " + Name());
  }

  // The blocks of a page, asked of libtiff once per page. Pages without a directory are one block.
  PageBlocks BlocksOf(size_t level, const PageSource& source, const std::string& where) const {
    const HyperstackPlan& plan = levels_[level].plan;
    if (source.data_offset != 0) return {plan.page_shape.width, plan.page_shape.height, 1, 1};
    const auto key = std::tuple(levels_[level].files[size_t(source.file)], source.directory);
    {
      std::lock_guard lock(blocks_mutex_);
      if (const auto it = blocks_.find(key); it != blocks_.end()) return it->second;
    }
    Lease lease(*this);
    const PageBlocks blocks = lease.Reader(std::get<0>(key)).BlocksAt(source.directory, plan.page_shape, where);
    if (blocks.block_width == 0 || blocks.block_height == 0) throw ImageError(where + " has blocks of no size");
    std::lock_guard lock(blocks_mutex_);
    blocks_.emplace(key, blocks);
    return blocks;
  }

  // Block (bx, by) of a page, every channel of the page decoded into held samples, one plane of
  // block_width x block_height after another.
  PieceCache::Piece Block(size_t level, const PageSource& source, const PageBlocks& blocks, uint32_t bx, uint32_t by,
                          const std::string& where) const {
    const size_t file = levels_[level].files[size_t(source.file)];
    const std::string key = std::to_string(file) + ":" + std::to_string(source.directory) + ":" +
                            std::to_string(source.data_offset) + ":" + std::to_string(bx) + ":" + std::to_string(by);
    return cache_.Get(key, [&] {
      const imaging::detail::PageShape& shape = levels_[level].plan.page_shape;
      const size_t plane = size_t(blocks.block_width) * blocks.block_height;
      const bool floats = shape.bits == 32;
      PieceSamples held(plane * size_t(shape.channels) * size_t(Bits() / 8), 0);
      std::vector<float> decoded(floats ? plane * size_t(shape.channels) : 0);
      std::vector<void*> planes;
      for (int k = 0; k < shape.channels; ++k)
        planes.push_back(floats ? static_cast<void*>(decoded.data() + size_t(k) * plane)
                                : static_cast<void*>(held.data() + size_t(k) * plane * size_t(Bits() / 8)));
      Lease lease(*this);
      TiffReader& reader = lease.Reader(file);
      if (source.data_offset != 0) reader.DecodeAt(source.directory, shape, planes.data(), where, source.data_offset);
      else reader.DecodeBlockAt(source.directory, shape, bx, by, planes.data(), where);
      if (floats) imaging::FloatsInto16(float_range_, decoded.data(), decoded.size(), reinterpret_cast<uint16_t*>(held.data()));
      return held;
    });
  }

  // The finite range of the coarsest level's 32-bit samples, which fixes the 16-bit map of every
  // level: the coarsest level is the cheapest view of the whole series, and a map fixed once keeps
  // bricks of every level and place comparable (finer levels' extremes beyond it are clamped).
  // A coarsest level over kWholeRangeBytes gives the range of its first plane of each channel.
  std::pair<float, float> CoarsestRange() const {
    const size_t level = levels_.size() - 1;
    const HyperstackPlan& plan = levels_[level].plan;
    const imaging::detail::PageShape& shape = plan.page_shape;
    const bool whole = plan.Samples() * 4 <= kWholeRangeBytes;
    const size_t plane = size_t(shape.width) * shape.height;
    std::vector<float> decoded(plane * size_t(shape.channels));
    std::vector<void*> planes;
    for (int k = 0; k < shape.channels; ++k) planes.push_back(decoded.data() + size_t(k) * plane);
    std::pair<float, float> range{std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()};
    Lease lease(*this);
    for (int32_t t = 0; t < (whole ? plan.layout.frames : 1); ++t)
      for (int32_t z = 0; z < (whole ? plan.layout.slices : 1); ++z)
        for (int32_t g = 0; g < plan.layout.page_groups; ++g) {
          const auto page = static_cast<size_t>(plan.layout.PageOf(g, z, t));
          const PageSource source = imaging::PageSourceOf(plan, page);
          if (source.file < 0) continue;
          lease.Reader(levels_[level].files[size_t(source.file)])
              .DecodeAt(source.directory, shape, planes.data(), PageName(level, page), source.data_offset);
          const auto [lo, hi] = imaging::FiniteRange(decoded.data(), decoded.size());
          range = {std::min(range.first, lo), std::max(range.second, hi)};
        }
    return range;
  }

  std::vector<Level> levels_;
  std::vector<PyramidLevel> infos_;
  std::vector<std::string> paths_;
  std::vector<imaging::detail::FileStamp> stamps_;
  imaging::StoredValues values_;
  std::pair<float, float> float_range_{0.f, 0.f};
  mutable PieceCache cache_;
  mutable std::mutex pool_mutex_, blocks_mutex_;
  mutable std::vector<std::unique_ptr<Handles>> idle_;
  mutable std::map<std::tuple<size_t, uint64_t>, PageBlocks> blocks_;
};

}  // namespace

std::unique_ptr<BrickSource> OpenTiffBrickSource(const std::string& path, int32_t series, uint64_t cache_bytes) {
  return std::make_unique<TiffBrickSource>(path, series, cache_bytes);
}

}  // namespace lumetrix::streaming
