// OME-TIFF plane maps, sets of files, short acquisitions, series and resolution tags, on files
// written by make_ome_files.py (its own OME-XML, planes by tifffile). Plane (c, z, t) holds
// 1 + 60 t + 20 c + z there; blank planes read 0.
#include <gtest/gtest.h>

#include <cstdlib>

#include "imaging/hyperstack_reader.h"
#include "imaging/image_box.h"
#include "tests/support/tiff_fixture.h"

namespace lumetrix::imaging {
namespace {

int V(int c, int z, int t) { return 1 + 60 * t + 20 * c + z; }

class OmeFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new test_support::TempDir;
    const std::string command = "/usr/bin/python3 " LUMETRIX_TEST_SOURCE_DIR "/make_ome_files.py " + dir_->path().string();
    ASSERT_EQ(std::system(command.c_str()), 0);
  }
  static void TearDownTestSuite() { delete dir_; }
  static test_support::TempDir* dir_;
};
test_support::TempDir* OmeFiles::dir_ = nullptr;

TEST_F(OmeFiles, EveryPlaneComesFromThePageTheMapNames) {
  struct Case {
    const char* file;
    int series, width, height, channels, slices, frames;
    double voxel[3];
    int (*expect)(int c, int z, int t);  // the plane's value
    const char* note;                    // in the note; "" when there is none
  };
  const Case cases[] = {
      {"shuffled_2016.ome.tif", 0, 16, 12, 2, 3, 2, {0.5, 0.5, 2}, V, ""},
      {"reversed_2008.ome.tif", 0, 16, 12, 2, 2, 3, {0.5, 0.5, 2}, V, ""},
      {"default_map.ome.tif", 0, 16, 12, 2, 2, 3, {0.5, 0.5, 2}, V, ""},
      // XYZTC from IFD 3 for 5 planes: z 0..3 of (c 0, t 0), then z 0 of (c 0, t 1).
      {"offset_map.ome.tif", 0, 16, 12, 3, 4, 2, {0.5, 0.5, 2},
       [](int c, int z, int t) { return c == 0 && (t == 0 || z == 0) ? V(c, z, t) : 0; }, "holds 5 of the 24 planes"},
      // XYZCT, 9 pages: all of t 0 (6 planes), then channel 0 of t 1; Z unknown from "0.0".
      {"short.ome.tif", 0, 16, 12, 2, 3, 2, {0.25, 0.25, 0},
       [](int c, int z, int t) { return t == 1 && c == 1 ? 0 : V(c, z, t); }, "holds 9 of the 12 planes"},
      {"set_1.ome.tif", 0, 16, 12, 2, 3, 1, {0.5, 0.5, 2}, V, ""},
      {"set_2.ome.tif", 0, 16, 12, 2, 3, 1, {0.5, 0.5, 2}, V, ""},
      {"part_2.ome.tif", 0, 16, 12, 2, 3, 1, {0.5, 0.5, 2}, V, ""},
      {"gap_1.ome.tif", 0, 16, 12, 2, 3, 1, {0.5, 0.5, 2},
       [](int c, int z, int t) { return c == 1 ? 0 : V(c, z, t); }, "gap_2.ome.tif, a file of its set, is missing"},
      {"escape.ome.tif", 0, 16, 12, 2, 3, 1, {0.5, 0.5, 2},
       [](int c, int z, int t) { return c == 1 ? 0 : V(c, z, t); }, "\"../set_2.ome.tif\", which is not a file of its folder"},
      {"two_images.ome.tif", 0, 16, 12, 2, 3, 1, {0.5, 0.5, 2}, V, ""},
      {"two_images.ome.tif", 1, 8, 6, 2, 1, 1, {0.5, 0.5, 2}, [](int c, int, int) { return 100 + c; }, ""},
      {"thumb.tif", 0, 16, 12, 1, 3, 1, {0, 0, 0}, V, ""},
      {"thumb.tif", 1, 4, 3, 1, 1, 1, {0, 0, 0}, [](int, int, int) { return 99; }, ""},
      {"hostile.ome.tif", 0, 16, 12, 1, 4, 1, {0.5, 0.5, 2},
       [](int c, int z, int t) { return z == 1 || z == 3 ? 0 : V(c, z, t); }, "holds 2 of the 4 planes"},
      {"pyramid.tif", 1, 8, 6, 1, 3, 1, {0, 0, 0}, [](int c, int z, int t) { return V(c, z, t) + 100; }, ""},
      // 72 per inch is no calibration; 300 per centimetre is 10000 / 300 = 33.333 um.
      {"dpi72.tif", 0, 16, 12, 1, 1, 1, {0, 0, 0}, [](int, int, int) { return 7; }, ""},
      {"per_cm300.tif", 0, 16, 12, 1, 1, 1, {10000.0 / 300, 10000.0 / 300, 0}, [](int, int, int) { return 7; }, ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::string(k.file) + " series " + std::to_string(k.series + 1));
    const HyperstackPlan plan = PlanHyperstack(dir_->File(k.file), k.series);
    lumetrix::NullProgress progress;
    std::string error;
    const auto h = ReadHyperstack(plan, progress, error, 2);
    ASSERT_TRUE(h) << error;
    EXPECT_EQ(std::tuple(h->width, h->height, h->channels, h->slices, h->frames),
              std::tuple(k.width, k.height, k.channels, k.slices, k.frames));
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(h->voxel[i], k.voxel[i], 1e-6 * k.voxel[i]) << i;  // floats in the tags
    if (*k.note) EXPECT_NE(h->note.find(k.note), std::string::npos) << h->note;
    else EXPECT_EQ(h->note, "");
    for (int t = 0; t < h->frames; ++t)
      for (int c = 0; c < h->channels; ++c)
        for (int z = 0; z < h->slices; ++z) {
          EXPECT_EQ(h->At(c, z, t, 0, 0), uint32_t(k.expect(c, z, t))) << c << z << t;
          EXPECT_EQ(h->At(c, z, t, k.width - 1, k.height - 1), uint32_t(k.expect(c, z, t))) << c << z << t;
        }
  }
}

TEST_F(OmeFiles, SeriesAreListedWithTheirSizesNamesAndReducedCopies) {
  const struct {
    const char* file;
    std::vector<std::string> lines;
  } cases[] = {
      {"two_images.ome.tif", {"series 1: 16x12x3 2ch \"main\"", "series 2: 8x6x1 2ch \"overview\""}},
      {"thumb.tif", {"series 1: 16x12x3 1ch", "series 2: 4x3x1 1ch reduced resolution"}},
      {"pyramid.tif", {"series 1: 16x12x3 1ch", "series 2: 8x6x3 1ch reduced resolution"}},
      {"shuffled_2016.ome.tif", {}},
  };
  for (const auto& k : cases) {
    std::vector<std::string> lines;
    const std::vector<SeriesSummary> series = ListSeries(dir_->File(k.file));
    for (size_t i = 0; i < series.size(); ++i) lines.push_back(SeriesLine(static_cast<int32_t>(i + 1), series[i]));
    EXPECT_EQ(lines, k.lines) << k.file;
  }
  try {
    PlanHyperstack(dir_->File("two_images.ome.tif"), 2);
    ADD_FAILURE() << "series 3 planned";
  } catch (const ImageError& e) {
    EXPECT_STREQ(e.what(), "two_images.ome.tif holds 2 series; there is no series 3");
  }
}

}  // namespace
}  // namespace lumetrix::imaging
