// Slices of the kinds microscopes and other programs write (16-bit, palette, compressed, tiled,
// planar) go through both converters; checked against libtiff's own decoding. (How each kind is
// read and scaled, and damaged files, are tested on the image reader.)

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
  LeicaConversion job;
  job.Folder = dir.path().string(), job.BaseName = std::string(1, 'K'), job.LastSlice = 2, job.Destination = dest.File("K.tif");
  job.Channels = {true, true, false};
  const ConversionResult result = ConvertLeicaSeries(job);
  ASSERT_TRUE(result.Written) << result.Message();
  EXPECT_EQ(std::tuple(result.UnreadableSlices, ts::CountTiffPages(job.Destination)), std::tuple(0, 3));
  const ts::RgbPage page = ts::ReadTiffRgb(job.Destination, 2);
  // Red is channel 0's palette index through its green colour; green is channel 1 scaled to its range.
  for (int x = 0; x < kSize; ++x) EXPECT_EQ(std::tuple(page.rgb[3 * x], page.rgb[3 * x + 2]), std::tuple(20 + x, 0)) << x;
  EXPECT_EQ(std::tuple(page.rgb[1], page.rgb[3 * (kSize - 1) + 1]), std::tuple(0, 255));
}

}  // namespace
}  // namespace lumetrix::series
