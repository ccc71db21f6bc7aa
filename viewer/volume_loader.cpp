#include "viewer/volume_loader.h"

#include <atomic>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <new>
#include <vector>

#include "core/megabytes.h"
#include "imaging/available_memory.h"
#include "imaging/file_probe.h"
#include "imaging/hyperstack_reader.h"
#include "imaging/zarr/zarr_reader.h"
#include "viewer/byte_transpose.h"
#include "viewer/hyperstack_view.h"
#include "viewer/streamed_volume.h"
#include "viewer/zarr_volume.h"
#include "streaming/brick_grid.h"
#include "streaming/cached_pyramid.h"
#include "streaming/pyramid_cache.h"
#include "streaming/tiff_brick_source.h"

namespace lumetrix {
namespace {

// Pages are gathered in blocks and then scattered together: with the page index varying
// fastest, copying one page at a time would write one byte per cache line. With a block that
// holds every page (up to 256 of them, in at most 64 MB) each voxel run is written in one go.
constexpr int32_t kPagesPerBlock = 256;
constexpr size_t kBlockBytes = size_t{64} << 20;

std::string PageName(int32_t p) { return "page " + std::to_string(p + 1); }

// A message from below as a sentence: capital first letter, full stop.
std::string Sentence(std::string text) {
  if (text.rfind("page ", 0) == 0) text[0] = 'P';
  if (!text.empty() && text.back() != '.') text += '.';
  return text;
}

// dst[b + stride * i] := rows[b][i] for b < count and i < n: the pages of a block become runs of
// page-fastest voxels. The pixels go in tiles whose output (tile x stride bytes) stays in the
// cache while every page of the block is written into it.
void TransposeRows(const uint8_t* const* rows, int32_t count, size_t n, size_t stride, uint8_t* dst) {
  constexpr size_t kTileBytes = 96 << 10;
  const size_t tile = std::max<size_t>(16, kTileBytes / stride / 16 * 16);
  for (size_t i0 = 0; i0 < n; i0 += tile) TransposeBytes(rows, count, i0, std::min(n, i0 + tile), stride, dst);
}

// Scatters `count` pages, starting at page `first`, into the page-fastest layout.
void ScatterBlock(const SampleBuffer& block, size_t page_bytes, int32_t count, int32_t first, VolumeData& v) {
  const size_t pixels = static_cast<size_t>(v.Width) * static_cast<size_t>(v.Height);
  const size_t depth = static_cast<size_t>(v.Depth);
  std::vector<const uint8_t*> rows(static_cast<size_t>(count));
  if (v.IsGrey) {
    for (int32_t b = 0; b < count; ++b) rows[static_cast<size_t>(b)] = block.data() + page_bytes * b;
    TransposeRows(rows.data(), count, pixels, depth, v.Samples.data() + first);
    return;
  }
  // Colour pages arrive as blue, green, red; channel 0 is red. Split each page into its planes
  // first so every plane scatters like a grey page.
  SampleBuffer planes(pixels * static_cast<size_t>(count));
  for (int c = 0; c < 3; ++c) {
    const int byte = 2 - c;
    for (int32_t b = 0; b < count; ++b) {
      const uint8_t* src = block.data() + page_bytes * b;
      uint8_t* plane = planes.data() + pixels * b;
      for (size_t i = 0; i < pixels; ++i) plane[i] = src[i * 3 + byte];
      rows[static_cast<size_t>(b)] = plane;
    }
    TransposeRows(rows.data(), count, pixels, depth, v.Samples.data() + depth * pixels * c + first);
  }
}

}  // namespace

uint64_t PhysicalMemoryBytes() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long size = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || size <= 0) return 0;
  return static_cast<uint64_t>(pages) * static_cast<uint64_t>(size);
}

namespace {

// BMP and JPEG files: one page through the image component.
std::optional<VolumeData> ReadThroughImageBox(const std::string& path, imaging::ImageBox& image,
                                              ProgressSink& progress, std::string& error,
                                              const VolumeLoadOptions& options) {
  const std::string name = std::filesystem::path(path).filename().string();
  VolumeData v;
  v.FilePath = path;
  bool progress_shown = false;
  try {
    image.SetProperty136(false);
    image.Call135();
    const int32_t pages = image.CountPages(path);
    if (pages < 1) {
      error = name + " holds no image pages.";
      return std::nullopt;
    }
    if (pages > 32767) {
      error = name + " has " + std::to_string(pages) + " pages; at most 32767 can be opened.";
      return std::nullopt;
    }
    v.Depth = pages;

    progress.ShowProgress("Reading Image", 0, v.Depth);
    progress_shown = true;
    SampleBuffer block;  // pages of the block one after the other
    int32_t block_pages = 0, in_block = 0;
    size_t page_bytes = 0;
    for (int32_t p = 0; p < v.Depth; ++p) {
      if (progress.Cancelled()) {
        progress.HideProgress();
        error = "Reading " + name + " was stopped.";
        return std::nullopt;
      }
      if (!image.LoadPage(path, static_cast<int16_t>(p))) {
        progress.HideProgress();
        error = image.LastError();
        return std::nullopt;
      }
      progress.SetProgress(p + 1);
      const bool grey = image.IsGreyImage();
      if (!grey && image.BitDepth() != 24) image.ConvertDepth(24);
      if (p == 0) {
        v.IsGrey = grey;
        v.IsRgb = !grey;
        v.FileChannels = grey ? 1 : 3;
        v.Width = image.ImageWidth();
        v.Height = image.ImageHeight();
        if (v.Width < 1 || v.Height < 1) {
          progress.HideProgress();
          error = "The first page of " + name + " is empty.";
          return std::nullopt;
        }
        const uint64_t bytes = static_cast<uint64_t>(v.Width) * static_cast<uint64_t>(v.Height) *
                               static_cast<uint64_t>(v.Depth) * static_cast<uint64_t>(v.Channels());
        const uint64_t limit = options.MaxBytes ? options.MaxBytes : imaging::AvailableMemoryBytes();
        if ((limit && bytes > limit) || bytes > static_cast<uint64_t>(PTRDIFF_MAX)) {
          progress.HideProgress();
          error = name + " needs " + Megabytes(bytes) + " of memory (" + std::to_string(v.Width) + " x " +
                  std::to_string(v.Height) + " x " + std::to_string(v.Depth) + (v.IsGrey ? " grey" : " colour") +
                  "), more than this computer can hold (" + Megabytes(limit) + ").";
          return std::nullopt;
        }
        v.Samples.resize(static_cast<size_t>(bytes));
        page_bytes = static_cast<size_t>(v.Width) * static_cast<size_t>(v.Height) * v.Channels();
        const size_t fit = std::max<size_t>(1, kBlockBytes / page_bytes);
        block_pages = static_cast<int32_t>(
            std::min<size_t>({static_cast<size_t>(kPagesPerBlock), fit, static_cast<size_t>(v.Depth)}));
        block.resize(page_bytes * static_cast<size_t>(block_pages));
      } else if (grey != v.IsGrey || image.ImageWidth() != v.Width || image.ImageHeight() != v.Height) {
        progress.HideProgress();
        error = "Page " + std::to_string(p + 1) + " of " + name + " is " + std::to_string(image.ImageWidth()) +
                " x " + std::to_string(image.ImageHeight()) + (grey ? " grey" : " colour") + ", but page 1 is " +
                std::to_string(v.Width) + " x " + std::to_string(v.Height) + (v.IsGrey ? " grey" : " colour") +
                ". All pages of a volume must have the same size and kind.";
        return std::nullopt;
      }
      const std::vector<uint8_t>& pixels = image.PixelBytes();
      if (pixels.size() != page_bytes) {
        progress.HideProgress();
        error = "Could not read " + PageName(p) + " of " + name + ": its pixel data is incomplete.";
        return std::nullopt;
      }
      std::memcpy(block.data() + page_bytes * static_cast<size_t>(in_block), pixels.data(), page_bytes);
      if (++in_block == block_pages || p + 1 == v.Depth) {
        ScatterBlock(block, page_bytes, in_block, p + 1 - in_block, v);
        in_block = 0;
      }
    }
    progress.HideProgress();
    return v;
  } catch (const std::bad_alloc&) {
    if (progress_shown) progress.HideProgress();
    error = "There is not enough memory to open " + name + ".";
  } catch (const std::exception& e) {
    if (progress_shown) progress.HideProgress();
    error = "Could not read " + name + ": " + e.what();
  }
  return std::nullopt;
}

// A TIFF series beyond the memory: its own pyramid levels (SubIFDs, reduced-resolution images)
// streamed. Nothing with `error` empty when the file has no pyramid (`cache_note` then says why
// none could be built), so that the caller reads it whole if it can.
std::optional<VolumeData> StreamTiff(const imaging::HyperstackPlan& plan, const VolumeLoadOptions& options,
                                     ProgressSink& progress, std::string& error, std::string& cache_note) {
  std::shared_ptr<const streaming::BrickSource> source =
      streaming::OpenTiffBrickSource(plan.path, options.Series, PieceCacheBytes(options.MemoryBudget));
  PyramidFacts facts;
  facts.path = plan.path, facts.name = plan.name;
  std::copy(plan.layout.voxel, plan.layout.voxel + 3, facts.voxel);
  facts.unit = plan.layout.unit;
  facts.looks = plan.layout.channels;
  if (source->Levels().size() > 1) return OpenStreamedVolume(std::move(source), facts, progress, error, options.MaxBytes);
  // No pyramid of its own: one built once and kept in the cache folder. A folder that cannot
  // keep it leaves the file to be read whole, if it fits, with the reason. A stack no longer than
  // a brick on every side would have no coarser level.
  if (std::max({plan.Width(), plan.Height(), plan.layout.slices}) <= streaming::kBrickSide) return std::nullopt;
  streaming::PyramidCache cache(streaming::DefaultPyramidCacheFolder(), options.PyramidCacheBound);
  std::optional<std::string> entry = cache.Find(plan.path, options.Series);
  if (!entry && options.PreviewWhilePyramidBuilds) {
    try {
      cache.CheckWritable(plan.path);
    } catch (const streaming::PyramidCacheError& e) {
      cache_note = e.what();
      return std::nullopt;
    }
    std::optional<VolumeData> preview = OpenPyramidPreview(std::move(source), facts, progress, error);
    if (preview) preview->PyramidToBuild = plan.path, preview->PyramidSeries = options.Series;
    return preview;
  }
  source = nullptr;  // its file handles, while the pyramid is built
  if (!entry) {
    try {
      const std::atomic<bool> never{false};
      entry = cache.Build(plan.path, options.Series, progress, never);
    } catch (const streaming::PyramidCacheError& e) {
      cache_note = e.what();
      return std::nullopt;
    }
    if (!entry) {
      error = "Building the pyramid of " + plan.name + " was stopped.";
      return std::nullopt;
    }
  }
  return OpenStreamedVolume(streaming::OpenCachedPyramid(*entry, PieceCacheBytes(options.MemoryBudget)), facts,
                            progress, error, options.MaxBytes);
}

}  // namespace

std::optional<VolumeData> ReadVolume(const std::string& path, imaging::ImageBox& image,
                                     ProgressSink& progress, std::string& error,
                                     const VolumeLoadOptions& options) {
  if (imaging::IsZarrPath(path)) return ReadZarrVolume(path, progress, error, options);
  const std::string name = std::filesystem::path(path).filename().string();
  bool tiff = false;
  try {
    tiff = imaging::detail::ProbeImageFile(path).format == imaging::detail::FileFormat::kTiff;
  } catch (const std::exception& e) {
    error = Sentence(e.what());
    return std::nullopt;
  }
  if (!tiff) return ReadThroughImageBox(path, image, progress, error, options);
  try {
    const imaging::HyperstackPlan plan = imaging::PlanHyperstack(path, options.Series);
    const int32_t slices = plan.layout.slices;
    if (slices > 32767) {
      error = name + " has " + std::to_string(slices) + " slices; at most 32767 can be opened.";
      return std::nullopt;
    }
    const bool grey = plan.Channels() == 1;
    const uint64_t shown = uint64_t(plan.Width()) * uint64_t(plan.Height()) * uint64_t(slices) * (grey ? 1 : 3);
    const uint64_t needed = plan.PeakBytes() + shown;
    const uint64_t available = imaging::AvailableMemoryBytes();
    const bool fits = !((options.MaxBytes && shown > options.MaxBytes) || (!options.MaxBytes && available && needed > available) ||
                        needed > static_cast<uint64_t>(PTRDIFF_MAX));
    // Beyond the memory or the budget: streamed from the file's pyramid, or from one built for it.
    std::string cache_note;
    if (!fits || (options.MemoryBudget && plan.PeakBytes() > options.MemoryBudget)) {
      std::optional<VolumeData> streamed = StreamTiff(plan, options, progress, error, cache_note);
      if (streamed || !error.empty()) return streamed;
    }
    if (!fits) {
      const uint64_t limit = options.MaxBytes ? options.MaxBytes : available;
      error = name + " needs " + Megabytes(options.MaxBytes ? shown : needed) + " of memory (" +
              std::to_string(plan.Width()) + " x " + std::to_string(plan.Height()) + " x " + std::to_string(slices) +
              (plan.Channels() == 1 ? std::string(" grey") : " x " + std::to_string(plan.Channels()) + " channels") +
              (plan.layout.frames > 1 ? " x " + std::to_string(plan.layout.frames) + " time points" : std::string()) +
              "), more than is available (" + Megabytes(limit) + ")." + (cache_note.empty() ? "" : " " + cache_note);
      return std::nullopt;
    }
    std::optional<imaging::Hyperstack> stack = imaging::ReadHyperstack(plan, progress, error);
    if (!stack) return std::nullopt;
    if (!cache_note.empty()) stack->note += (stack->note.empty() ? "" : "  ") + cache_note;
    VolumeData v = ShowHyperstack(std::move(*stack));
    v.FilePath = path;
    return v;
  } catch (const std::bad_alloc&) {
    error = "There is not enough memory to open " + name + ".";
  } catch (const std::exception& e) {
    error = Sentence(e.what());
  }
  return std::nullopt;
}

}  // namespace lumetrix
