#pragma once
// The seven switches of the editing control, kept in the "Settings" section.

#include <QString>

class QSettings;

namespace lumetrix::scripting {

struct EditorPreferences {
  bool HSplit = true;         // "HSplit": the view may be split horizontally
  bool VSplit = true;         // "VSplit": ... vertically
  bool LToolTips = true;      // "LToolTips": line number tool tip while scrolling
  bool lineCase = true;       // "lineCase": keywords into their proper case while typing
  bool LineNum = true;        // "LineNum": line numbers shown
  int LineNumStyle = 10;      // "LineNumStyle": radix 2, 8, 10 or 16
  bool WhiteSpace = false;    // "WhiteSpace": blanks and tabs shown

  bool operator==(const EditorPreferences&) const = default;

  // Missing keys and garbage (not 0/1, not one of the four radices) read as the defaults.
  static EditorPreferences Load(QSettings& settings);
  void Save(QSettings& settings) const;
};

bool IsLineNumberRadix(int radix);

// The entries of the style combo: "Binary", "Decimal", "Hexadecimal", "Octal".
QString RadixName(int radix);
// Radix of a combo entry; 10 for an unknown text.
int RadixOfName(const QString& name);

}  // namespace lumetrix::scripting
