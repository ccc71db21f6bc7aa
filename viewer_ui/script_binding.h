#pragma once
// The main window's side of scripts: the editor as console, and message boxes for MsgBox and
// InputBox. Without a window the engine's own console dialogs serve.

#include <QString>
#include <string>

#include "scripting/script_console.h"
#include "scripting/vbscript/host_object.h"

class QWidget;

namespace lumetrix {

class frmVBEditor;

// The script editor as console.
class EditorConsole : public ScriptConsole {
 public:
  explicit EditorConsole(frmVBEditor& editor) : editor_(editor) {}
  QString ScriptText() const override;
  QString Caption() const override;
  void showSyn(const QString& text) override;
  void SetOutputEmphasis(bool on) override;
  void SetOutputColor(const QColor& color) override;
  void HighlightErrorLine(int line) override;

 private:
  frmVBEditor& editor_;
};

// MsgBox and InputBox as message boxes over the window.
class DialogUiHost : public vbs::UiHost {
 public:
  explicit DialogUiHost(QWidget* owner) : owner_(owner) {}
  int MsgBox(const std::string& prompt, int buttons, const std::string& title) override;
  std::string InputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override;

 private:
  QWidget* owner_;
};

}  // namespace lumetrix
