#pragma once
// Where a script run comes from and reports to: the script editor's text, caption and output
// pane, or their stand-ins when scripts run without a window.

#include <QColor>
#include <QString>

namespace lumetrix {

class ScriptConsole {
 public:
  virtual ~ScriptConsole() = default;
  virtual QString ScriptText() const = 0;
  // The editor's caption: the script's path, or "Untitled.scp".
  virtual QString Caption() const = 0;
  // Appends to the output pane with the emphasis and colour set last.
  virtual void showSyn(const QString& text) = 0;
  virtual void SetOutputEmphasis(bool on) = 0;
  virtual void SetOutputColor(const QColor& color) = 0;
  // A line the script's object writes for the user (why OpenImage failed, ...).
  virtual void Report(const QString& line) { showSyn(line + "\n"); }
  // Marks the line of a script error (0: none).
  virtual void HighlightErrorLine(int line) = 0;
};

}  // namespace lumetrix
