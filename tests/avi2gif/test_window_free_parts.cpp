// The figures, the palette grid, the preview player and the option mapping.

#include <gtest/gtest.h>

#include "export/avi2gif/gif_figures.h"
#include "export/avi2gif/preview_player.h"
#include "export/avi2gif/reduction_choice.h"
#include "export/gif/dither8bpp.h"
#include "tests/gif/gif_test_support.h"

namespace lumetrix::avi2gif {
namespace {

using gif::cGIF;
using gif::MakeRGBQuad;
using gif::mDither8bpp;

TEST(ReductionChoice, OptionButtonsAndWords) {
  EXPECT_EQ(PaletteModeForButton(0), mDither8bpp::kGreyScale);  // "GrayScale"
  EXPECT_EQ(PaletteModeForButton(1), mDither8bpp::kOptimal);
  EXPECT_EQ(PaletteModeForButton(2), mDither8bpp::kWebSafe);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(PaletteButtonForMode(PaletteModeForButton(k)), k);
    EXPECT_EQ(DitherModeForButton(k), k);
    EXPECT_EQ(DitherButtonForMode(k), k);
  }
  EXPECT_EQ(PaletteModeForName("optimal"), mDither8bpp::kOptimal);
  EXPECT_EQ(PaletteModeForName("grey"), mDither8bpp::kGreyScale);
  EXPECT_EQ(PaletteModeForName("web"), mDither8bpp::kWebSafe);
  EXPECT_FALSE(PaletteModeForName("Optimal"));
  EXPECT_FALSE(PaletteModeForName(""));
  EXPECT_EQ(DitherModeForName("none"), mDither8bpp::kNoDither);
  EXPECT_EQ(DitherModeForName("ordered"), mDither8bpp::kOrdered);
  EXPECT_EQ(DitherModeForName("fs"), mDither8bpp::kFloydSteinberg);
  EXPECT_FALSE(DitherModeForName("floyd"));
}

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

TEST(Figures, ScreenFramesDepthAndEntries) {
  EXPECT_EQ(PaletteDepth(0), 0);
  EXPECT_EQ(PaletteDepth(1), 1);
  EXPECT_EQ(PaletteDepth(2), 1);
  EXPECT_EQ(PaletteDepth(3), 2);
  EXPECT_EQ(PaletteDepth(216), 8);
  EXPECT_EQ(PaletteDepth(256), 8);
  const GifFigures f = FiguresOf(TwoFrameDocument(216));
  EXPECT_EQ(f.Screen, "4x3");
  EXPECT_EQ(f.Frames, "2");
  EXPECT_EQ(f.Palette, "8 bpp");
  EXPECT_EQ(f.Entries, "216 entries");
  const GifFigures empty = FiguresOf(cGIF{});
  EXPECT_EQ(empty.Screen, "0x0");
  EXPECT_EQ(empty.Frames, "0");
  EXPECT_EQ(empty.Palette, "0 bpp");
  EXPECT_EQ(empty.Entries, "0 entries");
}

TEST(PaletteGrid, CellsInEntryOrderAndCheckerboardPastTheCount) {
  const cGIF doc = TwoFrameDocument(20);
  const gif::cDIB grid = RenderPaletteGrid(doc);
  ASSERT_EQ(grid.Width(), 96);
  ASSERT_EQ(grid.Height(), 96);
  for (int entry = 0; entry < 256; ++entry) {
    const int cx = (entry % 16) * 6, cy = (entry / 16) * 6;
    for (int y = cy; y < cy + 6; ++y)
      for (int x = cx; x < cx + 6; ++x) {
        const gif::RGBQuad p = grid.Pixel(x, y);
        if (entry < 20) {
          ASSERT_EQ(p.red, entry);
          ASSERT_EQ(p.green, 255 - entry);
          ASSERT_EQ(p.blue, 7);
        } else {
          const uint8_t v = CheckerIsBlack(x, y) ? 0 : 255;
          ASSERT_EQ(p.red, v);
          ASSERT_EQ(p.green, v);
        }
      }
  }
  // The 0xAA / 0x55 brush is a one-pixel checkerboard.
  EXPECT_TRUE(CheckerIsBlack(0, 0));
  EXPECT_FALSE(CheckerIsBlack(1, 0));
  EXPECT_FALSE(CheckerIsBlack(0, 1));
  EXPECT_TRUE(CheckerIsBlack(1, 1));
  EXPECT_TRUE(CheckerIsBlack(8, 0));
}

uint32_t ScreenColour(const gif::cDIB& screen, int x, int y) {
  const gif::RGBQuad p = screen.Pixel(x, y);
  if (p.reserved == 0) return gif::testing::kBackground;
  return (uint32_t{p.red} << 16) | (uint32_t{p.green} << 8) | p.blue;
}

// Three frames: a full one, a cut one drawn over it (disposal 3), and a transparent one.
TEST(PreviewPlayer, PlaysFramesWithTheirDisposalAndLoops) {
  cGIF doc = TwoFrameDocument(4);
  doc.Frame(1).FrameDIBXOR().Fill(1);
  doc.Frame(1).SetFrameDisposalMethod(1);
  doc.Frame(1).SetframeDelay(5);
  doc.Frame(2).FrameDIBXOR().Fill(2);
  doc.Frame(2).SetframeDelay(0);
  doc.Frame(2).SetFrameDisposalMethod(3);
  ASSERT_TRUE(doc.FrameInsert(3, 2, 1));
  doc.Frame(3).SetFrameLeft(1);
  doc.Frame(3).SetFrameTop(2);
  doc.Frame(3).FrameDIBXOR().SetIndex(0, 0, 3);
  doc.Frame(3).SetFrameUseTransparentColor(true);
  doc.Frame(3).SetFrameTransparentColorIndex(0);
  doc.Frame(3).SetFrameDisposalMethod(2);
  doc.Frame(3).SetframeDelay(2);

  PreviewPlayer player;
  EXPECT_TRUE(player.Empty());
  player.Reset(&doc, false);
  ASSERT_FALSE(player.Empty());
  const auto colour = [&doc](int e) {
    const gif::RGBQuad c = doc.GlobalPaletteRGBEntry(e);
    return (uint32_t{c.red} << 16) | (uint32_t{c.green} << 8) | c.blue;
  };
  EXPECT_EQ(player.CurrentFrame(), 1);
  EXPECT_EQ(player.IntervalMs(), 50);
  EXPECT_EQ(ScreenColour(player.Screen(), 0, 0), colour(1));
  player.Advance();
  EXPECT_EQ(player.CurrentFrame(), 2);
  EXPECT_EQ(player.IntervalMs(), 10);  // delay 0 still steps
  EXPECT_EQ(ScreenColour(player.Screen(), 3, 2), colour(2));
  player.Advance();  // frame 2 restores frame 1's picture, then frame 3 draws one pixel
  EXPECT_EQ(player.CurrentFrame(), 3);
  EXPECT_EQ(ScreenColour(player.Screen(), 1, 2), colour(3));
  EXPECT_EQ(ScreenColour(player.Screen(), 2, 2), colour(1));  // transparent pixel
  EXPECT_EQ(ScreenColour(player.Screen(), 0, 0), colour(1));
  player.Advance();  // wraps over a fresh screen
  EXPECT_EQ(player.CurrentFrame(), 1);
  EXPECT_EQ(ScreenColour(player.Screen(), 1, 2), colour(1));
  player.Reset(nullptr, false);
  EXPECT_TRUE(player.Empty());
  EXPECT_EQ(player.CurrentFrame(), 0);
  player.Advance();
  EXPECT_EQ(player.IntervalMs(), 0);
}

TEST(PreviewPlayer, BottomUpFramesAreShownTheRightWayUp) {
  cGIF doc = TwoFrameDocument(4);
  // Memory row 0 of a bottom-up frame is the bottom of the picture.
  for (int x = 0; x < 4; ++x) doc.Frame(1).FrameDIBXOR().SetIndex(x, 0, 2);
  PreviewPlayer player;
  player.Reset(&doc, true);
  EXPECT_EQ(ScreenColour(player.Screen(), 0, 2), (uint32_t{2} << 16) | (uint32_t{253} << 8) | 7);
  EXPECT_EQ(ScreenColour(player.Screen(), 0, 0), (uint32_t{0} << 16) | (uint32_t{255} << 8) | 7);
}

}  // namespace
}  // namespace lumetrix::avi2gif
