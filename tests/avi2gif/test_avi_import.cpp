// Importing movies into GIF documents: frame count, timing, palette, row order, progress and
// cancel, and movies that cannot be imported.

#include <gtest/gtest.h>

#include <numeric>

#include "export/avi/avi_recorder.h"
#include "export/avi2gif/avi_import.h"
#include "tests/avi2gif/avi2gif_test_support.h"

namespace lumetrix::avi2gif {
namespace {

using namespace test;
using gif::mDither8bpp;

class Import : public ::testing::Test {
 protected:
  std::string Movie(const std::string& name, int frames, int w, int h, const std::string& codec = "raw") {
    EXPECT_TRUE(RecordMovie(folder.File(name), SyntheticFrames(w, h, frames), 15, codec));
    return folder.File(name);
  }
  TempFolder folder;
  mDither8bpp dither;
  gif::cGIF doc;
  RecordingProgress progress;
};

// A three-second movie of 45 frames: delay 7 (67 ms rounded to hundredths), disposal 3, one
// progress step per frame and back to 0.
TEST_F(Import, ThreeSecondMovieOf45FramesGivesDelaySeven) {
  const ImportResult r = ImportAvi(Movie("m.avi", 45, 16, 8), doc, dither, {}, &progress);
  ASSERT_TRUE(r.Ok()) << r.Detail;
  EXPECT_EQ(std::tuple(r.Frames, r.TimePerFrameMs, doc.FramesCount()), std::tuple(45, 67, 45));
  EXPECT_EQ(std::tuple(doc.ScreenWidth(), doc.ScreenHeight(), doc.ScreenPixelAspectByte(), doc.GlobalPaletteExists()),
            std::tuple(16, 8, 49, true));
  for (int i = 1; i <= 45; ++i) {
    const gif::clsGIFframe& f = doc.Frame(i);
    EXPECT_EQ(std::tuple(f.frameDelay(), f.FrameDisposalMethod(), f.Width(), f.Height(), f.LocalPaletteUsed()),
              std::tuple(7, 3, 16, 8, false));
  }
  std::vector<int32_t> steps(45);
  std::iota(steps.begin(), steps.end(), 1);
  steps.push_back(0);
  EXPECT_EQ(progress.Maxima, std::vector<int32_t>{45});
  EXPECT_EQ(progress.Values, steps);
}

// Tiny and odd sizes; each import replaces the document before.
TEST_F(Import, TinyAndOddSizedMoviesReplaceTheDocument) {
  for (const auto& [w, h, n] : {std::tuple{33, 17, 4}, {1, 1, 2}, {3, 5, 3}, {7, 2, 2}}) {
    const ImportResult r = ImportAvi(Movie("s.avi", n, w, h), doc, dither, {});
    ASSERT_TRUE(r.Ok()) << r.Detail;
    EXPECT_EQ(std::tuple(doc.ScreenWidth(), doc.ScreenHeight(), doc.FramesCount()), std::tuple(w, h, n));
  }
}

TEST_F(Import, CancelStopsBetweenFramesAndLeavesNothing) {
  progress.CancelAfter = 3;
  EXPECT_EQ(ImportAvi(Movie("m.avi", 10, 16, 8), doc, dither, {}, &progress).Status, ImportStatus::Cancelled);
  EXPECT_EQ(doc.FramesCount(), 0);
  EXPECT_EQ(progress.Steps(), 3);
  EXPECT_EQ(progress.Values.back(), 0);
}

// Missing, empty, foreign, soundless, frameless and truncated files fail with a reason and
// leave no document (also not half of one), the progress bar back at 0.
TEST_F(Import, MoviesThatCannotBeImportedFailClearly) {
  WriteBytes(folder.File("empty.avi"), {});
  WriteBytes(folder.File("text.avi"), Bytes(500, 'x'));
  WriteAudioOnlyAvi(folder.File("sound.avi"));
  {
    RecordingSink sink;
    ScriptedOptions options(OptionsFor("raw"));
    avi::AviRecorder recorder(sink, options);
    ASSERT_TRUE(recorder.AVIStart(folder.File("none.avi"), 15, SyntheticFrame(16, 8, 0).View()));
  }
  Truncate(Movie("cut.avi", 10, 32, 16), 0.5);
  for (const std::string name : {"missing.avi", "empty.avi", "text.avi", "sound.avi", "none.avi", "cut.avi"}) {
    ASSERT_TRUE(ImportAvi(Movie("good.avi", 2, 8, 4), doc, dither, {}).Ok());
    const ImportResult r = ImportAvi(folder.File(name), doc, dither, {}, &progress);
    EXPECT_EQ(r.Status, ImportStatus::Failed) << name;
    EXPECT_FALSE(r.Detail.empty()) << name;
    EXPECT_EQ(doc.FramesCount(), 0) << name;
    if (!progress.Values.empty()) {
      EXPECT_EQ(progress.Values.back(), 0) << name;
    }
  }
}

// Noise over every part of movies of every codec: each import succeeds or fails cleanly.
TEST_F(Import, CorruptMoviesNeverCrash) {
  for (const std::string codec : {"raw", "mjpeg", "ffv1", "mpeg4"})
    for (const Bytes& bytes : NoisyCopies(ReadBytes(Movie(codec + ".avi", 3, 24, 10, codec)), 17, 48, 99)) {
      WriteBytes(folder.File("broken.avi"), bytes);
      const ImportResult r = ImportAvi(folder.File("broken.avi"), doc, dither, {});
      if (r.Ok()) {
        EXPECT_GT(doc.FramesCount(), 0);
        EXPECT_EQ(doc.ScreenWidth(), doc.Frame(1).Width());
      } else {
        EXPECT_EQ(doc.FramesCount(), 0);
        EXPECT_FALSE(r.Detail.empty());
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
