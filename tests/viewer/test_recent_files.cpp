#include <gtest/gtest.h>

#include <QSettings>

#include "viewer/recent_files.h"

namespace lumetrix {
namespace {

struct FakeMenu : MruMenu {
  std::vector<std::string> shown = std::vector<std::string>(5);  // "" for a hidden entry
  int MruEntryCount() const override { return 5; }
  void SetMruEntry(int i, const std::string& caption, bool visible) override { shown.at(i) = visible ? caption : ""; }
};

class RecentFiles : public ::testing::Test {
 protected:
  void SetUp() override { QSettings("Lumetrix", kApp).remove("colMRUFiles"); }
  void TearDown() override { QSettings("Lumetrix", kApp).remove("colMRUFiles"); }
  static constexpr const char* kApp = "LumetrixRecentFilesTest";
};

TEST_F(RecentFiles, ReopeningMovesToTheFrontLetterCaseCountsAsOneAndASixthPushesOut) {
  cMRU mru;
  for (const char* f : {"/a.tif", "/b.tif", "/c.tif", "/A.TIF"}) mru.Add(f);
  FakeMenu menu;
  mru.Update(menu);
  EXPECT_EQ(menu.shown, (std::vector<std::string>{"/A.TIF", "/c.tif", "/b.tif", "", ""}));  // the last case is kept
  EXPECT_EQ(mru.ITem(0), "");
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

TEST_F(RecentFiles, StoredListsAreReadWholeWithoutRepeatsOrBlanks) {
  cMRU mru;
  mru.Add("/kept.tif");
  mru.Load(kApp);  // nothing stored: the list stays
  EXPECT_EQ(mru.count(), 1);
  {
    QSettings settings("Lumetrix", kApp);
    for (int i = 1; i <= 7; ++i) settings.setValue("colMRUFiles/" + QString::number(i), QString("/s%1.tif").arg(i));
    settings.setValue("colMRUFiles/10", "/s10.tif");  // sorts after 7, not after 1
    settings.setValue("colMRUFiles/11", "/S1.TIF");   // a repeat
    settings.setValue("colMRUFiles/12", "");
  }
  mru.Load(kApp);
  ASSERT_EQ(mru.count(), 8);
  EXPECT_EQ(mru.ITem(1), "/s1.tif");
  EXPECT_EQ(mru.ITem(8), "/s10.tif");
  FakeMenu menu;
  mru.Update(menu);
  EXPECT_EQ(menu.shown.back(), "/s5.tif");
  mru.Add("/new.tif");
  EXPECT_EQ(mru.count(), 8);  // one item in, one out
}

}  // namespace
}  // namespace lumetrix
