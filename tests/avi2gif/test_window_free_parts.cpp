// The palette depth, the command line's option words, the palette grid and the preview player.

#include <gtest/gtest.h>

#include "export/avi2gif/gif_figures.h"
#include "export/avi2gif/preview_player.h"
#include "export/avi2gif/reduction_choice.h"
#include "export/gif/dither8bpp.h"

namespace lumetrix::avi2gif {
namespace {

using gif::cGIF;
using gif::MakeRGBQuad;
using gif::mDither8bpp;

TEST(ReductionChoice, DepthsAndTheCommandLinesWords) {
  for (const auto& [entries, bits] : {std::pair{0, 0}, {1, 1}, {2, 1}, {3, 2}, {216, 8}, {256, 8}})
    EXPECT_EQ(PaletteDepth(entries), bits) << entries;
  const std::pair<const char*, std::optional<int>> palettes[] = {
      {"optimal", mDither8bpp::kOptimal}, {"grey", mDither8bpp::kGreyScale}, {"gray", mDither8bpp::kGreyScale},
      {"web", mDither8bpp::kWebSafe},     {"Optimal", std::nullopt},         {"", std::nullopt}};
  for (const auto& [word, mode] : palettes) EXPECT_EQ(PaletteModeForName(word), mode) << word;
  const std::pair<const char*, std::optional<int>> dithers[] = {{"none", mDither8bpp::kNoDither},
                                                                {"ordered", mDither8bpp::kOrdered},
                                                                {"fs", mDither8bpp::kFloydSteinberg},
                                                                {"floyd", std::nullopt}};
  for (const auto& [word, mode] : dithers) EXPECT_EQ(DitherModeForName(word), mode) << word;
}

// Two frames of 4 x 3 over a global palette of `entries` colours (red i, green 255 - i, blue 7).
cGIF TwoFrameDocument(int entries) {
  cGIF doc;
  doc.FrameInsert(1, 4, 3);
  doc.FrameInsert(2, 4, 3);
  gif::Palette256 palette{};
  for (int i = 0; i < entries; ++i) palette[static_cast<size_t>(i)] = MakeRGBQuad(i, 255 - i, 7);
  doc.SetGlobalPaletteExists(true);
  doc.SetGlobalPalette(palette.data(), entries);
  return doc;
}

// Screen colour as 0x00RRGGBB, or 0xFF000000 where nothing was drawn.
uint32_t ScreenColour(const gif::cDIB& screen, int x, int y) {
  const gif::RGBQuad p = screen.Pixel(x, y);
  return p.reserved == 0 ? 0xFF000000u : (uint32_t{p.red} << 16) | (uint32_t{p.green} << 8) | p.blue;
}
uint32_t EntryColour(int e) { return (uint32_t(e) << 16) | (uint32_t(255 - e) << 8) | 7; }

TEST(PaletteGrid, CellsInEntryOrderAndCheckerboardPastTheCount) {
  const gif::cDIB grid = RenderPaletteGrid(TwoFrameDocument(20));
  ASSERT_EQ(std::tuple(grid.Width(), grid.Height()), std::tuple(96, 96));
  for (int entry = 0; entry < 256; ++entry)
    for (int y = entry / 16 * 6; y < entry / 16 * 6 + 6; ++y)
      for (int x = entry % 16 * 6; x < entry % 16 * 6 + 6; ++x) {
        const gif::RGBQuad p = grid.Pixel(x, y);
        const uint32_t got = (uint32_t{p.red} << 16) | (uint32_t{p.green} << 8) | p.blue;
        // The 0xAA / 0x55 brush: a one-pixel checkerboard, black where x + y is even.
        ASSERT_EQ(got, entry < 20 ? EntryColour(entry) : (x + y) % 2 == 0 ? 0u : 0xFFFFFFu) << x << "," << y;
      }
  EXPECT_TRUE(CheckerIsBlack(8, 0));
  EXPECT_FALSE(CheckerIsBlack(1, 0));
}

// Three frames: a full one, a full one drawn over it (disposal 3), and a cut, transparent one.
TEST(PreviewPlayer, PlaysFramesWithTheirDisposalAndLoops) {
  cGIF doc = TwoFrameDocument(4);
  doc.Frame(1).FrameDIBXOR().Fill(1);
  doc.Frame(1).SetFrameDisposalMethod(1);
  doc.Frame(1).SetframeDelay(5);
  doc.Frame(2).FrameDIBXOR().Fill(2);
  doc.Frame(2).SetframeDelay(0);
  doc.Frame(2).SetFrameDisposalMethod(3);
  ASSERT_TRUE(doc.FrameInsert(3, 2, 1));
  gif::clsGIFframe& third = doc.Frame(3);
  third.SetFrameLeft(1);
  third.SetFrameTop(2);
  third.FrameDIBXOR().SetIndex(0, 0, 3);
  third.SetFrameUseTransparentColor(true);
  third.SetFrameTransparentColorIndex(0);
  third.SetFrameDisposalMethod(2);
  PreviewPlayer player;
  EXPECT_TRUE(player.Empty());
  player.Reset(&doc, false);
  ASSERT_FALSE(player.Empty());
  EXPECT_EQ(std::tuple(player.CurrentFrame(), player.IntervalMs(), ScreenColour(player.Screen(), 0, 0)),
            std::tuple(1, 50, EntryColour(1)));
  player.Advance();
  EXPECT_EQ(std::tuple(player.CurrentFrame(), player.IntervalMs(), ScreenColour(player.Screen(), 3, 2)),
            std::tuple(2, 10, EntryColour(2)));  // delay 0 still steps
  player.Advance();  // frame 2 restores frame 1's picture, then frame 3 draws one pixel
  EXPECT_EQ(player.CurrentFrame(), 3);
  EXPECT_EQ(ScreenColour(player.Screen(), 1, 2), EntryColour(3));
  EXPECT_EQ(ScreenColour(player.Screen(), 2, 2), EntryColour(1));  // transparent pixel
  EXPECT_EQ(ScreenColour(player.Screen(), 0, 0), EntryColour(1));
  player.Advance();  // wraps over a fresh screen
  EXPECT_EQ(player.CurrentFrame(), 1);
  EXPECT_EQ(ScreenColour(player.Screen(), 1, 2), EntryColour(1));
  // Rows of a bottom-up document: memory row 0 is the bottom of the picture.
  for (int x = 0; x < 4; ++x) doc.Frame(1).FrameDIBXOR().SetIndex(x, 0, 2);
  player.Reset(&doc, true);
  EXPECT_EQ(ScreenColour(player.Screen(), 0, 2), EntryColour(2));
  EXPECT_EQ(ScreenColour(player.Screen(), 0, 0), EntryColour(1));
  player.Reset(nullptr, false);
  EXPECT_TRUE(player.Empty());
  EXPECT_EQ(player.CurrentFrame(), 0);
  player.Advance();
  EXPECT_EQ(player.IntervalMs(), 0);
}

}  // namespace
}  // namespace lumetrix::avi2gif
