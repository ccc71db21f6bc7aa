#pragma once
// One view of the script: the editing control with VBScript colouring, line numbers in any
// radix (drawn as margin text, since Scintilla numbers lines in decimal only), case fixing while
// typing, line tool tips while scrolling and the error-line mark. Several views can show one
// document (split views).

#include <Qsci/qsciscintilla.h>

#include "scripting/color_table.h"

namespace lumetrix::scripting {

class VbScriptLexer;

struct ViewOptions {
  bool lineNumbers = true;
  int radix = 10;
  bool whiteSpace = false;
  bool caseFixing = true;
  bool lineToolTips = true;
};

class ScriptView : public QsciScintilla {
  Q_OBJECT
 public:
  explicit ScriptView(QWidget* parent = nullptr);

  void SetOptions(const ViewOptions& options);
  const ViewOptions& Options() const { return options_; }
  void ApplyColorTable(const ColorTable& table);
  VbScriptLexer* Lexer() const { return lexer_; }

  // Marks one line (1-based) as the line of an error; 0 clears the mark.
  void MarkErrorLine(int line);
  int MarkedErrorLine() const;  // 1-based, 0 when none

  // The margin text of a line (0-based), as drawn.
  QString LineNumberShown(int line) const;
  // Brings the margin text of the lines on screen up to date.
  void RefreshLineNumbers();

  static constexpr int kNumberMargin = 0;
  static constexpr int kLeftMargin = 1;
  static constexpr int kErrorMarker = 1;
  static constexpr int kBookmarkMarker = 2;

 signals:
  void contextMenuWanted(const QPoint& globalPos);
  void focused(ScriptView* view);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void OnCharAdded(int ch);
  void OnModified(int position, int modificationType, const char* text, int length, int linesAdded, int line,
                  int foldNow, int foldPrev, int token, int annotationLinesAdded);
  void UpdateNumberMarginWidth();
  void ShowScrollToolTip();

  VbScriptLexer* lexer_;
  ViewOptions options_;
  int numberDigits_ = 0;
  bool refreshPending_ = false;
};

}  // namespace lumetrix::scripting
