#include "scripting/date_time_formats.h"

#include <QRegularExpression>

namespace lumetrix::scripting {

namespace {

// Quotes text so that a Qt date format takes it literally.
QString Literal(const QString& text) {
  QString quoted = text;
  quoted.replace(QLatin1Char('\''), QLatin1String("''"));
  return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// The locale's long time without a time-zone field: a script wants the clock time only.
QString LongTimeFormat(const QLocale& locale) {
  QString format = locale.timeFormat(QLocale::LongFormat);
  format.remove(QRegularExpression(QStringLiteral("\\s*\\(?t+\\)?")));
  format = format.trimmed();
  if (format.isEmpty()) format = QStringLiteral("HH:mm:ss");
  return format;
}

}  // namespace

QString DateSeparator(const QLocale& locale) {
  const QString format = locale.dateFormat(QLocale::ShortFormat);
  bool quoted = false;
  for (qsizetype i = 0; i < format.size(); ++i) {
    const QChar c = format[i];
    if (c == QLatin1Char('\'')) {
      quoted = !quoted;
      continue;
    }
    if (quoted) continue;
    if (c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y')) continue;
    if (c.isSpace()) continue;
    return QString(c);
  }
  return QStringLiteral("/");
}

QStringList DateTimeTexts(const QDateTime& now, const QLocale& locale) {
  const QDate date = now.date();
  const QTime time = now.time();
  const QString sep = Literal(DateSeparator(locale));
  const QString longTime = locale.toString(time, LongTimeFormat(locale));
  QStringList texts;
  texts << longTime;
  texts << locale.toString(time, QStringLiteral("HH:mm"));
  texts << locale.toString(time, QStringLiteral("hh:mm AP"));
  texts << locale.toString(date, QLocale::ShortFormat) + QLatin1Char(' ') + longTime;
  texts << locale.toString(date, QLocale::LongFormat);
  texts << locale.toString(date, QStringLiteral("dd-MMM-yy"));
  texts << locale.toString(date, QStringLiteral("dd - MM - yyyy"));
  texts << locale.toString(date, QStringLiteral("dd") + sep + QStringLiteral("MM") + sep + QStringLiteral("yy"));
  texts << locale.toString(date, QStringLiteral("dd") + sep + QStringLiteral("MM") + sep + QStringLiteral("yyyy"));
  texts << locale.toString(date, QStringLiteral("dd") + sep + QStringLiteral("MM"));
  texts << locale.toString(date, QStringLiteral("dd"));
  texts << locale.toString(time, QStringLiteral("HH-mm-ss"));
  texts << locale.toString(time, QStringLiteral("HH.mm.ss"));
  texts << locale.toString(time, QStringLiteral("HH-mm"));
  return texts;
}

}  // namespace lumetrix::scripting
