// The pyramid cache folder: hits, stale entries, the size bound, folders that cannot be written,
// stopped and concurrent builds; and its reader of the metadata it finds on disk.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <barrier>
#include <filesystem>
#include <set>
#include <thread>

#include "imaging/image_box.h"
#include "streaming/pyramid_cache.h"
#include "streaming/pyramid_metadata.h"
#include "tests/support/tiff_fixture.h"

namespace lumetrix::streaming {
namespace {

namespace fs = std::filesystem;
using test_support::TempDir;

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
  TempDir dir;
  const std::string tif = dir.File("a.tif"), folder = dir.File("cache/lumetrix/pyramids");
  PyramidCache cache(folder, 0, Counter());
  NullProgress progress;
  const std::atomic<bool> go(false), stop(true);
  WriteStack(tif, 3);
  EXPECT_EQ(cache.Find(tif, 0), std::nullopt);
  // Changes that make the pyramid stale: another size, another modification time (same size).
  const struct {
    const char* change;
    std::function<void()> apply;
  } changes[] = {
      {"size", [&] { WriteStack(tif, 4); }},
      {"time", [&] {
         const timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
         ASSERT_EQ(::utimensat(AT_FDCWD, tif.c_str(), times, 0), 0);
       }},
  };
  for (const auto& c : changes) {
    SCOPED_TRACE(c.change);
    const std::optional<std::string> built = cache.Build(tif, 0, progress, go);
    ASSERT_TRUE(built);
    EXPECT_EQ(cache.Find(tif, 0), built);
    EXPECT_EQ(cache.Find(tif, 1), std::nullopt);  // another series
    c.apply();
    EXPECT_EQ(cache.Find(tif, 0), std::nullopt);
    EXPECT_FALSE(fs::exists(*built));
  }
  EXPECT_EQ(cache.Build(tif, 0, progress, stop), std::nullopt);
  EXPECT_TRUE(Names(folder).empty());
}

TEST(PyramidCache, TheBoundRemovesTheEntryUsedLongestAgoAndClearEmptiesTheFolder) {
  TempDir dir;
  const std::string folder = dir.File("pyramids");
  NullProgress progress;
  const std::atomic<bool> go(false);
  for (const char* name : {"a", "b", "c", "d"}) WriteStack(dir.File(std::string(name) + ".tif"), 2);
  PyramidCache::Clock clock = Counter();
  uint64_t entry_bytes = 0;
  {
    PyramidCache unbounded(folder, uint64_t{1} << 40, clock);
    ASSERT_TRUE(unbounded.Build(dir.File("a.tif"), 0, progress, go));
    entry_bytes = unbounded.Size();
  }
  ASSERT_GT(entry_bytes, 0u);
  // Room for three and a half entries alike (same samples, names of the same length).
  PyramidCache cache(folder, entry_bytes * 7 / 2, clock);
  const std::string b = *cache.Build(dir.File("b.tif"), 0, progress, go);
  const std::string c = *cache.Build(dir.File("c.tif"), 0, progress, go);
  const std::string a = *cache.Find(dir.File("a.tif"), 0);  // used after b and c
  const std::string d = *cache.Build(dir.File("d.tif"), 0, progress, go);
  std::set<std::string> kept;
  for (const PyramidCache::Entry& e : cache.Entries()) kept.insert(e.folder);
  EXPECT_EQ(kept, (std::set<std::string>{a, c, d}));
  EXPECT_EQ(cache.Size(), 3 * entry_bytes);

  // Clear: entries and the temporary folders of ended builds go, a running build's stays.
  char host[256] = {};
  ::gethostname(host, sizeof host - 1);
  std::string name = host;
  for (char& ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '.') ch = '_';
  const std::string ended = ".tmp-" + name + "-999999999-abcdef", running = ".tmp-" + name + "-" + std::to_string(::getpid()) + "-abcdef";
  fs::create_directory(folder + "/" + ended);
  fs::create_directory(folder + "/" + running);
  cache.Clear();
  EXPECT_EQ(Names(folder), std::set<std::string>{running});
}

TEST(PyramidCache, FoldersThatCannotBeWrittenGiveASentenceAndBuildsSideBySideEndWithOne) {
  TempDir dir;
  const std::string tif = dir.File("cells.tif");
  WriteStack(tif, 2);
  NullProgress progress;
  const std::atomic<bool> go(false);
  const std::string file_in_place = dir.File("file"), read_only = dir.File("read-only");
  test_support::WriteBytes(file_in_place, {1});
  fs::create_directory(read_only);
  ::chmod(read_only.c_str(), 0500);
  const struct {
    std::string folder, reason;
  } cases[] = {{file_in_place + "/pyramids", "a file stands where the folder should be"},
               {read_only, ::geteuid() == 0 ? "" : "the folder is read-only"}};  // root writes anyway
  for (const auto& c : cases) {
    if (c.reason.empty()) continue;
    try {
      PyramidCache(c.folder).Build(tif, 0, progress, go);
      ADD_FAILURE() << c.folder;
    } catch (const PyramidCacheError& e) {
      EXPECT_EQ(e.what(), "The pyramid of cells.tif cannot be kept in " + c.folder + " (" + c.reason +
                              "); it is shown from memory.");
    }
  }
  // What the folder's errors say (a read-only folder is only made by a user who is not root).
  const std::pair<int, const char*> codes[] = {{ENOSPC, "the disk is full"}, {EDQUOT, "the disk is full"},
      {EROFS, "the folder is read-only"}, {EACCES, "the folder is read-only"}, {EIO, "input/output error"}};
  for (const auto& [code, reason] : codes)
    EXPECT_EQ(PyramidCacheMessage("cells.tif", "/c", code),
              "The pyramid of cells.tif cannot be kept in /c (" + std::string(reason) + "); it is shown from memory.");

  // Both builds are held at their first plane until the other has reached it too.
  class Meeting : public NullProgress {
   public:
    explicit Meeting(std::barrier<>& b) : barrier_(b) {}
    void SetProgress(int32_t) override {
      if (!met_) barrier_.arrive_and_wait(), met_ = true;
    }
   private:
    std::barrier<>& barrier_;
    bool met_ = false;
  };
  std::barrier<> barrier(2);
  const std::string folder = dir.File("shared");
  std::optional<std::string> entries[2];
  std::thread builds[2];
  for (int i = 0; i < 2; ++i)
    builds[i] = std::thread([&, i] {
      Meeting meeting(barrier);
      entries[i] = PyramidCache(folder).Build(tif, 0, meeting, go);
    });
  for (std::thread& t : builds) t.join();
  ASSERT_TRUE(entries[0]);
  EXPECT_EQ(entries[0], entries[1]);
  EXPECT_EQ(Names(folder), std::set<std::string>{fs::path(*entries[0]).filename().string()});
}

TEST(PyramidMetadata, TheKeyAndValuesComeBackAndHostileTextGivesASentence) {
  PyramidAttributes a;
  a.key = {"/data/cells.tif", 123456789012, -5, 2};
  a.values = {imaging::SampleFormat::kFloat, 32, -1.5, 0.1 / 65535};
  a.levels = 4;
  const PyramidAttributes back = ReadPyramidAttributes(WritePyramidAttributes(a), "x");
  EXPECT_EQ(back.key, a.key);
  EXPECT_EQ(back.values, a.values);
  EXPECT_EQ(back.levels, 4);
  const std::string good = R"("source":{"path":"/a","size":1,"mtime_ns":2,"series":0})";
  const std::string values = R"("values":{"format":"signed","bits":16,"offset":-32768,"scale":1})";
  const struct {
    std::string text, says;
  } hostile[] = {
      {"", "x is not a JSON object"},
      {"[1]", "x is not a JSON object"},
      {"{}", "x has no lumetrix block"},
      {R"({"lumetrix":{"pyramid":2}})", "x was written by another version of the pyramid cache"},
      {R"({"lumetrix":{"pyramid":1,)" + values + "}}", "x has no \"source\" in its lumetrix block"},
      {R"({"lumetrix":{"pyramid":1,"source":{"path":"a","size":1,"mtime_ns":2,"series":0},)" + values + "}}",
       "x names no absolute source path"},
      {R"({"lumetrix":{"pyramid":1,"source":{"path":"/a","size":-1,"mtime_ns":2,"series":0},)" + values + "}}",
       "x gives \"size\" as -1, out of range"},
      {R"({"lumetrix":{"pyramid":1,"source":{"path":"/a","size":1.5,"mtime_ns":2,"series":0},)" + values + "}}",
       "x gives \"size\" as 1.5, not a whole number"},
      {R"({"lumetrix":{"pyramid":1,)" + good + R"(,"values":{"format":"complex","bits":16,"offset":0,"scale":1}}})",
       "x gives the sample format \"complex\"; unsigned, signed or float"},
      {R"({"lumetrix":{"pyramid":1,)" + good + R"(,"values":{"format":"float","bits":32,"offset":0,"scale":0}}})",
       "x gives a scale that is not positive"},
      {R"({"lumetrix":{"pyramid":1,)" + good + "," + values + R"(,"levels":65}})", "x gives \"levels\" as 65, out of range"},
  };
  for (const auto& h : hostile) {
    try {
      ReadPyramidAttributes(h.text, "x");
      ADD_FAILURE() << h.text;
    } catch (const imaging::ImageError& e) {
      EXPECT_EQ(e.what(), h.says) << h.text;
    }
  }
}

TEST(PyramidCache, TheFolderFollowsXdgCacheHomeOrHome) {
  const char* saved = std::getenv("XDG_CACHE_HOME");
  const std::string keep = saved ? saved : "";
  const struct {
    const char* xdg;  // nullptr: unset
    std::string folder;
  } cases[] = {{"/x/cache", "/x/cache/lumetrix/pyramids"},
               {"relative", std::string(std::getenv("HOME")) + "/.cache/lumetrix/pyramids"},
               {nullptr, std::string(std::getenv("HOME")) + "/.cache/lumetrix/pyramids"}};
  for (const auto& c : cases) {
    c.xdg ? ::setenv("XDG_CACHE_HOME", c.xdg, 1) : ::unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(DefaultPyramidCacheFolder(), c.folder);
  }
  saved ? ::setenv("XDG_CACHE_HOME", keep.c_str(), 1) : ::unsetenv("XDG_CACHE_HOME");
}

}  // namespace
}  // namespace lumetrix::streaming
