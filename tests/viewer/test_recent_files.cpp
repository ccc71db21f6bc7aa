#include <gtest/gtest.h>

#include <QSettings>

#include "viewer/recent_files.h"

namespace lumetrix {
namespace {

struct FakeMenu : MruMenu {
  std::vector<std::pair<std::string, bool>> entries = std::vector<std::pair<std::string, bool>>(5);
  int MruEntryCount() const override { return static_cast<int>(entries.size()); }
  void SetMruEntry(int i, const std::string& caption, bool visible) override {
    if (visible) entries[static_cast<size_t>(i)].first = caption;
    entries[static_cast<size_t>(i)].second = visible;
  }
  std::vector<std::string> Visible() const {
    std::vector<std::string> out;
    for (const auto& [caption, visible] : entries)
      if (visible) out.push_back(caption);
    return out;
  }
};

class RecentFiles : public ::testing::Test {
 protected:
  void SetUp() override { QSettings("Lumetrix", kApp).remove("colMRUFiles"); }
  void TearDown() override { QSettings("Lumetrix", kApp).remove("colMRUFiles"); }
  static constexpr const char* kApp = "LumetrixRecentFilesTest";
};

TEST_F(RecentFiles, ReopeningMovesToTheFront) {
  cMRU mru;
  for (const char* f : {"/a.tif", "/b.tif", "/c.tif", "/a.tif"}) mru.Add(f);
  FakeMenu menu;
  mru.Update(menu);
  EXPECT_EQ(menu.Visible(), (std::vector<std::string>{"/a.tif", "/c.tif", "/b.tif"}));
}

TEST_F(RecentFiles, LetterCaseCountsAsOneFileAndTheLastCaseIsKept) {
  cMRU mru;
  mru.Add("/Data/Beads.tif");
  mru.Add("/data/beads.TIF");
  EXPECT_EQ(mru.count(), 1);
  EXPECT_EQ(mru.ITem(1), "/data/beads.TIF");
  EXPECT_EQ(mru.ITem(2), "");
  EXPECT_EQ(mru.ITem(0), "");
}

TEST_F(RecentFiles, ASixthFilePushesTheOldestOutAndSaveWritesOneToFive) {
  cMRU mru;
  for (int i = 1; i <= 6; ++i) mru.Add("/f" + std::to_string(i) + ".tif");
  EXPECT_EQ(mru.count(), 5);
  EXPECT_EQ(mru.ITem(5), "/f2.tif");
  mru.Save(kApp);
  QSettings settings("Lumetrix", kApp);
  settings.beginGroup("colMRUFiles");
  EXPECT_EQ(settings.childKeys().size(), 5);
  EXPECT_EQ(settings.value("1").toString(), "/f6.tif");
  EXPECT_EQ(settings.value("5").toString(), "/f2.tif");
}

TEST_F(RecentFiles, HandWrittenStoresAreReadWhole) {
  {
    QSettings settings("Lumetrix", kApp);
    for (int i = 1; i <= 7; ++i) settings.setValue("colMRUFiles/" + QString::number(i), QString("/s%1.tif").arg(i));
    settings.setValue("colMRUFiles/10", "/s10.tif");  // sorts after 7, not after 1
  }
  cMRU mru;
  mru.Load(kApp);
  ASSERT_EQ(mru.count(), 8);
  EXPECT_EQ(mru.ITem(1), "/s1.tif");
  EXPECT_EQ(mru.ITem(8), "/s10.tif");
  FakeMenu menu;
  mru.Update(menu);
  EXPECT_EQ(menu.Visible().size(), 5u);
  mru.Add("/new.tif");
  EXPECT_EQ(mru.count(), 8);  // one item in, one out
}

TEST_F(RecentFiles, RepeatedOrEmptyStoredValuesAreSkipped) {
  {
    QSettings settings("Lumetrix", kApp);
    settings.setValue("colMRUFiles/1", "/x.tif");
    settings.setValue("colMRUFiles/2", "/X.TIF");
    settings.setValue("colMRUFiles/3", "");
    settings.setValue("colMRUFiles/4", "/y.tif");
  }
  cMRU mru;
  mru.Load(kApp);
  ASSERT_EQ(mru.count(), 2);
  EXPECT_EQ(mru.ITem(2), "/y.tif");
}

TEST_F(RecentFiles, NothingStoredLeavesTheListAndMenuAlone) {
  cMRU mru;
  mru.Add("/kept.tif");
  mru.Load(kApp);
  EXPECT_EQ(mru.count(), 1);
  cMRU empty;
  FakeMenu menu;
  empty.Update(menu);
  EXPECT_TRUE(menu.Visible().empty());
}

}  // namespace
}  // namespace lumetrix
