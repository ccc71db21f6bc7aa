#include "palettes/palette_maker.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "palettes/curve_file.h"
#include "palettes/pal_file.h"
#include "palettes/palette_error.h"
#include "core/rounding.h"

namespace lumetrix::palettes {
namespace {

int32_t RoundedClamped(double v, int32_t lo, int32_t hi) {
  if (std::isnan(v)) return lo;
  return static_cast<int32_t>(RoundHalfEven(std::clamp(v, static_cast<double>(lo), static_cast<double>(hi))));
}

void CheckChannel(int c) {
  if (c < 0 || c >= kChannels) throw std::out_of_range("channel " + std::to_string(c));
}

}  // namespace

PaletteMaker::PaletteMaker() { Reset(); }

bool PaletteMaker::IsActive(int c, int point) const {
  CheckChannel(c);
  if (point < 0 || point >= kCurvePoints) return false;
  return point % StepOf(curves_.pointCount[static_cast<std::size_t>(c)]) == 0;
}

void PaletteMaker::Compute(int c) { ComputeChannel(curves_, c, values_[static_cast<std::size_t>(c)]); }

void PaletteMaker::SetScrollValue(int c, int32_t value) {
  CheckChannel(c);
  const auto cc = static_cast<std::size_t>(c);
  scroll_[cc] = std::clamp(value, 1, 4);
  curves_.pointCount[cc] = PointCountOfScroll(scroll_[cc]);
  // Every channel is recomputed when its count changes, not only the current one, so that a
  // saved palette always matches its saved curves.
  Compute(c);
}

void PaletteMaker::SelectChannel(int c) {
  CheckChannel(c);
  current_ = c;
  Compute(c);
}

void PaletteMaker::Drag(int point, double row, double x) {
  const int c = current_;
  if (!IsActive(c, point)) return;
  const auto cc = static_cast<std::size_t>(c);
  const auto pi = static_cast<std::size_t>(point);
  curves_.pointY[cc][pi] = RoundedClamped(row, 0, kMaxRow);

  const int32_t step = StepOf(curves_.pointCount[cc]);
  if (point != 0 && point != kCurvePoints - 1) {
    const int32_t previous = curves_.pointX[cc][pi - static_cast<std::size_t>(step)];
    const int32_t next = curves_.pointX[cc][pi + static_cast<std::size_t>(step)];
    int32_t nx = RoundedClamped(x, 0, 255);
    if (nx < previous) nx = previous;
    if (nx > next) nx = next;
    curves_.pointX[cc][pi] = nx;
  }
  Compute(c);
}

void PaletteMaker::Reset() {
  curves_ = CurveSet::Defaults();
  for (auto& v : values_) v.fill(0);
  for (int c = kChannels - 1; c >= 0; --c) {
    current_ = c;
    SetScrollValue(c, 2);
    SelectChannel(c);
  }
  SelectChannel(0);
}

void PaletteMaker::ApplyCurves(const CurveSet& curves) {
  for (int c = 0; c < kChannels; ++c) {
    const auto cc = static_cast<std::size_t>(c);
    if (curves.pointCount[cc] < 2 || curves.pointCount[cc] > 9)
      throw PaletteError("A curve needs 2 to 9 points.");
    for (int i = 0; i < kCurvePoints; ++i) {
      const auto ii = static_cast<std::size_t>(i);
      if (curves.pointX[cc][ii] < 0 || curves.pointX[cc][ii] > 255 || curves.pointY[cc][ii] < 0 ||
          curves.pointY[cc][ii] > 255)
        throw PaletteError("Curve points must lie within 0..255.");
    }
  }
  curves_ = curves;
  for (int c = kChannels - 1; c >= 0; --c) {
    current_ = c;
    SetScrollValue(c, ScrollOfPointCount(curves.pointCount[static_cast<std::size_t>(c)]));
    SelectChannel(c);
  }
  SelectChannel(0);
}

Lut PaletteMaker::ToLut() const {
  Lut lut;
  for (std::size_t e = 0; e < Lut::kEntries; ++e) {
    auto v = [&](int c) { return static_cast<uint8_t>(std::clamp(values_[static_cast<std::size_t>(c)][e], 0, 255)); };
    lut.Set(e, v(0), v(1), v(2));
  }
  return lut;
}

void PaletteMaker::Save(const PaletteFolders& folders, std::string_view name) const {
  const auto curvePath = WritablePaletteFile(folders, name, ".pl2");
  const auto palPath = WritablePaletteFile(folders, name, ".pal");
  WriteCurveFile(curvePath, curves_);
  WritePalFile(palPath, ToLut());
}

void PaletteMaker::Load(const PaletteFolders& folders, std::string_view name) {
  if (auto problem = CheckPaletteName(name)) throw PaletteError(*problem);
  const auto path = FindPaletteFile(folders, name, ".pl2");
  if (!path) throw PaletteError("There is no curve file named \"" + std::string(name) + "\".");
  ApplyCurves(ReadCurveFile(*path));
}

}  // namespace lumetrix::palettes
