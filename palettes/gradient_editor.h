#pragma once
// The state of the gradient palette editor without its window: eleven colour stops, which of
// them are active, the strip they are drawn into, and saving/loading under a name.

#include <array>
#include <cstdint>
#include <string_view>

#include "palettes/colour.h"
#include "palettes/lut.h"
#include "palettes/palette_folders.h"
#include "palettes/stop_file.h"

namespace lumetrix::palettes {

inline constexpr const char* kGradientFailed = "Gradient failed. Must have at least two colors.";

class GradientEditor {
 public:
  static constexpr int kStops = static_cast<int>(kStopCount);
  // Drawing surface of the strip (404 x 31 pixels with its border).
  static constexpr int32_t kStripWidth = 400;
  static constexpr int32_t kStripHeight = 27;

  // The initial stops (black, red, orange, yellow, green, light green, blue, light blue,
  // magenta, grey, white), all active, the strip drawn.
  GradientEditor();

  static std::array<ColorRef, kStopCount> InitialColors();

  ColorRef StopColor(int stop) const { return colors_.at(static_cast<std::size_t>(stop)); }
  bool IsActive(int stop) const { return active_.at(static_cast<std::size_t>(stop)); }
  ColorRef SpareSlot() const { return colors_[kStopCount]; }

  // Each of these redraws the strip and returns what DrawGradient returned: false means fewer
  // than two active stops, and the strip keeps its previous picture.
  bool SetStopColor(int stop, ColorRef color);
  bool ToggleActive(int stop);
  bool DrawGradient();

  const RgbImage& Strip() const { return strip_; }
  Lut ExportLut() const;

  StopFile ToStopFile() const;
  // Colours of slots 0..10 lose any high byte (a swatch holds 0x00BBGGRR only); a non-zero
  // border counts as active. Returns DrawGradient's result.
  bool ApplyStopFile(const StopFile& stops);

  // Writes name.plt and name.pal (sampled from the current strip) into the writable folder.
  // Throws PaletteError with a message for the user (refused name, write failure).
  void Save(const PaletteFolders& folders, std::string_view name) const;
  // Reads name.plt (writable folder first, then the bundled one). Throws PaletteError and
  // changes nothing when the file is missing or too short. Returns DrawGradient's result.
  bool Load(const PaletteFolders& folders, std::string_view name);

 private:
  std::array<ColorRef, kStopCount + 1> colors_{};
  std::array<bool, kStopCount> active_{};
  RgbImage strip_;
};

}  // namespace lumetrix::palettes
