// "(Re)compress AVI": the new movie, the progress steps, the messages and bad input.

#include <gtest/gtest.h>

#include "export/avi/avi_recompressor.h"
#include "tests/avi/avi_test_support.h"

namespace lumetrix::avi {
namespace {

using namespace test;
using Strings = std::vector<std::string>;

class Recompress : public ::testing::Test {
 protected:
  std::string Movie(const std::string& name, int frames, int w = 32, int h = 16) {
    EXPECT_TRUE(RecordMovie(folder.File(name), SyntheticFrames(w, h, frames), 12));
    return folder.File(name);
  }
  RecompressResult Run(const std::string& in, const std::string& out, const std::optional<CompressionOptions>& chosen) {
    ScriptedOptions options(chosen);
    progress = RecordingProgress();
    const RecompressResult result = RecompressAvi(in, folder.File(out), options, sink, &progress);
    asked = options.Asked;
    return result;
  }
  // The one message of a failure; the progress frame, when shown, is hidden again.
  void ExpectWorkingError(const std::string& input) {
    ASSERT_EQ(sink.Messages.size(), 1u);
    EXPECT_EQ(std::tuple(sink.Messages[0].Text, sink.Messages[0].Icon),
              std::tuple("There was an error working with the file:\n" + input, MessageIcon::Information));
    EXPECT_EQ(progress.Hides, progress.Maximum < 0 ? 0 : 1);
    sink.Messages.clear();
  }
  TempFolder folder;
  RecordingSink sink;
  RecordingProgress progress;
  int asked = 0;
};

TEST_F(Recompress, RawToLosslessKeepsEveryFrameExactlyOneProgressStepPerFrame) {
  const RecompressResult result = Run(Movie("in.avi", 5), "out.avi", OptionsFor("ffv1"));
  EXPECT_EQ(std::tuple(result.Status, result.FramesWritten), std::tuple(RecompressStatus::Ok, 5)) << result.Detail;
  EXPECT_TRUE(sink.Messages.empty());
  const ProbedMovie movie = ProbeMovie(folder.File("out.avi"));
  EXPECT_EQ(std::tuple(movie.Codec, movie.RateNum, movie.Frames.size()), std::tuple("ffv1", 12, 5u));
  ASSERT_EQ(movie.Frames.size(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(movie.Frames[i], SyntheticFrame(32, 16, i).Pixels) << i;
  EXPECT_EQ(Names(folder), (Strings{"in.avi", "out.avi"}));
  EXPECT_EQ(std::tuple(progress.Caption, progress.Maximum, progress.Hides, progress.GetProgress()),
            std::tuple("Recompressing AVI", 6, 1, 0));
  EXPECT_EQ(progress.Values, (std::vector<int32_t>{1, 2, 3, 4, 5}));
}

TEST_F(Recompress, KeyFrameSpacingIsHonouredAndTheInputMayBeReplaced) {
  CompressionOptions chosen = OptionsFor("mpeg4");
  chosen.KeyFramesOn = true;
  chosen.KeyFrameEvery = 4;
  ASSERT_EQ(Run(Movie("in.avi", 9), "in.avi", chosen).Status, RecompressStatus::Ok);
  const ProbedMovie movie = ProbeMovie(folder.File("in.avi"));
  EXPECT_EQ(std::tuple(movie.Codec, movie.Packets, movie.AllKey, movie.Frames.size()), std::tuple("mpeg4", 9, false, 9u));
}

TEST_F(Recompress, CancelledOptionsShowOnlyTheirMessage) {
  EXPECT_EQ(Run(Movie("in.avi", 2), "out.avi", std::nullopt).Status, RecompressStatus::OptionsCancelled);
  ASSERT_EQ(sink.Messages.size(), 1u);
  EXPECT_EQ(std::tuple(sink.Messages[0].Text, sink.Messages[0].Icon),
            std::tuple("AVI SaveOptions returned an error !", MessageIcon::Critical));
  EXPECT_EQ(Names(folder), Strings{"in.avi"});
  EXPECT_EQ(progress.Maximum, -1);  // never shown
}

// Missing, foreign and soundless inputs; the input is opened before the options are asked.
TEST_F(Recompress, InputsThatAreNoMoviesAreErrors) {
  WriteBytes(folder.File("garbage.avi"), Bytes(4096, 0xA5));
  WriteAudioOnlyAvi(folder.File("sound.avi"));
  for (const std::string name : {"missing.avi", "garbage.avi", "sound.avi"}) {
    EXPECT_EQ(Run(folder.File(name), "out.avi", OptionsFor("raw")).Status, RecompressStatus::InputError);
    ExpectWorkingError(folder.File(name));
    EXPECT_EQ(asked, 0);
  }
  EXPECT_EQ(Names(folder), (Strings{"garbage.avi", "sound.avi"}));
}

// Failures after the output was begun leave no output and keep an older one.
TEST_F(Recompress, TruncatedInputAndAMissingFolderLeaveNoOutput) {
  const std::string in = Movie("in.avi", 10);
  EXPECT_EQ(Run(in, "nowhere/out.avi", OptionsFor("raw")).Status, RecompressStatus::OutputError);
  ExpectWorkingError(in);
  Truncate(in, 0.6);
  WriteBytes(folder.File("out.avi"), {'o', 'l', 'd'});
  const RecompressResult result = Run(in, "out.avi", OptionsFor("mjpeg"));
  EXPECT_EQ(result.Status, RecompressStatus::InputError) << result.Detail;
  ExpectWorkingError(in);
  EXPECT_EQ(Names(folder), (Strings{"in.avi", "out.avi"}));
  EXPECT_EQ(ReadBytes(folder.File("out.avi")), (Bytes{'o', 'l', 'd'}));
}

// x264 takes even sizes only. An odd-sized movie is refused for it before any frame is written,
// naming the encoder and the size; nothing is reported as written, the input and an older output
// stay. Padding or cropping would change the movie the user made. Encoders of any size keep it exactly.
TEST_F(Recompress, OddSizedInputForAnEvenOnlyEncoderIsAnError) {
  const std::string in = Movie("in.avi", 2, 13, 7);
  const Bytes input = ReadBytes(in);
  WriteBytes(folder.File("out.avi"), {'o', 'l', 'd'});
  const RecompressResult refused = Run(in, "out.avi", OptionsFor("h264"));
  EXPECT_EQ(std::tuple(refused.Status, refused.FramesWritten), std::tuple(RecompressStatus::OutputError, 0));
  EXPECT_NE(refused.Detail.find("H.264 (x264) cannot encode frames of 13 x 7 pixels"), std::string::npos)
      << refused.Detail;
  ExpectWorkingError(in);
  EXPECT_EQ(Names(folder), (Strings{"in.avi", "out.avi"}));
  EXPECT_EQ(ReadBytes(folder.File("out.avi")), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(ReadBytes(in), input);
  ASSERT_EQ(Run(in, "out.avi", OptionsFor("ffv1")).Status, RecompressStatus::Ok);
  EXPECT_EQ(ProbeMovie(folder.File("out.avi")).Frames,
            (std::vector<Bytes>{SyntheticFrame(13, 7, 0).Pixels, SyntheticFrame(13, 7, 1).Pixels}));
}

}  // namespace
}  // namespace lumetrix::avi
