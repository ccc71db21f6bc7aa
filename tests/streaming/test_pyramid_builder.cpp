// Pyramids built from stacks tifffile wrote, read back by Debian's python3-zarr and compared with
// a numpy halving of what tifffile reads (pyramid_check.py), and opened by our Zarr reader; the
// builder's memory against the depth of the stack.
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
// These operators are the program's own new and delete, so their malloc and free do match;
// GCC warns of the pair where it inlines them into a container's code (ThreadSanitizer's builds).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void Release(void* p) {
  if (p) g_held -= malloc_usable_size(p);
  std::free(p);
}
#pragma GCC diagnostic pop
}  // namespace
void* operator new(size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  const uint64_t now = g_held += malloc_usable_size(p);
  for (uint64_t peak = g_peak; now > peak && !g_peak.compare_exchange_weak(peak, now);) {
  }
  return p;
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return ::operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void operator delete(void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }

namespace lumetrix::streaming {
namespace {

namespace fs = std::filesystem;
const std::string kScript = "/usr/bin/python3 " LUMETRIX_TEST_SOURCE_DIR "/pyramid_check.py ";
const std::atomic<bool> kGo(false), kStop(true);

bool HavePython() { return std::system("/usr/bin/python3 -c 'import zarr, tifffile' 2>/dev/null") == 0; }

// Writes case `name` with tifffile into `dir` and builds its pyramid beside it.
std::string Built(const test_support::TempDir& dir, const std::string& name, ProgressSink& progress) {
  const std::string tif = dir.File(name + ".tif"), folder = dir.File(name + ".zarr");
  EXPECT_EQ(std::system((kScript + "write " + name + " " + tif).c_str()), 0);
  fs::create_directory(folder);
  EXPECT_TRUE(BuildPyramid(tif, 0, folder, progress, kGo));
  return folder;
}

struct Steps : NullProgress {
  void ShowProgress(const std::string& caption, int32_t, int32_t maximum) override { shown = caption, most = maximum; }
  void SetProgress(int32_t value) override { last = value; }
  std::string shown;
  int32_t most = 0, last = 0;
};

TEST(PyramidBuilder, LevelsAreWhatZarrReadsAndNumpyHalves) {
  if (!HavePython()) GTEST_SKIP() << "python3-zarr and python3-tifffile are needed (scripts/deps.sh --test)";
  const std::string mu = "\xC2\xB5m";
  // 130x70x45 -> 65x35x23 -> 33x18x12; 66x80x70 -> 33x40x35; 40x30x150 -> 20x15x75 -> 10x8x38;
  // 100x90x20 -> 50x45x10; 70x33x10 -> 35x17x5. 20000 pixels per cm = 0.5 µm; a plain TIFF gives
  // no z spacing, which the reader takes as 1. Steps: planes read (floating point: twice).
  const struct {
    const char* name;
    int32_t levels, last[5];  // x, y, z, channels, time points of the coarsest level
    double voxel[3];
    std::string unit;
    int32_t steps;
  } cases[] = {{"u8_odd", 3, {33, 18, 12, 1, 1}, {0.5, 0.5, 1}, mu, 45},
               {"u16_ome", 2, {33, 40, 35, 2, 2}, {0.25, 0.25, 1.5}, mu, 280},
               {"f32", 3, {10, 8, 38, 1, 1}, {1, 1, 1}, "pixel", 300},
               {"u8_imagej", 2, {50, 45, 10, 3, 1}, {0.5, 0.5, 2}, mu, 60},
               {"i16", 2, {35, 17, 5, 1, 1}, {1, 1, 1}, "pixel", 10}};
  test_support::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Steps steps;
    const std::string folder = Built(dir, c.name, steps);
    EXPECT_EQ(std::system((kScript + "check " + dir.File(std::string(c.name) + ".tif") + " " + folder).c_str()), 0);
    EXPECT_EQ(std::tuple(steps.shown, steps.most, steps.last), std::tuple("Building the pyramid", c.steps, c.steps));
    const imaging::ZarrPlan plan = imaging::PlanZarr(folder);
    ASSERT_EQ(plan.levels.size(), size_t(c.levels));
    const imaging::ZarrLevel& last = plan.levels.back();
    EXPECT_EQ(std::vector<int32_t>({last.width, last.height, last.slices, last.channels, last.frames}),
              std::vector<int32_t>(c.last, c.last + 5));
    for (int k = 0; k < 3; ++k) EXPECT_DOUBLE_EQ(last.voxel[k], c.voxel[k] * (1 << (c.levels - 1))) << k;
    EXPECT_EQ(plan.image.unit, c.unit);
    EXPECT_EQ(plan.image.channels.size(), size_t(c.last[3]));
  }
}

TEST(PyramidBuilder, MemoryDoesNotGrowWithDepthAndFailuresLeaveNothing) {
  if (!HavePython()) GTEST_SKIP() << "python3-tifffile is needed (scripts/deps.sh --test)";
  // Counted by this file's operator new: the same on every run (one thread, the same files), so
  // the comparison cannot be flaky. 64 x 64 x 2000 bytes is 8 MB; the builder's slabs, one chunk
  // and its compressed copy take about 0.9 MB. The deeper stack's plan lists 1800 more pages (8
  // bytes each); one more plane held per page would be 7 MB more.
  test_support::TempDir dir;
  uint64_t peaks[2] = {};
  for (int i = 0; i < 2; ++i) {
    NullProgress progress;
    const uint64_t before = g_held;
    g_peak = before;
    Built(dir, i ? "deep2000" : "deep200", progress);
    peaks[i] = g_peak - before;
  }
  EXPECT_LT(peaks[1], uint64_t{2} << 20);
  EXPECT_LT(peaks[1], peaks[0] + (64 << 10)) << peaks[0];

  // Stopped before the first plane, and a file that is no TIFF: the folder goes.
  NullProgress progress;
  for (const char* name : {"stopped", "refused"}) fs::create_directory(dir.File(name));
  EXPECT_FALSE(BuildPyramid(dir.File("deep200.tif"), 0, dir.File("stopped"), progress, kStop));
  EXPECT_THROW(BuildPyramid(LUMETRIX_TEST_SOURCE_DIR "/pyramid_check.py", 0, dir.File("refused"), progress, kGo), imaging::ImageError);
  EXPECT_FALSE(fs::exists(dir.File("stopped")) || fs::exists(dir.File("refused")));
}

}  // namespace
}  // namespace lumetrix::streaming
