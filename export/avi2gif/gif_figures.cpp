#include "export/avi2gif/gif_figures.h"

namespace lumetrix::avi2gif {

int PaletteDepth(int entries) {
  if (entries <= 0) return 0;
  int n = 1;
  while ((1 << n) < entries) ++n;
  return n;
}

GifFigures FiguresOf(const gif::cGIF& document) {
  GifFigures f;
  f.Screen = std::to_string(document.ScreenWidth()) + "x" + std::to_string(document.ScreenHeight());
  f.Frames = std::to_string(document.FramesCount());
  const int entries = document.GlobalPaletteExists() ? document.GlobalPaletteEntries() : 0;
  f.Palette = std::to_string(PaletteDepth(entries)) + " bpp";
  f.Entries = std::to_string(entries) + " entries";
  return f;
}

bool CheckerIsBlack(int x, int y) {
  const int row = (y % 2 == 0) ? 0xAA : 0x55;
  return (row >> (7 - x % 8)) & 1;
}

gif::cDIB RenderPaletteGrid(const gif::cGIF& document) {
  gif::cDIB grid;
  grid.Create(kGridSide, kGridSide, 32);
  const int entries = document.GlobalPaletteExists() ? document.GlobalPaletteEntries() : 0;
  const gif::RGBQuad* palette = document.lpGlobalPalette();
  for (int y = 0; y < kGridSide; ++y) {
    uint8_t* p = grid.Row(y);
    for (int x = 0; x < kGridSide; ++x, p += 4) {
      const int entry = (y / kGridCellSize) * kGridCells + x / kGridCellSize;
      gif::RGBQuad c;
      if (entry < entries) {
        c = palette[entry];
      } else {
        const uint8_t v = CheckerIsBlack(x, y) ? 0 : 255;
        c = gif::MakeRGBQuad(v, v, v);
      }
      p[0] = c.blue;
      p[1] = c.green;
      p[2] = c.red;
      p[3] = 255;
    }
  }
  return grid;
}

}  // namespace lumetrix::avi2gif
