// The building blocks of a recording: the frame rate, the frame's bitmap information, the
// encoder catalogue, option limits and the AVI writer's own rules.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "export/avi/avi_file.h"
#include "export/avi/encoder_catalog.h"
#include "export/avi/stream_header.h"
#include "tests/avi/avi_test_support.h"

namespace lumetrix::avi {
namespace {

using namespace test;
using Limits = std::numeric_limits<int32_t>;

TEST(StreamHeader, FrameRateIsRoundedHalfToEvenWithinOneToThirty) {
  const std::pair<double, int32_t> cases[] = {{60, 30},  {30.4, 30}, {0, 1},  {-5, 1}, {12.5, 12}, {13.5, 14},
                                              {1.4, 1}, {std::numeric_limits<double>::infinity(), 30}, {std::nan(""), 1}};
  for (const auto& [rate, want] : cases) EXPECT_EQ(RecordingFrameRate(rate), want) << rate;
}

TEST(BitmapInfo, TheCaptureBlockIsUnderstoodAndBadBlocksAreRefusedWithAReason) {
  const auto block = MakeBitmapInfo(5, 2);
  const auto info = ParseBitmapInfo(block);
  ASSERT_TRUE(info);  // rows of 15 bytes padded to 16
  EXPECT_EQ(std::tuple(info->Width, info->Height, info->BitCount, info->ImageSize), std::tuple(5, 2, 24, 32));
  EXPECT_EQ(block[40] | block[41] | block[42] | block[43], 0);  // the zero colour entry
  std::string why;
  EXPECT_FALSE(ParseBitmapInfo({}, &why));
  EXPECT_FALSE(why.empty());
  EXPECT_FALSE(ParseBitmapInfo(std::span(block).first(39)));
  for (const auto& [at, value] : {std::pair{0, 200}, {14, 32}, {16, 1}, {12, 2}}) {  // header size, bits, RLE, planes
    auto bad = block;
    bad[static_cast<size_t>(at)] = static_cast<uint8_t>(value);
    EXPECT_FALSE(ParseBitmapInfo(bad)) << at;
  }
  for (const auto& [w, h] : {std::pair{8, -8}, {0, 8}, {kMaxFrameSide + 1, 8}, {Limits::min(), 8}})
    EXPECT_FALSE(ParseBitmapInfo(MakeBitmapInfo(w, h))) << w << " x " << h;
}

// The catalogue has this machine's lossless and compact encoders (the build depends on them),
// found without regard to case; options out of range or of unknown encoders are made sane.
TEST(CompressionOptions, SanitizeKeepsEveryFieldInRange) {
  const EncoderCatalog& catalog = EncoderCatalog::Installed();
  for (const char* name : {"raw", "FFV1", "mpeg4", "h264"}) EXPECT_NE(catalog.Find(name), nullptr) << name;
  EXPECT_TRUE(catalog.Find("ffv1")->Lossless);
  EXPECT_EQ(catalog.Find("divx"), nullptr);
  EXPECT_EQ(catalog.Find(""), nullptr);
  EXPECT_EQ(EncoderCatalog({}).Default().ShortName, "raw");
  CompressionOptions wild = OptionsFor("no-such-codec", 1000);
  wild.KeyFrameEvery = -3;
  wild.DataRateKBps = Limits::min();
  const CompressionOptions sane = Sanitize(wild, catalog), raw = Sanitize(OptionsFor("RAW", -1), catalog);
  EXPECT_EQ(std::tuple(sane.Codec, sane.Quality, sane.KeyFrameEvery, sane.DataRateKBps),
            std::tuple("mjpeg", kMaxQuality, kMinKeyFrameEvery, kMinDataRateKBps));
  EXPECT_EQ(std::tuple(raw.Codec, raw.Quality), std::tuple("raw", kMinQuality));
  EXPECT_FALSE(OptionsForCodec("nothing", catalog));
  EXPECT_EQ(OptionsForCodec("ffv1", catalog).value_or(CompressionOptions{}).Codec, "ffv1");
}

// The writer's own rules, below the recorder. The name is one FFmpeg would take for a protocol.
TEST(AviWriter, OneStreamFormatFirstGrowingPositionsAndNothingAfterTheRelease) {
  TempFolder folder;
  std::string error;
  const EncoderCatalog& catalog = EncoderCatalog::Installed();
  auto file = AviFile::OpenForWriting(folder.File("concat:a.avi"), error);
  ASSERT_TRUE(file) << error;
  auto stream = file->CreateStream(MakeRecordingHeader(10, 16 * 3 * 8, 16, 8), error);
  ASSERT_TRUE(stream) << error;
  EXPECT_FALSE(file->CreateStream(MakeRecordingHeader(10, 0, 16, 8), error));  // one stream only
  EXPECT_FALSE(AviCompressedStream::Make(*stream, OptionsFor("cinepak"), catalog, true, error));
  EXPECT_NE(error.find("cinepak"), std::string::npos);
  auto compressed = AviCompressedStream::Make(*stream, OptionsFor("raw"), catalog, true, error);
  ASSERT_TRUE(compressed) << error;
  const auto frame = SyntheticFrame(16, 8, 0);
  EXPECT_FALSE(compressed->Write(0, frame.Pixels, true, error));  // no format yet
  EXPECT_FALSE(compressed->SetFormat(1, frame.Info, error));      // only position 0
  EXPECT_FALSE(compressed->SetFormat(0, MakeBitmapInfo(24, 8), error));
  EXPECT_NE(error.find("differs"), std::string::npos) << error;
  ASSERT_TRUE(compressed->SetFormat(0, frame.Info, error)) << error;
  ASSERT_TRUE(compressed->Write(0, frame.Pixels, true, error)) << error;
  EXPECT_FALSE(compressed->Write(0, frame.Pixels, true, error));  // positions must grow
  EXPECT_FALSE(compressed->Write(1, std::span(frame.Pixels).first(10), true, error));
  ASSERT_TRUE(compressed->Write(1, frame.Pixels, true, error)) << error;
  EXPECT_EQ(compressed->SamplesWritten(), 2);
  stream.reset();
  ASSERT_TRUE(compressed->Release(error)) << error;
  EXPECT_FALSE(compressed->Write(2, frame.Pixels, true, error));
  compressed.reset();
  ASSERT_TRUE(file->Close(error)) << error;
  EXPECT_EQ(Names(folder), std::vector<std::string>{"concat:a.avi"});
  EXPECT_EQ(ProbeMovie(folder.File("concat:a.avi")).Frames.size(), 2u);
}

}  // namespace
}  // namespace lumetrix::avi
