// Importing movies into GIF documents: frame count, timing, palette, row order, SwapRG,
// progress and cancel, and movies that cannot be imported.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "export/avi/avi_recorder.h"
#include "export/avi2gif/avi_import.h"
#include "export/gif/dither8bpp.h"
#include "tests/avi2gif/avi2gif_test_support.h"
#include "tests/gif/gif_test_support.h"

namespace lumetrix::avi2gif {
namespace {

using gif::cGIF;
using gif::MakeRGBQuad;
using gif::mDither8bpp;
using test::RecordMovie;
using test::SyntheticFrames;

class Import : public ::testing::Test {
 protected:
  avi::test::TempFolder folder;
  mDither8bpp dither;
  cGIF doc;

  std::string Movie(const std::string& name, int frames, int w, int h, double rate = 15) {
    const std::string path = folder.File(name);
    EXPECT_TRUE(RecordMovie(path, SyntheticFrames(w, h, frames), rate));
    return path;
  }
};

TEST_F(Import, ThreeSecondMovieOf45FramesGivesDelaySeven) {
  const std::string path = Movie("m.avi", 45, 16, 8, 15);
  test::RecordingProgress progress;
  const ImportResult r = ImportAvi(path, doc, dither, {}, &progress);
  ASSERT_TRUE(r.Ok()) << r.Detail;
  EXPECT_EQ(r.Frames, 45);
  EXPECT_EQ(r.TimePerFrameMs, 67);
  ASSERT_EQ(doc.FramesCount(), 45);
  for (int i = 1; i <= 45; ++i) {
    EXPECT_EQ(doc.Frame(i).frameDelay(), 7);
    EXPECT_EQ(doc.Frame(i).FrameDisposalMethod(), 3);
    EXPECT_EQ(doc.Frame(i).Width(), 16);
    EXPECT_EQ(doc.Frame(i).Height(), 8);
    EXPECT_FALSE(doc.Frame(i).LocalPaletteUsed());
  }
  EXPECT_EQ(doc.ScreenWidth(), 16);
  EXPECT_EQ(doc.ScreenHeight(), 8);
  EXPECT_EQ(doc.ScreenPixelAspectByte(), 49);
  EXPECT_TRUE(doc.GlobalPaletteExists());
  // The progress bar: maximum = frames, one step per frame, back to 0.
  ASSERT_EQ(progress.Maxima, std::vector<int32_t>{45});
  ASSERT_EQ(progress.Values.size(), 46u);
  for (int i = 0; i < 45; ++i) EXPECT_EQ(progress.Values[static_cast<size_t>(i)], i + 1);
  EXPECT_EQ(progress.Values.back(), 0);
}

TEST_F(Import, GreyModeGives256GreysSharedByEveryFrame) {
  const std::string path = Movie("m.avi", 4, 12, 6);
  dither.SetPaletteMode(mDither8bpp::kGreyScale);
  ASSERT_TRUE(ImportAvi(path, doc, dither, {}).Ok());
  EXPECT_EQ(doc.GlobalPaletteEntries(), 256);
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(doc.Frame(i).LocalPaletteEntries(), 256);
    for (int e = 0; e < 256; ++e) {
      ASSERT_EQ(doc.Frame(i).LocalPaletteRGBEntry(e), MakeRGBQuad(e, e, e));
      ASSERT_EQ(doc.GlobalPaletteRGBEntry(e), MakeRGBQuad(e, e, e));
    }
  }
}

// Every palette and dither mode: the frames are exactly the reduction of the movie's pictures,
// rows in the order asked, the palette made from frame 1 and reused.
TEST_F(Import, FramesAreTheReducedMoviePicturesInBothRowOrders) {
  const int w = 13, h = 7, n = 3;  // odd sizes: padded rows in the movie
  const auto frames = SyntheticFrames(w, h, n);
  const std::string path = folder.File("odd.avi");
  ASSERT_TRUE(RecordMovie(path, frames));
  for (int paletteMode = 0; paletteMode < 3; ++paletteMode)
    for (int ditherMode = 0; ditherMode < 3; ++ditherMode)
      for (bool flip : {false, true}) {
        SCOPED_TRACE(testing::Message() << "palette " << paletteMode << " dither " << ditherMode << " flip " << flip);
        dither.SetPaletteMode(paletteMode);
        dither.SetDitherMode(ditherMode);
        ImportSettings settings;
        settings.Flip = flip;
        ASSERT_TRUE(ImportAvi(path, doc, dither, settings).Ok());
        ASSERT_EQ(doc.FramesCount(), n);
        mDither8bpp reference;
        reference.SetPaletteMode(paletteMode);
        reference.SetDitherMode(ditherMode);
        gif::cPal8bpp palette;
        for (int i = 0; i < n; ++i) {
          gif::cDIB picture = test::TopDownPicture(frames[static_cast<size_t>(i)]);
          if (!flip) picture.FlipVertical();  // the movie's own bottom-up rows
          gif::cDIB want;
          ASSERT_TRUE(reference.Reduce(picture, want, palette, i > 0));
          const gif::cDIB& got = doc.Frame(i + 1).FrameDIBXOR();
          ASSERT_EQ(got.BitsPerPixel(), 8);
          for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) ASSERT_EQ(got.Index(x, y), want.Index(x, y)) << x << "," << y;
        }
        ASSERT_EQ(doc.GlobalPaletteEntries(), palette.Entries());
        for (int e = 0; e < palette.Entries(); ++e)
          ASSERT_EQ(doc.GlobalPaletteRGBEntry(e), palette.lpPalette()[e]);
      }
}

TEST_F(Import, SwapRGTurnsRedBlueGreenRedBlueGreen) {
  const std::string path = folder.File("rgb.avi");
  ASSERT_TRUE(RecordMovie(path, {test::SolidFrame(8, 4, 255, 0, 0), test::SolidFrame(8, 4, 0, 255, 0),
                                 test::SolidFrame(8, 4, 0, 0, 255)}));
  dither.SetPaletteMode(mDither8bpp::kWebSafe);
  ImportSettings settings;
  settings.SwapRG = true;
  ASSERT_TRUE(ImportAvi(path, doc, dither, settings).Ok());
  ASSERT_EQ(doc.FramesCount(), 3);
  using gif::testing::DocumentColour;
  EXPECT_EQ(DocumentColour(doc, 1, 3, 2), 0x0000FFu);  // red -> blue
  EXPECT_EQ(DocumentColour(doc, 2, 3, 2), 0xFF0000u);  // green -> red
  EXPECT_EQ(DocumentColour(doc, 3, 3, 2), 0x00FF00u);  // blue -> green
  settings.SwapRG = false;
  ASSERT_TRUE(ImportAvi(path, doc, dither, settings).Ok());
  EXPECT_EQ(DocumentColour(doc, 1, 3, 2), 0xFF0000u);
}

TEST_F(Import, TinyAndOddSizedMovies) {
  for (auto [w, h] : {std::pair{1, 1}, std::pair{3, 5}, std::pair{7, 2}, std::pair{33, 17}}) {
    SCOPED_TRACE(testing::Message() << w << "x" << h);
    char name[32];
    std::snprintf(name, sizeof name, "s%dx%d.avi", w, h);
    const std::string path = Movie(name, 2, w, h);
    const ImportResult r = ImportAvi(path, doc, dither, {});
    ASSERT_TRUE(r.Ok()) << r.Detail;
    EXPECT_EQ(doc.ScreenWidth(), w);
    EXPECT_EQ(doc.ScreenHeight(), h);
    EXPECT_EQ(doc.FramesCount(), 2);
  }
}

TEST_F(Import, CancelStopsBetweenFramesAndLeavesNothing) {
  const std::string path = Movie("m.avi", 10, 16, 8);
  test::RecordingProgress progress;
  progress.CancelAfter = 3;
  const ImportResult r = ImportAvi(path, doc, dither, {}, &progress);
  EXPECT_EQ(r.Status, ImportStatus::Cancelled);
  EXPECT_EQ(doc.FramesCount(), 0);
  EXPECT_EQ(progress.Steps(), 3);
  EXPECT_EQ(progress.Values.back(), 0);
}

TEST_F(Import, AnEarlierDocumentIsReplaced) {
  ASSERT_TRUE(ImportAvi(Movie("a.avi", 5, 16, 8), doc, dither, {}).Ok());
  ASSERT_TRUE(ImportAvi(Movie("b.avi", 2, 8, 4), doc, dither, {}).Ok());
  EXPECT_EQ(doc.FramesCount(), 2);
  EXPECT_EQ(doc.ScreenWidth(), 8);
}

TEST_F(Import, MissingEmptyAndForeignFilesFailClearly) {
  ASSERT_TRUE(ImportAvi(Movie("good.avi", 2, 8, 4), doc, dither, {}).Ok());
  for (const std::string name : {"missing.avi", "empty.avi", "text.avi", "sound.avi"}) {
    SCOPED_TRACE(name);
    if (name == "empty.avi") avi::test::WriteFileBytes(folder.File(name), {});
    if (name == "text.avi") avi::test::WriteFileBytes(folder.File(name), std::vector<uint8_t>(500, 'x'));
    if (name == "sound.avi") avi::test::WriteAudioOnlyAvi(folder.File(name));
    test::RecordingProgress progress;
    const ImportResult r = ImportAvi(folder.File(name), doc, dither, {}, &progress);
    EXPECT_EQ(r.Status, ImportStatus::Failed);
    EXPECT_FALSE(r.Detail.empty());
    EXPECT_EQ(doc.FramesCount(), 0);
  }
}

TEST_F(Import, MovieWithoutFramesFails) {
  const std::string path = folder.File("none.avi");
  {
    avi::test::RecordingSink sink;
    avi::test::ScriptedOptions options(avi::test::OptionsFor("raw"));
    avi::AviRecorder recorder(sink, options);
    ASSERT_TRUE(recorder.AVIStart(path, 15, avi::test::SyntheticFrame(16, 8, 0).View()));
    recorder.AVIend();
  }
  ASSERT_TRUE(std::filesystem::exists(path));
  const ImportResult r = ImportAvi(path, doc, dither, {});
  EXPECT_EQ(r.Status, ImportStatus::Failed);
  EXPECT_FALSE(r.Detail.empty());
  EXPECT_EQ(doc.FramesCount(), 0);
}

TEST_F(Import, TruncatedMovieFailsAndLeavesNoHalfDocument) {
  const std::string path = Movie("m.avi", 10, 32, 16);
  auto bytes = avi::test::ReadFileBytes(path);
  bytes.resize(bytes.size() / 2);
  avi::test::WriteFileBytes(path, bytes);
  test::RecordingProgress progress;
  const ImportResult r = ImportAvi(path, doc, dither, {}, &progress);
  EXPECT_EQ(r.Status, ImportStatus::Failed);
  EXPECT_FALSE(r.Detail.empty());
  EXPECT_EQ(doc.FramesCount(), 0);
  if (!progress.Values.empty()) {
    EXPECT_EQ(progress.Values.back(), 0);
  }
}

// Noise over every part of movies of several codecs: each import succeeds or fails cleanly.
TEST_F(Import, CorruptMoviesNeverCrash) {
  for (const std::string codec : {"raw", "mjpeg", "ffv1"}) {
    if (!avi::EncoderCatalog::Installed().Find(codec)) continue;
    const std::string path = folder.File(codec + ".avi");
    ASSERT_TRUE(RecordMovie(path, SyntheticFrames(24, 10, 3), 15, codec));
    const auto original = avi::test::ReadFileBytes(path);
    uint32_t seed = 99;
    for (size_t start = 0; start < original.size(); start += original.size() / 17 + 1) {
      auto bytes = original;
      for (size_t k = start; k < std::min(bytes.size(), start + 48); ++k) {
        seed = seed * 1103515245u + 12345u;
        bytes[k] = static_cast<uint8_t>(seed >> 16);
      }
      const std::string broken = folder.File("broken.avi");
      avi::test::WriteFileBytes(broken, bytes);
      const ImportResult r = ImportAvi(broken, doc, dither, {});
      if (r.Ok()) {
        EXPECT_GT(doc.FramesCount(), 0);
        EXPECT_EQ(doc.ScreenWidth(), doc.Frame(1).Width());
      } else {
        EXPECT_EQ(doc.FramesCount(), 0);
        EXPECT_FALSE(r.Detail.empty());
      }
    }
  }
}

TEST(DocumentSize, ComputedIn64BitsAndLimited) {
  EXPECT_EQ(DocumentBytes(1, 13, 7), (16 + 4) * 7);
  EXPECT_EQ(DocumentBytes(0, 13, 7), 0);
  EXPECT_EQ(DocumentBytes(45, 640, 480), int64_t{45} * (640 + 80) * 480);
  EXPECT_GT(DocumentBytes(INT32_MAX, 65535, 65535), kMaxDocumentBytes);
  EXPECT_EQ(DocumentBytes(INT64_MAX, 65535, 65535), INT64_MAX);
}

}  // namespace
}  // namespace lumetrix::avi2gif
