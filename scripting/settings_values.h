#pragma once
// Reading and writing the editor's values in the per-user settings store. Values are stored
// as decimal text; anything that does not parse, or lies outside its range, reads as the default.

#include <QString>

#include <cstdint>
#include <memory>

class QSettings;

namespace lumetrix::scripting {

inline const QString kSettingsSection = QStringLiteral("Settings");
inline const QString kColorsSection = QStringLiteral("Colors");

// The settings store of the program ("Lumetrix" / "Lumetrix").
std::unique_ptr<QSettings> OpenProgramSettings();

// Whole decimal text (blanks around it allowed) within [low, high], else the default.
int64_t ParseInteger(const QString& text, int64_t low, int64_t high, int64_t fallback);

QString ReadText(QSettings& settings, const QString& section, const QString& key, const QString& fallback);
int64_t ReadInteger(QSettings& settings, const QString& section, const QString& key, int64_t low,
                    int64_t high, int64_t fallback);
void WriteText(QSettings& settings, const QString& section, const QString& key, const QString& value);
void WriteInteger(QSettings& settings, const QString& section, const QString& key, int64_t value);

}  // namespace lumetrix::scripting
