// Recording movies as scripts do: AVIStart, AVIAdd per frame, AVIend; every message and
// failure path, read back with FFmpeg's own demuxer and decoders.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>

#include "export/avi/avi_recorder.h"
#include "tests/avi/avi_test_support.h"

namespace lumetrix::avi {
namespace {

using test::OptionsFor;
using test::RecordingSink;
using test::ScriptedOptions;
using test::SyntheticFrame;
using test::TempFolder;

class Recorder : public ::testing::Test {
 protected:
  TempFolder folder;
  RecordingSink sink;

  // Records `frames` synthetic frames and returns what AVIStart said.
  bool Record(AviRecorder& recorder, const std::string& path, double rate, int frames, int w, int h) {
    if (!recorder.AVIStart(path, rate, SyntheticFrame(w, h, 99).View())) return false;
    for (int i = 0; i < frames; ++i) recorder.AVIAdd(SyntheticFrame(w, h, i).View());
    recorder.AVIend();
    return true;
  }
};

// Each catalogued encoder in turn.
class RecorderPerEncoder : public Recorder, public ::testing::WithParamInterface<std::string> {};

TEST_P(RecorderPerEncoder, MovieHoldsEveryFrameAsKeyFrameAtTheRate) {
  const std::string codec = GetParam();
  const EncoderInfo* encoder = EncoderCatalog::Installed().Find(codec);
  ASSERT_NE(encoder, nullptr);
  ScriptedOptions options(OptionsFor(codec));
  AviRecorder recorder(sink, options);
  const std::string path = folder.File("movie.avi");
  constexpr int kFrames = 6, kW = 64, kH = 48;
  ASSERT_TRUE(Record(recorder, path, 15, kFrames, kW, kH)) << recorder.LastError();
  EXPECT_TRUE(sink.Messages.empty()) << sink.Messages.front().Text;
  EXPECT_EQ(options.Asked, 1);
  EXPECT_FALSE(recorder.IsRecording());
  EXPECT_EQ(recorder.FrameCounter(), kFrames);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"movie.avi"});

  const test::ProbedMovie movie = test::ProbeMovie(path);
  ASSERT_TRUE(movie.Opened);
  EXPECT_EQ(movie.Packets, kFrames);
  EXPECT_TRUE(movie.AllKey);
  EXPECT_EQ(movie.RateNum, 15);
  EXPECT_EQ(movie.RateDen, 1);
  EXPECT_EQ(movie.Width, kW);
  EXPECT_EQ(movie.Height, kH);
  ASSERT_EQ(movie.Frames.size(), static_cast<size_t>(kFrames));
  for (int i = 0; i < kFrames; ++i) {
    const auto input = SyntheticFrame(kW, kH, i).Pixels;
    if (encoder->Lossless) {
      EXPECT_EQ(movie.Frames[i], input) << codec << " frame " << i;
    } else {
      const double psnr = test::Psnr(movie.Frames[i], input);
      EXPECT_GT(psnr, codec == "mjpeg" ? 35.0 : 30.0) << codec << " frame " << i;
      // Not the neighbour's picture: each frame matches its own input best.
      if (i > 0) {
        EXPECT_GT(psnr, test::Psnr(movie.Frames[i], SyntheticFrame(kW, kH, i - 1).Pixels));
      }
    }
  }

  const test::AviHeaders headers = test::ReadAviHeaders(path);
  ASSERT_TRUE(headers.Found);
  EXPECT_EQ(headers.Type, "vids");
  EXPECT_EQ(headers.Scale, 1u);
  EXPECT_EQ(headers.Rate, 15u);
  EXPECT_EQ(headers.Length, static_cast<uint32_t>(kFrames));
  EXPECT_EQ(headers.TotalFrames, static_cast<uint32_t>(kFrames));
  EXPECT_EQ(headers.FrameLeft, 0);
  EXPECT_EQ(headers.FrameTop, 0);
  EXPECT_EQ(headers.FrameRight, kW);
  EXPECT_EQ(headers.FrameBottom, kH);
  EXPECT_EQ(headers.BiWidth, kW);
  if (codec == "raw") {
    // The DIB format itself: BI_RGB, 24 bits, positive height (rows bottom-up).
    EXPECT_EQ(headers.BiCompression, 0u);
    EXPECT_EQ(headers.BiBitCount, 24);
    EXPECT_EQ(headers.BiHeight, kH);
    EXPECT_EQ(headers.SuggestedBufferSize, static_cast<uint32_t>(kW * 3 * kH));
  }
}

std::vector<std::string> CatalogueNames() {
  std::vector<std::string> names;
  for (const EncoderInfo& e : EncoderCatalog::Installed().Encoders()) names.push_back(e.ShortName);
  return names;
}

INSTANTIATE_TEST_SUITE_P(Catalogue, RecorderPerEncoder, ::testing::ValuesIn(CatalogueNames()),
                         [](const auto& info) { return info.param; });

TEST_F(Recorder, RatesAreLimitedToOneToThirty) {
  ScriptedOptions options(OptionsFor("raw"));
  AviRecorder recorder(sink, options);
  ASSERT_TRUE(Record(recorder, folder.File("fast.avi"), 60, 2, 16, 8));
  ASSERT_TRUE(Record(recorder, folder.File("still.avi"), 0, 2, 16, 8));
  EXPECT_EQ(test::ReadAviHeaders(folder.File("fast.avi")).Rate, 30u);
  EXPECT_EQ(test::ReadAviHeaders(folder.File("still.avi")).Rate, 1u);
  EXPECT_EQ(test::ProbeMovie(folder.File("fast.avi")).RateNum, 30);
  EXPECT_EQ(test::ProbeMovie(folder.File("still.avi")).RateNum, 1);
}

TEST_F(Recorder, TheFirstFrameGivesTheFormatButIsNotWritten) {
  ScriptedOptions options(OptionsFor("raw"));
  AviRecorder recorder(sink, options);
  ASSERT_TRUE(recorder.AVIStart(folder.File("m.avi"), 10, SyntheticFrame(16, 8, 42).View()));
  EXPECT_EQ(recorder.FrameCounter(), 0);
  recorder.AVIAdd(SyntheticFrame(16, 8, 0).View());
  EXPECT_EQ(recorder.FrameCounter(), 1);
  recorder.AVIend();
  const auto movie = test::ProbeMovie(folder.File("m.avi"));
  ASSERT_EQ(movie.Frames.size(), 1u);
  EXPECT_EQ(movie.Frames[0], SyntheticFrame(16, 8, 0).Pixels);
}

TEST_F(Recorder, OddSizesAreEncodedFaithfullyOrRefusedCleanly) {
  for (const std::string& codec : CatalogueNames()) {
    TempFolder here;
    RecordingSink messages;
    ScriptedOptions options(OptionsFor(codec));
    AviRecorder recorder(messages, options);
    const std::string path = here.File("odd.avi");
    if (!recorder.AVIStart(path, 10, SyntheticFrame(13, 7, 0).View())) {
      ASSERT_EQ(messages.Messages.size(), 1u) << codec;
      EXPECT_EQ(messages.Messages[0].Text, kMsgErrorWriting) << codec;
      EXPECT_TRUE(here.Names().empty()) << codec;
      continue;
    }
    for (int i = 0; i < 3; ++i) recorder.AVIAdd(SyntheticFrame(13, 7, i).View());
    recorder.AVIend();
    EXPECT_TRUE(messages.Messages.empty()) << codec;
    const auto movie = test::ProbeMovie(path);
    ASSERT_EQ(movie.Frames.size(), 3u) << codec;
    EXPECT_EQ(movie.Width, 13) << codec;
    EXPECT_EQ(movie.Height, 7) << codec;
    const auto input = SyntheticFrame(13, 7, 2).Pixels;
    if (EncoderCatalog::Installed().Find(codec)->Lossless)
      EXPECT_EQ(movie.Frames[2], input) << codec;
    else
      EXPECT_GT(test::Psnr(movie.Frames[2], input), 25.0) << codec;
  }
}

TEST_F(Recorder, LockedTargetIsRefusedBeforeAnythingHappens) {
  const std::string path = folder.File("locked.avi");
  test::WriteFileBytes(path, {'k', 'e', 'e', 'p'});
  const int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);  // another open of the file holds it
  ScriptedOptions options(OptionsFor("raw"));
  AviRecorder recorder(sink, options);
  EXPECT_FALSE(recorder.AVIStart(path, 10, SyntheticFrame(16, 8, 0).View()));
  ::close(fd);
  ASSERT_EQ(sink.Messages.size(), 1u);
  EXPECT_EQ(sink.Messages[0].Text, "The File: \"locked.avi\" is already open so not accesible");
  EXPECT_EQ(sink.Messages[0].Icon, MessageIcon::None);
  EXPECT_EQ(options.Asked, 0);
  EXPECT_FALSE(recorder.IsRecording());
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"locked.avi"});
  EXPECT_EQ(test::ReadFileBytes(path), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
}

TEST_F(Recorder, MissingFolderIsAWriteError) {
  ScriptedOptions options(OptionsFor("raw"));
  AviRecorder recorder(sink, options);
  EXPECT_FALSE(recorder.AVIStart(folder.File("no/such/folder/m.avi"), 10, SyntheticFrame(16, 8, 0).View()));
  ASSERT_EQ(sink.Messages.size(), 1u);
  EXPECT_EQ(sink.Messages[0].Text, kMsgErrorWriting);
  EXPECT_EQ(sink.Messages[0].Icon, MessageIcon::Information);
  EXPECT_NE(recorder.LastError().find("does not exist"), std::string::npos) << recorder.LastError();
  EXPECT_EQ(options.Asked, 0);
  EXPECT_TRUE(folder.Names().empty());
}

TEST_F(Recorder, CancelledOptionsLeaveNoFileAndKeepTheOldOne) {
  const std::string path = folder.File("m.avi");
  test::WriteFileBytes(path, {'o', 'l', 'd'});
  ScriptedOptions options(std::nullopt);
  AviRecorder recorder(sink, options);
  EXPECT_FALSE(recorder.AVIStart(path, 10, SyntheticFrame(16, 8, 0).View()));
  ASSERT_EQ(sink.Messages.size(), 1u);
  EXPECT_EQ(sink.Messages[0].Text, "User canceled the creation of AVI file.");
  EXPECT_EQ(sink.Messages[0].Icon, MessageIcon::Information);
  EXPECT_FALSE(recorder.IsRecording());
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"m.avi"});
  EXPECT_EQ(test::ReadFileBytes(path), (std::vector<uint8_t>{'o', 'l', 'd'}));
  // Nothing is open: these are ignored.
  recorder.AVIAdd(SyntheticFrame(16, 8, 0).View());
  recorder.AVIend();
  EXPECT_EQ(sink.Messages.size(), 1u);
}

TEST_F(Recorder, UnreadableFirstFrameIsRefused) {
  ScriptedOptions options(OptionsFor("raw"));
  AviRecorder recorder(sink, options);
  const auto good = SyntheticFrame(16, 8, 0);
  auto wrongDepth = good;
  wrongDepth.Info[14] = 32;
  const DibFrame cases[] = {
      DibFrame{},                                                  // nothing captured
      DibFrame{good.Info, std::span(good.Pixels).first(100)},      // pixels cut short
      DibFrame{std::span(good.Info).first(20), good.Pixels},       // header cut short
      DibFrame{wrongDepth.Info, good.Pixels},                      // not 24-bit
  };
  for (const DibFrame& frame : cases) {
    sink.Messages.clear();
    EXPECT_FALSE(recorder.AVIStart(folder.File("m.avi"), 10, frame));
    ASSERT_EQ(sink.Messages.size(), 1u);
    EXPECT_EQ(sink.Messages[0].Text, "Could not load first bitmap file in list!");
    EXPECT_EQ(sink.Messages[0].Icon, MessageIcon::Exclamation);
    EXPECT_FALSE(recorder.IsRecording());
  }
  EXPECT_EQ(options.Asked, 0);
  EXPECT_TRUE(folder.Names().empty());
}

TEST_F(Recorder, ASecondStartEndsTheFirstRecording) {
  ScriptedOptions options(OptionsFor("raw"));
  AviRecorder recorder(sink, options);
  ASSERT_TRUE(recorder.AVIStart(folder.File("first.avi"), 10, SyntheticFrame(16, 8, 0).View()));
  recorder.AVIAdd(SyntheticFrame(16, 8, 1).View());
  recorder.AVIAdd(SyntheticFrame(16, 8, 2).View());
  ASSERT_TRUE(recorder.AVIStart(folder.File("second.avi"), 10, SyntheticFrame(24, 8, 0).View()));
  EXPECT_EQ(recorder.FrameCounter(), 0);
  recorder.AVIAdd(SyntheticFrame(24, 8, 1).View());
  recorder.AVIend();
  EXPECT_TRUE(sink.Messages.empty());
  EXPECT_EQ(test::ProbeMovie(folder.File("first.avi")).Frames.size(), 2u);
  EXPECT_EQ(test::ProbeMovie(folder.File("second.avi")).Frames.size(), 1u);
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"first.avi", "second.avi"}));
}

TEST_F(Recorder, RestartingOnTheSameNameReplacesTheMovie) {
  ScriptedOptions options(OptionsFor("raw"));
  AviRecorder recorder(sink, options);
  const std::string path = folder.File("m.avi");
  ASSERT_TRUE(Record(recorder, path, 10, 3, 16, 8));
  ASSERT_TRUE(recorder.AVIStart(path, 10, SyntheticFrame(16, 8, 0).View()));
  recorder.AVIAdd(SyntheticFrame(16, 8, 0).View());
  ASSERT_TRUE(recorder.AVIStart(path, 10, SyntheticFrame(16, 8, 0).View()));  // ends the one before
  recorder.AVIend();
  EXPECT_TRUE(sink.Messages.empty());
  EXPECT_EQ(test::ProbeMovie(path).Packets, 0);
  EXPECT_EQ(test::ReadAviHeaders(path).Length, 0u);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"m.avi"});
}

TEST_F(Recorder, CallsWithoutARecordingAreIgnored) {
  ScriptedOptions options(OptionsFor("raw"));
  AviRecorder recorder(sink, options);
  recorder.AVIAdd(SyntheticFrame(16, 8, 0).View());
  recorder.AVIend();
  recorder.AVIend();
  EXPECT_TRUE(sink.Messages.empty());
  EXPECT_EQ(recorder.FrameCounter(), 0);
  EXPECT_TRUE(folder.Names().empty());
}

TEST_F(Recorder, AFrameOfAnotherSizeIsRefusedNeverWritten) {
  ScriptedOptions options(OptionsFor("raw"));
  AviRecorder recorder(sink, options);
  const std::string path = folder.File("m.avi");
  ASSERT_TRUE(recorder.AVIStart(path, 10, SyntheticFrame(16, 8, 0).View()));
  recorder.AVIAdd(SyntheticFrame(16, 8, 0).View());
  recorder.AVIAdd(SyntheticFrame(24, 8, 1).View());  // the window was resized
  recorder.AVIAdd(SyntheticFrame(16, 16, 2).View());
  auto cut = SyntheticFrame(16, 8, 3);
  cut.Pixels.pop_back();
  recorder.AVIAdd(cut.View());
  recorder.AVIAdd(SyntheticFrame(16, 8, 4).View());
  EXPECT_TRUE(recorder.IsRecording());
  EXPECT_EQ(recorder.RefusedFrames(), 3);
  EXPECT_EQ(recorder.FrameCounter(), 2);
  recorder.AVIend();
  ASSERT_EQ(sink.Messages.size(), 1u);  // once per recording
  EXPECT_EQ(sink.Messages[0].Icon, MessageIcon::Exclamation);
  EXPECT_NE(sink.Messages[0].Text.find("16 x 8"), std::string::npos) << sink.Messages[0].Text;
  const auto movie = test::ProbeMovie(path);
  ASSERT_EQ(movie.Frames.size(), 2u);
  EXPECT_EQ(movie.Frames[0], SyntheticFrame(16, 8, 0).Pixels);
  EXPECT_EQ(movie.Frames[1], SyntheticFrame(16, 8, 4).Pixels);
}

TEST_F(Recorder, PresetCodecSkipsTheDialog) {
  ScriptedOptions options(std::nullopt);  // would cancel if asked
  AviRecorder recorder(sink, options);
  EXPECT_FALSE(recorder.AVICodec("cinepak"));
  EXPECT_TRUE(recorder.PresetCodec().empty());
  ASSERT_TRUE(recorder.AVICodec("MJPEG"));
  EXPECT_EQ(recorder.PresetCodec(), "mjpeg");
  ASSERT_TRUE(Record(recorder, folder.File("m.avi"), 10, 2, 16, 8));
  EXPECT_EQ(options.Asked, 0);
  EXPECT_EQ(recorder.Options().Codec, "mjpeg");
  EXPECT_EQ(test::ProbeMovie(folder.File("m.avi")).Codec, "mjpeg");
  ASSERT_TRUE(recorder.AVICodec(""));
  EXPECT_FALSE(recorder.AVIStart(folder.File("n.avi"), 10, SyntheticFrame(16, 8, 0).View()));
  EXPECT_EQ(options.Asked, 1);
}

TEST_F(Recorder, KeyFrameOptionsDoNotStopEveryFrameBeingAKeyFrame) {
  CompressionOptions chosen = OptionsFor("mpeg4");
  chosen.KeyFramesOn = true;
  chosen.KeyFrameEvery = 50;
  chosen.DataRateOn = true;
  chosen.DataRateKBps = 300;
  ScriptedOptions options(chosen);
  AviRecorder recorder(sink, options);
  ASSERT_TRUE(Record(recorder, folder.File("m.avi"), 10, 5, 32, 16));
  const auto movie = test::ProbeMovie(folder.File("m.avi"), false);
  EXPECT_EQ(movie.Packets, 5);
  EXPECT_TRUE(movie.AllKey);
}

TEST_F(Recorder, EndingTheRecorderKeepsTheMovie) {
  ScriptedOptions options(OptionsFor("raw"));
  {
    AviRecorder recorder(sink, options);
    ASSERT_TRUE(recorder.AVIStart(folder.File("m.avi"), 10, SyntheticFrame(16, 8, 0).View()));
    recorder.AVIAdd(SyntheticFrame(16, 8, 0).View());
  }
  EXPECT_EQ(test::ProbeMovie(folder.File("m.avi")).Frames.size(), 1u);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"m.avi"});
}

// A disk that fills up during the recording, played by a file-size limit in a child process.
TEST_F(Recorder, WriteFailureReportsAndLeavesNoHalfWrittenMovie) {
  const std::string path = folder.File("full.avi");
  test::WriteFileBytes(path, {'o', 'l', 'd'});
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {};
    limit.rlim_cur = limit.rlim_max = 200 * 1024;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    RecordingSink messages;
    ScriptedOptions options(OptionsFor("raw"));
    AviRecorder recorder(messages, options);
    if (!recorder.AVIStart(path, 10, SyntheticFrame(160, 120, 0).View())) _exit(10);
    int added = 0;
    while (recorder.IsRecording() && added < 100) {
      recorder.AVIAdd(SyntheticFrame(160, 120, added).View());
      ++added;
    }
    recorder.AVIend();  // ignored: the failure closed the recording
    recorder.AVIAdd(SyntheticFrame(160, 120, 0).View());
    if (added >= 100) _exit(11);
    if (messages.Messages.size() != 1 || messages.Messages[0].Text != kMsgErrorWriting ||
        messages.Messages[0].Icon != MessageIcon::Information)
      _exit(12);
    if (recorder.FrameCounter() != added) _exit(13);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"full.avi"});
  EXPECT_EQ(test::ReadFileBytes(path), (std::vector<uint8_t>{'o', 'l', 'd'}));
}

}  // namespace
}  // namespace lumetrix::avi
