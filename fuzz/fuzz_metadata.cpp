// libFuzzer target: ImageJ descriptions and OME-XML as text, resolved against a file of 1..64
// pages (the first byte chooses the page count and kind). The layout must never ask for more
// pages than the file holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "imaging/hyperstack_layout.h"

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
  const HyperstackLayout l = ResolveLayout(facts, "f.tif");
  const int64_t limit = facts.pages + (l.pages_after_first_ifd ? facts.contiguous_pages : 0);
  if (l.PagesUsed() < 1 || l.PagesUsed() > limit || l.page_groups * facts.page_channels > kMaxChannels) std::abort();
  for (int32_t t : {0, l.frames - 1})
    for (int32_t z : {0, l.slices - 1})
      for (int32_t g : {0, l.page_groups - 1})
        if (l.PageOf(g, z, t) < 0 || l.PageOf(g, z, t) >= l.PagesUsed()) std::abort();
  return 0;
}
