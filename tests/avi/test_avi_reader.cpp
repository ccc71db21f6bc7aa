// Reading movies back frame by frame, and what the reader does with bad files.

#include <gtest/gtest.h>

#include "export/avi/avi_reader.h"
#include "export/avi/avi_recorder.h"
#include "tests/avi/avi_test_support.h"

namespace lumetrix::avi {
namespace {

using test::OptionsFor;
using test::SyntheticFrame;
using test::TempFolder;

class Reader : public ::testing::Test {
 protected:
  TempFolder folder;
  test::RecordingSink sink;

  std::string RecordMovie(const std::string& name, const std::string& codec, int frames, int w, int h,
                          double rate = 15) {
    test::ScriptedOptions options(OptionsFor(codec));
    AviRecorder recorder(sink, options);
    const std::string path = folder.File(name);
    EXPECT_TRUE(recorder.AVIStart(path, rate, SyntheticFrame(w, h, 0).View())) << recorder.LastError();
    for (int i = 0; i < frames; ++i) recorder.AVIAdd(SyntheticFrame(w, h, i).View());
    recorder.AVIend();
    return path;
  }
};

TEST_F(Reader, KnowsCountRateAndSize) {
  const std::string path = RecordMovie("m.avi", "raw", 45, 16, 8, 15);
  AviReader reader;
  ASSERT_TRUE(reader.Open(path)) << reader.Error();
  EXPECT_EQ(reader.FrameCount(), 45);
  EXPECT_EQ(reader.FrameRateNumerator(), 15);
  EXPECT_EQ(reader.FrameRateDenominator(), 1);
  EXPECT_DOUBLE_EQ(reader.FrameRate(), 15.0);
  EXPECT_EQ(reader.MillisecondsPerFrame(), 67);  // 3 s over 45 frames
  EXPECT_EQ(reader.Width(), 16);
  EXPECT_EQ(reader.Height(), 8);
  EXPECT_EQ(reader.CodecName(), "rawvideo");
}

TEST_F(Reader, RowsComeInTheOrderAndLayoutAsked) {
  const std::string path = RecordMovie("m.avi", "raw", 3, 13, 7);
  AviReader reader;
  ASSERT_TRUE(reader.Open(path)) << reader.Error();
  const auto input = SyntheticFrame(13, 7, 1);
  DecodedFrame frame;
  ASSERT_TRUE(reader.ReadFrame(1, PixelLayout::Bgr24, RowOrder::BottomUp, frame)) << reader.Error();
  EXPECT_EQ(frame.Stride, 40);  // 39 bytes padded to 40
  EXPECT_EQ(frame.Pixels, input.Pixels);
  ASSERT_TRUE(reader.ReadFrame(1, PixelLayout::Bgr32, RowOrder::TopDown, frame)) << reader.Error();
  EXPECT_EQ(frame.Stride, 13 * 4);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) {
      const uint8_t* p = frame.Pixels.data() + y * frame.Stride + x * 4;
      const auto want = input.At(x, y);
      ASSERT_EQ(p[0], want[0]);
      ASSERT_EQ(p[1], want[1]);
      ASSERT_EQ(p[2], want[2]);
      ASSERT_EQ(p[3], 255);
    }
  ASSERT_TRUE(reader.ReadFrame(2, PixelLayout::Bgr24, RowOrder::TopDown, frame));
  const auto last = SyntheticFrame(13, 7, 2);
  const uint8_t* top = frame.Pixels.data();
  EXPECT_EQ(top[0], last.At(0, 0)[0]);
  EXPECT_EQ(top[2], last.At(0, 0)[2]);
}

TEST_F(Reader, GoingBackReadsFromTheStart) {
  const std::string path = RecordMovie("m.avi", "ffv1", 5, 16, 8);
  AviReader reader;
  ASSERT_TRUE(reader.Open(path)) << reader.Error();
  DecodedFrame frame;
  ASSERT_TRUE(reader.ReadFrame(4, PixelLayout::Bgr24, RowOrder::BottomUp, frame));
  EXPECT_EQ(frame.Pixels, SyntheticFrame(16, 8, 4).Pixels);
  ASSERT_TRUE(reader.ReadFrame(1, PixelLayout::Bgr24, RowOrder::BottomUp, frame)) << reader.Error();
  EXPECT_EQ(frame.Pixels, SyntheticFrame(16, 8, 1).Pixels);
  ASSERT_TRUE(reader.ReadFrame(1, PixelLayout::Bgr24, RowOrder::BottomUp, frame));
  EXPECT_EQ(frame.Pixels, SyntheticFrame(16, 8, 1).Pixels);
  EXPECT_FALSE(reader.ReadFrame(5, PixelLayout::Bgr24, RowOrder::BottomUp, frame));
  EXPECT_FALSE(reader.ReadFrame(-1, PixelLayout::Bgr24, RowOrder::BottomUp, frame));
  EXPECT_NE(reader.Error().find("no frame"), std::string::npos) << reader.Error();
}

TEST_F(Reader, MotionJpegIsClose) {
  const std::string path = RecordMovie("m.avi", "mjpeg", 3, 64, 48);
  AviReader reader;
  ASSERT_TRUE(reader.Open(path)) << reader.Error();
  DecodedFrame frame;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(reader.ReadFrame(i, PixelLayout::Bgr24, RowOrder::BottomUp, frame));
    EXPECT_GT(test::Psnr(frame.Pixels, SyntheticFrame(64, 48, i).Pixels), 35.0);
  }
}

TEST_F(Reader, MissingAndNonMovieFilesGiveClearErrors) {
  AviReader reader;
  EXPECT_FALSE(reader.Open(folder.File("none.avi")));
  EXPECT_NE(reader.Error().find("does not exist"), std::string::npos) << reader.Error();
  EXPECT_FALSE(reader.Open(folder.Path().string()));
  test::WriteFileBytes(folder.File("empty.avi"), {});
  EXPECT_FALSE(reader.Open(folder.File("empty.avi")));
  test::WriteFileBytes(folder.File("text.avi"), std::vector<uint8_t>(300, 'x'));
  EXPECT_FALSE(reader.Open(folder.File("text.avi")));
  EXPECT_FALSE(reader.IsOpen());
  DecodedFrame frame;
  EXPECT_FALSE(reader.ReadFrame(0, PixelLayout::Bgr24, RowOrder::TopDown, frame));
}

TEST_F(Reader, AudioOnlyFileHasNoVideoStream) {
  test::WriteAudioOnlyAvi(folder.File("sound.avi"));
  AviReader reader;
  EXPECT_FALSE(reader.Open(folder.File("sound.avi")));
  EXPECT_NE(reader.Error().find("no video stream"), std::string::npos) << reader.Error();
}

TEST_F(Reader, TruncatedMovieFailsAtTheMissingFrame) {
  const std::string path = RecordMovie("m.avi", "raw", 10, 32, 16);
  auto bytes = test::ReadFileBytes(path);
  bytes.resize(bytes.size() / 2);
  test::WriteFileBytes(path, bytes);
  AviReader reader;
  if (!reader.Open(path)) {
    EXPECT_FALSE(reader.Error().empty());
    return;
  }
  DecodedFrame frame;
  int64_t read = 0;
  while (read < reader.FrameCount() && reader.ReadFrame(read, PixelLayout::Bgr24, RowOrder::BottomUp, frame)) {
    EXPECT_EQ(frame.Pixels, SyntheticFrame(32, 16, static_cast<int32_t>(read)).Pixels);
    ++read;
  }
  EXPECT_LT(read, 10);
  EXPECT_NE(reader.Error().find("truncated or corrupt"), std::string::npos) << reader.Error();
}

TEST_F(Reader, HostileHeaderSizeIsRefused) {
  const std::string path = RecordMovie("m.avi", "raw", 2, 16, 8);
  auto bytes = test::ReadFileBytes(path);
  // Make the bitmap header claim 60000 x 60000 pixels.
  for (size_t i = 0; i + 12 < bytes.size(); ++i) {
    if (bytes[i] == 's' && bytes[i + 1] == 't' && bytes[i + 2] == 'r' && bytes[i + 3] == 'f') {
      const size_t body = i + 8;
      for (size_t k : {body + 4, body + 8}) {
        bytes[k] = 0x60, bytes[k + 1] = 0xEA, bytes[k + 2] = 0, bytes[k + 3] = 0;
      }
      break;
    }
  }
  test::WriteFileBytes(path, bytes);
  AviReader reader;
  EXPECT_FALSE(reader.Open(path));
  EXPECT_FALSE(reader.Error().empty());
}

// Every byte range overwritten with noise in turn: the reader may fail, never crash.
TEST_F(Reader, CorruptMoviesNeverCrash) {
  for (const std::string codec : {"raw", "mjpeg", "ffv1", "mpeg4"}) {
    if (!EncoderCatalog::Installed().Find(codec)) continue;
    const std::string path = RecordMovie(codec + ".avi", codec, 4, 32, 16);
    const auto original = test::ReadFileBytes(path);
    uint32_t seed = 12345;
    for (size_t start = 0; start < original.size(); start += original.size() / 23 + 1) {
      auto bytes = original;
      for (size_t k = start; k < std::min(bytes.size(), start + 64); ++k) {
        seed = seed * 1103515245u + 12345u;
        bytes[k] = static_cast<uint8_t>(seed >> 16);
      }
      const std::string bad = folder.File("bad.avi");
      test::WriteFileBytes(bad, bytes);
      AviReader reader;
      if (!reader.Open(bad)) {
        EXPECT_FALSE(reader.Error().empty());
        continue;
      }
      DecodedFrame frame;
      for (int64_t i = 0; i < std::min<int64_t>(reader.FrameCount(), 8); ++i)
        if (!reader.ReadFrame(i, PixelLayout::Bgr32, RowOrder::TopDown, frame)) {
          EXPECT_FALSE(reader.Error().empty());
          break;
        }
    }
  }
}

}  // namespace
}  // namespace lumetrix::avi
