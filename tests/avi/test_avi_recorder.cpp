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

using namespace test;
using Strings = std::vector<std::string>;

class Recorder : public ::testing::Test {
 protected:
  bool Start(const std::string& name, int w = 16, int h = 8, double rate = 10) {
    return recorder.AVIStart(folder.File(name), rate, SyntheticFrame(w, h, 99).View());
  }
  void Add(int from, int to, int w = 16, int h = 8) {
    for (int i = from; i < to; ++i) recorder.AVIAdd(SyntheticFrame(w, h, i).View());
  }
  void ExpectOneMessage(const std::string& text, MessageIcon icon) {
    ASSERT_EQ(sink.Messages.size(), 1u);
    EXPECT_EQ(std::tuple(sink.Messages[0].Text, sink.Messages[0].Icon), std::tuple(text, icon));
    sink.Messages.clear();
  }
  TempFolder folder;
  RecordingSink sink;
  ScriptedOptions options{OptionsFor("raw")};
  AviRecorder recorder{sink, options};
};

class RecorderPerEncoder : public Recorder, public ::testing::WithParamInterface<std::string> {};

// The first frame gives the format and is not written; every frame is a key frame at the rate.
// Odd sizes are recorded faithfully too, except by x264 (even sizes only): it refuses at the
// start with the write message and leaves no file.
TEST_P(RecorderPerEncoder, MovieHoldsEveryFrameAsKeyFrameAtTheRate) {
  const std::string codec = GetParam();
  const bool lossless = EncoderCatalog::Installed().Find(codec)->Lossless;
  options = ScriptedOptions(OptionsFor(codec));
  constexpr int kW = 64, kH = 48;
  ASSERT_TRUE(Start("movie.avi", kW, kH, 15)) << recorder.LastError();
  EXPECT_EQ(recorder.FrameCounter(), 0);
  Add(0, 6, kW, kH);
  EXPECT_EQ(recorder.FrameCounter(), 6);
  recorder.AVIend();
  EXPECT_TRUE(sink.Messages.empty()) << sink.Messages.front().Text;
  EXPECT_EQ(options.Asked, 1);
  EXPECT_FALSE(recorder.IsRecording());
  const ProbedMovie movie = ProbeMovie(folder.File("movie.avi"));
  EXPECT_EQ(std::tuple(movie.Packets, movie.AllKey, movie.RateNum, movie.RateDen, movie.Width, movie.Height),
            std::tuple(6, true, 15, 1, kW, kH));
  ASSERT_EQ(movie.Frames.size(), 6u);
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    ExpectAlike(movie.Frames[i], SyntheticFrame(kW, kH, i).Pixels, lossless, codec == "mjpeg" ? 35.0 : 30.0);
    // Not the neighbour's picture: each frame matches its own input best.
    if (i > 0) {
      EXPECT_GT(Psnr(movie.Frames[i], SyntheticFrame(kW, kH, i).Pixels), Psnr(movie.Frames[i], SyntheticFrame(kW, kH, i - 1).Pixels));
    }
  }
  const AviHeaders headers = ReadAviHeaders(folder.File("movie.avi"));
  ASSERT_TRUE(headers.Found);
  EXPECT_EQ(std::tuple(headers.Type, headers.Scale, headers.Rate, headers.Length, headers.TotalFrames, headers.BiWidth),
            std::tuple("vids", 1u, 15u, 6u, 6u, kW));
  EXPECT_EQ(headers.Frame, (std::array<int16_t, 4>{0, 0, kW, kH}));
  // The DIB format itself: BI_RGB, 24 bits, positive height (rows bottom-up).
  if (codec == "raw") {
    EXPECT_EQ(std::tuple(headers.BiCompression, headers.BiBitCount, headers.BiHeight, headers.SuggestedBufferSize),
              std::tuple(0u, 24, kH, static_cast<uint32_t>(kW * 3 * kH)));
  }

  const bool started = Start("odd.avi", 13, 7);
  if (codec == "h264") {
    EXPECT_FALSE(started);
    ExpectOneMessage(kMsgErrorWriting, MessageIcon::Information);
    EXPECT_NE(recorder.LastError().find("13 x 7 pixels"), std::string::npos) << recorder.LastError();
    EXPECT_EQ(Names(folder), Strings{"movie.avi"});
    return;
  }
  ASSERT_TRUE(started) << recorder.LastError();
  Add(0, 3, 13, 7);
  recorder.AVIend();
  EXPECT_TRUE(sink.Messages.empty());
  const ProbedMovie odd = ProbeMovie(folder.File("odd.avi"));
  EXPECT_EQ(std::tuple(odd.Width, odd.Height, odd.Frames.size()), std::tuple(13, 7, 3u));
  ASSERT_EQ(odd.Frames.size(), 3u);
  ExpectAlike(odd.Frames[2], SyntheticFrame(13, 7, 2).Pixels, lossless, 25.0);
}

Strings CatalogueNames() {
  Strings names;
  for (const EncoderInfo& e : EncoderCatalog::Installed().Encoders()) names.push_back(e.ShortName);
  return names;
}
INSTANTIATE_TEST_SUITE_P(Catalogue, RecorderPerEncoder, ::testing::ValuesIn(CatalogueNames()),
                         [](const auto& info) { return info.param; });

// What AVIStart refuses, before the options are asked or when they are cancelled: nothing is
// recorded, an older file stays, and adds and ends without a recording are ignored.
TEST_F(Recorder, StartRefusals) {
  WriteBytes(folder.File("old.avi"), {'o', 'l', 'd'});
  const int fd = ::open(folder.File("old.avi").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);  // another open of the file holds it
  EXPECT_FALSE(Start("old.avi"));
  ::close(fd);
  ExpectOneMessage("The File: \"old.avi\" is already open so not accesible", MessageIcon::None);
  EXPECT_FALSE(Start("no/such/folder/m.avi"));
  EXPECT_NE(recorder.LastError().find("does not exist"), std::string::npos) << recorder.LastError();
  ExpectOneMessage(kMsgErrorWriting, MessageIcon::Information);
  const auto good = SyntheticFrame(16, 8, 0);
  auto wrongDepth = good;
  wrongDepth.Info[14] = 32;
  for (const DibFrame& frame : {DibFrame{}, DibFrame{good.Info, std::span(good.Pixels).first(100)},
                                DibFrame{std::span(good.Info).first(20), good.Pixels}, DibFrame{wrongDepth.Info, good.Pixels}}) {
    EXPECT_FALSE(recorder.AVIStart(folder.File("m.avi"), 10, frame));
    ExpectOneMessage("Could not load first bitmap file in list!", MessageIcon::Exclamation);
  }
  EXPECT_EQ(options.Asked, 0);
  options = ScriptedOptions(std::nullopt);
  EXPECT_FALSE(Start("old.avi"));
  ExpectOneMessage("User canceled the creation of AVI file.", MessageIcon::Information);
  Add(0, 1);
  recorder.AVIend();
  EXPECT_TRUE(sink.Messages.empty());
  EXPECT_EQ(recorder.FrameCounter(), 0);
  EXPECT_FALSE(recorder.IsRecording());
  EXPECT_EQ(Names(folder), Strings{"old.avi"});
  EXPECT_EQ(ReadBytes(folder.File("old.avi")), (Bytes{'o', 'l', 'd'}));
}

// A second start ends the recording before, also one of the same name, which it replaces.
TEST_F(Recorder, ASecondStartEndsTheFirstRecording) {
  ASSERT_TRUE(Start("first.avi"));
  Add(1, 3);
  ASSERT_TRUE(Start("second.avi", 24, 8));
  Add(0, 3, 24, 8);
  ASSERT_TRUE(Start("second.avi"));
  EXPECT_EQ(recorder.FrameCounter(), 0);
  recorder.AVIend();
  EXPECT_TRUE(sink.Messages.empty());
  EXPECT_EQ(ProbeMovie(folder.File("first.avi")).Frames.size(), 2u);
  EXPECT_EQ(ProbeMovie(folder.File("second.avi")).Packets, 0);
  EXPECT_EQ(ReadAviHeaders(folder.File("second.avi")).Length, 0u);
  EXPECT_EQ(Names(folder), (Strings{"first.avi", "second.avi"}));
}

TEST_F(Recorder, AFirstFrameWhosePixelsDoNotFitItsHeaderStartsNoMovie) {
  for (const bool longer : {false, true}) {
    auto first = SyntheticFrame(16, 8, 99);
    if (longer) first.Pixels.push_back(0); else first.Pixels.pop_back();
    EXPECT_FALSE(recorder.AVIStart(folder.File("m.avi"), 10, first.View()));
    ExpectOneMessage(kMsgFirstBitmap, MessageIcon::Exclamation);
    EXPECT_FALSE(recorder.IsRecording());
  }
  EXPECT_EQ(Names(folder), Strings{});
}

TEST_F(Recorder, AFrameOfAnotherSizeIsRefusedNeverWritten) {
  ASSERT_TRUE(Start("m.avi"));
  Add(0, 1);
  Add(1, 2, 24, 8);  // the window was resized
  Add(2, 3, 16, 16);
  auto cut = SyntheticFrame(16, 8, 3);
  cut.Pixels.pop_back();
  recorder.AVIAdd(cut.View());
  Add(4, 5);
  EXPECT_EQ(std::tuple(recorder.IsRecording(), recorder.RefusedFrames(), recorder.FrameCounter()), std::tuple(true, 3, 2));
  recorder.AVIend();
  ASSERT_EQ(sink.Messages.size(), 1u);  // once per recording
  EXPECT_EQ(sink.Messages[0].Icon, MessageIcon::Exclamation);
  EXPECT_NE(sink.Messages[0].Text.find("16 x 8"), std::string::npos) << sink.Messages[0].Text;
  EXPECT_EQ(ProbeMovie(folder.File("m.avi")).Frames,
            (std::vector<Bytes>{SyntheticFrame(16, 8, 0).Pixels, SyntheticFrame(16, 8, 4).Pixels}));
}

// A preset encoder skips the dialog; spacing and data rate options still give only key frames;
// ending the recorder keeps the movie.
TEST_F(Recorder, PresetCodecSkipsTheDialog) {
  options = ScriptedOptions(std::nullopt);  // would cancel if asked
  EXPECT_FALSE(recorder.AVICodec("cinepak"));
  EXPECT_TRUE(recorder.PresetCodec().empty());
  ASSERT_TRUE(recorder.AVICodec("MJPEG"));
  EXPECT_EQ(recorder.PresetCodec(), "mjpeg");
  ASSERT_TRUE(Start("m.avi", 16, 8, 60));
  recorder.AVIend();
  EXPECT_EQ(options.Asked, 0);
  EXPECT_EQ(recorder.Options().Codec, "mjpeg");
  EXPECT_EQ(ProbeMovie(folder.File("m.avi")).Codec, "mjpeg");
  EXPECT_EQ(ReadAviHeaders(folder.File("m.avi")).Rate, 30u);  // at most 30 frames per second
  ASSERT_TRUE(recorder.AVICodec(""));
  EXPECT_FALSE(Start("n.avi"));
  EXPECT_EQ(options.Asked, 1);
  CompressionOptions spaced = OptionsFor("mpeg4");
  spaced.KeyFramesOn = spaced.DataRateOn = true;
  spaced.KeyFrameEvery = 50;
  spaced.DataRateKBps = 300;
  ScriptedOptions chosen(spaced);
  {
    AviRecorder ended(sink, chosen);
    ASSERT_TRUE(ended.AVIStart(folder.File("k.avi"), 0, SyntheticFrame(32, 16, 0).View()));
    for (int i = 0; i < 5; ++i) ended.AVIAdd(SyntheticFrame(32, 16, i).View());
  }
  const ProbedMovie movie = ProbeMovie(folder.File("k.avi"));
  EXPECT_EQ(movie.Packets, 5);
  EXPECT_TRUE(movie.AllKey);
  EXPECT_EQ(movie.RateNum, 1);  // at least 1 frame per second
}

// A disk that fills up during the recording, played by a file-size limit in a child process.
TEST_F(Recorder, WriteFailureReportsAndLeavesNoHalfWrittenMovie) {
  WriteBytes(folder.File("full.avi"), {'o', 'l', 'd'});
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {};
    limit.rlim_cur = limit.rlim_max = 200 * 1024;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    if (!Start("full.avi", 160, 120)) _exit(10);
    int added = 0;
    for (; recorder.IsRecording() && added < 100; ++added) Add(added, added + 1, 160, 120);
    recorder.AVIend();  // ignored: the failure closed the recording
    Add(0, 1, 160, 120);
    if (added >= 100) _exit(11);
    if (sink.Messages.size() != 1 || sink.Messages[0].Text != kMsgErrorWriting ||
        sink.Messages[0].Icon != MessageIcon::Information)
      _exit(12);
    _exit(recorder.FrameCounter() == added ? 0 : 13);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(Names(folder), Strings{"full.avi"});
  EXPECT_EQ(ReadBytes(folder.File("full.avi")), (Bytes{'o', 'l', 'd'}));
}

}  // namespace
}  // namespace lumetrix::avi
