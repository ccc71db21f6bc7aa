#include "scripting/frm_date_time.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace lumetrix {
namespace {

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));

TEST(frmDateTime, FourteenEntriesNoneSelected) {
  QStringList inserted;
  frmDateTime w(kNow, QLocale(QLocale::English, QLocale::UnitedStates), [&](const QString& t) { inserted << t; });
  EXPECT_EQ(w.windowTitle(), "Penwright- Date / Time");
  EXPECT_EQ(w.fraFormats->title(), "Formats");
  EXPECT_EQ(w.cmdOk->text(), "&Insert");
  EXPECT_EQ(w.cmdCancel->text(), "&Cancel");
  ASSERT_EQ(w.lstDateTime->count(), 14);
  EXPECT_EQ(w.lstDateTime->item(11)->text(), "14-07-09");
  EXPECT_EQ(w.lstDateTime->item(12)->text(), "14.07.09");
  EXPECT_TRUE(w.lstDateTime->selectedItems().isEmpty());
}

TEST(frmDateTime, InsertPutsTheChosenTextAndCloses) {
  QStringList inserted;
  frmDateTime w(kNow, QLocale(QLocale::English, QLocale::UnitedStates), [&](const QString& t) { inserted << t; });
  w.show();
  w.lstDateTime->setCurrentRow(6);
  w.cmdOk->click();
  EXPECT_EQ(inserted, QStringList{"05 - 03 - 2024"});
  EXPECT_EQ(w.result(), QDialog::Accepted);
  EXPECT_FALSE(w.isVisible());
}

TEST(frmDateTime, DoubleClickInserts) {
  QStringList inserted;
  frmDateTime w(kNow, QLocale(QLocale::English, QLocale::UnitedStates), [&](const QString& t) { inserted << t; });
  w.show();
  QListWidgetItem* item = w.lstDateTime->item(13);
  w.lstDateTime->setCurrentItem(item);
  emit w.lstDateTime->itemDoubleClicked(item);
  EXPECT_EQ(inserted, QStringList{"14-07"});
}

TEST(frmDateTime, NothingChosenOrCancelInsertsNothing) {
  QStringList inserted;
  frmDateTime w(kNow, QLocale(), [&](const QString& t) { inserted << t; });
  w.show();
  w.cmdOk->click();
  EXPECT_TRUE(inserted.isEmpty());
  frmDateTime v(kNow, QLocale(), [&](const QString& t) { inserted << t; });
  v.show();
  v.lstDateTime->setCurrentRow(2);
  v.cmdCancel->click();
  EXPECT_TRUE(inserted.isEmpty());
  EXPECT_EQ(v.result(), QDialog::Rejected);
}

}  // namespace
}  // namespace lumetrix
