#pragma once
// A settings file of its own for each test, in a temporary folder.

#include <QSettings>
#include <QTemporaryDir>

#include <memory>

namespace lumetrix::scripting::testing {

class TempSettings {
 public:
  TempSettings() : path_(dir_.filePath(QStringLiteral("settings.ini"))) {}
  std::unique_ptr<QSettings> Open() const { return std::make_unique<QSettings>(path_, QSettings::IniFormat); }
  // Writes a raw value into a section.
  void Put(const QString& section, const QString& key, const QVariant& value) const {
    Open()->setValue(section + QLatin1Char('/') + key, value);
  }
  QVariant Get(const QString& section, const QString& key) const { return Open()->value(section + QLatin1Char('/') + key); }

 private:
  QTemporaryDir dir_;
  QString path_;
};

}  // namespace lumetrix::scripting::testing
