// The building blocks of a recording: stream header values, the frame's bitmap information,
// the encoder catalogue, option limits, the temporary output file and the AVI writer's rules.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

#include "export/avi/avi_file.h"
#include "export/avi/bitmap_info.h"
#include "export/avi/compression_options.h"
#include "export/avi/encoder_catalog.h"
#include "export/avi/stream_header.h"
#include "tests/avi/avi_test_support.h"

namespace lumetrix::avi {
namespace {

using test::TempFolder;

TEST(StreamHeader, FrameRateIsRoundedHalfToEvenAndLimited) {
  EXPECT_EQ(RecordingFrameRate(60), 30);
  EXPECT_EQ(RecordingFrameRate(30.4), 30);
  EXPECT_EQ(RecordingFrameRate(0), 1);
  EXPECT_EQ(RecordingFrameRate(-5), 1);
  EXPECT_EQ(RecordingFrameRate(12.5), 12);
  EXPECT_EQ(RecordingFrameRate(13.5), 14);
  EXPECT_EQ(RecordingFrameRate(1.4), 1);
  EXPECT_EQ(RecordingFrameRate(std::nan("")), 1);
  EXPECT_EQ(RecordingFrameRate(std::numeric_limits<double>::infinity()), 30);
}

TEST(StreamHeader, SizesRoundUpToMultiplesOf8) {
  EXPECT_EQ(RoundUpToMultipleOf8(641), 648);
  EXPECT_EQ(RoundUpToMultipleOf8(480), 480);
  EXPECT_EQ(RoundUpToMultipleOf8(1), 8);
  EXPECT_EQ(RoundUpToMultipleOf8(0), 8);
  EXPECT_EQ(RoundUpToMultipleOf8(std::numeric_limits<int32_t>::max()), std::numeric_limits<int32_t>::max());
}

TEST(StreamHeader, RecordingHeaderCarriesFirstFrame) {
  const AviStreamHeader h = MakeRecordingHeader(25, 640 * 3 * 480, 640, 480);
  EXPECT_EQ(h.Scale, 1u);
  EXPECT_EQ(h.Rate, 25u);
  EXPECT_EQ(h.SuggestedBufferSize, 640u * 3 * 480);
  EXPECT_EQ(h.Frame.Left, 0);
  EXPECT_EQ(h.Frame.Top, 0);
  EXPECT_EQ(h.Frame.Right, 640);
  EXPECT_EQ(h.Frame.Bottom, 480);
}

TEST(BitmapInfo, FrameBlockOfTheCaptureIsUnderstood) {
  const auto block = MakeBitmapInfo(5, 2);
  const auto info = ParseBitmapInfo(block);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->Width, 5);
  EXPECT_EQ(info->Height, 2);
  EXPECT_EQ(info->BitCount, 24);
  EXPECT_EQ(info->ImageSize, 32);  // rows of 15 bytes padded to 16
  EXPECT_EQ(DibRowStride(640), 1920);
  EXPECT_EQ(block[40] | block[41] | block[42] | block[43], 0);  // the zero colour entry
}

TEST(BitmapInfo, BadBlocksAreRefusedWithAReason) {
  std::string why;
  EXPECT_FALSE(ParseBitmapInfo({}, &why));
  EXPECT_FALSE(why.empty());
  auto block = MakeBitmapInfo(8, 8);
  EXPECT_FALSE(ParseBitmapInfo(std::span(block).first(39)));  // truncated
  auto bad = block;
  bad[0] = 200;  // header larger than the block
  EXPECT_FALSE(ParseBitmapInfo(bad));
  bad = block;
  bad[14] = 32;  // 32 bits per pixel
  EXPECT_FALSE(ParseBitmapInfo(bad));
  bad = block;
  bad[16] = 1;  // RLE
  EXPECT_FALSE(ParseBitmapInfo(bad));
  bad = block;
  bad[12] = 2;  // planes
  EXPECT_FALSE(ParseBitmapInfo(bad));
  EXPECT_FALSE(ParseBitmapInfo(MakeBitmapInfo(8, -8)));  // top-down
  EXPECT_FALSE(ParseBitmapInfo(MakeBitmapInfo(0, 8)));
  EXPECT_FALSE(ParseBitmapInfo(MakeBitmapInfo(kMaxFrameSide + 1, 8)));
  EXPECT_FALSE(ParseBitmapInfo(MakeBitmapInfo(std::numeric_limits<int32_t>::min(), 8)));
}

TEST(EncoderCatalog, OffersTheEncodersAPlayerCanPlay) {
  const EncoderCatalog& catalog = EncoderCatalog::Installed();
  ASSERT_NE(catalog.Find("raw"), nullptr);
  EXPECT_EQ(catalog.Find("raw")->DisplayName, "Full Frames (Uncompressed)");
  EXPECT_EQ(catalog.Encoders().front().ShortName, "raw");
  ASSERT_NE(catalog.Find("mjpeg"), nullptr);
  EXPECT_TRUE(catalog.Find("mjpeg")->HasQuality);
  bool lossless = false, compact = false;
  for (const EncoderInfo& e : catalog.Encoders()) {
    if (e.Lossless && e.ShortName != "raw") lossless = true;
    if (e.ShortName == "mpeg4" || e.ShortName == "h264") compact = true;
  }
  // This machine's FFmpeg has FFV1 and MPEG-4 Part 2 (the build depends on them).
  EXPECT_TRUE(lossless);
  EXPECT_TRUE(compact);
  std::set<std::string> names, shown;
  for (const EncoderInfo& e : catalog.Encoders()) {
    EXPECT_TRUE(names.insert(e.ShortName).second) << e.ShortName;
    EXPECT_TRUE(shown.insert(e.DisplayName).second) << e.DisplayName;
  }
  EXPECT_EQ(catalog.Default().ShortName, "mjpeg");
}

TEST(EncoderCatalog, NamesAreFoundWithoutRegardToCase) {
  const EncoderCatalog& catalog = EncoderCatalog::Installed();
  ASSERT_NE(catalog.Find("MJPEG"), nullptr);
  EXPECT_EQ(catalog.Find("MJPEG")->ShortName, "mjpeg");
  EXPECT_EQ(catalog.Find("divx"), nullptr);
  EXPECT_EQ(catalog.Find(""), nullptr);
}

TEST(EncoderCatalog, AnEmptyCatalogueStillHasADefault) {
  const EncoderCatalog empty({});
  EXPECT_EQ(empty.Default().ShortName, "raw");
}

TEST(CompressionOptions, SanitizeKeepsEveryFieldInRange) {
  const EncoderCatalog& catalog = EncoderCatalog::Installed();
  CompressionOptions wild;
  wild.Codec = "no-such-codec";
  wild.Quality = 1000;
  wild.KeyFrameEvery = -3;
  wild.DataRateKBps = std::numeric_limits<int32_t>::min();
  const CompressionOptions sane = Sanitize(wild, catalog);
  EXPECT_EQ(sane.Codec, "mjpeg");
  EXPECT_EQ(sane.Quality, kMaxQuality);
  EXPECT_EQ(sane.KeyFrameEvery, kMinKeyFrameEvery);
  EXPECT_EQ(sane.DataRateKBps, kMinDataRateKBps);
  wild.Codec = "RAW";
  wild.Quality = -1;
  EXPECT_EQ(Sanitize(wild, catalog).Codec, "raw");
  EXPECT_EQ(Sanitize(wild, catalog).Quality, kMinQuality);
  EXPECT_FALSE(OptionsForCodec("nothing", catalog));
  ASSERT_TRUE(OptionsForCodec("ffv1", catalog));
  EXPECT_EQ(OptionsForCodec("ffv1", catalog)->Codec, "ffv1");
}

// The writer's own rules, below the recorder.
class AviWriter : public ::testing::Test {
 protected:
  TempFolder folder;
  std::string error;
  const EncoderCatalog& catalog = EncoderCatalog::Installed();
};

TEST_F(AviWriter, ReleasedInOrderGivesAMovie) {
  auto file = AviFile::OpenForWriting(folder.File("a.avi"), error);
  ASSERT_TRUE(file) << error;
  auto stream = file->CreateStream(MakeRecordingHeader(10, 16 * 3 * 8, 16, 8), error);
  ASSERT_TRUE(stream) << error;
  EXPECT_FALSE(file->CreateStream(MakeRecordingHeader(10, 0, 16, 8), error));  // one stream only
  auto compressed = AviCompressedStream::Make(*stream, test::OptionsFor("raw"), catalog, true, error);
  ASSERT_TRUE(compressed) << error;
  const auto frame = test::SyntheticFrame(16, 8, 0);
  EXPECT_FALSE(compressed->Write(0, frame.Pixels, true, error));  // no format yet
  EXPECT_FALSE(compressed->SetFormat(1, frame.Info, error));      // only position 0
  ASSERT_TRUE(compressed->SetFormat(0, frame.Info, error)) << error;
  ASSERT_TRUE(compressed->Write(0, frame.Pixels, true, error)) << error;
  EXPECT_FALSE(compressed->Write(0, frame.Pixels, true, error));  // positions must grow
  EXPECT_FALSE(compressed->Write(1, std::span(frame.Pixels).first(10), true, error));
  ASSERT_TRUE(compressed->Write(1, frame.Pixels, true, error)) << error;
  EXPECT_EQ(compressed->SamplesWritten(), 2);
  stream.reset();
  ASSERT_TRUE(compressed->Release(error)) << error;
  EXPECT_FALSE(compressed->Write(2, frame.Pixels, true, error));  // released
  compressed.reset();
  ASSERT_TRUE(file->Close(error)) << error;
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.avi"});
  EXPECT_EQ(test::ProbeMovie(folder.File("a.avi")).Frames.size(), 2u);
}

TEST_F(AviWriter, FormatOfAnotherSizeIsRefused) {
  auto file = AviFile::OpenForWriting(folder.File("a.avi"), error);
  auto stream = file->CreateStream(MakeRecordingHeader(10, 0, 16, 8), error);
  auto compressed = AviCompressedStream::Make(*stream, test::OptionsFor("mjpeg"), catalog, true, error);
  ASSERT_TRUE(compressed) << error;
  EXPECT_FALSE(compressed->SetFormat(0, MakeBitmapInfo(24, 8), error));
  EXPECT_NE(error.find("differs"), std::string::npos) << error;
}

TEST_F(AviWriter, AFileWithoutFormatIsNotKept) {
  auto file = AviFile::OpenForWriting(folder.File("a.avi"), error);
  ASSERT_TRUE(file);
  EXPECT_FALSE(file->TemporaryPath().empty());
  EXPECT_FALSE(file->Close(error));
  EXPECT_TRUE(folder.Names().empty());
}

TEST_F(AviWriter, ClosingTheFileFirstFlushesTheEncoderAndLeavesSafeHandles) {
  auto file = AviFile::OpenForWriting(folder.File("a.avi"), error);
  auto stream = file->CreateStream(MakeRecordingHeader(10, 0, 32, 16), error);
  auto compressed = AviCompressedStream::Make(*stream, test::OptionsFor("mpeg4"), catalog, false, error);
  ASSERT_TRUE(compressed) << error;
  const auto frame = test::SyntheticFrame(32, 16, 0);
  ASSERT_TRUE(compressed->SetFormat(0, frame.Info, error));
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(compressed->Write(i, frame.Pixels, false, error)) << error;
  ASSERT_TRUE(file->Close(error)) << error;  // out of order, but nothing is lost or left dangling
  EXPECT_FALSE(compressed->Write(3, frame.Pixels, false, error));
  EXPECT_TRUE(compressed->Release(error));
  file.reset();
  compressed.reset();
  stream.reset();
  EXPECT_EQ(test::ProbeMovie(folder.File("a.avi")).Frames.size(), 3u);
}

TEST_F(AviWriter, UnknownEncoderIsRefused) {
  auto file = AviFile::OpenForWriting(folder.File("a.avi"), error);
  auto stream = file->CreateStream(MakeRecordingHeader(10, 0, 16, 8), error);
  EXPECT_FALSE(AviCompressedStream::Make(*stream, test::OptionsFor("cinepak"), catalog, true, error));
  EXPECT_NE(error.find("cinepak"), std::string::npos);
}

TEST_F(AviWriter, PathsAreNeverTakenForUrls) {
  // A file name that FFmpeg would otherwise read as a protocol.
  std::string name = folder.File("concat:x.avi");
  auto file = AviFile::OpenForWriting(name, error);
  ASSERT_TRUE(file) << error;
  auto stream = file->CreateStream(MakeRecordingHeader(10, 0, 16, 8), error);
  auto compressed = AviCompressedStream::Make(*stream, test::OptionsFor("raw"), catalog, true, error);
  const auto frame = test::SyntheticFrame(16, 8, 0);
  ASSERT_TRUE(compressed->SetFormat(0, frame.Info, error));
  ASSERT_TRUE(compressed->Write(0, frame.Pixels, true, error));
  compressed.reset();
  stream.reset();
  ASSERT_TRUE(file->Close(error)) << error;
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"concat:x.avi"});
}

}  // namespace
}  // namespace lumetrix::avi
