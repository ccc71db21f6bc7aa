// Reading movies back frame by frame, and what the reader does with bad files. (Corrupt movies
// of every codec go through the reader in the AVI-to-GIF import tests.)

#include <gtest/gtest.h>

#include "export/avi/avi_reader.h"
#include "tests/avi/avi_test_support.h"

namespace lumetrix::avi {
namespace {

using namespace test;

class Reader : public ::testing::Test {
 protected:
  std::string Movie(const std::string& codec, int frames, int w, int h) {
    EXPECT_TRUE(RecordMovie(folder.File(codec + ".avi"), SyntheticFrames(w, h, frames), 15, codec));
    return folder.File(codec + ".avi");
  }
  bool Read(int64_t index, PixelLayout layout = PixelLayout::Bgr24, RowOrder order = RowOrder::BottomUp) {
    return reader.ReadFrame(index, layout, order, frame);
  }
  TempFolder folder;
  AviReader reader;
  DecodedFrame frame;
};

// The import tests check count, size and time per frame; the recompress tests the rate.
TEST_F(Reader, RowsComeInTheOrderAndLayoutAsked) {
  ASSERT_TRUE(reader.Open(Movie("raw", 3, 13, 7))) << reader.Error();
  EXPECT_EQ(reader.CodecName(), "rawvideo");
  const auto input = SyntheticFrame(13, 7, 1);
  ASSERT_TRUE(Read(1)) << reader.Error();
  EXPECT_EQ(frame.Stride, 40);  // 39 bytes padded to 40
  EXPECT_EQ(frame.Pixels, input.Pixels);
  for (const int bytes : {4, 3}) {
    ASSERT_TRUE(Read(1, bytes == 4 ? PixelLayout::Bgr32 : PixelLayout::Bgr24, RowOrder::TopDown)) << reader.Error();
    EXPECT_EQ(frame.Stride, bytes == 4 ? 13 * 4 : 40);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 13; ++x) {
        const uint8_t* p = frame.Pixels.data() + y * frame.Stride + x * bytes;
        ASSERT_EQ((std::array<uint8_t, 3>{p[0], p[1], p[2]}), input.At(x, y)) << x << "," << y;
        if (bytes == 4) {
          ASSERT_EQ(p[3], 255);
        }
      }
  }
}

// Forwards, then back to earlier frames (read again from the start), for an exact and a lossy codec.
TEST_F(Reader, GoingBackReadsFromTheStart) {
  for (const std::string codec : {"ffv1", "mjpeg"}) {
    ASSERT_TRUE(reader.Open(Movie(codec, 5, 64, 48))) << reader.Error();
    for (const int i : {0, 4, 1, 1, 2}) {
      ASSERT_TRUE(Read(i)) << codec << reader.Error();
      SCOPED_TRACE(i);
      ExpectAlike(frame.Pixels, SyntheticFrame(64, 48, i).Pixels, codec == "ffv1", 35.0);
    }
    EXPECT_FALSE(Read(5));
    EXPECT_FALSE(Read(-1));
    EXPECT_NE(reader.Error().find("no frame"), std::string::npos) << reader.Error();
  }
}

TEST_F(Reader, FilesThatAreNoMoviesGiveClearErrors) {
  WriteBytes(folder.File("empty.avi"), {});
  WriteBytes(folder.File("text.avi"), Bytes(300, 'x'));
  WriteAudioOnlyAvi(folder.File("sound.avi"));
  // A bitmap header claiming 60000 x 60000 pixels.
  Bytes hostile = ReadBytes(Movie("raw", 2, 16, 8));
  const size_t strf = std::search(hostile.begin(), hostile.end(), "strf", "strf" + 4) - hostile.begin() + 8;
  for (size_t k : {strf + 4, strf + 8}) hostile[k] = 0x60, hostile[k + 1] = 0xEA, hostile[k + 2] = hostile[k + 3] = 0;
  WriteBytes(folder.File("hostile.avi"), hostile);
  // A header chunk claiming 940 MB, which the demuxer would allocate before reading.
  Bytes huge = ReadBytes(Movie("raw", 2, 16, 8));
  const size_t strfSize = std::search(huge.begin(), huge.end(), "strf", "strf" + 4) - huge.begin() + 4;
  huge[strfSize + 3] = 0x38;
  WriteBytes(folder.File("huge.avi"), huge);
  const std::pair<std::string, std::string> cases[] = {
      {"none.avi", "does not exist"}, {"", ""}, {"empty.avi", ""}, {"text.avi", ""}, {"sound.avi", "no video stream"},
      {"hostile.avi", ""}, {"huge.avi", "a header chunk runs past the end of the file"}};
  for (const auto& [name, reason] : cases) {
    EXPECT_FALSE(reader.Open(folder.File(name))) << name;
    EXPECT_FALSE(reader.Error().empty()) << name;
    EXPECT_NE(reader.Error().find(reason), std::string::npos) << name << ": " << reader.Error();
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_FALSE(Read(0));
  }
}

TEST_F(Reader, TruncatedMovieFailsAtTheMissingFrame) {
  const std::string path = Movie("raw", 10, 32, 16);
  Truncate(path, 0.5);
  if (!reader.Open(path)) {
    EXPECT_FALSE(reader.Error().empty());
    return;
  }
  int64_t read = 0;
  for (; read < reader.FrameCount() && Read(read); ++read)
    EXPECT_EQ(frame.Pixels, SyntheticFrame(32, 16, static_cast<int32_t>(read)).Pixels);
  EXPECT_LT(read, 10);
  EXPECT_NE(reader.Error().find("truncated or corrupt"), std::string::npos) << reader.Error();
}

}  // namespace
}  // namespace lumetrix::avi
