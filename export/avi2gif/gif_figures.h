#pragma once
// What the window shows about the document under "GIF info:": the screen, the frame count,
// the palette depth and the global palette's entry count; and the palette grid.

#include <string>

#include "export/gif/dib.h"
#include "export/gif/gif_document.h"

namespace lumetrix::avi2gif {

struct GifFigures {
  std::string Screen;   // "320x240"
  std::string Frames;   // "45"
  std::string Palette;  // "8 bpp"
  std::string Entries;  // "256 entries"
};

// Bits per entry of a colour table of `entries` colours as the GIF stores it: the smallest
// n >= 1 with 2^n >= entries; 0 for no entries.
int PaletteDepth(int entries);

GifFigures FiguresOf(const gif::cGIF& document);

// The palette grid: 16 x 16 cells of 6 x 6 pixels, entry order row by row; cells past the
// global entry count show a one-pixel black and white checkerboard.
inline constexpr int kGridCells = 16;
inline constexpr int kGridCellSize = 6;
inline constexpr int kGridSide = kGridCells * kGridCellSize;
// A 96 x 96 32-bit picture, top row first.
gif::cDIB RenderPaletteGrid(const gif::cGIF& document);
// Whether pixel (x, y) of an empty cell's checkerboard is black (the brush's rows alternate
// 0xAA and 0x55, most significant bit leftmost, a set bit drawn black).
bool CheckerIsBlack(int x, int y);

}  // namespace lumetrix::avi2gif
