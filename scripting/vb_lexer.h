#pragma once
// Syntax colouring of VBScript through Scintilla's own "vbscript" lexer, with the colours,
// backgrounds and font styles of the editor's colour table.

#include <Qsci/qscilexer.h>

#include <QFont>

#include <string>

#include "scripting/color_table.h"

namespace lumetrix::scripting {

// Style numbers of Scintilla's Basic lexers.
enum VbStyle {
  kVbDefault = 0, kVbComment = 1, kVbNumber = 2, kVbKeyword = 3, kVbString = 4, kVbPreprocessor = 5,
  kVbOperator = 6, kVbIdentifier = 7, kVbDate = 8, kVbStringEol = 9, kVbKeyword2 = 10, kVbKeyword3 = 11,
  kVbKeyword4 = 12, kVbConstant = 13, kVbAsm = 14, kVbLabel = 15, kVbError = 16, kVbHexNumber = 17,
  kVbBinNumber = 18, kVbCommentBlock = 19, kVbDocLine = 20, kVbDocBlock = 21, kVbDocKeyword = 22,
  kVbStyleCount = 23,
};

// The colour-table item whose colours a lexer style takes.
int ColorItemOfStyle(int style);

// The editor's font: "Courier New", 13 pixels high (9.75 points at 96 dpi), with the given style.
QFont EditorFont(FontStyle style = FontStyle::Normal);

class VbScriptLexer : public QsciLexer {
  Q_OBJECT
 public:
  explicit VbScriptLexer(QObject* parent = nullptr);

  const char* language() const override { return "VBScript"; }
  const char* lexer() const override { return "vbscript"; }
  QString description(int style) const override;
  const char* keywords(int set) const override;
  bool caseSensitive() const override { return false; }

  QColor defaultColor(int style) const override;
  QColor defaultPaper(int style) const override;
  QFont defaultFont(int style) const override;

  // Colours every style from the table (text colour, background, font style).
  void ApplyColorTable(const ColorTable& table);

 private:
  ColorTable table_;
  std::string keywordSets_[4];
};

}  // namespace lumetrix::scripting
