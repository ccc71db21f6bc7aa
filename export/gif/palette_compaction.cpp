#include <array>
#include <vector>

#include "core/progress_scope.h"
#include "export/gif/gif_optimize.h"

namespace lumetrix::gif {

void CompactGlobalPalette(cGIF& document, ProgressSink* progress) {
  const int count = document.FramesCount();
  ProgressScope scope(progress, "", count);
  if (!document.GlobalPaletteExists()) return;

  std::array<bool, kPaletteSize> used{};
  bool anyFrame = false;
  bool backgroundNeeded = false;
  for (int i = 1; i <= count; ++i) {
    const clsGIFframe& f = document.Frame(i);
    if (f.FrameDisposalMethod() == clsGIFframe::kRestoreBackground) backgroundNeeded = true;
    if (f.LocalPaletteUsed()) continue;
    anyFrame = true;
    const cDIB& image = f.FrameDIBXOR();
    for (int32_t y = 0; y < image.Height(); ++y) {
      const uint8_t* row = image.Row(y);
      for (int32_t x = 0; x < image.Width(); ++x) used[row[x]] = true;
    }
    // The transparent index must keep meaning "transparent" even where no pixel holds it.
    if (f.FrameUseTransparentColor()) used[f.FrameTransparentColorIndex()] = true;
    scope.Step(i);
  }
  if (!anyFrame) return;
  if (backgroundNeeded) used[document.ScreenBackgroundColorIndex()] = true;

  const int entries = document.GlobalPaletteEntries();
  bool someUnused = false;
  for (int i = 0; i < entries; ++i) someUnused = someUnused || !used[i];
  if (!someUnused) return;

  // Kept entries in their old order; indices past the old count (they show the zero colour
  // the table is padded with) follow as explicit entries of that colour.
  std::array<uint8_t, kPaletteSize> newIndex{};
  std::vector<RGBQuad> kept;
  for (int i = 0; i < kPaletteSize; ++i) {
    if (!used[i]) continue;
    newIndex[i] = static_cast<uint8_t>(kept.size());
    kept.push_back(i < entries ? document.lpGlobalPalette()[i] : RGBQuad{});
  }
  const int newCount = static_cast<int>(kept.size());

  for (int i = 1; i <= count; ++i) {
    clsGIFframe& f = document.Frame(i);
    if (f.LocalPaletteUsed()) continue;
    cDIB& image = f.FrameDIBXOR();
    image.SetPalette(kept.data(), newCount);
    f.SetLocalPalette(kept.data(), newCount);
    for (int32_t y = 0; y < image.Height(); ++y) {
      uint8_t* row = image.Row(y);
      for (int32_t x = 0; x < image.Width(); ++x) row[x] = newIndex[row[x]];
    }
    f.SetFrameTransparentColorIndex(newIndex[f.FrameTransparentColorIndex()]);
    f.FrameMask();
    scope.Step(i);
  }
  document.SetScreenBackgroundColorIndex(used[document.ScreenBackgroundColorIndex()]
                                             ? newIndex[document.ScreenBackgroundColorIndex()]
                                             : uint8_t{0});
  document.SetGlobalPalette(kept.data(), newCount);
}

}  // namespace lumetrix::gif
