// libFuzzer target: ImageJ descriptions and OME-XML as text, resolved against a file of 1..64
// pages (the first byte chooses the page count and kind), and the OME plane map of every image.
// An ImageJ or plain layout must never ask for more pages than the file holds (but for an
// acquisition stopped early, whose missing pages are blank); an OME one never
// for more than kMaxOmePlanes, and its map only for pages of the files it names.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "imaging/hyperstack_layout.h"
#include "imaging/ome_plane_map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lumetrix::imaging;
  if (size < 1) return 0;
  StackFacts facts;
  facts.pages = 1 + (data[0] & 63);
  facts.page_channels = (data[0] & 64) ? 3 : 1;
  facts.contiguous_pages = (data[0] & 128) ? 100 : 0;
  facts.resolution_unit = 1 + data[0] % 3;
  facts.x_resolution = facts.y_resolution = 2;
  facts.width = 5, facts.height = 4;
  facts.description.assign(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::vector<OmeDescription> images = ParseOmeImages(facts.description);
  for (size_t image = 0; image < std::max<size_t>(images.size(), 1) && image < 4; ++image) {
    facts.ome_image = image;
    const HyperstackLayout l = ResolveLayout(facts, "f.tif");
    const bool ome = image < images.size() && l.note.empty() && !ParseImageJDescription(facts.description);
    // An acquisition stopped early uses more pages than the file holds; those present must be in it.
    const int64_t held = facts.pages + (l.pages_after_first_ifd ? facts.contiguous_pages : 0);
    if (l.pages_present >= 0 && (l.pages_present < 1 || l.pages_present > held || l.pages_present >= l.PagesUsed()))
      std::abort();
    const int64_t limit = ome ? kMaxOmePlanes : l.pages_present >= 0 ? INT64_MAX : held;
    if (l.PagesUsed() < 1 || l.PagesUsed() > limit || l.page_groups * facts.page_channels > kMaxChannels) std::abort();
    for (int32_t t : {0, l.frames - 1})
      for (int32_t z : {0, l.slices - 1})
        for (int32_t g : {0, l.page_groups - 1})
          if (l.PageOf(g, z, t) < 0 || l.PageOf(g, z, t) >= l.PagesUsed()) std::abort();
    if (!ome) continue;
    std::vector<int64_t> pages(images[image].files.size() + 1, facts.pages);
    if (pages.size() > 1) pages[1] = -1;  // a missing file
    std::string problem;
    const std::vector<PlaneSource> map = MapOmePlanes(images[image], l, facts.page_channels, 0, pages, problem);
    if (!problem.empty() ? !map.empty() : map.size() != static_cast<size_t>(l.PagesUsed())) std::abort();
    for (const PlaneSource& s : map)
      if (s.file >= static_cast<int32_t>(pages.size()) || (s.file >= 0 && s.ifd < 0)) std::abort();
  }
  return 0;
}
