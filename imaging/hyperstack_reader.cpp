#include "imaging/hyperstack_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

#include "core/megabytes.h"
#include "imaging/file_probe.h"
#include "imaging/image_box.h"
#include "imaging/lsm_info.h"
#include "imaging/parallel_steps.h"
#include "imaging/series_planner.h"
#include "imaging/tiff_reader.h"

namespace lumetrix::imaging {
namespace {

struct PagePlace {
  int32_t group, z, t;
};

// The channel group, slice and time point of the file's `index`-th used page.
PagePlace PlaceOf(const HyperstackLayout& l, int64_t index) {
  PagePlace place{0, 0, 0};
  for (const char axis : l.page_axes) {
    const int64_t size = axis == 'C' ? l.page_groups : axis == 'Z' ? l.slices : l.frames;
    const auto value = static_cast<int32_t>(index % size);
    index /= size;
    (axis == 'C' ? place.group : axis == 'Z' ? place.z : place.t) = value;
  }
  return place;
}

}  // namespace

StoredValues HeldValuesOf(const detail::PageShape& shape) {
  StoredValues v;
  v.bits = shape.stored_bits;
  v.format = shape.sample_format == SAMPLEFORMAT_IEEEFP ? SampleFormat::kFloat
             : shape.sample_format == SAMPLEFORMAT_INT  ? SampleFormat::kSigned
                                                           : SampleFormat::kUnsigned;
  if (v.format == SampleFormat::kSigned && shape.bits != 32) v.offset = -std::ldexp(1.0, shape.bits - 1);  // shifted
  return v;
}

PageSource PageSourceOf(const HyperstackPlan& plan, size_t i) {
  const HyperstackLayout& l = plan.layout;
  if (!plan.mapped.empty()) return {plan.mapped[i].file, plan.mapped[i].directory, 0};
  if (l.pages_present >= 0 && i >= static_cast<size_t>(l.pages_present)) return {};  // not acquired
  if (l.pages_after_first_ifd)
    return {0, plan.directories[0], i == 0 ? 0 : plan.page_shape.data_offset + i * plan.page_shape.data_bytes};
  return {0, plan.directories[i], 0};
}

HyperstackPageReader::HyperstackPageReader(const HyperstackPlan& plan) : plan_(plan) {
  for (const std::string& file : plan.files.empty() ? std::vector<std::string>{plan.path} : plan.files)
    stamps_.push_back(detail::StampOf(file));
  readers_.resize(stamps_.size());
}

HyperstackPageReader::~HyperstackPageReader() = default;

void HyperstackPageReader::Decode(size_t i, void* const* planes) {
  const detail::PageShape& shape = plan_.page_shape;
  const PageSource source = PageSourceOf(plan_, i);
  if (source.file < 0) {  // a plane no page holds, or not acquired
    const size_t bytes = size_t(shape.width) * shape.height * size_t(shape.bits / 8);
    for (int k = 0; k < shape.channels; ++k) std::memset(planes[k], 0, bytes);
    return;
  }
  const auto file = static_cast<size_t>(source.file);
  if (!readers_[file])
    readers_[file] = std::make_unique<detail::TiffReader>(plan_.files.empty() ? plan_.path : plan_.files[file], stamps_[file]);
  const std::string where = plan_.mapped.empty()
                                ? "page " + std::to_string(i + 1) + " of " + plan_.name
                                : "plane " + std::to_string(i + 1) + " of " +
                                      (file == 0 ? plan_.name : detail::FileNameOf(plan_.files[file]));
  readers_[file]->DecodeAt(source.directory, shape, planes, where, source.data_offset);
}

HyperstackPlan PlanHyperstack(const std::string& path, int32_t series) {
  const detail::ProbedFile probe = detail::ProbeImageFile(path);
  HyperstackPlan plan;
  plan.path = path;
  plan.name = detail::FileNameOf(path);
  plan.file_size = probe.stamp.size;
  if (probe.format != detail::FileFormat::kTiff) throw ImageError(plan.name + " is not a TIFF file");
  detail::TiffReader reader(path, probe.stamp);
  if (const std::optional<LsmInfo> lsm = ReadLsmInfo(path, plan.file_size, plan.name)) {
    // Zeiss LSM: its own information gives the layout; its thumbnails are not series.
    plan.directories = reader.FullResolutionPages();
    plan.page_shape = reader.ShapeAt(plan.directories[0], "page 1 of " + plan.name, true);
    const detail::PageShape& first = plan.page_shape;
    plan.layout = LsmLayout(*lsm, static_cast<int64_t>(plan.directories.size()), first.width, first.height,
                            first.channels, plan.name);
  } else {
    detail::PlanSeries(reader, plan, series);
  }
  const detail::PageShape& shape = plan.page_shape;

  // What the pages would decode to against what the file could hold.
  const uint64_t decoded = plan.Samples() * static_cast<uint64_t>(shape.bits / 8);
  if (decoded > kSmallFileAllowance && (plan.file_size < kSmallFile || decoded / kMaxExpansion > plan.file_size)) {
    throw ImageError(plan.name + " declares " + Megabytes(decoded) + " of images (" + std::to_string(plan.Width()) +
                     " x " + std::to_string(plan.Height()) + " x " + std::to_string(plan.layout.PagesUsed()) +
                     " pages) in a file of " + std::to_string((plan.file_size + 1023) / 1024) +
                     " KB; no real file is compressed that far");
  }
  return plan;
}

std::optional<Hyperstack> ReadHyperstack(const HyperstackPlan& plan, ProgressSink& progress, std::string& error,
                                         unsigned threads) {
  const HyperstackLayout& l = plan.layout;
  const detail::PageShape& shape = plan.page_shape;
  Hyperstack h;
  h.width = plan.Width();
  h.height = plan.Height();
  h.slices = l.slices;
  h.channels = plan.Channels();
  h.frames = l.frames;
  h.bits = plan.Bits();
  h.rgb = shape.channels == 3 && l.page_groups == 1 && !shape.samples_as_channels;
  std::copy(l.voxel, l.voxel + 3, h.voxel);
  h.unit = l.unit;
  h.looks = l.channels;
  h.note = l.note;
  h.kind = shape.kind;
  h.values = HeldValuesOf(shape);
  h.data = AllocateSamples(std::max<uint64_t>(plan.Bytes(), 1));
  std::unique_ptr<uint8_t[], FreeDeleter> floats;
  if (shape.bits == 32) floats = AllocateSamples(plan.Samples() * 4);
  if (h.bits == 16) h.plane_ranges.resize(h.Planes());
  // Each 16-bit plane's range while it is still in the cache.
  const auto note_range = [&](size_t plane) {
    const auto* p = reinterpret_cast<const uint16_t*>(h.data.get() + plane * h.PlaneBytes());
    uint16_t lo = 65535, hi = 0;
    for (size_t i = 0, n = h.PlaneSamples(); i < n; ++i) {
      lo = std::min(lo, p[i]);
      hi = std::max(hi, p[i]);
    }
    h.plane_ranges[plane] = {lo, hi};
  };

  const auto pages = static_cast<size_t>(l.PagesUsed());
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<size_t>({threads, pages, 64}));
  // Each worker's own page reader (and so its own libtiff handles), made when first needed.
  std::vector<std::unique_ptr<HyperstackPageReader>> readers(std::max(threads, 1u));
  const auto read_page = [&](unsigned worker, size_t i) {
    if (!readers[worker]) readers[worker] = std::make_unique<HyperstackPageReader>(plan);
    std::vector<void*> planes(static_cast<size_t>(shape.channels));
    std::vector<size_t> numbers(planes.size());
    const PagePlace place = PlaceOf(l, static_cast<int64_t>(i));
    for (int k = 0; k < shape.channels; ++k) {
      const int32_t c = place.group * shape.channels + k;
      const size_t plane = (static_cast<size_t>(place.t) * h.channels + c) * h.slices + place.z;
      numbers[static_cast<size_t>(k)] = plane;
      planes[static_cast<size_t>(k)] = shape.bits == 32 ? floats.get() + plane * h.PlaneSamples() * 4
                                                        : h.data.get() + plane * h.PlaneBytes();
    }
    readers[worker]->Decode(i, planes.data());
    if (shape.bits == 16) {
      for (size_t plane : numbers) note_range(plane);
    }
  };
  progress.ShowProgress("Reading Image", 0, static_cast<int32_t>(std::min<size_t>(pages, INT32_MAX)));
  bool finished = false;
  try {
    finished = RunSteps(pages, threads, &progress, read_page);
  } catch (const std::bad_alloc&) {
    progress.HideProgress();
    throw;
  } catch (const std::exception& e) {
    progress.HideProgress();
    throw ImageError(e.what());
  }
  progress.HideProgress();
  if (!finished) {
    error = "Reading " + plan.name + " was stopped.";
    return std::nullopt;
  }
  if (floats) {
    const StoredValues scaled =
        ScaleFloatsInto16(reinterpret_cast<const float*>(floats.get()), plan.Samples(), reinterpret_cast<uint16_t*>(h.data.get()));
    h.values.offset = scaled.offset, h.values.scale = scaled.scale;
    for (size_t plane = 0; plane < h.Planes(); ++plane) note_range(plane);
  }
  return h;
}

}  // namespace lumetrix::imaging
