#include "imaging/hyperstack_layout.h"

#include <cmath>
#include <cstdint>
#include <tuple>
#include <vector>

namespace lumetrix::imaging {
namespace {

// Metres per unit of the lengths microscopists use; 0 for units we do not convert.
double MetresPer(const std::string& unit) {
  if (unit == "\xC2\xB5m") return 1e-6;
  if (unit == "nm") return 1e-9;
  if (unit == "mm") return 1e-3;
  if (unit == "cm") return 1e-2;
  if (unit == "m") return 1;
  return 0;
}

// OME unit spellings: the symbols of its UnitsLength list we accept.
std::string OmeUnit(const std::string& unit) {
  if (unit == "\xC2\xB5m" || unit == "\xCE\xBCm" || unit == "um") return "\xC2\xB5m";
  if (unit == "nm" || unit == "mm" || unit == "cm" || unit == "m") return unit;
  if (unit == "pixel") return "pixel";
  return {};
}

bool ScreenOrPrintDensity(const StackFacts& facts) {
  if (facts.resolution_unit != 2 || facts.x_resolution != facts.y_resolution) return false;
  for (const double dpi : {72.0, 96.0, 150.0, 300.0, 600.0})
    if (std::fabs(facts.x_resolution - dpi) < 1e-3) return true;
  return false;
}

std::string Count(int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

int64_t HyperstackLayout::PagesUsed() const {
  int64_t n = page_groups;
  if (__builtin_mul_overflow(n, int64_t{slices}, &n) || __builtin_mul_overflow(n, int64_t{frames}, &n)) return INT64_MAX;
  return n;
}

int64_t HyperstackLayout::PageOf(int32_t g, int32_t z, int32_t t) const {
  int64_t index = 0;
  int64_t stride = 1;
  for (const char axis : page_axes) {
    const int64_t value = axis == 'C' ? g : axis == 'Z' ? z : t;
    const int64_t size = axis == 'C' ? page_groups : axis == 'Z' ? slices : frames;
    index += value * stride;
    stride *= size;
  }
  return index;
}

HyperstackLayout ResolveLayout(const StackFacts& facts, const std::string& file_name) {
  HyperstackLayout plain;
  plain.slices = static_cast<int32_t>(facts.pages);
  // Resolution tags: X and Y only, and not the densities of screens and printers, which cameras
  // and drawing programs write without measuring anything.
  if (!ScreenOrPrintDensity(facts) && facts.x_resolution > 0 && facts.y_resolution > 0 && std::isfinite(facts.x_resolution) &&
      std::isfinite(facts.y_resolution)) {
    const double to_um = facts.resolution_unit == 2 ? 25400.0 : facts.resolution_unit == 3 ? 10000.0 : 0;
    if (to_um > 0) {
      plain.voxel[0] = to_um / facts.x_resolution;
      plain.voxel[1] = to_um / facts.y_resolution;
      plain.unit = "\xC2\xB5m";
    }
  }
  const auto refuse = [&](const std::string& why) {
    HyperstackLayout fallback = plain;
    fallback.note = file_name + ": " + why + "; the pages are shown as one channel, one page per slice.";
    return fallback;
  };

  HyperstackLayout l = plain;
  const auto ij = ParseImageJDescription(facts.description);
  std::optional<OmeDescription> ome;
  if (!ij) {
    std::vector<OmeDescription> images = ParseOmeImages(facts.description);
    if (facts.ome_image < images.size()) ome = std::move(images[facts.ome_image]);
  }
  if (ij) {
    if (ij->images < 0 || ij->channels < 0 || ij->slices < 0 || ij->frames < 0) {
      return refuse("its ImageJ description gives an impossible count of images, channels, slices or frames");
    }
    const int64_t images = ij->images ? ij->images : facts.pages;
    l.page_groups = static_cast<int32_t>(std::max<long>(ij->channels, 1));
    l.frames = static_cast<int32_t>(std::max<long>(ij->frames, 1));
    l.slices = static_cast<int32_t>(ij->slices ? ij->slices : (ij->channels || ij->frames ? 1 : images));
    l.page_axes = "CZT";
    if (l.PagesUsed() != images) {
      return refuse("its ImageJ description counts " + Count(images, "image", "images") + " but " +
                    Count(l.page_groups, "channel", "channels") + " x " + Count(l.slices, "slice", "slices") +
                    " x " + Count(l.frames, "frame", "frames"));
    }
    if (images != facts.pages) {
      int64_t present = facts.pages;
      if (facts.pages == 1 && facts.contiguous_pages > 0) {
        l.pages_after_first_ifd = true;
        present = std::min(images, facts.contiguous_pages + 1);
      } else if (facts.pages > images) {
        return refuse("its ImageJ description counts " + Count(images, "image", "images") + " but the file holds " +
                      Count(facts.pages, "page", "pages"));
      }
      if (present < images) {  // an acquisition stopped early
        l.pages_present = present;
        l.note = file_name + " holds " + std::to_string(present) + " of the " + std::to_string(images) +
                 " images its ImageJ description counts; the others are blank.";
      }
    }
    if (ij->spacing < 0) return refuse("its ImageJ description gives an impossible slice spacing");
    const std::string unit = ij->unit.empty() ? std::string() : NormalisedUnit(ij->unit);
    if (!ij->unit.empty() && unit.empty()) return refuse("its ImageJ description gives an unknown unit \"" + ij->unit + "\"");
    if (facts.resolution_unit == 1 && !unit.empty() && facts.x_resolution > 0 && facts.y_resolution > 0) {
      l.voxel[0] = 1.0 / facts.x_resolution;
      l.voxel[1] = 1.0 / facts.y_resolution;
      l.unit = unit;
    }
    if (ij->spacing > 0 && !l.unit.empty()) {
      // The spacing is in the description's unit, also where X and Y came from pixels per inch
      // or centimetre (then in micrometres).
      const double to_layout = l.unit != unit && MetresPer(unit) > 0 ? MetresPer(unit) / MetresPer(l.unit) : 1;
      l.voxel[2] = ij->spacing * to_layout;
    }
    // Each channel's display range and colour (the top of its lookup table), where given.
    const ImageJChannelData& extra = facts.imagej_channels;
    const auto groups = static_cast<size_t>(l.page_groups);
    if (ij->has_range || !extra.ranges.empty() || !extra.luts.empty()) l.channels.resize(groups);
    for (size_t c = 0; c < l.channels.size(); ++c) {
      ChannelLook& look = l.channels[c];
      if (c < extra.ranges.size() && extra.ranges.size() == groups) {
        look.has_range = true;
        std::tie(look.min, look.max) = extra.ranges[c];
      } else if (ij->has_range) {
        look.has_range = true;
        look.min = ij->min;
        look.max = ij->max;
      }
      if (c < extra.luts.size() && extra.luts.size() == groups) {
        look.has_colour = true;
        look.red = extra.luts[c][255];
        look.green = extra.luts[c][511];
        look.blue = extra.luts[c][767];
      }
    }
  } else if (ome) {
    if (ome->size_c <= 0 || ome->size_z <= 0 || ome->size_t <= 0) {
      return refuse("its OME metadata gives no or impossible SizeC, SizeZ or SizeT");
    }
    if ((ome->size_x && ome->size_x != facts.width) || (ome->size_y && ome->size_y != facts.height)) {
      return refuse("its OME metadata gives a plane size of " + std::to_string(ome->size_x) + " x " +
                    std::to_string(ome->size_y) + " pixels, its pages are " + std::to_string(facts.width) + " x " +
                    std::to_string(facts.height));
    }
    l.page_axes = PageAxes(ome->dimension_order);
    if (l.page_axes.empty()) return refuse("its OME metadata gives an unknown DimensionOrder \"" + ome->dimension_order + "\"");
    if (ome->size_c % facts.page_channels != 0) {
      return refuse("its OME metadata gives " + Count(ome->size_c, "channel", "channels") + " for pages of " +
                    std::to_string(facts.page_channels) + " samples");
    }
    l.page_groups = static_cast<int32_t>(ome->size_c / facts.page_channels);
    l.slices = static_cast<int32_t>(ome->size_z);
    l.frames = static_cast<int32_t>(ome->size_t);
    if (const int64_t planes = l.PagesUsed(); planes > kMaxOmePlanes) {
      return refuse("its OME metadata describes " +
                    (planes == INT64_MAX ? "more than 9 x 10^18" : std::to_string(planes)) +
                    " planes but the file holds " + Count(facts.pages, "page", "pages"));
    }
    for (int i = 0; i < 3; ++i) {
      if (ome->physical[i] < 0) return refuse("its OME metadata gives an impossible physical voxel size");
    }
    if (ome->physical[0] > 0 && ome->physical[1] > 0) {
      // One unit for all three: X's; Y and Z are converted to it.
      const std::string unit = OmeUnit(ome->physical_unit[0]);
      if (unit.empty()) return refuse("its OME metadata gives an unknown unit \"" + ome->physical_unit[0] + "\"");
      l.unit = unit;
      l.voxel[2] = 0;
      for (int i = 0; i < 3; ++i) {
        if (ome->physical[i] <= 0) continue;
        const std::string u = OmeUnit(ome->physical_unit[i]);
        if (u.empty()) return refuse("its OME metadata gives an unknown unit \"" + ome->physical_unit[i] + "\"");
        const double scale = u == unit ? 1.0 : (MetresPer(u) > 0 && MetresPer(unit) > 0 ? MetresPer(u) / MetresPer(unit) : 0);
        if (scale == 0) return refuse("its OME metadata mixes units that cannot be compared");
        l.voxel[i] = ome->physical[i] * scale;
      }
    }
    for (const OmeChannel& c : ome->channels) {
      ChannelLook look;
      look.name = c.name;
      look.has_colour = c.has_colour;
      look.red = static_cast<uint8_t>(c.rgba >> 24);
      look.green = static_cast<uint8_t>(c.rgba >> 16);
      look.blue = static_cast<uint8_t>(c.rgba >> 8);
      l.channels.push_back(look);
    }
  }
  if (int64_t{l.page_groups} * facts.page_channels > kMaxChannels) {
    return refuse("it has " + std::to_string(int64_t{l.page_groups} * facts.page_channels) + " channels; at most " +
                  std::to_string(kMaxChannels) + " are read");
  }
  if (l.page_groups < 1 || l.slices < 1 || l.frames < 1) return refuse("its metadata gives an empty stack");
  return l;
}

}  // namespace lumetrix::imaging
