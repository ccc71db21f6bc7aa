// The pyramid cache folder: hits, stale entries, the size bound, folders that cannot be written,
// stopped and concurrent builds; and its reader of the metadata it finds on disk.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <barrier>
#include <filesystem>
#include <set>
#include <thread>

#include "imaging/image_box.h"
#include "streaming/pyramid_build_job.h"
#include "streaming/pyramid_cache.h"
#include "streaming/pyramid_metadata.h"
#include "tests/support/tiff_fixture.h"

namespace lumetrix::streaming {
namespace {

namespace fs = std::filesystem;
const std::atomic<bool> kGo(false), kStop(true);

void WriteStack(const std::string& path, int pages) {
  test_support::TiffLayout layout;
  layout.width = 20, layout.height = 20, layout.pages = pages;
  test_support::WriteTiff(path, layout, [](int page, int x, int y, int) { return (page * 7 + x + y) % 256; });
}

std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

// The use marks come from a counter: one second per call.
PyramidCache::Clock Counter() {
  return [n = int64_t{0}]() mutable { return n += 1000000000; };
}

TEST(PyramidCache, AHitAStaleEntryAndAStoppedBuild) {
  test_support::TempDir dir;
  const std::string tif = dir.File("a.tif"), folder = dir.File("cache/lumetrix/pyramids");
  PyramidCache cache(folder, 0, Counter());
  NullProgress progress;
  WriteStack(tif, 3);
  EXPECT_EQ(cache.Find(tif, 0), std::nullopt);
  const timespec another_second[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
  const std::function<void()> changes[] = {[&] { WriteStack(tif, 4); },  // another size
                                           [&] { ::utimensat(AT_FDCWD, tif.c_str(), another_second, 0); }};
  for (const auto& change : changes) {
    const std::optional<std::string> built = cache.Build(tif, 0, progress, kGo);
    ASSERT_TRUE(built);
    EXPECT_EQ(cache.Find(tif, 0), built);
    EXPECT_EQ(cache.Find(tif, 1), std::nullopt);  // another series
    change();
    EXPECT_EQ(cache.Find(tif, 0), std::nullopt);
    EXPECT_FALSE(fs::exists(*built));
  }
  EXPECT_EQ(cache.Build(tif, 0, progress, kStop), std::nullopt);
  EXPECT_TRUE(Names(folder).empty());
}

TEST(PyramidCache, TheBoundRemovesTheEntryUsedLongestAgoAndClearEmptiesTheFolder) {
  test_support::TempDir dir;
  const std::string folder = dir.File("pyramids");
  NullProgress progress;
  for (const char* name : {"a", "b", "c", "d"}) WriteStack(dir.File(std::string(name) + ".tif"), 2);
  const PyramidCache::Clock clock = Counter();
  PyramidCache unbounded(folder, uint64_t{1} << 40, clock);
  ASSERT_TRUE(unbounded.Build(dir.File("a.tif"), 0, progress, kGo));
  const uint64_t entry_bytes = unbounded.Size();
  // Room for three and a half entries alike (same samples, names of the same length).
  PyramidCache cache(folder, entry_bytes * 7 / 2, clock);
  cache.Build(dir.File("b.tif"), 0, progress, kGo);
  const std::string c = cache.Build(dir.File("c.tif"), 0, progress, kGo).value();
  const std::string a = cache.Find(dir.File("a.tif"), 0).value();  // used after b and c
  const std::string d = cache.Build(dir.File("d.tif"), 0, progress, kGo).value();
  std::set<std::string> kept;
  for (const PyramidCache::Entry& e : cache.Entries()) kept.insert(e.folder);
  EXPECT_EQ(kept, (std::set<std::string>{a, c, d}));
  EXPECT_EQ(cache.Size(), 3 * entry_bytes);

  // Clear: entries and the temporary folders of ended builds go, a running build's stays.
  char host[256] = {};
  ::gethostname(host, sizeof host - 1);
  std::string name = host;  // as the cache spells it
  std::replace_if(name.begin(), name.end(), [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)) && ch != '.'; }, '_');
  const std::string running = ".tmp-" + name + "-" + std::to_string(::getpid()) + "-abcdef";
  for (const std::string& temporary : {running, ".tmp-" + name + "-999999999-abcdef"})
    fs::create_directory(folder + "/" + temporary);
  cache.Clear();
  EXPECT_EQ(Names(folder), std::set<std::string>{running});
}

TEST(PyramidCache, FoldersThatCannotBeWrittenGiveASentenceAndBuildsSideBySideEndWithOne) {
  test_support::TempDir dir;
  const std::string tif = dir.File("cells.tif"), blocked = dir.File("file"), read_only = dir.File("read-only");
  WriteStack(tif, 2);
  NullProgress progress;
  test_support::WriteBytes(blocked, {1});
  fs::create_directory(read_only);
  ::chmod(read_only.c_str(), 0500);
  const std::pair<std::string, std::string> cases[] = {
      {blocked + "/pyramids", "a file stands where the folder should be"},
      {read_only, ::geteuid() == 0 ? "" : "the folder is read-only"}};  // root writes anyway
  for (const auto& [folder, reason] : cases) {
    if (reason.empty()) continue;
    const std::string said = "The pyramid of cells.tif cannot be kept in " + folder + " (" + reason + "); it is shown from memory.";
    EXPECT_THROW(try { PyramidCache(folder).Build(tif, 0, progress, kGo); } catch (const PyramidCacheError& e) {
      EXPECT_EQ(e.what(), said);
      throw;
    }, PyramidCacheError);
    EXPECT_THROW(try { PyramidCache(folder).CheckWritable(tif); } catch (const PyramidCacheError& e) {
      EXPECT_EQ(e.what(), said);
      throw;
    }, PyramidCacheError);
    PyramidBuildJob job(folder, 0, tif, 0);
    job.Wait();
    EXPECT_EQ(job.Entry(), std::nullopt);
    EXPECT_EQ(job.Error(), said);
  }
  EXPECT_NO_THROW(PyramidCache(dir.File("fine")).CheckWritable(tif));
  EXPECT_TRUE(Names(dir.File("fine")).empty());
  const std::pair<int, std::string> codes[] = {{ENOSPC, "the disk is full"}, {EROFS, "the folder is read-only"}, {EIO, "input/output error"}};
  for (const auto& [code, reason] : codes)
    EXPECT_EQ(PyramidCacheMessage("c.tif", "/c", code), "The pyramid of c.tif cannot be kept in /c (" + reason + "); it is shown from memory.");

  // Both builds are held at their first plane until the other has reached it too.
  struct Meeting : NullProgress {
    explicit Meeting(std::barrier<>& b) : barrier(b) {}
    void SetProgress(int32_t) override { met = met || (barrier.arrive_and_wait(), true); }
    std::barrier<>& barrier;
    bool met = false;
  };
  std::barrier<> barrier(2);
  const std::string folder = dir.File("shared");
  std::optional<std::string> entries[2];
  std::thread builds[2];
  for (int i = 0; i < 2; ++i)
    builds[i] = std::thread([&, i] {
      Meeting meeting(barrier);
      entries[i] = PyramidCache(folder).Build(tif, 0, meeting, kGo);
    });
  for (std::thread& t : builds) t.join();
  ASSERT_TRUE(entries[0]);
  EXPECT_EQ(entries[0], entries[1]);
  EXPECT_EQ(Names(folder), std::set<std::string>{fs::path(*entries[0]).filename().string()});
}

TEST(PyramidBuildJob, BuildsOnItsOwnThreadWhatTheCacheThenFindsAndNamesAFileItCannotRead) {
  test_support::TempDir dir;
  const std::string tif = dir.File("a.tif"), folder = dir.File("pyramids");
  WriteStack(tif, 70);  // 70 planes: a level of 10 x 10 x 35 below the first
  PyramidBuildJob job(folder, 0, tif, 0);
  job.Wait();
  EXPECT_TRUE(job.Finished());
  EXPECT_EQ(job.Percent(), 100);
  ASSERT_TRUE(job.Entry()) << job.Error();
  EXPECT_EQ(job.Entry(), PyramidCache(folder).Find(tif, 0));
  EXPECT_EQ(job.Error(), "");

  test_support::WriteBytes(dir.File("broken.tif"), {'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0});  // no directory entries
  PyramidBuildJob broken(folder, 0, dir.File("broken.tif"), 0);
  broken.Wait();
  EXPECT_EQ(broken.Entry(), std::nullopt);
  EXPECT_EQ(broken.Error().rfind("The pyramid of broken.tif could not be built: ", 0), 0u) << broken.Error();

  // Dropped while it may still run: the folder holds the whole entry or nothing, never a
  // temporary folder.
  const std::string other = dir.File("other");
  { PyramidBuildJob dropped(other, 0, tif, 0); }
  const std::set<std::string> left = fs::exists(other) ? Names(other) : std::set<std::string>{};
  const std::optional<std::string> found = PyramidCache(other).Find(tif, 0);
  EXPECT_EQ(left, found ? std::set<std::string>{fs::path(*found).filename().string()} : std::set<std::string>{});
}

TEST(PyramidMetadata, HostileTextGivesASentence) {
  const std::string start = R"({"lumetrix":{"pyramid":1,"source":{"path":"/a","size":)";
  const std::string values = R"(,"mtime_ns":2,"series":0},"values":{"format":"signed","bits":16,"offset":-32768,"scale":)";
  const std::pair<std::string, std::string> hostile[] = {
      {"[1]", "x is not a JSON object"},
      {R"({"lumetrix":{"pyramid":2}})", "x was written by another version of the pyramid cache"},
      {R"({"lumetrix":{"pyramid":1}})", "x has no \"source\" in its lumetrix block"},
      {R"({"lumetrix":{"pyramid":1,"source":{"path":"a"},"values":{}}})", "x names no absolute source path"},
      {start + "-1" + values + "1}}}", "x gives \"size\" as -1, out of range"},
      {start + "1.5" + values + "1}}}", "x gives \"size\" as 1.5, not a whole number"},
      {start + "1" + values + "0}}}", "x gives a scale that is not positive"},
      {start + "1" + values + "1},\"levels\":65}}", "x gives \"levels\" as 65, out of range"},
  };
  for (const auto& [text, says] : hostile)
    EXPECT_THROW(try { ReadPyramidAttributes(text, "x"); } catch (const imaging::ImageError& e) {
      EXPECT_EQ(e.what(), says);
      throw;
    }, imaging::ImageError) << text;
}

}  // namespace
}  // namespace lumetrix::streaming
