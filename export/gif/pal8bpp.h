#pragma once
// A palette of up to 256 colours for 8-bit frames: a grey ramp, a uniform colour cube or an
// optimal palette of a picture (octree quantisation), with a nearest-colour search.

#include <cstdint>
#include <vector>

#include "export/gif/dib.h"
#include "export/gif/rgb_quad.h"

namespace lumetrix::gif {

class cPal8bpp {
 public:
  // Destroy, then `entries` (clamped to 0 … 256) zero entries.
  void Initialize(int entries);
  // Takes a snapshot of the first Entries() entries for ClosestIndex / ClosestColor; changes
  // made to the entries afterwards are seen only after the next call.
  void BuildLogicalPalette();
  // Count 0, every entry zero, no search snapshot.
  void Destroy();

  // Index of the snapshot entry nearest to the colour by squared distance in RGB space; on a
  // tie the lowest index wins. 0 when there is no snapshot or it is empty.
  uint8_t ClosestIndex(int red, int green, int blue) const;
  void ClosestColor(int red, int green, int blue, uint8_t& outRed, uint8_t& outGreen,
                    uint8_t& outBlue) const;

  // True when every entry below the count has equal red, green and blue (also when empty).
  bool IsGreyScale() const;

  // Mode 0: 2 greys (0, 255); 1: 16 greys in steps of 17; 2: 256 greys. False for other modes.
  bool CreateGreyScale(int mode);
  // Level 0 … 4: a uniform cube of 8, 27, 64, 125 or 216 entries, blue outermost, red
  // innermost. False for other levels.
  bool CreateHalftone(int level);
  // Octree palette of a 32-bit picture. Depth is clamped to 1 … 8 and maxColours to 1 … 256.
  // False (palette unchanged) when the source is not a 32-bit bitmap.
  bool CreateOptimal(const cDIB& source, int maxColours, int depth, double weightRed,
                     double weightGreen, double weightBlue);

  int Entries() const { return entries_; }
  void SetEntries(int entries);

  uint8_t rgbR(int index) const;
  uint8_t rgbG(int index) const;
  uint8_t rgbB(int index) const;
  void SetrgbR(int index, uint8_t value);
  void SetrgbG(int index, uint8_t value);
  void SetrgbB(int index, uint8_t value);

  // The 256 entries (blue, green, red, reserved); those past the count are zero.
  const RGBQuad* lpPalette() const { return palette_.data(); }
  const Palette256& PaletteEntries() const { return palette_; }
  // Whether a search snapshot exists (the logical palette of the Windows original).
  bool HasLogicalPalette() const { return hasLogical_; }

 private:
  int ClosestSnapshotIndex(int red, int green, int blue) const;
  bool ValidIndex(int index) const { return index >= 0 && index < kPaletteSize; }

  int entries_ = 0;
  Palette256 palette_{};
  bool hasLogical_ = false;
  std::vector<RGBQuad> logical_;
};

}  // namespace lumetrix::gif
