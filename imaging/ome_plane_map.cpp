#include "imaging/ome_plane_map.h"

#include <algorithm>

namespace lumetrix::imaging {
namespace {

// Planes assigned over all TiffData elements: overlapping elements of a hostile file could
// otherwise ask for (elements x planes) steps.
constexpr int64_t kMaxAssignments = int64_t{1} << 24;

}  // namespace

std::vector<PlaneSource> MapOmePlanes(const OmeDescription& image, const HyperstackLayout& layout, int page_channels,
                                      int64_t first_ifd, const std::vector<int64_t>& pages_per_file,
                                      std::string& problem) {
  const int64_t planes = layout.PagesUsed();
  if (planes < 1 || planes > kMaxOmePlanes) {
    problem = "its OME metadata describes " + std::to_string(planes) + " planes; at most " +
              std::to_string(kMaxOmePlanes) + " are read";
    return {};
  }
  std::vector<PlaneSource> map(static_cast<size_t>(planes));
  const auto pages_of = [&](size_t file) { return file < pages_per_file.size() ? pages_per_file[file] : -1; };
  if (image.tiff_data.empty()) {
    const int64_t count = std::clamp<int64_t>(pages_of(0) - first_ifd, 0, planes);
    for (int64_t i = 0; i < count; ++i) map[static_cast<size_t>(i)] = {0, first_ifd + i};
    return map;
  }
  int64_t assigned = 0;
  for (const OmeTiffData& d : image.tiff_data) {
    if (d.ifd == -2) continue;  // an IFD that is not a number names no page
    const int32_t file = d.file + 1;
    const int64_t c = std::max<long>(d.first_c, 0), z = std::max<long>(d.first_z, 0), t = std::max<long>(d.first_t, 0);
    if (c >= int64_t{layout.page_groups} * page_channels || z >= layout.slices || t >= layout.frames) continue;
    const int64_t start = layout.PageOf(static_cast<int32_t>(c / page_channels), static_cast<int32_t>(z),
                                        static_cast<int32_t>(t));
    const int64_t ifd = std::max<long>(d.ifd, 0);
    int64_t count = d.plane_count >= 0 ? d.plane_count : d.ifd >= 0 ? 1 : std::max<int64_t>(pages_of(file), 0);
    count = std::min(count, planes - start);
    if ((assigned += count) > kMaxAssignments) {
      problem = "its OME TiffData elements assign more than " + std::to_string(kMaxAssignments) + " planes";
      return {};
    }
    for (int64_t k = 0; k < count; ++k) map[static_cast<size_t>(start + k)] = {file, ifd + k};
  }
  return map;
}

}  // namespace lumetrix::imaging
