// The Preferences dialog from the Tools menu: the pyramid cache's size and Clear, the budgets
// stored by OK and left by Cancel.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTimer>

#include "streaming/pyramid_cache.h"
#include "tests/support/tiff_fixture.h"
#include "viewer_ui/frm_3d.h"
#include "viewer_ui/preferences_dialog.h"

namespace lumetrix {
namespace {

TEST(PreferencesDialog, ShowsAndClearsTheCacheAndStoresTheBudgetsOnOk) {
  EXPECT_EQ(SizeText(40 << 10), "40 KB");    // 40960 bytes
  EXPECT_EQ(SizeText(12900000), "12.3 MB");  // 12900000 / 1048576 = 12.30
  // One entry in the cache folder of this test process (XDG_CACHE_HOME, gui_test_main.cpp).
  test_support::TempDir dir;
  test_support::TiffLayout layout;
  layout.pages = 3;
  test_support::WriteTiff(dir.File("a.tif"), layout, [](int p, int x, int y, int) { return p + x + y; });
  streaming::PyramidCache cache;
  NullProgress progress;
  ASSERT_TRUE(cache.Build(dir.File("a.tif"), 0, progress, std::atomic<bool>(false)));
  const QString size = SizeText(cache.Size());
  frm3D w;
  const char* keys[] = {"spnHostMemory", "spnGpuMemory", "spnPyramidCache"};
  const struct {
    int spins[3];  // host, GPU, cache bound
    bool ok;
    int stored[3];
  } answers[] = {{{1024, 512, 2048}, true, {1024, 512, 2048}}, {{8, 8, 8}, false, {1024, 512, 2048}}};
  for (const auto& a : answers) {
    QTimer::singleShot(0, [&] {
      auto* d = qobject_cast<PreferencesDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(d, nullptr);
      if (a.ok) {  // the first time
        EXPECT_EQ(d->findChild<QSpinBox*>(keys[0])->text(), "Automatic");
        EXPECT_EQ(d->findChild<QLabel*>("lblCacheFolder")->text().toStdString(), cache.folder());
        EXPECT_EQ(d->findChild<QLabel*>("lblCacheSize")->text(), size);
        d->findChild<QPushButton*>("cmdClearCache")->click();
        EXPECT_EQ(d->findChild<QLabel*>("lblCacheSize")->text(), "0 KB");
        EXPECT_TRUE(cache.Entries().empty());
      }
      for (int i = 0; i < 3; ++i) d->findChild<QSpinBox*>(keys[i])->setValue(a.spins[i]);
      d->findChild<QDialogButtonBox*>()->button(a.ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    });
    w.findChild<QAction*>("mnuToolsPreferences")->trigger();
    QSettings settings("Lumetrix", "Lumetrix");
    const char* stored[] = {"Streaming/HostCacheMB", "Streaming/GpuCacheMB", "Streaming/PyramidCacheMB"};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(settings.value(stored[i]).toInt(), a.stored[i]) << stored[i];
  }
  QSettings("Lumetrix", "Lumetrix").remove("Streaming");
}

}  // namespace
}  // namespace lumetrix
