#pragma once
// The state of the palette maker without its window: three curves, the channel being edited,
// the scroll bar values that set the point counts, the computed channel values, dragging, and
// saving/loading under a name.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "palettes/curves.h"
#include "palettes/lut.h"
#include "palettes/palette_folders.h"

namespace lumetrix::palettes {

class PaletteMaker {
 public:
  static constexpr int32_t kMaxRow = 255;

  // The default curves, every scroll bar at 2, red current and computed.
  PaletteMaker();

  const CurveSet& Curves() const { return curves_; }
  int CurrentChannel() const { return current_; }
  int32_t ScrollValue(int c) const { return scroll_.at(static_cast<std::size_t>(c)); }
  const std::array<ChannelValues, kChannels>& Values() const { return values_; }
  std::vector<int> ActivePoints(int c) const { return palettes::ActivePoints(curves_, c); }
  bool IsActive(int c, int point) const;

  // Sets channel c's point count from a scroll bar value 1..4 (2, 3, 5, 9 points). Points
  // that become active come back at their stored positions.
  void SetScrollValue(int c, int32_t value);
  // Channel c becomes the one that is edited (and is computed).
  void SelectChannel(int c);

  // Drags point `point` of the current channel to the given row and x (the pointer position
  // less the grab offset plus the handle's position; fractions allowed). The row is rounded
  // half to even and limited to 0..255. Only inner active points move sideways, and not past
  // their active neighbours; points 0 and 8 move only up and down. Inactive points do not move.
  void Drag(int point, double row, double x);

  // The defaults again: every channel 3 points, all values 0, red current.
  void Reset();
  // Takes curves read from a file: counts become the nearest supported count (4 -> 5, 6 -> 5,
  // 7 and 8 -> 9), every channel is computed, red becomes current. Counts outside 2..9 or
  // coordinates outside 0..255 throw PaletteError and change nothing.
  void ApplyCurves(const CurveSet& curves);

  // Entry e = (blue, green, red) of the computed values, reserved byte 1.
  Lut ToLut() const;

  // Writes name.pl2 and name.pal into the writable folder. Throws PaletteError.
  void Save(const PaletteFolders& folders, std::string_view name) const;
  // Reads name.pl2 (writable folder first, then the bundled one). Throws PaletteError and keeps
  // the previous curves when it is missing or damaged.
  void Load(const PaletteFolders& folders, std::string_view name);

 private:
  void Compute(int c);

  CurveSet curves_;
  std::array<int32_t, kChannels> scroll_{};
  int current_ = 0;
  std::array<ChannelValues, kChannels> values_{};
};

}  // namespace lumetrix::palettes
