// "(Re)compress AVI": the new movie, the progress steps, the messages and bad input.

#include <gtest/gtest.h>

#include "export/avi/avi_recompressor.h"
#include "export/avi/avi_recorder.h"
#include "tests/avi/avi_test_support.h"

namespace lumetrix::avi {
namespace {

using test::OptionsFor;
using test::ScriptedOptions;
using test::SyntheticFrame;
using test::TempFolder;

class Recompress : public ::testing::Test {
 protected:
  TempFolder folder;
  test::RecordingSink sink;
  test::RecordingProgress progress;

  std::string RecordMovie(const std::string& name, const std::string& codec, int frames, int w = 32, int h = 16) {
    test::RecordingSink quiet;
    ScriptedOptions options(OptionsFor(codec));
    AviRecorder recorder(quiet, options);
    const std::string path = folder.File(name);
    EXPECT_TRUE(recorder.AVIStart(path, 12, SyntheticFrame(w, h, 0).View()));
    for (int i = 0; i < frames; ++i) recorder.AVIAdd(SyntheticFrame(w, h, i).View());
    recorder.AVIend();
    return path;
  }

  void ExpectWorkingError(const std::string& input) {
    ASSERT_EQ(sink.Messages.size(), 1u);
    EXPECT_EQ(sink.Messages[0].Text, "There was an error working with the file:\n" + input);
    EXPECT_EQ(sink.Messages[0].Icon, MessageIcon::Information);
  }
};

TEST_F(Recompress, RawToLosslessKeepsEveryFrameExactly) {
  const std::string in = RecordMovie("in.avi", "raw", 7);
  const std::string out = folder.File("out.avi");
  ScriptedOptions options(OptionsFor("ffv1"));
  const RecompressResult result = RecompressAvi(in, out, options, sink, &progress);
  EXPECT_EQ(result.Status, RecompressStatus::Ok) << result.Detail;
  EXPECT_EQ(result.FramesWritten, 7);
  EXPECT_TRUE(sink.Messages.empty());
  const auto movie = test::ProbeMovie(out);
  EXPECT_EQ(movie.Codec, "ffv1");
  EXPECT_EQ(movie.RateNum, 12);
  ASSERT_EQ(movie.Frames.size(), 7u);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(movie.Frames[i], SyntheticFrame(32, 16, i).Pixels) << i;
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"in.avi", "out.avi"}));
}

TEST_F(Recompress, ProgressGrowsByOnePerFrame) {
  const std::string in = RecordMovie("in.avi", "raw", 5);
  ScriptedOptions options(OptionsFor("mjpeg"));
  ASSERT_EQ(RecompressAvi(in, folder.File("out.avi"), options, sink, &progress).Status, RecompressStatus::Ok);
  EXPECT_EQ(progress.Caption, "Recompressing AVI");
  EXPECT_EQ(progress.Maximum, 6);
  EXPECT_EQ(progress.Values, (std::vector<int32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(progress.Hides, 1);
  EXPECT_FALSE(progress.Shown);
  EXPECT_EQ(progress.GetProgress(), 0);
}

TEST_F(Recompress, MotionJpegToRawStaysClose) {
  const std::string in = RecordMovie("in.avi", "mjpeg", 4, 64, 48);
  ScriptedOptions options(OptionsFor("raw"));
  ASSERT_EQ(RecompressAvi(in, folder.File("out.avi"), options, sink, nullptr).Status, RecompressStatus::Ok);
  const auto movie = test::ProbeMovie(folder.File("out.avi"));
  ASSERT_EQ(movie.Frames.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_GT(test::Psnr(movie.Frames[i], SyntheticFrame(64, 48, i).Pixels), 35.0);
}

TEST_F(Recompress, KeyFrameSpacingIsHonoured) {
  const std::string in = RecordMovie("in.avi", "raw", 9);
  CompressionOptions chosen = OptionsFor("mpeg4");
  chosen.KeyFramesOn = true;
  chosen.KeyFrameEvery = 4;
  ScriptedOptions options(chosen);
  ASSERT_EQ(RecompressAvi(in, folder.File("out.avi"), options, sink, nullptr).Status, RecompressStatus::Ok);
  const auto movie = test::ProbeMovie(folder.File("out.avi"));
  EXPECT_EQ(movie.Packets, 9);
  EXPECT_FALSE(movie.AllKey);
  EXPECT_EQ(movie.Frames.size(), 9u);
}

TEST_F(Recompress, CancelledOptionsShowOnlyTheirMessage) {
  const std::string in = RecordMovie("in.avi", "raw", 2);
  ScriptedOptions options(std::nullopt);
  const RecompressResult result = RecompressAvi(in, folder.File("out.avi"), options, sink, &progress);
  EXPECT_EQ(result.Status, RecompressStatus::OptionsCancelled);
  ASSERT_EQ(sink.Messages.size(), 1u);
  EXPECT_EQ(sink.Messages[0].Text, "AVI SaveOptions returned an error !");
  EXPECT_EQ(sink.Messages[0].Icon, MessageIcon::Critical);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"in.avi"});
  EXPECT_EQ(progress.Maximum, -1);  // never shown
}

TEST_F(Recompress, InputWithoutVideoIsAnError) {
  const std::string in = folder.File("sound.avi");
  test::WriteAudioOnlyAvi(in);
  ScriptedOptions options(OptionsFor("raw"));
  EXPECT_EQ(RecompressAvi(in, folder.File("out.avi"), options, sink, &progress).Status,
            RecompressStatus::InputError);
  ExpectWorkingError(in);
  EXPECT_EQ(options.Asked, 0);  // the input is opened before the options are asked
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"sound.avi"});
}

TEST_F(Recompress, MissingAndGarbageInputsAreErrors) {
  ScriptedOptions options(OptionsFor("raw"));
  const std::string missing = folder.File("missing.avi");
  EXPECT_EQ(RecompressAvi(missing, folder.File("out.avi"), options, sink).Status, RecompressStatus::InputError);
  ExpectWorkingError(missing);
  sink.Messages.clear();
  const std::string garbage = folder.File("garbage.avi");
  test::WriteFileBytes(garbage, std::vector<uint8_t>(4096, 0xA5));
  EXPECT_EQ(RecompressAvi(garbage, folder.File("out.avi"), options, sink).Status, RecompressStatus::InputError);
  ExpectWorkingError(garbage);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"garbage.avi"});
}

TEST_F(Recompress, TruncatedInputLeavesNoOutputAndKeepsAnOldOne) {
  const std::string in = RecordMovie("in.avi", "raw", 10);
  auto bytes = test::ReadFileBytes(in);
  bytes.resize(bytes.size() * 6 / 10);
  test::WriteFileBytes(in, bytes);
  const std::string out = folder.File("out.avi");
  test::WriteFileBytes(out, {'o', 'l', 'd'});
  ScriptedOptions options(OptionsFor("mjpeg"));
  const RecompressResult result = RecompressAvi(in, out, options, sink, &progress);
  EXPECT_EQ(result.Status, RecompressStatus::InputError) << result.Detail;
  ExpectWorkingError(in);
  EXPECT_EQ(progress.Hides, 1);
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"in.avi", "out.avi"}));
  EXPECT_EQ(test::ReadFileBytes(out), (std::vector<uint8_t>{'o', 'l', 'd'}));
}

TEST_F(Recompress, OutputInAMissingFolderIsAnError) {
  const std::string in = RecordMovie("in.avi", "raw", 2);
  ScriptedOptions options(OptionsFor("raw"));
  const RecompressResult result = RecompressAvi(in, folder.File("nowhere/out.avi"), options, sink, &progress);
  EXPECT_EQ(result.Status, RecompressStatus::OutputError);
  ExpectWorkingError(in);
  EXPECT_EQ(progress.Hides, 1);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"in.avi"});
}

TEST_F(Recompress, OddSizedInputForAnEvenOnlyEncoderIsAnError) {
  const std::string in = RecordMovie("in.avi", "raw", 2, 13, 7);
  ScriptedOptions options(OptionsFor("mpeg4"));
  const RecompressResult result = RecompressAvi(in, folder.File("out.avi"), options, sink, nullptr);
  if (result.Status == RecompressStatus::Ok) {
    EXPECT_EQ(test::ProbeMovie(folder.File("out.avi")).Frames.size(), 2u);
  } else {
    EXPECT_EQ(result.Status, RecompressStatus::OutputError);
    ExpectWorkingError(in);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"in.avi"});
  }
}

TEST_F(Recompress, OverItsOwnInputReplacesItSafely) {
  const std::string in = RecordMovie("in.avi", "raw", 3);
  ScriptedOptions options(OptionsFor("ffv1"));
  ASSERT_EQ(RecompressAvi(in, in, options, sink, nullptr).Status, RecompressStatus::Ok);
  const auto movie = test::ProbeMovie(in);
  EXPECT_EQ(movie.Codec, "ffv1");
  EXPECT_EQ(movie.Frames.size(), 3u);
}

}  // namespace
}  // namespace lumetrix::avi
