// The converter's open and save flows: messages, the written GIF decoded by giflib and
// compared pixel by pixel, optimisation that keeps the pictures, files that cannot be written.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "export/avi2gif/avi2gif_converter.h"
#include "export/avi2gif/avi2gif_messages.h"
#include "tests/avi2gif/avi2gif_test_support.h"
#include "tests/gif/gif_test_support.h"

namespace lumetrix::avi2gif {
namespace {

namespace fs = std::filesystem;
using gif::mDither8bpp;
using gif::testing::DecodedGif;
using gif::testing::DecodeWithGiflib;
using gif::testing::Timeline;
using test::OwnedFrame;
using test::RecordMovie;
using test::SyntheticFrames;

class Converter : public ::testing::Test {
 protected:
  avi::test::TempFolder folder;
  avi::test::RecordingSink sink;
  Avi2GifConverter converter{sink};

  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& m : sink.Messages) texts.push_back(m.Text);
    return texts;
  }
  DecodedGif Decode(const std::string& path) {
    DecodedGif gif;
    std::string error;
    EXPECT_TRUE(DecodeWithGiflib(path, gif, error)) << error;
    return gif;
  }
};

TEST_F(Converter, StartsOptimalWithoutDitheringOrOptions) {
  EXPECT_EQ(converter.PaletteMode(), mDither8bpp::kOptimal);
  EXPECT_EQ(converter.DitherMode(), mDither8bpp::kNoDither);
  EXPECT_FALSE(converter.SwapRG());
  EXPECT_FALSE(converter.Optimize());
  EXPECT_EQ(converter.Document().FramesCount(), 0);
}

TEST_F(Converter, OpenKeepsThePathAndTheBottomUpRowsForThePreview) {
  const std::string path = folder.File("m.avi");
  ASSERT_TRUE(RecordMovie(path, SyntheticFrames(16, 8, 3)));
  EXPECT_EQ(converter.OpenAvi("", false), ImportStatus::Failed);  // nothing happens
  EXPECT_TRUE(sink.Messages.empty());
  EXPECT_EQ(converter.OpenAvi(path, false), ImportStatus::Ok);
  EXPECT_EQ(converter.AviPath(), path);
  EXPECT_TRUE(converter.RowsBottomUp());
  EXPECT_EQ(converter.Document().FramesCount(), 3);
  EXPECT_TRUE(sink.Messages.empty());
}

TEST_F(Converter, UnreadableMovieShowsTheLoadMessage) {
  avi::test::WriteFileBytes(folder.File("bad.avi"), std::vector<uint8_t>(100, 7));
  EXPECT_EQ(converter.OpenAvi(folder.File("bad.avi"), false), ImportStatus::Failed);
  ASSERT_EQ(Texts(), std::vector<std::string>{"Unexpected error loading AVI file."});
  EXPECT_EQ(sink.Messages[0].Icon, MessageIcon::Exclamation);
  EXPECT_FALSE(converter.LastDetail().empty());
  EXPECT_EQ(converter.Document().FramesCount(), 0);
  // Then there is nothing to save.
  EXPECT_EQ(converter.SaveAnimatedGif(folder.File("out.gif")), SaveStatus::NothingToSave);
  EXPECT_EQ(Texts().back(), "Nothing to save");
  EXPECT_FALSE(fs::exists(folder.File("out.gif")));
}

TEST_F(Converter, NothingToSaveAndNothingToOptimizeBeforeAnyMovie) {
  EXPECT_FALSE(converter.CheckSomethingToSave());
  EXPECT_FALSE(converter.OptimizeFrames());
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Nothing to save", "Nothing to optimize"}));
  for (const auto& m : sink.Messages) EXPECT_EQ(m.Icon, MessageIcon::Exclamation);
}

// The saved frames are the movie's pictures reduced top row first, right way up, and the
// preview is imported again afterwards.
TEST_F(Converter, SavedGifHoldsTheReducedFramesTheRightWayUp) {
  const auto frames = SyntheticFrames(21, 11, 4);
  const std::string path = folder.File("m.avi");
  ASSERT_TRUE(RecordMovie(path, frames, 10));
  for (int paletteMode = 0; paletteMode < 3; ++paletteMode)
    for (int ditherMode = 0; ditherMode < 3; ++ditherMode) {
      SCOPED_TRACE(testing::Message() << "palette " << paletteMode << " dither " << ditherMode);
      converter.SetPaletteMode(paletteMode);
      converter.SetDitherMode(ditherMode);
      ASSERT_EQ(converter.OpenAvi(path, false), ImportStatus::Ok);
      const std::string out = folder.File("out.gif");
      ASSERT_EQ(converter.SaveAnimatedGif(out), SaveStatus::Saved);
      EXPECT_TRUE(converter.RowsBottomUp());  // back to the preview's import
      EXPECT_EQ(converter.Document().FramesCount(), 4);

      const DecodedGif gif = Decode(out);
      ASSERT_EQ(gif.width, 21);
      ASSERT_EQ(gif.height, 11);
      EXPECT_EQ(gif.loops, 0);
      ASSERT_EQ(gif.frames.size(), 4u);
      mDither8bpp reference;
      reference.SetPaletteMode(paletteMode);
      reference.SetDitherMode(ditherMode);
      gif::cPal8bpp palette;
      for (size_t i = 0; i < frames.size(); ++i) {
        const auto& f = gif.frames[i];
        EXPECT_EQ(f.delay, 10);
        EXPECT_EQ(f.disposal, 3);
        ASSERT_EQ(f.width, 21);
        ASSERT_EQ(f.height, 11);
        gif::cDIB want;
        ASSERT_TRUE(reference.Reduce(test::TopDownPicture(frames[i]), want, palette, i > 0));
        for (int y = 0; y < 11; ++y)
          for (int x = 0; x < 21; ++x) {
            const int index = f.pixels[static_cast<size_t>(y * 21 + x)];
            ASSERT_EQ(index, want.Index(x, y)) << x << "," << y;
            ASSERT_EQ(f.colours.at(static_cast<size_t>(index)), palette.lpPalette()[index]);
          }
      }
    }
  EXPECT_TRUE(sink.Messages.empty());
}

TEST_F(Converter, SwapRGReachesTheFile) {
  const std::string path = folder.File("rgb.avi");
  ASSERT_TRUE(RecordMovie(path, {test::SolidFrame(6, 4, 255, 0, 0), test::SolidFrame(6, 4, 0, 255, 0),
                                 test::SolidFrame(6, 4, 0, 0, 255)}));
  converter.SetSwapRG(true);
  converter.SetPaletteMode(mDither8bpp::kWebSafe);
  ASSERT_EQ(converter.OpenAvi(path, false), ImportStatus::Ok);
  ASSERT_EQ(converter.SaveAnimatedGif(folder.File("s.gif")), SaveStatus::Saved);
  const DecodedGif gif = Decode(folder.File("s.gif"));
  ASSERT_EQ(gif.frames.size(), 3u);
  const uint32_t want[] = {0x0000FF, 0xFF0000, 0x00FF00};
  for (size_t i = 0; i < 3; ++i) {
    const auto& f = gif.frames[i];
    const auto c = f.colours.at(f.pixels[7]);
    EXPECT_EQ((uint32_t{c.red} << 16) | (uint32_t{c.green} << 8) | c.blue, want[i]) << i;
  }
}

// A movie with still stretches: optimised, repeated frames vanish into the delay of the frame
// before, changed areas are cut out, and the animation shows the same pictures as uncut.
TEST_F(Converter, OptimisedGifShowsTheSamePicturesAsTheUncutOne) {
  // A still background with a small square moving over its lower half.
  std::vector<OwnedFrame> frames;
  for (int k = 0; k < 5; ++k) {
    OwnedFrame f = avi::test::SyntheticFrame(24, 16, 0);
    const int64_t stride = avi::DibRowStride(24);
    for (int y = 10; y < 13; ++y)  // rows from the top
      for (int x = 3 + 3 * k; x < 6 + 3 * k; ++x) {
        uint8_t* p = f.Pixels.data() + (15 - y) * stride + x * 3;
        p[0] = 10, p[1] = 250, p[2] = 30;
      }
    frames.push_back(f);
  }
  frames.insert(frames.begin() + 2, frames[1]);  // a still frame
  frames.push_back(frames.back());
  const std::string path = folder.File("m.avi");
  ASSERT_TRUE(RecordMovie(path, frames, 20));
  for (int ditherMode = 0; ditherMode < 3; ++ditherMode) {
    SCOPED_TRACE(ditherMode);
    converter.SetDitherMode(ditherMode);
    converter.SetOptimize(false);
    ASSERT_EQ(converter.OpenAvi(path, false), ImportStatus::Ok);
    ASSERT_EQ(converter.SaveAnimatedGif(folder.File("plain.gif")), SaveStatus::Saved);
    converter.SetOptimize(true);
    test::RecordingProgress progress;
    ASSERT_EQ(converter.SaveAnimatedGif(folder.File("small.gif"), &progress), SaveStatus::Saved);
    const DecodedGif plain = Decode(folder.File("plain.gif"));
    const DecodedGif small = Decode(folder.File("small.gif"));
    ASSERT_EQ(plain.frames.size(), 7u);
    EXPECT_LT(small.frames.size(), 7u);
    EXPECT_LE(fs::file_size(folder.File("small.gif")), fs::file_size(folder.File("plain.gif")));
    EXPECT_EQ(Timeline(small), Timeline(plain));
    int cut = 0;
    for (const auto& f : small.frames) cut += (f.width < 24 || f.height < 16) ? 1 : 0;
    EXPECT_GT(cut, 0);
    // Import, optimisation passes and the preview's import all drove the bar back to 0.
    EXPECT_GE(progress.Maxima.size(), 4u);
    EXPECT_EQ(progress.Values.back(), 0);
  }
  EXPECT_TRUE(sink.Messages.empty());
}

TEST_F(Converter, UnwritableGifLeavesNoFileAndShowsTheSaveMessage) {
  const std::string path = folder.File("m.avi");
  ASSERT_TRUE(RecordMovie(path, SyntheticFrames(8, 6, 2)));
  ASSERT_EQ(converter.OpenAvi(path, false), ImportStatus::Ok);
  const std::string nowhere = folder.File("no-such-folder/out.gif");
  EXPECT_EQ(converter.SaveAnimatedGif(nowhere), SaveStatus::SaveFailed);
  EXPECT_FALSE(fs::exists(nowhere));
  fs::create_directory(folder.File("a-folder.gif"));
  EXPECT_EQ(converter.SaveAnimatedGif(folder.File("a-folder.gif")), SaveStatus::SaveFailed);
  EXPECT_TRUE(fs::is_directory(folder.File("a-folder.gif")));
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Unexpected error saving GIF file.", "Unexpected error saving GIF file."}));
  EXPECT_FALSE(converter.LastDetail().empty());
  // The preview is back after the failure.
  EXPECT_EQ(converter.Document().FramesCount(), 2);
  EXPECT_TRUE(converter.RowsBottomUp());
  // Nothing else was left in the folder (no temporary files).
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"a-folder.gif", "m.avi"}));
}

TEST_F(Converter, AnOlderGifStaysWhenTheMovieCannotBeReadAgain) {
  const std::string path = folder.File("m.avi");
  ASSERT_TRUE(RecordMovie(path, SyntheticFrames(8, 6, 2)));
  ASSERT_EQ(converter.OpenAvi(path, false), ImportStatus::Ok);
  const std::string out = folder.File("old.gif");
  { std::ofstream(out) << "older file"; }
  // The movie is truncated behind the converter's back.
  auto bytes = avi::test::ReadFileBytes(path);
  bytes.resize(bytes.size() / 3);
  avi::test::WriteFileBytes(path, bytes);
  EXPECT_EQ(converter.SaveAnimatedGif(out), SaveStatus::LoadFailed);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Unexpected error loading AVI file."});
  std::ifstream in(out);
  std::string text;
  std::getline(in, text);
  EXPECT_EQ(text, "older file");
}

TEST_F(Converter, TheMovieItselfIsNeverOverwritten) {
  const std::string path = folder.File("m.avi");
  ASSERT_TRUE(RecordMovie(path, SyntheticFrames(8, 6, 2)));
  const auto before = avi::test::ReadFileBytes(path);
  ASSERT_EQ(converter.OpenAvi(path, false), ImportStatus::Ok);
  EXPECT_EQ(converter.SaveAnimatedGif(path), SaveStatus::SaveFailed);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Unexpected error saving GIF file."});
  EXPECT_EQ(avi::test::ReadFileBytes(path), before);
}

TEST_F(Converter, CancelWhileSavingWritesNothing) {
  const std::string path = folder.File("m.avi");
  ASSERT_TRUE(RecordMovie(path, SyntheticFrames(8, 6, 6)));
  ASSERT_EQ(converter.OpenAvi(path, false), ImportStatus::Ok);
  test::RecordingProgress progress;
  progress.CancelAfter = 2;
  EXPECT_EQ(converter.SaveAnimatedGif(folder.File("c.gif"), &progress), SaveStatus::Cancelled);
  EXPECT_FALSE(fs::exists(folder.File("c.gif")));
  EXPECT_TRUE(sink.Messages.empty());
}

TEST_F(Converter, OptimisationRemembersTheTransparentIndexAndKeepsFrameOne) {
  std::vector<OwnedFrame> frames(3, test::SolidFrame(10, 10, 20, 40, 60));
  const std::string path = folder.File("still.avi");
  ASSERT_TRUE(RecordMovie(path, frames, 10));
  ASSERT_EQ(converter.OpenAvi(path, true), ImportStatus::Ok);
  ASSERT_TRUE(converter.OptimizeFrames());
  // Nothing changes after frame 1: one frame remains, holding the whole time.
  ASSERT_EQ(converter.Document().FramesCount(), 1);
  EXPECT_EQ(converter.Document().Frame(1).frameDelay(), 30);
  EXPECT_EQ(converter.Document().GlobalPaletteEntries(), 1);
  EXPECT_EQ(converter.TransparentIndex(), converter.Document().Frame(1).FrameTransparentColorIndex());
}

}  // namespace
}  // namespace lumetrix::avi2gif

namespace lumetrix::avi2gif {
namespace {

// The command line's route: import top row first, then write the document as it is.
TEST(ConverterWriteDocument, WritesTheLoadedDocumentAndGuardsTheMovie) {
  avi::test::TempFolder folder;
  avi::test::RecordingSink sink;
  Avi2GifConverter converter(sink);
  EXPECT_EQ(converter.WriteDocument(folder.File("none.gif")), SaveStatus::NothingToSave);
  EXPECT_FALSE(std::filesystem::exists(folder.File("none.gif")));
  std::vector<test::OwnedFrame> frames(2, test::SolidFrame(9, 5, 0, 0, 255));
  frames.push_back(test::SolidFrame(9, 5, 255, 255, 0));
  const std::string path = folder.File("m.avi");
  ASSERT_TRUE(test::RecordMovie(path, frames, 10));
  converter.SetOptimize(true);
  converter.SetPaletteMode(mDither8bpp::kWebSafe);  // an optimal palette of frame 1 would be all blue
  ASSERT_EQ(converter.OpenAvi(path, true), ImportStatus::Ok);
  EXPECT_FALSE(converter.RowsBottomUp());
  EXPECT_EQ(converter.WriteDocument(path), SaveStatus::SaveFailed);
  EXPECT_EQ(converter.Document().FramesCount(), 3);  // refused before anything was optimised
  ASSERT_EQ(converter.WriteDocument(folder.File("out.gif")), SaveStatus::Saved);
  gif::testing::DecodedGif gif;
  std::string error;
  ASSERT_TRUE(gif::testing::DecodeWithGiflib(folder.File("out.gif"), gif, error)) << error;
  // The still second frame went into the first one's delay.
  ASSERT_EQ(gif.frames.size(), 2u);
  EXPECT_EQ(gif.frames[0].delay, 20);
  ASSERT_EQ(sink.Messages.size(), 2u);
  EXPECT_EQ(sink.Messages[0].Text, "Nothing to save");
  EXPECT_EQ(sink.Messages[1].Text, "Unexpected error saving GIF file.");
}

}  // namespace
}  // namespace lumetrix::avi2gif
