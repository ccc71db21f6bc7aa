#include "palettes/gradient.h"

#include <algorithm>

#include "palettes/pal_file.h"

namespace lumetrix::palettes {
namespace {

// c0 + (c1 - c0) * d / w, rounded to nearest with ties to even, in exact integer arithmetic.
uint8_t Interpolate(uint8_t c0, uint8_t c1, int64_t d, int64_t w) {
  const int64_t num = int64_t{c0} * (w - d) + int64_t{c1} * d;
  int64_t q = num / w;
  const int64_t r = num % w;
  if (2 * r > w || (2 * r == w && (q & 1) != 0)) ++q;
  return static_cast<uint8_t>(std::clamp<int64_t>(q, 0, 255));
}

}  // namespace

std::vector<int32_t> BandWidths(int32_t span, int32_t bands) {
  if (bands <= 0) return {};
  span = std::max(span, 0);
  std::vector<int32_t> widths(static_cast<std::size_t>(bands), span / bands);
  const int32_t wider = span % bands;
  for (int32_t j = bands - wider; j < bands; ++j) ++widths[static_cast<std::size_t>(j)];
  return widths;
}

bool DrawMultiGradient(RgbImage& image, int32_t left, int32_t top, int32_t right, int32_t bottom,
                       std::span<const int32_t> colours) {
  std::vector<Rgb> stops;
  for (int32_t c : colours)
    if (c != kSkipColour) stops.push_back(RgbOf(static_cast<ColorRef>(c)));
  if (stops.size() < 2) return false;

  const auto bands = static_cast<int32_t>(stops.size() - 1);
  const int64_t span = int64_t{right} - left;
  const std::vector<int32_t> widths =
      BandWidths(static_cast<int32_t>(std::clamp<int64_t>(span, 0, INT32_MAX)), bands);
  const int64_t y0 = std::max<int64_t>(top, 0);
  const int64_t y1 = std::min<int64_t>(bottom, image.Height());

  int64_t x0 = left;
  for (int32_t j = 0; j < bands; ++j) {
    const int64_t w = widths[static_cast<std::size_t>(j)];
    const Rgb a = stops[static_cast<std::size_t>(j)];
    const Rgb b = stops[static_cast<std::size_t>(j) + 1];
    const int64_t from = std::max<int64_t>(x0, 0);
    const int64_t to = std::min<int64_t>(x0 + w, image.Width());
    for (int64_t x = from; x < to; ++x) {
      const int64_t d = x - x0;
      const Rgb c{Interpolate(a.r, b.r, d, w), Interpolate(a.g, b.g, d, w), Interpolate(a.b, b.b, d, w)};
      for (int64_t y = y0; y < y1; ++y) image.Set(static_cast<int32_t>(x), static_cast<int32_t>(y), c);
    }
    x0 += w;
  }
  return true;
}

Lut SampleStripLut(const RgbImage& strip) {
  Lut lut;
  const int64_t w = strip.Width();
  const int64_t h = strip.Height();
  for (std::size_t i = 0; i < Lut::kEntries; ++i) {
    const int64_t x = w * static_cast<int64_t>(i) / 256;
    const int64_t y = h / 2;
    const Rgb c = strip.Contains(x, y) ? strip.At(static_cast<int32_t>(x), static_cast<int32_t>(y)) : Rgb{};
    lut.Set(i, c.r, c.g, c.b);
  }
  return lut;
}

void ExportPal(const RgbImage& strip, const std::filesystem::path& path) {
  WritePalFile(path, SampleStripLut(strip));
}

}  // namespace lumetrix::palettes
