#include "scripting/editor_preferences.h"

#include <QSettings>

#include "scripting/settings_values.h"

namespace lumetrix::scripting {

namespace {

bool ReadSwitch(QSettings& settings, const char* key, bool fallback) {
  return ReadInteger(settings, kSettingsSection, QString::fromLatin1(key), 0, 1, fallback ? 1 : 0) != 0;
}

void WriteSwitch(QSettings& settings, const char* key, bool on) {
  WriteInteger(settings, kSettingsSection, QString::fromLatin1(key), on ? 1 : 0);
}

}  // namespace

bool IsLineNumberRadix(int radix) { return radix == 2 || radix == 8 || radix == 10 || radix == 16; }

EditorPreferences EditorPreferences::Load(QSettings& settings) {
  const EditorPreferences defaults;
  EditorPreferences p;
  p.HSplit = ReadSwitch(settings, "HSplit", defaults.HSplit);
  p.VSplit = ReadSwitch(settings, "VSplit", defaults.VSplit);
  p.LToolTips = ReadSwitch(settings, "LToolTips", defaults.LToolTips);
  p.lineCase = ReadSwitch(settings, "lineCase", defaults.lineCase);
  p.LineNum = ReadSwitch(settings, "LineNum", defaults.LineNum);
  const int radix = static_cast<int>(ReadInteger(settings, kSettingsSection, QStringLiteral("LineNumStyle"), 2, 16,
                                                 defaults.LineNumStyle));
  p.LineNumStyle = IsLineNumberRadix(radix) ? radix : defaults.LineNumStyle;
  p.WhiteSpace = ReadSwitch(settings, "WhiteSpace", defaults.WhiteSpace);
  return p;
}

void EditorPreferences::Save(QSettings& settings) const {
  WriteSwitch(settings, "HSplit", HSplit);
  WriteSwitch(settings, "VSplit", VSplit);
  WriteSwitch(settings, "LToolTips", LToolTips);
  WriteSwitch(settings, "lineCase", lineCase);
  WriteSwitch(settings, "LineNum", LineNum);
  WriteInteger(settings, kSettingsSection, QStringLiteral("LineNumStyle"), IsLineNumberRadix(LineNumStyle) ? LineNumStyle : 10);
  WriteSwitch(settings, "WhiteSpace", WhiteSpace);
}

QString RadixName(int radix) {
  switch (radix) {
    case 2: return QStringLiteral("Binary");
    case 8: return QStringLiteral("Octal");
    case 16: return QStringLiteral("Hexadecimal");
    default: return QStringLiteral("Decimal");
  }
}

int RadixOfName(const QString& name) {
  if (name == QLatin1String("Binary")) return 2;
  if (name == QLatin1String("Octal")) return 8;
  if (name == QLatin1String("Hexadecimal")) return 16;
  return 10;
}

}  // namespace lumetrix::scripting
