#pragma once
// The fourteen date/time texts that the editor's date/time window offers for insertion.

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace lumetrix::scripting {

inline constexpr int kDateTimeFormatCount = 14;

// In list order: long time, short time, medium time, general date, long date, medium date,
// "dd - mm - yyyy", "dd/mm/yy", "dd/mm/yyyy", "dd/mm", "dd", "hh-mm-ss", "hh.mm.ss", "hh-mm".
QStringList DateTimeTexts(const QDateTime& now, const QLocale& locale);

// The separator of the locale's short date ("/" for en_US, "." for de_DE); "/" when it has none.
QString DateSeparator(const QLocale& locale);

}  // namespace lumetrix::scripting
