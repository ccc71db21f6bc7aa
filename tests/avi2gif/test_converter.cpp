// The converter's open and save flows: messages, the written GIF decoded by giflib and compared
// pixel by pixel, optimisation that keeps the pictures, files that cannot be written.

#include <gtest/gtest.h>

#include <filesystem>

#include "export/avi2gif/avi2gif_converter.h"
#include "tests/avi2gif/avi2gif_test_support.h"

namespace lumetrix::avi2gif {
namespace {

namespace fs = std::filesystem;
using namespace test;
using gif::mDither8bpp;
using gif::testing::Timeline;
using Strings = std::vector<std::string>;

class Converter : public ::testing::Test {
 protected:
  std::string Movie(const std::vector<OwnedFrame>& frames, double rate = 15) {
    EXPECT_TRUE(RecordMovie(folder.File("m.avi"), frames, rate));
    return folder.File("m.avi");
  }
  Strings Texts() const {
    Strings texts;
    for (const auto& m : sink.Messages) texts.push_back(m.Text);
    return texts;
  }
  TempFolder folder;
  RecordingSink sink;
  Avi2GifConverter converter{sink};
};

// Before any movie: optimal palette, no dithering, no options, nothing to save or optimise, and
// an empty name opens nothing; an unreadable movie shows the load message and leaves nothing.
TEST_F(Converter, BeforeAnyMovieThereIsNothingToSave) {
  EXPECT_EQ(std::tuple(converter.PaletteMode(), converter.DitherMode(), converter.SwapRG(), converter.Optimize()),
            std::tuple(mDither8bpp::kOptimal, mDither8bpp::kNoDither, false, false));
  EXPECT_EQ(converter.OpenAvi("", false), ImportStatus::Failed);
  EXPECT_FALSE(converter.CheckSomethingToSave());
  EXPECT_FALSE(converter.OptimizeFrames());
  EXPECT_EQ(converter.SaveAnimatedGif(folder.File("out.gif")), SaveStatus::NothingToSave);
  EXPECT_EQ(converter.WriteDocument(folder.File("out.gif")), SaveStatus::NothingToSave);
  EXPECT_EQ(Texts(), (Strings{"Nothing to save", "Nothing to optimize", "Nothing to save", "Nothing to save"}));
  WriteBytes(folder.File("bad.avi"), Bytes(100, 7));
  EXPECT_EQ(converter.OpenAvi(folder.File("bad.avi"), false), ImportStatus::Failed);
  EXPECT_EQ(Texts().back(), "Unexpected error loading AVI file.");
  for (const auto& m : sink.Messages) EXPECT_EQ(m.Icon, MessageIcon::Exclamation);
  EXPECT_FALSE(converter.LastDetail().empty());
  EXPECT_EQ(converter.Document().FramesCount(), 0);
  EXPECT_EQ(Names(folder), Strings{"bad.avi"});
}

// Every palette and dither mode: the saved frames are the movie's pictures reduced top row
// first, at the movie's delay, looping; the preview (bottom-up rows) is imported again after.
TEST_F(Converter, SavedGifHoldsTheReducedFramesTheRightWayUp) {
  const auto frames = SyntheticFrames(21, 11, 4);
  const std::string path = Movie(frames, 10);
  for (int paletteMode = 0; paletteMode < 3; ++paletteMode)
    for (int ditherMode = 0; ditherMode < 3; ++ditherMode) {
      SCOPED_TRACE(testing::Message() << "palette " << paletteMode << " dither " << ditherMode);
      converter.SetPaletteMode(paletteMode);
      converter.SetDitherMode(ditherMode);
      ASSERT_EQ(converter.OpenAvi(path, false), ImportStatus::Ok);
      EXPECT_EQ(converter.AviPath(), path);
      ASSERT_EQ(converter.SaveAnimatedGif(folder.File("out.gif")), SaveStatus::Saved);
      EXPECT_TRUE(converter.RowsBottomUp());
      EXPECT_EQ(converter.Document().FramesCount(), 4);
      const DecodedGif gif = Decode(folder.File("out.gif"));
      ASSERT_EQ(std::tuple(gif.width, gif.height, gif.loops, gif.frames.size()), std::tuple(21, 11, 0, 4u));
      mDither8bpp reference;
      reference.SetPaletteMode(paletteMode);
      reference.SetDitherMode(ditherMode);
      gif::cPal8bpp palette;
      // Web-safe without dithering, worked independently of the reduction: each channel to the
      // nearest multiple of 51, floor((v + 25) / 51) * 51 (no ties: v / 51 is never k + 0.5).
      const bool web_plain = paletteMode == mDither8bpp::kWebSafe && ditherMode == mDither8bpp::kNoDither;
      const auto web = [](uint8_t v) { return static_cast<uint8_t>((v + 25) / 51 * 51); };
      for (size_t i = 0; i < frames.size(); ++i) {
        const auto& f = gif.frames[i];
        ASSERT_EQ(std::tuple(f.delay, f.disposal, f.width, f.height), std::tuple(10, 3, 21, 11));
        gif::cDIB want;
        const gif::cDIB source = TopDownPicture(frames[i]);
        ASSERT_TRUE(reference.Reduce(source, want, palette, i > 0));
        for (int y = 0; y < 11; ++y)
          for (int x = 0; x < 21; ++x) {
            const int index = f.pixels[static_cast<size_t>(y * 21 + x)];
            ASSERT_EQ(index, want.Index(x, y)) << x << "," << y;
            ASSERT_EQ(f.colours.at(static_cast<size_t>(index)), palette.lpPalette()[index]);
            const gif::RGBQuad s = source.Pixel(x, y);
            if (web_plain) {
              ASSERT_EQ(f.colours.at(static_cast<size_t>(index)), gif::MakeRGBQuad(web(s.red), web(s.green), web(s.blue)))
                  << x << "," << y;
            }
          }
      }
    }
  EXPECT_TRUE(sink.Messages.empty());
}

TEST_F(Converter, SwapRGReachesTheFile) {
  Movie({SolidFrame(6, 4, 255, 0, 0), SolidFrame(6, 4, 0, 255, 0), SolidFrame(6, 4, 0, 0, 255)});
  converter.SetSwapRG(true);
  converter.SetPaletteMode(mDither8bpp::kWebSafe);
  ASSERT_EQ(converter.OpenAvi(folder.File("m.avi"), false), ImportStatus::Ok);
  ASSERT_EQ(converter.SaveAnimatedGif(folder.File("s.gif")), SaveStatus::Saved);
  const DecodedGif gif = Decode(folder.File("s.gif"));
  ASSERT_EQ(gif.frames.size(), 3u);
  const gif::RGBQuad want[] = {gif::MakeRGBQuad(0, 0, 255), gif::MakeRGBQuad(255, 0, 0), gif::MakeRGBQuad(0, 255, 0)};
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(gif.frames[i].colours.at(gif.frames[i].pixels[7]), want[i]) << i;
}

// A still background with a small square moving over it, and still stretches: optimised,
// repeated frames vanish into the delay of the frame before, changed areas are cut out, and
// the animation shows the same pictures as uncut.
TEST_F(Converter, OptimisedGifShowsTheSamePicturesAsTheUncutOne) {
  std::vector<OwnedFrame> frames;
  for (int k = 0; k < 5; ++k) {
    OwnedFrame f = SyntheticFrame(24, 16, 0);
    for (int y = 10; y < 13; ++y)  // rows from the top
      for (int x = 3 + 3 * k; x < 6 + 3 * k; ++x) {
        uint8_t* p = f.Pixels.data() + (15 - y) * avi::DibRowStride(24) + x * 3;
        p[0] = 10, p[1] = 250, p[2] = 30;
      }
    frames.push_back(f);
  }
  frames.insert(frames.begin() + 2, frames[1]);
  frames.push_back(frames.back());
  const std::string path = Movie(frames, 20);
  for (int ditherMode = 0; ditherMode < 3; ++ditherMode) {
    SCOPED_TRACE(ditherMode);
    converter.SetDitherMode(ditherMode);
    converter.SetOptimize(false);
    ASSERT_EQ(converter.OpenAvi(path, false), ImportStatus::Ok);
    ASSERT_EQ(converter.SaveAnimatedGif(folder.File("plain.gif")), SaveStatus::Saved);
    converter.SetOptimize(true);
    RecordingProgress progress;
    ASSERT_EQ(converter.SaveAnimatedGif(folder.File("small.gif"), &progress), SaveStatus::Saved);
    const DecodedGif plain = Decode(folder.File("plain.gif")), small = Decode(folder.File("small.gif"));
    ASSERT_EQ(plain.frames.size(), 7u);
    EXPECT_LT(small.frames.size(), 7u);
    EXPECT_LE(fs::file_size(folder.File("small.gif")), fs::file_size(folder.File("plain.gif")));
    EXPECT_EQ(Timeline(small), Timeline(plain));
    EXPECT_TRUE(std::any_of(small.frames.begin(), small.frames.end(), [](const auto& f) { return f.width < 24 || f.height < 16; }));
    // Import, optimisation passes and the preview's import all drove the bar back to 0.
    EXPECT_GE(progress.Maxima.size(), 4u);
    EXPECT_EQ(progress.Values.back(), 0);
  }
  EXPECT_TRUE(sink.Messages.empty());
}

// A missing folder, a folder's name and the movie itself cannot take the GIF: the save message,
// no file or temporary file, the movie unchanged and the preview back. Neither can an older
// GIF be lost when the movie cannot be read again, nor a file be left by a cancelled save.
TEST_F(Converter, FailedSavesLeaveNoFileAndKeepOlderOnes) {
  const std::string path = Movie(SyntheticFrames(8, 6, 6));
  const Bytes movie = ReadBytes(path);
  ASSERT_EQ(converter.OpenAvi(path, false), ImportStatus::Ok);
  fs::create_directory(folder.File("a-folder.gif"));
  for (const std::string& target : {folder.File("no-such-folder/out.gif"), folder.File("a-folder.gif"), path}) {
    EXPECT_EQ(converter.SaveAnimatedGif(target), SaveStatus::SaveFailed) << target;
    EXPECT_EQ(Texts(), Strings{"Unexpected error saving GIF file."});
    EXPECT_FALSE(converter.LastDetail().empty());
    EXPECT_EQ(converter.Document().FramesCount(), 6);
    EXPECT_TRUE(converter.RowsBottomUp());
    sink.Messages.clear();
  }
  EXPECT_EQ(ReadBytes(path), movie);
  EXPECT_EQ(Names(folder), (Strings{"a-folder.gif", "m.avi"}));
  RecordingProgress progress;
  progress.CancelAfter = 2;
  EXPECT_EQ(converter.SaveAnimatedGif(folder.File("c.gif"), &progress), SaveStatus::Cancelled);
  EXPECT_TRUE(sink.Messages.empty());
  ASSERT_EQ(converter.OpenAvi(path, false), ImportStatus::Ok);
  WriteBytes(folder.File("old.gif"), {'o', 'l', 'd'});
  Truncate(path, 0.33);  // behind the converter's back
  EXPECT_EQ(converter.SaveAnimatedGif(folder.File("old.gif")), SaveStatus::LoadFailed);
  EXPECT_EQ(Texts(), Strings{"Unexpected error loading AVI file."});
  EXPECT_EQ(ReadBytes(folder.File("old.gif")), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(Names(folder), (Strings{"a-folder.gif", "m.avi", "old.gif"}));
}

// The command line's route: import top row first, then write the document as it is, optimised.
TEST_F(Converter, WriteDocumentWritesTheLoadedDocumentAndGuardsTheMovie) {
  std::vector<OwnedFrame> frames(2, SolidFrame(9, 5, 0, 0, 255));
  frames.push_back(SolidFrame(9, 5, 255, 255, 0));
  const std::string path = Movie(frames, 10);
  converter.SetOptimize(true);
  converter.SetPaletteMode(mDither8bpp::kWebSafe);  // an optimal palette of frame 1 would be all blue
  ASSERT_EQ(converter.OpenAvi(path, true), ImportStatus::Ok);
  EXPECT_FALSE(converter.RowsBottomUp());
  EXPECT_EQ(converter.WriteDocument(path), SaveStatus::SaveFailed);
  EXPECT_EQ(Texts(), Strings{"Unexpected error saving GIF file."});
  EXPECT_EQ(converter.Document().FramesCount(), 3);  // refused before anything was optimised
  ASSERT_EQ(converter.WriteDocument(folder.File("out.gif")), SaveStatus::Saved);
  const DecodedGif gif = Decode(folder.File("out.gif"));
  ASSERT_EQ(gif.frames.size(), 2u);  // the still second frame went into the first one's delay
  EXPECT_EQ(gif.frames[0].delay, 20);
}

}  // namespace
}  // namespace lumetrix::avi2gif
