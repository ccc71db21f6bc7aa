// Pyramids built from stacks tifffile wrote, read back by Debian's python3-zarr and compared
// with a numpy halving of what tifffile reads (tests/streaming/pyramid_check.py), and opened by
// our own Zarr reader; the builder's memory against the depth of the stack.
#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>

#include "imaging/image_box.h"
#include "imaging/zarr/zarr_reader.h"
#include "streaming/pyramid_builder.h"
#include "tests/support/tiff_fixture.h"

// Every allocation through operator new counted, to see the builder's peak from outside it.
namespace {
std::atomic<uint64_t> g_held{0}, g_peak{0};
}  // namespace
void* operator new(size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  const uint64_t now = g_held += malloc_usable_size(p);
  for (uint64_t peak = g_peak; now > peak && !g_peak.compare_exchange_weak(peak, now);) {
  }
  return p;
}
namespace {
void Release(void* p) {
  if (p) g_held -= malloc_usable_size(p);
  std::free(p);
}
}  // namespace
void operator delete(void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }

namespace lumetrix::streaming {
namespace {

namespace fs = std::filesystem;
using test_support::TempDir;

const std::string kScript = "/usr/bin/python3 " LUMETRIX_TEST_SOURCE_DIR "/pyramid_check.py ";

bool HavePythonZarr() { return std::system("/usr/bin/python3 -c 'import zarr, tifffile' 2>/dev/null") == 0; }

class Steps : public ProgressSink {
 public:
  void ShowProgress(const std::string& caption, int32_t, int32_t maximum) override { shown = caption, most = maximum; }
  void SetProgress(int32_t value) override { last = value; }
  void HideProgress() override {}
  std::string shown;
  int32_t most = 0, last = 0;
};

TEST(PyramidBuilder, LevelsAreWhatZarrReadsAndNumpyHalves) {
  if (!HavePythonZarr()) GTEST_SKIP() << "python3-zarr and python3-tifffile are needed (scripts/deps.sh --test)";
  const std::string mu = "\xC2\xB5m";
  struct Case {
    const char* name;
    int32_t levels, channels, frames;
    int32_t last[3];         // x, y, z of the coarsest level
    double voxel[3];         // of level 0, as PlanZarr reads it
    std::string unit;
    int32_t steps;           // planes read (floating point: twice)
  };
  // 130x70x45 -> 65x35x23 -> 33x18x12; 66x80x70 -> 33x40x35; 40x30x150 -> 20x15x75 -> 10x8x38;
  // 100x90x20 -> 50x45x10; 70x33x10 -> 35x17x5. Resolution 20000 per cm = 0.5 µm; a plain TIFF
  // gives no z spacing, which the reader takes as 1.
  const Case cases[] = {
      {"u8_odd", 3, 1, 1, {33, 18, 12}, {0.5, 0.5, 1}, mu, 45},
      {"u16_ome", 2, 2, 2, {33, 40, 35}, {0.25, 0.25, 1.5}, mu, 280},
      {"f32", 3, 1, 1, {10, 8, 38}, {1, 1, 1}, "pixel", 300},
      {"u8_imagej", 2, 3, 1, {50, 45, 10}, {0.5, 0.5, 2}, mu, 60},
      {"i16", 2, 1, 1, {35, 17, 5}, {1, 1, 1}, "pixel", 10},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string tif = dir.File(std::string(c.name) + ".tif"), folder = dir.File(std::string(c.name) + ".zarr");
    ASSERT_EQ(std::system((kScript + "write " + c.name + " " + tif).c_str()), 0);
    fs::create_directory(folder);
    Steps steps;
    PyramidBuildStats stats;
    ASSERT_TRUE(BuildPyramid(tif, 0, folder, steps, std::atomic<bool>(false), &stats));
    EXPECT_EQ(std::system((kScript + "check " + tif + " " + folder).c_str()), 0);
    EXPECT_EQ(steps.shown, "Building the pyramid");
    EXPECT_EQ(steps.most, c.steps);
    EXPECT_EQ(steps.last, c.steps);
    const imaging::ZarrPlan plan = imaging::PlanZarr(folder);
    ASSERT_EQ(plan.levels.size(), size_t(c.levels));
    const imaging::ZarrLevel& last = plan.levels.back();
    EXPECT_EQ(std::vector<int32_t>({last.width, last.height, last.slices, last.channels, last.frames}),
              std::vector<int32_t>({c.last[0], c.last[1], c.last[2], c.channels, c.frames}));
    for (int k = 0; k < 3; ++k) {
      EXPECT_DOUBLE_EQ(plan.levels[0].voxel[k], c.voxel[k]) << k;
      EXPECT_DOUBLE_EQ(last.voxel[k], c.voxel[k] * (1 << (c.levels - 1))) << k;
    }
    EXPECT_EQ(plan.image.unit, c.unit);
    EXPECT_EQ(plan.image.channels.size(), size_t(c.channels));
  }
}

TEST(PyramidBuilder, MemoryDoesNotGrowWithDepthAndFailuresLeaveNothing) {
  if (!HavePythonZarr()) GTEST_SKIP() << "python3-tifffile is needed (scripts/deps.sh --test)";
  // Allocations through operator new, counted by this test's own operator new: the same on every
  // run (one thread, the same files), so the comparison cannot be flaky. A 64 x 64 x 2000 8-bit
  // stack is 8 MB; one slab of 64 planes of level 0 is 256 KB, the next levels' a third more.
  TempDir dir;
  uint64_t peaks[2] = {};
  const int depths[] = {200, 2000};
  for (int i = 0; i < 2; ++i) {
    const std::string tif = dir.File("deep.tif"), folder = dir.File("deep" + std::to_string(i));
    ASSERT_EQ(std::system((kScript + "write deep" + std::to_string(depths[i]) + " " + tif).c_str()), 0);
    fs::create_directory(folder);
    NullProgress progress;
    const uint64_t before = g_held;
    g_peak = before;
    ASSERT_TRUE(BuildPyramid(tif, 0, folder, progress, std::atomic<bool>(false)));
    peaks[i] = g_peak - before;
  }
  // About 0.9 MB each: slabs, one chunk and its compressed copy. The deeper stack's plan lists
  // 1800 more pages (8 bytes each); one more plane held per page would be 7 MB more.
  EXPECT_LT(peaks[1], uint64_t{2} << 20);
  EXPECT_LT(peaks[1], peaks[0] + (64 << 10)) << peaks[0];

  // Stopped before the first plane, and a file that is no TIFF: the folder goes.
  const std::string stopped = dir.File("stopped"), refused = dir.File("refused");
  fs::create_directory(stopped);
  fs::create_directory(refused);
  NullProgress progress;
  EXPECT_FALSE(BuildPyramid(dir.File("deep.tif"), 0, stopped, progress, std::atomic<bool>(true)));
  EXPECT_THROW(BuildPyramid(LUMETRIX_TEST_SOURCE_DIR "/pyramid_check.py", 0, refused, progress, std::atomic<bool>(false)),
               imaging::ImageError);
  EXPECT_FALSE(fs::exists(stopped));
  EXPECT_FALSE(fs::exists(refused));
}

}  // namespace
}  // namespace lumetrix::streaming
