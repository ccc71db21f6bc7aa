#include "viewer/zarr_volume.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "core/megabytes.h"
#include "core/file_helpers.h"
#include "imaging/available_memory.h"
#include "imaging/zarr/zarr_reader.h"
#include "streaming/zarr_brick_source.h"
#include "viewer/streamed_volume.h"
#include "viewer/hyperstack_view.h"

namespace lumetrix {
namespace {

// The shown (8-bit) volume of a level: one byte per voxel for one channel, three for colour.
uint64_t ShownBytes(const imaging::ZarrLevel& l) {
  return uint64_t(l.width) * uint64_t(l.height) * uint64_t(l.slices) * (l.channels == 1 ? 1 : 3);
}

// A sentence from below: full stop at the end.
std::string Sentence(std::string text) {
  if (!text.empty() && text.back() != '.') text += '.';
  return text;
}

}  // namespace

std::optional<VolumeData> ReadZarrVolume(const std::string& path, ProgressSink& progress, std::string& error,
                                         const VolumeLoadOptions& options) {
  try {
    // A pyramid whose chunks were mostly never written (fill values) is refused for reading a
    // large level whole, not for streaming: then only a small level is read whole.
    std::string sparse;
    imaging::ZarrPlan plan;
    try {
      plan = imaging::PlanZarr(path);
    } catch (const imaging::ImageError& e) {
      plan = imaging::PlanZarr(path, false);
      sparse = e.what();
    }
    const uint64_t available = imaging::AvailableMemoryBytes();
    const auto fits = [&](const imaging::ZarrLevel& l) {
      const uint64_t shown = ShownBytes(l), needed = l.PeakBytes() + shown;
      if (l.slices > 32767 || needed > static_cast<uint64_t>(PTRDIFF_MAX)) return false;
      return options.MaxBytes ? shown <= options.MaxBytes : !available || needed <= available;
    };
    size_t chosen = 0;
    while (chosen < plan.levels.size() && !fits(plan.levels[chosen])) ++chosen;
    const size_t count = plan.levels.size();
    // A finest level beyond the memory or the budget is streamed from the pyramid: a small level
    // is read whole for the first picture (and the slice stacks), the ray caster loads the rest.
    std::shared_ptr<const streaming::BrickSource> pyramid;
    if (chosen > 0 || !sparse.empty() ||
        (options.MemoryBudget && plan.levels[0].PeakBytes() > options.MemoryBudget)) {
      try {
        pyramid = streaming::OpenZarrBrickSource(path, PieceCacheBytes(options.MemoryBudget));
      } catch (const std::exception&) {
        pyramid = nullptr;  // read whole at the finest level that fits, as without a pyramid
      }
    }
    if (pyramid && count == 1) pyramid = nullptr;  // nothing coarser to show first
    if (!sparse.empty() &&
        (!pyramid || ShownBytes(*pyramid, StreamedLevel(*pyramid, options.MaxBytes)) > kStreamedBaseBytes)) {
      error = Sentence(sparse);
      return std::nullopt;
    }
    if (pyramid) {
      const imaging::ZarrLevel& finest = plan.levels.front();
      PyramidFacts facts;
      facts.path = path, facts.name = plan.name;
      std::copy(finest.voxel, finest.voxel + 3, facts.voxel);
      facts.unit = plan.image.unit;
      facts.looks = plan.image.channels;
      facts.kind = finest.array.Kind();
      return OpenStreamedVolume(std::move(pyramid), facts, progress, error, options.MaxBytes);
    }
    if (chosen == count) {
      const imaging::ZarrLevel& l = plan.levels.back();
      const uint64_t limit = options.MaxBytes ? options.MaxBytes : available;
      error = plan.name + " needs " + Megabytes(options.MaxBytes ? ShownBytes(l) : l.PeakBytes() + ShownBytes(l)) +
              " of memory even at its coarsest level (" + l.Size() + "), more than is available (" + Megabytes(limit) +
              ").";
      if (l.slices > 32767) error = plan.name + " has " + std::to_string(l.slices) + " slices; at most 32767 can be opened.";
      return std::nullopt;
    }
    std::string note;  // the finest level is the image as stored: nothing to say
    if (chosen > 0) {
      note = "level " + std::to_string(chosen + 1) + " of " + std::to_string(count) + " (" + plan.levels[chosen].Size() +
             ") shown: the finest that fits the memory";
    }
    std::optional<imaging::Hyperstack> stack = imaging::ReadZarrLevel(plan, chosen, progress, error, note);
    if (!stack) return std::nullopt;
    VolumeData v = ShowHyperstack(std::move(*stack));
    v.FilePath = path;
    return v;
  } catch (const std::bad_alloc&) {
    error = "There is not enough memory to open " + FileNameOf(imaging::ZarrFolderOf(path)) + ".";
  } catch (const std::exception& e) {
    error = Sentence(e.what());
  }
  return std::nullopt;
}

std::vector<std::string> ZarrLevelLines(const std::string& path, const VolumeData& shown) {
  std::vector<std::string> lines;
  if (!imaging::IsZarrPath(path)) return lines;
  imaging::ZarrPlan plan;
  try {
    plan = imaging::PlanZarr(path, false);  // a sparse pyramid, streamed, has its levels listed too
  } catch (const std::exception&) {  // changed since it was read: nothing to list
    return lines;
  }
  bool marked = false;
  for (size_t i = 0; i < plan.levels.size(); ++i) {
    const imaging::ZarrLevel& l = plan.levels[i];
    const bool is_shown = !marked && l.width == shown.Width && l.height == shown.Height && l.slices == shown.Depth;
    marked = marked || is_shown;
    lines.push_back("level " + std::to_string(i + 1) + " of " + std::to_string(plan.levels.size()) + ": " + l.Size() +
                    ", " + l.array.Kind() + (is_shown ? " (shown)" : ""));
  }
  return lines;
}

bool VolumePathExists(const std::string& path) { return FileExists(path) || imaging::IsZarrPath(path); }

}  // namespace lumetrix
