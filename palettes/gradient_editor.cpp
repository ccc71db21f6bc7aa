#include "palettes/gradient_editor.h"

#include "palettes/gradient.h"
#include "palettes/pal_file.h"
#include "palettes/palette_error.h"

namespace lumetrix::palettes {

std::array<ColorRef, kStopCount> GradientEditor::InitialColors() {
  return {MakeColorRef(0, 0, 0),       MakeColorRef(255, 0, 0),     MakeColorRef(255, 128, 0),
          MakeColorRef(255, 255, 0),   MakeColorRef(0, 192, 0),     MakeColorRef(128, 255, 128),
          MakeColorRef(0, 0, 255),     MakeColorRef(128, 128, 255), MakeColorRef(255, 0, 255),
          MakeColorRef(128, 128, 128), MakeColorRef(255, 255, 255)};
}

GradientEditor::GradientEditor() : strip_(kStripWidth, kStripHeight) {
  const auto initial = InitialColors();
  for (std::size_t i = 0; i < kStopCount; ++i) colors_[i] = initial[i];
  active_.fill(true);
  DrawGradient();
}

bool GradientEditor::SetStopColor(int stop, ColorRef color) {
  colors_.at(static_cast<std::size_t>(stop)) = color & 0xFFFFFFu;
  return DrawGradient();
}

bool GradientEditor::ToggleActive(int stop) {
  auto& flag = active_.at(static_cast<std::size_t>(stop));
  flag = !flag;
  return DrawGradient();
}

bool GradientEditor::DrawGradient() {
  std::array<int32_t, kStopCount> values{};
  for (std::size_t i = 0; i < kStopCount; ++i)
    values[i] = active_[i] ? static_cast<int32_t>(colors_[i] & 0xFFFFFFu) : kSkipColour;
  // Draw into a copy so that a failure leaves the previous picture.
  RgbImage next = strip_;
  if (!DrawMultiGradient(next, 0, 0, strip_.Width(), strip_.Height(), values)) return false;
  strip_ = std::move(next);
  return true;
}

Lut GradientEditor::ExportLut() const { return SampleStripLut(strip_); }

StopFile GradientEditor::ToStopFile() const {
  StopFile stops;
  stops.colors = colors_;
  for (std::size_t i = 0; i < kStopCount; ++i) stops.borders[i] = active_[i] ? 1 : 0;
  return stops;
}

bool GradientEditor::ApplyStopFile(const StopFile& stops) {
  for (std::size_t i = 0; i < kStopCount; ++i) {
    colors_[i] = stops.colors[i] & 0xFFFFFFu;
    active_[i] = stops.borders[i] != 0;
  }
  colors_[kStopCount] = stops.colors[kStopCount];
  return DrawGradient();
}

void GradientEditor::Save(const PaletteFolders& folders, std::string_view name) const {
  const auto stopPath = WritablePaletteFile(folders, name, ".plt");
  const auto palPath = WritablePaletteFile(folders, name, ".pal");
  WriteStopFile(stopPath, ToStopFile());
  ExportPal(strip_, palPath);
}

bool GradientEditor::Load(const PaletteFolders& folders, std::string_view name) {
  if (auto problem = CheckPaletteName(name)) throw PaletteError(*problem);
  const auto path = FindPaletteFile(folders, name, ".plt");
  if (!path) throw PaletteError("There is no gradient stop file named \"" + std::string(name) + "\".");
  return ApplyStopFile(ReadStopFile(*path));
}

}  // namespace lumetrix::palettes
