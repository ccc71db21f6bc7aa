#include "viewer/streamed_volume.h"

#include <algorithm>

#include "imaging/available_memory.h"
#include "imaging/zarr/zarr_samples.h"
#include "imaging/parallel_steps.h"
#include "streaming/memory_budget.h"
#include "viewer/hyperstack_view.h"

namespace lumetrix {

namespace {

// The mean (rounded half up) of each merge[0] x merge[1] x `depth` block of `in` (w x h x depth,
// x fastest) into one plane of out_w x out_h; the blocks at the far edges take what is left.
template <typename T>
void MergeInto(const T* in, int32_t w, int32_t h, int32_t depth, const int32_t merge[3], uint8_t* out_plane,
               int32_t out_w, int32_t out_h) {
  T* out = reinterpret_cast<T*>(out_plane);
  for (int32_t y = 0; y < out_h; ++y)
    for (int32_t x = 0; x < out_w; ++x) {
      uint64_t sum = 0, n = 0;
      for (int32_t k = 0; k < depth; ++k)
        for (int32_t j = y * merge[1]; j < std::min(h, (y + 1) * merge[1]); ++j)
          for (int32_t i = x * merge[0]; i < std::min(w, (x + 1) * merge[0]); ++i, ++n)
            sum += in[(size_t(k) * h + j) * w + i];
      out[size_t(y) * out_w + x] = static_cast<T>((sum + n / 2) / n);
    }
}

}  // namespace

uint64_t PieceCacheBytes(uint64_t host_budget) {
  const uint64_t host = host_budget ? host_budget : streaming::BudgetFor({}, imaging::AvailableMemoryBytes()).host;
  return std::max<uint64_t>(host / 4, uint64_t{16} << 20);
}

uint64_t BrickBytesOfHost(uint64_t host_budget) {
  const uint64_t host = host_budget ? host_budget : streaming::BudgetFor({}, imaging::AvailableMemoryBytes()).host;
  return std::max<uint64_t>(host - std::min(host, PieceCacheBytes(host)), uint64_t{16} << 20);
}

namespace {

// A volume of level `li` of `source` shown in memory: each of its voxels the mean of merge[0] x
// merge[1] x merge[2] voxels of the level, or, with `middle_plane`, of merge[0] x merge[1] of
// the middle plane of those merge[2] (a preview that reads a merge[2]-th of the planes).
std::optional<VolumeData> ReadShown(std::shared_ptr<const streaming::BrickSource> source, size_t li,
                                    const int32_t merge[3], bool middle_plane, const PyramidFacts& facts,
                                    const std::string& note, ProgressSink& progress, std::string& error) {
  const streaming::PyramidLevel& l = source->Levels()[li];
  const int32_t channels = source->Channels(), frames = source->TimePoints();
  imaging::Hyperstack h;
  h.width = (l.width + merge[0] - 1) / merge[0], h.height = (l.height + merge[1] - 1) / merge[1];
  h.slices = (l.depth + merge[2] - 1) / merge[2];
  h.channels = channels, h.frames = frames;
  h.bits = source->Bits();
  h.values = source->Values();
  for (int a = 0; a < 3; ++a) h.voxel[a] = facts.voxel[a] * l.factor[a] * merge[a];
  if (h.voxel[0] > 0) h.unit = facts.unit;
  h.looks = facts.looks;
  h.kind = facts.kind;
  std::string size = std::to_string(h.width) + "x" + std::to_string(h.height) + "x" + std::to_string(h.slices);
  if (channels > 1) size.append(" ").append(std::to_string(channels)).append("ch");
  if (frames > 1) size.append(" ").append(std::to_string(frames)).append("t");
  h.note = note + " (" + size + ") in memory; " + (middle_plane ? "finer detail follows when the pyramid is built"
                                           : "the ray-cast render modes load finer detail where the view needs it");
  h.data = imaging::AllocateSamples(std::max<uint64_t>(h.Bytes(), 1));
  if (h.bits == 16) h.plane_ranges.resize(h.Planes());  // what auto contrast starts from
  // One box per plane of the volume: progress by plane, and never more than those planes of the
  // level besides the stack.
  const int32_t planes = h.slices * channels * frames;
  progress.ShowProgress("Reading Image", 0, planes);
  int32_t done = 0;
  const size_t bytes = size_t(h.bits / 8);
  const int32_t read_planes = middle_plane ? 1 : merge[2];
  const int32_t block[3] = {merge[0], merge[1], read_planes};
  std::vector<uint8_t> box(size_t(l.width) * l.height * read_planes * bytes);
  for (int32_t t = 0; t < frames; ++t)
    for (int32_t c = 0; c < channels; ++c)
      for (int32_t z = 0; z < h.slices; ++z) {
        if (progress.Cancelled()) {
          progress.HideProgress();
          error = "Reading " + facts.name + " was stopped.";
          return std::nullopt;
        }
        int32_t first = z * merge[2], count = std::min(merge[2], l.depth - first);
        if (middle_plane) first += count / 2, count = 1;
        source->ReadBox(li, c, t, {0, 0, first, l.width, l.height, count}, box.data());
        if (bytes == 1)
          MergeInto(box.data(), l.width, l.height, count, block, h.Plane(c, z, t), h.width, h.height);
        else {
          MergeInto(reinterpret_cast<const uint16_t*>(box.data()), l.width, l.height, count, block,
                    h.Plane(c, z, t), h.width, h.height);
          h.plane_ranges[(size_t(t) * channels + size_t(c)) * size_t(h.slices) + size_t(z)] =
              imaging::PlaneRange(reinterpret_cast<const uint16_t*>(h.Plane(c, z, t)), h.PlaneSamples());
        }
        progress.SetProgress(++done);
      }
  progress.HideProgress();
  VolumeData v = ShowHyperstack(std::move(h));
  v.FilePath = facts.path;
  const streaming::PyramidLevel& finest = source->Levels().front();
  v.FileVoxels = {finest.width, finest.height, finest.depth};
  return v;
}

}  // namespace

uint64_t ShownBytes(const streaming::BrickSource& source, size_t level) {
  return source.Levels()[level].Voxels() * (source.Channels() == 1 ? 1 : 3);
}

size_t StreamedLevel(const streaming::BrickSource& source, uint64_t max_shown) {
  const uint64_t most = max_shown ? std::min(max_shown, kStreamedBaseBytes) : kStreamedBaseBytes;
  // The finest level is what does not fit.
  const size_t count = source.Levels().size();
  size_t chosen = count > 1 ? 1 : 0;
  while (chosen + 1 < count && ShownBytes(source, chosen) > most) ++chosen;
  return chosen;
}

std::optional<VolumeData> OpenStreamedVolume(std::shared_ptr<const streaming::BrickSource> source,
                                             const PyramidFacts& facts, ProgressSink& progress, std::string& error,
                                             uint64_t max_shown) {
  const std::vector<streaming::PyramidLevel>& levels = source->Levels();
  const size_t chosen = StreamedLevel(*source, max_shown);
  const streaming::PyramidLevel& l = levels[chosen];
  // The volume in memory keeps the finest level's proportions, which the renderers take from its
  // voxel counts: axes the level did not halve as often as the others (z, in most TIFF
  // pyramids) are averaged down here to the same factor.
  const int32_t most = std::max({l.factor[0], l.factor[1], l.factor[2]});
  const int32_t merge[3] = {most / l.factor[0], most / l.factor[1], most / l.factor[2]};
  std::optional<VolumeData> v =
      ReadShown(source, chosen, merge, false, facts,
                "level " + std::to_string(chosen + 1) + " of " + std::to_string(levels.size()), progress, error);
  if (v) v->Pyramid = std::move(source);
  return v;
}

std::optional<VolumeData> OpenPyramidPreview(std::shared_ptr<const streaming::BrickSource> source,
                                             const PyramidFacts& facts, ProgressSink& progress, std::string& error) {
  const streaming::PyramidLevel& l = source->Levels().front();
  const uint64_t per_voxel = source->Channels() == 1 ? 1 : 3;
  int32_t f = 1;
  auto shown = [&](int32_t k) {
    return uint64_t((l.width + k - 1) / k) * uint64_t((l.height + k - 1) / k) * uint64_t((l.depth + k - 1) / k) * per_voxel;
  };
  while (shown(f) > kStreamedBaseBytes && f < (1 << 20)) f *= 2;
  const int32_t merge[3] = {f, f, f};
  return ReadShown(std::move(source), 0, merge, true, facts,
                   "a preview of every " + std::to_string(f) + (f == 2 ? "nd" : "th") + " plane", progress, error);
}

}  // namespace lumetrix
