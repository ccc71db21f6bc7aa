// Slices of the kinds microscopes and other programs write (16-bit, palette, compressed, tiled,
// planar) go through both converters; checked against libtiff's own decoding. (How each kind is
// read and scaled is tested on the image reader.)

#include <gtest/gtest.h>

#include "export/series/join_series.h"
#include "export/series/leica_conversion.h"
#include "export/series/leica_names.h"
#include "tests/support/tiff_fixture.h"

namespace lumetrix::series {
namespace {

namespace ts = lumetrix::test_support;

constexpr int kSize = 16;

ts::TiffLayout Layout(ts::TiffSamples samples, ts::TiffCompression compression = ts::TiffCompression::kNone) {
  ts::TiffLayout layout;
  layout.width = layout.height = kSize;
  layout.samples = samples;
  layout.compression = compression;
  return layout;
}

LeicaConversion Job(const ts::TempDir& folder, const std::string& base, int32_t last, const std::string& destination) {
  LeicaConversion job;
  job.Folder = folder.path().string();
  job.BaseName = base;
  job.LastSlice = last;
  job.Destination = destination;
  return job;
}

double Ramp(int, int x, int y, int channel) { return (x * 13 + y * 7 + channel * 50) % 256; }

TEST(SourceKinds, JoinedEightBitKindsMatchLibtiffsDecoding) {
  ts::TempDir dir;
  std::vector<std::string> sources;
  auto add = [&](const std::string& name, ts::TiffLayout layout) {
    ts::WriteTiff(dir.File(name), layout, Ramp);
    sources.push_back(dir.File(name));
  };
  add("lzw.tif", Layout(ts::TiffSamples::kGrey8, ts::TiffCompression::kLzw));
  ts::TiffLayout predicted = Layout(ts::TiffSamples::kGrey8, ts::TiffCompression::kDeflate);
  predicted.predictor = true;
  add("deflate.tif", predicted);
  ts::TiffLayout tiled = Layout(ts::TiffSamples::kRgb8, ts::TiffCompression::kPackBits);
  tiled.tiled = true;
  add("tiled.tif", tiled);
  ts::TiffLayout planar = Layout(ts::TiffSamples::kRgb8);
  planar.planar = true;
  planar.big_endian = true;
  add("planar.tif", planar);
  add("palette.tif", Layout(ts::TiffSamples::kPalette8));
  ts::TiffLayout white = Layout(ts::TiffSamples::kGrey8);
  white.min_is_white = true;
  add("white.tif", white);

  const std::string out = dir.File("out.tif");
  const ConversionResult result = JoinTiffSeries(sources, out);
  ASSERT_TRUE(result.Written) << result.Message();
  ASSERT_EQ(ts::CountTiffPages(out), static_cast<int>(sources.size()));
  for (size_t i = 0; i < sources.size(); ++i) {
    const ts::TiffPageInfo info = ts::ReadTiffInfo(out, static_cast<int>(i));
    EXPECT_EQ(std::tuple(info.bits, info.samples), std::tuple(8, 3)) << "page " << i << " is 24-bit";
    EXPECT_EQ(ts::ReadTiffRgb(out, static_cast<int>(i)).rgb, ts::ReadTiffRgb(sources[i], 0).rgb) << sources[i];
  }
}

TEST(SourceKinds, LeicaChannelsFromPaletteAndDeepSlices) {
  ts::TempDir dir, dest;
  for (int z = 0; z < 3; ++z) {
    // Channel 0: a palette whose colours are green only, so the green byte is the plane.
    ts::TiffLayout palette = Layout(ts::TiffSamples::kPalette8);
    for (int i = 0; i < 256; ++i) palette.palette.push_back({0, static_cast<uint16_t>(i * 257), 0});
    ts::WriteTiff(dir.File(LeicaSliceName("K", z, 0)), palette, [z](int, int x, int, int) { return 10 * z + x; });
    // Channel 1: 16-bit grey, LZW.
    ts::WriteTiff(dir.File(LeicaSliceName("K", z, 1)), Layout(ts::TiffSamples::kGrey16, ts::TiffCompression::kLzw),
                  [](int, int x, int, int) { return 4000.0 * x; });
  }
  LeicaConversion job = Job(dir, std::string(1, 'K'), 2, dest.File("K.tif"));
  job.Channels = {true, true, false};
  const ConversionResult result = ConvertLeicaSeries(job);
  ASSERT_TRUE(result.Written) << result.Message();
  EXPECT_EQ(result.UnreadableSlices, 0);
  ASSERT_EQ(ts::CountTiffPages(job.Destination), 3);
  const ts::RgbPage page = ts::ReadTiffRgb(job.Destination, 2);
  for (int x = 0; x < kSize; ++x) {
    EXPECT_EQ(page.rgb[3 * x], 20 + x) << "red is channel 0's palette index through its green colour";
    EXPECT_EQ(page.rgb[3 * x + 2], 0);
  }
  EXPECT_EQ(page.rgb[1], 0);
  EXPECT_EQ(page.rgb[3 * (kSize - 1) + 1], 255) << "green is channel 1 scaled to its range";
}

TEST(SourceKinds, DamagedSlicesOfEveryKindAreReportedNotFatal) {
  ts::TempDir dir, dest;
  ts::WriteTiff(dir.File("good.tif"), Layout(ts::TiffSamples::kGrey8, ts::TiffCompression::kLzw), Ramp);
  const uint64_t data = ts::FirstDataOffset(dir.File("good.tif"), 0);
  for (int z = 0; z < 4; ++z) ts::WriteTiff(dir.File(LeicaSliceName("D", z, 0)), Layout(ts::TiffSamples::kGrey8), Ramp);
  // Cut inside the pixel data, a hand-built page with an absurd size, and garbage LZW.
  ts::CopyTruncated(dir.File("good.tif"), dir.File(LeicaSliceName("D", 1, 0)), data + 10);
  ts::WriteBytes(dir.File(LeicaSliceName("D", 2, 0)),
                 ts::BuildRawTiff({{{256, 4, {0x7fffffff}}, {257, 4, {0x7fffffff}}, {258, 3, {8}}, {259, 3, {1}},
                                    {262, 3, {1}}, {273, 4, {0}}, {277, 3, {1}}, {278, 4, {0x7fffffff}},
                                    {279, 4, {16}}}},
                                  std::vector<uint8_t>(16, 0)));
  ts::CopyTruncated(dir.File("good.tif"), dir.File(LeicaSliceName("D", 3, 0)), 1u << 20);
  ts::PatchBytes(dir.File(LeicaSliceName("D", 3, 0)), data, std::vector<uint8_t>(64, 0xff));
  LeicaConversion job = Job(dir, std::string(1, 'D'), 3, dest.File("D.tif"));
  job.Channels = {true, false, false};
  const ConversionResult result = ConvertLeicaSeries(job);
  ASSERT_TRUE(result.Written) << result.Message();
  EXPECT_GE(result.UnreadableSlices, 2);
  EXPECT_EQ(result.FirstUnreadable, "D_z001_ch00.tif");
  EXPECT_EQ(ts::CountTiffPages(job.Destination), 4);
}

}  // namespace
}  // namespace lumetrix::series
