#include "scripting/settings_values.h"

#include <QSettings>
#include <QVariant>

#include <charconv>

namespace lumetrix::scripting {

std::unique_ptr<QSettings> OpenProgramSettings() {
  return std::make_unique<QSettings>(QStringLiteral("Lumetrix"), QStringLiteral("Lumetrix"));
}

int64_t ParseInteger(const QString& text, int64_t low, int64_t high, int64_t fallback) {
  const QByteArray bytes = text.trimmed().toLatin1();
  if (bytes.isEmpty() || bytes.size() > 40) return fallback;
  const char* begin = bytes.constData();
  const char* end = begin + bytes.size();
  if (*begin == '+') ++begin;
  int64_t value = 0;
  const auto result = std::from_chars(begin, end, value);
  if (result.ec != std::errc() || result.ptr != end) {
    // Values written as decimal text of a floating-point number ("50", "433.5") are accepted
    // and rounded; anything else is garbage.
    double real = 0;
    const auto asReal = std::from_chars(begin, end, real);
    if (asReal.ec != std::errc() || asReal.ptr != end) return fallback;
    if (!(real >= static_cast<double>(low) - 0.5 && real <= static_cast<double>(high) + 0.5)) return fallback;
    value = static_cast<int64_t>(real < 0 ? real - 0.5 : real + 0.5);
  }
  if (value < low || value > high) return fallback;
  return value;
}

QString ReadText(QSettings& settings, const QString& section, const QString& key, const QString& fallback) {
  settings.beginGroup(section);
  const QVariant value = settings.value(key);
  settings.endGroup();
  if (!value.isValid()) return fallback;
  // A list or other structure where text belongs is garbage.
  if (!value.canConvert<QString>() || value.typeId() == QMetaType::QStringList ||
      value.typeId() == QMetaType::QVariantList)
    return fallback;
  return value.toString();
}

int64_t ReadInteger(QSettings& settings, const QString& section, const QString& key, int64_t low,
                    int64_t high, int64_t fallback) {
  settings.beginGroup(section);
  const QVariant value = settings.value(key);
  settings.endGroup();
  if (!value.isValid() || value.typeId() == QMetaType::QStringList || value.typeId() == QMetaType::QVariantList)
    return fallback;
  return ParseInteger(value.toString(), low, high, fallback);
}

void WriteText(QSettings& settings, const QString& section, const QString& key, const QString& value) {
  settings.beginGroup(section);
  settings.setValue(key, value);
  settings.endGroup();
}

void WriteInteger(QSettings& settings, const QString& section, const QString& key, int64_t value) {
  WriteText(settings, section, key, QString::number(value));
}

}  // namespace lumetrix::scripting
