#include "export/gif/pal8bpp.h"

#include <algorithm>
#include <limits>

#include "export/gif/octree_quantizer.h"

namespace lumetrix::gif {

void cPal8bpp::Initialize(int entries) {
  Destroy();
  entries_ = std::clamp(entries, 0, kPaletteSize);
}

void cPal8bpp::BuildLogicalPalette() {
  logical_.assign(palette_.begin(), palette_.begin() + entries_);
  hasLogical_ = true;
}

void cPal8bpp::Destroy() {
  entries_ = 0;
  palette_.fill(RGBQuad{});
  logical_.clear();
  hasLogical_ = false;
}

int cPal8bpp::ClosestSnapshotIndex(int red, int green, int blue) const {
  int best = 0;
  int bestDistance = std::numeric_limits<int>::max();
  for (size_t i = 0; i < logical_.size(); ++i) {
    const int dr = red - logical_[i].red;
    const int dg = green - logical_[i].green;
    const int db = blue - logical_[i].blue;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<int>(i);
      if (distance == 0) break;
    }
  }
  return best;
}

uint8_t cPal8bpp::ClosestIndex(int red, int green, int blue) const {
  if (!hasLogical_ || logical_.empty()) return 0;
  return static_cast<uint8_t>(ClosestSnapshotIndex(red, green, blue));
}

void cPal8bpp::ClosestColor(int red, int green, int blue, uint8_t& outRed, uint8_t& outGreen,
                            uint8_t& outBlue) const {
  RGBQuad entry{};
  if (hasLogical_ && !logical_.empty()) entry = logical_[ClosestSnapshotIndex(red, green, blue)];
  outRed = entry.red;
  outGreen = entry.green;
  outBlue = entry.blue;
}

bool cPal8bpp::IsGreyScale() const {
  for (int i = 0; i < entries_; ++i) {
    const RGBQuad& e = palette_[i];
    if (e.red != e.green || e.green != e.blue) return false;
  }
  return true;
}

bool cPal8bpp::CreateGreyScale(int mode) {
  int count = 0;
  int step = 0;
  switch (mode) {
    case 0: count = 2; step = 255; break;
    case 1: count = 16; step = 17; break;
    case 2: count = 256; step = 1; break;
    default: return false;
  }
  Initialize(count);
  for (int i = 0; i < count; ++i) {
    const auto grey = static_cast<uint8_t>(i * step);
    palette_[i] = MakeRGBQuad(grey, grey, grey);
  }
  BuildLogicalPalette();
  return true;
}

bool cPal8bpp::CreateHalftone(int level) {
  static constexpr int kSteps[] = {256, 128, 85, 64, 51};
  if (level < 0 || level > 4) return false;
  const int step = kSteps[level];
  std::vector<uint8_t> values;
  for (int v = 0; v <= 256; v += step) values.push_back(static_cast<uint8_t>(std::min(v, 255)));
  const int n = static_cast<int>(values.size());
  Initialize(n * n * n);
  int index = 0;
  for (int b = 0; b < n; ++b)
    for (int g = 0; g < n; ++g)
      for (int r = 0; r < n; ++r) palette_[index++] = MakeRGBQuad(values[r], values[g], values[b]);
  BuildLogicalPalette();
  return true;
}

bool cPal8bpp::CreateOptimal(const cDIB& source, int maxColours, int depth, double weightRed,
                             double weightGreen, double weightBlue) {
  if (source.BitsPerPixel() != 32 || source.IsEmpty()) return false;
  OctreeQuantizer octree(maxColours, depth, weightRed, weightGreen, weightBlue);
  octree.AddPicture(source);
  const std::vector<RGBQuad> colours = octree.LeafColours();
  Initialize(static_cast<int>(colours.size()));
  std::copy(colours.begin(), colours.begin() + entries_, palette_.begin());
  BuildLogicalPalette();
  return true;
}

void cPal8bpp::SetEntries(int entries) { entries_ = std::clamp(entries, 0, kPaletteSize); }

uint8_t cPal8bpp::rgbR(int index) const { return ValidIndex(index) ? palette_[index].red : 0; }
uint8_t cPal8bpp::rgbG(int index) const { return ValidIndex(index) ? palette_[index].green : 0; }
uint8_t cPal8bpp::rgbB(int index) const { return ValidIndex(index) ? palette_[index].blue : 0; }
void cPal8bpp::SetrgbR(int index, uint8_t value) {
  if (ValidIndex(index)) palette_[index].red = value;
}
void cPal8bpp::SetrgbG(int index, uint8_t value) {
  if (ValidIndex(index)) palette_[index].green = value;
}
void cPal8bpp::SetrgbB(int index, uint8_t value) {
  if (ValidIndex(index)) palette_[index].blue = value;
}

}  // namespace lumetrix::gif
