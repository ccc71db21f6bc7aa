// Palette compaction and frame cropping keep what the animation shows: the files written before
// and after are decoded by giflib, played with their disposal methods and compared.
#include <gtest/gtest.h>

#include <random>

#include "export/gif/gif_optimize.h"
#include "tests/gif/gif_test_support.h"

namespace lumetrix::gif {
namespace {

using namespace lumetrix::gif::testing;

// Saved and decoded again by giflib, then played: what a viewer shows.
std::vector<std::pair<Picture, int>> Shown(const cGIF& doc, const TempDir& folder, const std::string& name) {
  return Timeline(SaveAndDecode(doc, folder.File(name)));
}

std::vector<int> Delays(const cGIF& doc) {
  std::vector<int> d;
  for (int i = 1; i <= doc.FramesCount(); ++i) d.push_back(doc.Frame(i).frameDelay());
  return d;
}

// Frames of `width` x `height` filled by fill(frame, x, y) -> index, over a grey global palette.
template <typename Fill>
cGIF IndexedAnimation(int frames, int32_t width, int32_t height, int entries, Fill fill) {
  cGIF doc;
  for (int i = 1; i <= frames; ++i) {
    EXPECT_TRUE(doc.FrameInsert(i, width, height));
    clsGIFframe& f = doc.Frame(i);
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) f.FrameDIBXOR().SetIndex(x, y, fill(i, x, y));
    f.SetframeDelay(static_cast<uint16_t>(5 + i));
    f.SetFrameDisposalMethod(3);
  }
  doc.SetGlobalPaletteExists(true);
  for (int i = 0; i < entries; ++i)
    doc.SetGlobalPaletteRGBEntry(i, MakeRGBQuad(static_cast<uint8_t>(i * 3), static_cast<uint8_t>(255 - i),
                                                static_cast<uint8_t>(i * 7)));
  doc.SetGlobalPaletteEntries(entries);
  return doc;
}

TEST(CompactPalette, KeepsOnlyUsedEntriesInTheirOrder) {
  cGIF doc = IndexedAnimation(2, 4, 4, 6, [](int frame, int32_t x, int32_t) {
    return static_cast<uint8_t>(frame == 1 ? (x < 2 ? 1 : 4) : 4);
  });
  doc.Frame(2).SetFrameUseTransparentColor(true);
  doc.Frame(2).SetFrameTransparentColorIndex(5);  // no pixel holds it: still kept
  const RGBQuad e1 = doc.GlobalPaletteRGBEntry(1), e4 = doc.GlobalPaletteRGBEntry(4),
                e5 = doc.GlobalPaletteRGBEntry(5);
  TempDir folder;
  const auto before = Shown(doc, folder, "before.gif");
  RecordingProgress progress;
  CompactGlobalPalette(doc, &progress);
  ASSERT_EQ(doc.GlobalPaletteEntries(), 3);
  EXPECT_EQ(std::tuple(doc.GlobalPaletteRGBEntry(0), doc.GlobalPaletteRGBEntry(1), doc.GlobalPaletteRGBEntry(2),
                       doc.GlobalPaletteRGBEntry(3)),
            std::tuple(e1, e4, e5, RGBQuad{}));
  const clsGIFframe& f = doc.Frame(1);
  EXPECT_EQ(std::tuple(f.FrameDIBXOR().Index(0, 0), f.FrameDIBXOR().Index(3, 0), doc.Frame(2).FrameTransparentColorIndex(),
                       f.LocalPaletteEntries(), f.LocalPaletteUsed(), f.FrameDIBXOR().Palette()[1]),
            std::tuple(0, 1, 2, 3, false, e4));
  EXPECT_EQ(Shown(doc, folder, "after.gif"), before);
  ASSERT_FALSE(progress.calls.empty());
  EXPECT_EQ(std::tuple(progress.calls.front(), progress.calls.back()), std::tuple(std::pair('M', 2), std::pair('V', 0)));
}

TEST(CompactPalette, LeavesFramesWithTheirOwnPaletteAlone) {
  cGIF doc = IndexedAnimation(2, 3, 3, 8, [](int frame, int32_t, int32_t) { return static_cast<uint8_t>(frame == 1 ? 6 : 7); });
  clsGIFframe& local = doc.Frame(2);
  local.SetLocalPaletteUsed(true);
  const RGBQuad colours[8] = {};
  local.SetLocalPalette(colours, 8);
  CompactGlobalPalette(doc);
  EXPECT_EQ(std::tuple(doc.GlobalPaletteEntries(), doc.Frame(1).FrameDIBXOR().Index(1, 1),
                       doc.Frame(2).FrameDIBXOR().Index(1, 1), doc.Frame(2).LocalPaletteEntries()),
            std::tuple(1, 0, 7, 8));
}

// Nothing to do when every entry is used or there is no global palette.
TEST(CompactPalette, NothingToDoWhenEveryEntryIsUsed) {
  cGIF doc = IndexedAnimation(1, 4, 1, 4, [](int, int32_t x, int32_t) { return static_cast<uint8_t>(x); });
  CompactGlobalPalette(doc);
  EXPECT_EQ(std::tuple(doc.GlobalPaletteEntries(), doc.Frame(1).FrameDIBXOR().Index(3, 0)), std::tuple(4, 3));
  doc.SetGlobalPaletteExists(false);
  doc.SetGlobalPaletteEntries(10);
  CompactGlobalPalette(doc);
  EXPECT_EQ(doc.GlobalPaletteEntries(), 10);
  cGIF empty;
  RecordingProgress progress;
  CompactGlobalPalette(empty, &progress);
  EXPECT_EQ(progress.calls.back(), std::make_pair('V', 0));
}

// A 24 x 16 animation like the converter's: opaque full frames, disposal 3. Frame 2 changes a
// square, frame 3 equals frame 2, frame 4 moves the square, frame 5 equals frame 1.
uint8_t ConverterLike(int frame, int32_t x, int32_t y) {
  const uint8_t base = static_cast<uint8_t>((x / 3 + y / 4) % 5);
  const bool inFirst = x >= 4 && x < 9 && y >= 2 && y < 6;
  const bool inSecond = x >= 15 && x < 22 && y >= 9 && y < 14;
  if ((frame == 2 || frame == 3) && inFirst) return 7;
  if (frame == 4 && inSecond) return 6;
  return base;
}

TEST(CropFrames, ConverterAnimationKeepsItsPictures) {
  cGIF doc = IndexedAnimation(5, 24, 16, 8, ConverterLike);
  TempDir folder;
  const auto uncut = Shown(doc, folder, "uncut.gif");
  RecordingProgress progress;
  CropFrames(doc, &progress);
  // Frame 3 merged into frame 2; frame 3 (old 4) differs from old frame 3 in both squares. Every
  // frame a cut frame is drawn over stays on screen; the last keeps its disposal.
  ASSERT_EQ(doc.FramesCount(), 4);
  const std::tuple<int, int, int, int, int, int, int> want[] = {
      {0, 0, 24, 16, 1, 6, 24}, {4, 2, 5, 4, 1, 7 + 8, 5}, {4, 2, 22 - 4, 14 - 2, 1, 9, 18}, {15, 9, 7, 5, 3, 10, 7}};
  for (int i = 1; i <= 4; ++i) {
    const clsGIFframe& f = doc.Frame(i);
    EXPECT_EQ(std::tuple(f.FrameLeft(), f.FrameTop(), f.Width(), f.Height(), f.FrameDisposalMethod(), f.frameDelay(),
                         f.FrameDIBAND().Width()),
              want[i - 1]) << i;
  }
  const DecodedGif cut = SaveAndDecode(doc, folder.File("cut.gif"));
  EXPECT_EQ(cut.frames[1].width, 5);
  EXPECT_EQ(Timeline(cut), uncut);
  EXPECT_EQ(std::tuple(progress.calls.front(), progress.calls.back()), std::tuple(std::pair('M', 5), std::pair('V', 0)));
}

TEST(CropFrames, LeavesADocumentWithASmallerFrameUnchanged) {
  cGIF doc = IndexedAnimation(3, 10, 10, 4, [](int, int32_t, int32_t) { return uint8_t{1}; });
  ASSERT_TRUE(doc.FrameInsert(4, 5, 5));
  CropFrames(doc);
  EXPECT_EQ(std::tuple(doc.FramesCount(), doc.Frame(2).Width(), doc.Frame(1).FrameDisposalMethod()), std::tuple(4, 10, 3));
  doc.FrameRemove(4);
  doc.Frame(3).SetFrameLeft(1);
  CropFrames(doc);
  EXPECT_EQ(doc.FramesCount(), 3);
}

TEST(CropFrames, IdenticalFramesAreMergedOnlyWhileTheDelayFits) {
  cGIF doc = IndexedAnimation(3, 4, 4, 2, [](int, int32_t, int32_t) { return uint8_t{1}; });
  doc.Frame(1).SetframeDelay(65000);
  doc.Frame(2).SetframeDelay(535);
  doc.Frame(3).SetframeDelay(1);
  TempDir folder;
  const auto uncut = Shown(doc, folder, "uncut.gif");
  CropFrames(doc);
  ASSERT_EQ(doc.FramesCount(), 2);
  EXPECT_EQ(Delays(doc), (std::vector<int>{65535, 1}));
  EXPECT_EQ(Shown(doc, folder, "cut.gif"), uncut);
}

TEST(CropFrames, SameIndicesUnderDifferentLocalPalettesAreDifferentPictures) {
  cGIF doc = IndexedAnimation(2, 4, 4, 2, [](int, int32_t, int32_t) { return uint8_t{1}; });
  const RGBQuad red[2] = {RGBQuad{}, MakeRGBQuad(255, 0, 0)};
  doc.Frame(2).SetLocalPaletteUsed(true);
  doc.Frame(2).SetLocalPalette(red, 2);
  TempDir folder;
  const auto uncut = Shown(doc, folder, "uncut.gif");
  CropFrames(doc);
  ASSERT_EQ(doc.FramesCount(), 2);
  EXPECT_EQ(doc.Frame(2).Width(), 4);
  EXPECT_EQ(Shown(doc, folder, "cut.gif"), uncut);
}

TEST(CropFrames, TransparentAnimationIsCutToItsOpaquePixels) {
  // Index 0 is transparent in every frame; each frame draws a small mark.
  cGIF doc = IndexedAnimation(4, 20, 12, 4, [](int frame, int32_t x, int32_t y) {
    if (frame == 3) return uint8_t{0};  // draws nothing
    return static_cast<uint8_t>(x >= 3 * frame && x < 3 * frame + 4 && y >= frame && y < frame + 3 ? frame % 3 + 1 : 0);
  });
  for (int i = 1; i <= 4; ++i) {
    doc.Frame(i).SetFrameUseTransparentColor(true);
    doc.Frame(i).SetFrameTransparentColorIndex(0);
    doc.Frame(i).SetFrameDisposalMethod(1);
  }
  TempDir folder;
  const auto uncut = Shown(doc, folder, "uncut.gif");
  CropFrames(doc);
  ASSERT_EQ(doc.FramesCount(), 3);  // the empty frame 3 merged into frame 2
  const clsGIFframe& f = doc.Frame(1);
  EXPECT_EQ(std::tuple(f.FrameLeft(), f.FrameTop(), f.Width(), f.Height(), f.FrameDisposalMethod(), doc.Frame(2).frameDelay()),
            std::tuple(3, 1, 4, 3, 1, 7 + 8));
  EXPECT_EQ(Shown(doc, folder, "cut.gif"), uncut);
}

TEST(CropFrames, AllTransparentFirstFrameIsKept) {
  cGIF doc = IndexedAnimation(2, 6, 6, 2, [](int frame, int32_t x, int32_t) { return static_cast<uint8_t>(frame == 2 && x == 2); });
  for (int i = 1; i <= 2; ++i) {
    doc.Frame(i).SetFrameUseTransparentColor(true);
    doc.Frame(i).SetFrameDisposalMethod(0);
  }
  CropFrames(doc);
  ASSERT_EQ(doc.FramesCount(), 2);
  EXPECT_EQ(std::tuple(doc.Frame(1).Width(), doc.Frame(2).Width(), doc.Frame(2).FrameLeft()), std::tuple(6, 1, 2));
}

// Random small animations with every disposal method and transparency: whatever the pass
// decides, the pictures stay.
TEST(CropFrames, RandomAnimationsKeepTheirPictures) {
  std::mt19937 random(2024);
  TempDir folder;
  int changed = 0;
  for (int round = 0; round < 60; ++round) {
    const int frames = 2 + static_cast<int>(random() % 5);
    const bool transparent = random() % 2 == 0;
    const int32_t width = 3 + static_cast<int32_t>(random() % 10);
    const int32_t height = 3 + static_cast<int32_t>(random() % 10);
    cGIF doc;
    for (int i = 1; i <= frames; ++i) {
      ASSERT_TRUE(doc.FrameInsert(i, width, height));
      clsGIFframe& f = doc.Frame(i);
      const bool copyPrevious = i > 1 && random() % 3 == 0;
      const int32_t bx = static_cast<int32_t>(random() % width), by = static_cast<int32_t>(random() % height);
      for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
          uint8_t v = copyPrevious ? doc.Frame(i - 1).FrameDIBXOR().Index(x, y) : static_cast<uint8_t>(random() % 2 ? 0 : 1);
          if (!copyPrevious && transparent && (x < bx || y < by)) v = 0;
          if (random() % 7 == 0) v = static_cast<uint8_t>(random() % 4);
          f.FrameDIBXOR().SetIndex(x, y, v);
        }
      f.SetFrameDisposalMethod(static_cast<uint8_t>(random() % 4));
      f.SetframeDelay(static_cast<uint16_t>(1 + random() % 5));
      const bool useTransparency = transparent ? random() % 5 != 0 : (i > 1 && random() % 6 == 0);
      f.SetFrameUseTransparentColor(useTransparency);
      f.SetFrameTransparentColorIndex(static_cast<uint8_t>(random() % 6 == 0 ? 1 : 0));
    }
    if (transparent) doc.Frame(1).SetFrameUseTransparentColor(true);
    doc.SetGlobalPaletteExists(true);
    for (int i = 0; i < 4; ++i) doc.SetGlobalPaletteRGBEntry(i, MakeRGBQuad(static_cast<uint8_t>(60 * i), 0, 0));
    doc.SetGlobalPaletteEntries(4);
    const auto uncut = Shown(doc, folder, "uncut.gif");
    CompactGlobalPalette(doc);
    CropFrames(doc);
    ASSERT_EQ(Shown(doc, folder, "cut.gif"), uncut) << "round " << round;
    bool cut = doc.FramesCount() < frames;
    for (int i = 1; i <= doc.FramesCount(); ++i) cut = cut || doc.Frame(i).Width() < width || doc.Frame(i).Height() < height;
    changed += cut ? 1 : 0;
  }
  EXPECT_GT(changed, 20);  // the rounds do exercise the pass
}

}  // namespace
}  // namespace lumetrix::gif
