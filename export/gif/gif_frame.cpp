#include "export/gif/gif_frame.h"

#include <algorithm>

namespace lumetrix::gif {

namespace {
const RGBQuad kMaskPalette[2] = {MakeRGBQuad(0, 0, 0), MakeRGBQuad(255, 255, 255)};
}

bool clsGIFframe::Create(int32_t width, int32_t height) {
  *this = clsGIFframe{};
  if (!image_.Create(width, height, 8) || !mask_.Create(width, height, 1)) {
    *this = clsGIFframe{};
    return false;
  }
  mask_.SetPalette(kMaskPalette, 2);
  return true;
}

void clsGIFframe::SetLocalPaletteEntries(int entries) {
  localEntries_ = std::clamp(entries, 0, kPaletteSize);
}

RGBQuad clsGIFframe::LocalPaletteRGBEntry(int index) const {
  if (index < 0 || index >= kPaletteSize) return RGBQuad{};
  return localPalette_[index];
}

void clsGIFframe::SetLocalPaletteRGBEntry(int index, RGBQuad colour) {
  if (index >= 0 && index < kPaletteSize) localPalette_[index] = colour;
}

void clsGIFframe::SetLocalPalette(const RGBQuad* entries, int count) {
  count = std::clamp(count, 0, kPaletteSize);
  localPalette_.fill(RGBQuad{});
  if (entries != nullptr) std::copy(entries, entries + count, localPalette_.begin());
  localEntries_ = count;
}

void clsGIFframe::FrameMask() {
  if (image_.IsEmpty()) {
    mask_.Destroy();
    return;
  }
  if (mask_.BitsPerPixel() != 1 || mask_.Width() != image_.Width() ||
      mask_.Height() != image_.Height()) {
    if (!mask_.Create(image_.Width(), image_.Height(), 1)) return;
    mask_.SetPalette(kMaskPalette, 2);
  }
  mask_.Fill(0);
  if (!useTransparent_ || image_.BitsPerPixel() != 8) return;
  for (int32_t y = 0; y < image_.Height(); ++y) {
    const uint8_t* in = image_.Row(y);
    uint8_t* out = mask_.Row(y);
    for (int32_t x = 0; x < image_.Width(); ++x)
      if (in[x] == transparentIndex_) out[x >> 3] = static_cast<uint8_t>(out[x >> 3] | (0x80 >> (x & 7)));
  }
}

}  // namespace lumetrix::gif
