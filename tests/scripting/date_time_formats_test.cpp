#include "scripting/date_time_formats.h"

#include <gtest/gtest.h>

namespace lumetrix::scripting {
namespace {

const QDateTime kAfternoon(QDate(2024, 3, 5), QTime(14, 7, 9));

TEST(DateTimeTexts, FourteenEntriesInUsEnglish) {
  const QStringList t = DateTimeTexts(kAfternoon, QLocale(QLocale::English, QLocale::UnitedStates));
  ASSERT_EQ(t.size(), kDateTimeFormatCount);
  EXPECT_TRUE(t[0].startsWith("2:07:09") && !t[0].contains("UTC")) << t[0].toStdString();  // long time, no zone
  EXPECT_TRUE(t[3].startsWith("3/5/24 ") && t[3].endsWith(t[0])) << t[3].toStdString();
  EXPECT_TRUE(t[4].contains("March") && t[4].contains("2024")) << t[4].toStdString();
  EXPECT_EQ(t.mid(1, 2), (QStringList{"14:07", "02:07 PM"}));
  EXPECT_EQ(t.mid(5), (QStringList{"05-Mar-24", "05 - 03 - 2024", "05/03/24", "05/03/2024", "05/03", "05", "14-07-09",
                                   "14.07.09", "14-07"}));
}

TEST(DateTimeTexts, TheDateSeparatorIsTheLocalesTheTimeFieldsAreNot) {
  const QLocale german(QLocale::German, QLocale::Germany);
  EXPECT_EQ(DateSeparator(german), ".");
  const QStringList t = DateTimeTexts(QDateTime(QDate(2023, 12, 25), QTime(9, 4, 0)), german);
  EXPECT_EQ(t.mid(5), (QStringList{"25-Dez.-23", "25 - 12 - 2023", "25.12.23", "25.12.2023", "25.12", "25", "09-04-00",
                                   "09.04.00", "09-04"}));
  EXPECT_EQ(t[1], "09:04");
  for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::Japanese), QLocale(QLocale::Arabic, QLocale::Egypt)}) {
    const QStringList any = DateTimeTexts(kAfternoon, locale);
    EXPECT_TRUE(any.size() == kDateTimeFormatCount && !any.contains(QString())) << locale.name().toStdString();
  }
}

}  // namespace
}  // namespace lumetrix::scripting
