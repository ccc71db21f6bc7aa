#include "scripting/date_time_formats.h"

#include <gtest/gtest.h>

namespace lumetrix::scripting {
namespace {

const QDateTime kAfternoon(QDate(2024, 3, 5), QTime(14, 7, 9));
const QDateTime kMorning(QDate(2023, 12, 25), QTime(9, 4, 0));

TEST(DateTimeTexts, FourteenEntriesInUsEnglish) {
  const QStringList t = DateTimeTexts(kAfternoon, QLocale(QLocale::English, QLocale::UnitedStates));
  ASSERT_EQ(t.size(), kDateTimeFormatCount);
  EXPECT_TRUE(t[0].startsWith("2:07:09")) << t[0].toStdString();  // the locale's long time
  EXPECT_FALSE(t[0].contains("UTC")) << t[0].toStdString();      // no time zone
  EXPECT_EQ(t[1], "14:07");
  EXPECT_EQ(t[2], "02:07 PM");
  EXPECT_TRUE(t[3].startsWith("3/5/24 ")) << t[3].toStdString();
  EXPECT_TRUE(t[3].endsWith(t[0])) << t[3].toStdString();
  EXPECT_TRUE(t[4].contains("March")) << t[4].toStdString();
  EXPECT_TRUE(t[4].contains("2024"));
  EXPECT_EQ(t[5], "05-Mar-24");
  EXPECT_EQ(t[6], "05 - 03 - 2024");
  EXPECT_EQ(t[7], "05/03/24");
  EXPECT_EQ(t[8], "05/03/2024");
  EXPECT_EQ(t[9], "05/03");
  EXPECT_EQ(t[10], "05");
  EXPECT_EQ(t[11], "14-07-09");
  EXPECT_EQ(t[12], "14.07.09");
  EXPECT_EQ(t[13], "14-07");
}

TEST(DateTimeTexts, TheDateSeparatorIsTheLocalesTheTimeFieldsAreNot) {
  const QLocale german(QLocale::German, QLocale::Germany);
  EXPECT_EQ(DateSeparator(german), ".");
  const QStringList t = DateTimeTexts(kMorning, german);
  ASSERT_EQ(t.size(), kDateTimeFormatCount);
  EXPECT_EQ(t[1], "09:04");
  EXPECT_EQ(t[5], "25-Dez.-23");
  EXPECT_EQ(t[6], "25 - 12 - 2023");
  EXPECT_EQ(t[7], "25.12.23");
  EXPECT_EQ(t[8], "25.12.2023");
  EXPECT_EQ(t[9], "25.12");
  EXPECT_EQ(t[11], "09-04-00");
  EXPECT_EQ(t[12], "09.04.00");
  EXPECT_EQ(t[13], "09-04");
}

TEST(DateTimeTexts, MediumTimeUsesTheTwelveHourClock) {
  const QStringList t = DateTimeTexts(kMorning, QLocale(QLocale::English, QLocale::UnitedKingdom));
  EXPECT_EQ(t[2].left(5), "09:04");
  EXPECT_EQ(t[2].right(2).toUpper(), "AM");
  EXPECT_EQ(DateSeparator(QLocale(QLocale::English, QLocale::UnitedKingdom)), "/");
}

TEST(DateTimeTexts, EveryLocaleGivesFourteenNonEmptyTexts) {
  for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::Japanese), QLocale(QLocale::Arabic, QLocale::Egypt),
                                QLocale(QLocale::Chinese, QLocale::China), QLocale(QLocale::Hungarian)}) {
    const QStringList t = DateTimeTexts(kAfternoon, locale);
    ASSERT_EQ(t.size(), kDateTimeFormatCount) << locale.name().toStdString();
    for (const QString& s : t) EXPECT_FALSE(s.isEmpty()) << locale.name().toStdString();
  }
}

}  // namespace
}  // namespace lumetrix::scripting
