#pragma once
// Reads a TIFF file into a Hyperstack: the pages are listed and the metadata resolved first
// (cheap, so that the caller can check memory), then decoded on all cores, one libtiff handle
// per worker, with progress and Cancel.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/progress_sink.h"
#include "imaging/file_probe.h"
#include "imaging/hyperstack.h"
#include "imaging/hyperstack_layout.h"
#include "imaging/page_shape.h"
#include "imaging/tiff_series.h"

namespace lumetrix::imaging {

// What a file may declare before anything is decoded: a file under kSmallFile at most
// kSmallFileAllowance, a larger one up to kMaxExpansion times its size (about as far as deflate or
// LZW can compress; segmentation masks compress by some hundreds). A tiny file declaring a huge
// volume is refused before decoding.
inline constexpr uint64_t kSmallFile = uint64_t{1} << 20;
inline constexpr uint64_t kSmallFileAllowance = uint64_t{64} << 20;
inline constexpr uint64_t kMaxExpansion = 1024;

struct HyperstackPlan {
  std::string path, name;
  uint64_t file_size = 0;
  std::vector<uint64_t> directories;  // full-resolution pages
  HyperstackLayout layout;
  // The first page's size, channels and decoded bits (8, 16, or 32 for samples scaled into 16
  // bits after reading): every page is compared with it.
  detail::PageShape page_shape;
  // Pages from a map (OME TiffData, sets of files, series): the page of each used plane in page
  // order (HyperstackLayout::PageOf), in `files`. Empty: `directories` in order, in `path`.
  std::vector<MappedPage> mapped;
  std::vector<std::string> files;
  std::vector<SeriesSummary> series;  // every series of the file; empty when it has one
  int32_t series_index = 0;           // the one planned (0-based)

  int32_t Width() const { return static_cast<int32_t>(page_shape.width); }
  int32_t Height() const { return static_cast<int32_t>(page_shape.height); }
  int32_t Channels() const { return layout.page_groups * page_shape.channels; }
  int Bits() const { return page_shape.bits == 8 ? 8 : 16; }
  uint64_t Samples() const {
    return uint64_t(page_shape.width) * uint64_t(page_shape.height) * uint64_t(Channels()) *
           uint64_t(layout.slices) * uint64_t(layout.frames);
  }
  uint64_t Bytes() const { return Samples() * uint64_t(Bits() / 8); }
  // Bytes allocated while reading (floating-point samples pass through a buffer of their own).
  uint64_t PeakBytes() const { return Bytes() + (page_shape.bits == 32 ? Samples() * 4 : 0); }
};

// Lists the pages and resolves the layout of series `series` (0-based). Throws ImageError with a
// sentence naming the file (not a TIFF file, damaged chain, undecodable first page, no such
// series, a volume the file is too small to hold).
HyperstackPlan PlanHyperstack(const std::string& path, int32_t series = 0);

// Where the plan's `index`-th used page (in HyperstackLayout::PageOf numbering) is: directory
// `directory` of file `file` (an index into plan.files, 0 when it has none), its samples at
// `data_offset` when nonzero (ImageJ's pages without a directory); file -1: no page, the planes
// are blank.
struct PageSource {
  int32_t file = -1;
  uint64_t directory = 0, data_offset = 0;
};
PageSource PageSourceOf(const HyperstackPlan& plan, size_t index);

// What the held samples of pages of `shape` stand for (for 32-bit pages, before their scaling
// sets offset and scale).
StoredValues HeldValuesOf(const detail::PageShape& shape);

namespace detail {
class TiffReader;
}

// Decodes the pages a plan uses one at a time, with one libtiff handle per file opened when
// first needed; not shared between threads.
class HyperstackPageReader {
 public:
  explicit HyperstackPageReader(const HyperstackPlan& plan);
  ~HyperstackPageReader();
  HyperstackPageReader(const HyperstackPageReader&) = delete;
  HyperstackPageReader& operator=(const HyperstackPageReader&) = delete;
  // Used page `index` (page order, HyperstackLayout::PageOf) into page_shape.channels planes of
  // width x height samples of page_shape.bits; planes no page holds are blank. Throws ImageError.
  void Decode(size_t index, void* const* planes);

 private:
  const HyperstackPlan& plan_;
  std::vector<detail::FileStamp> stamps_;  // of every file of a set, as planned
  std::vector<std::unique_ptr<detail::TiffReader>> readers_;
};

// Decodes every page the plan uses; `threads` 0 means one per core. Progress "Reading Image",
// one step per page. Nothing when the progress sink asked to stop (`error` says so); throws
// ImageError when a page cannot be read and std::bad_alloc when memory runs out.
std::optional<Hyperstack> ReadHyperstack(const HyperstackPlan& plan, ProgressSink& progress, std::string& error,
                                         unsigned threads = 0);

}  // namespace lumetrix::imaging
