#pragma once
// The main window as the script host sees it: the viewer operations of "Draw", the editor (or,
// without a window, a script file) as console, and the dialogs of MsgBox and InputBox.

#include <QString>
#include <string>

#include "scripting/script_console.h"
#include "scripting/script_viewer.h"
#include "scripting/vbscript/host_object.h"

class QWidget;

namespace lumetrix {

class frm3D;
class frmVBEditor;

class WindowScriptViewer : public ScriptViewer {
 public:
  explicit WindowScriptViewer(frm3D& window) : w_(window) {}
  void SetXRot(float angle) override;
  void SetYRot(float angle) override;
  void SetXYRot(float x, float y) override;
  void SetXRotSpeed(float v) override;
  void SetYRotSpeed(float v) override;
  void Setx(float v) override;
  void Sety(float v) override;
  void SetZ(float v) override;
  void SetScaleX(float v) override;
  void SetScaleY(float v) override;
  void SetScaleZ(float v) override;
  void SetColor(float r, float g, float b) override;
  void SetLight(float r, float g, float b) override;
  void SetTransparency(float a) override;
  void SetLightOn() override;
  void SetLightOff() override;
  void ResetParameters() override;
  void ResetSpeedParameters() override;
  void DrawImage() override;
  void SaveBMP(const std::string& fileName) override;
  void SaveJPG(const std::string& fileName) override;
  bool AVIStart(const std::string& fileName, double frameRate, int32_t width, int32_t height) override;
  void AVIAdd() override;
  void AVIend() override;
  bool AVICodec(const std::string& name) override;
  void SetPalette(const std::string& name) override;
  void LoadLuts() override;
  bool VolumeLoaded() const override;
  void SetScriptRunning(bool running) override;
  void SetWindowCaption(const std::string& caption) override;
  void RefuseRunWithoutVolume() override;
  void Beep() override;

 private:
  frm3D& w_;
};

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

// A script file run without a window: the pane's lines are dropped, the error line is kept.
class FileConsole : public ScriptConsole {
 public:
  FileConsole(QString path, QString text) : path_(std::move(path)), text_(std::move(text)) {}
  QString ScriptText() const override { return text_; }
  QString Caption() const override { return path_; }
  void showSyn(const QString&) override {}
  void SetOutputEmphasis(bool) override {}
  void SetOutputColor(const QColor&) override {}
  void HighlightErrorLine(int) override {}

 private:
  QString path_, text_;
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

// Without a window: MsgBox prints its text and a newline on standard output and answers OK;
// InputBox reads one line from standard input (its default when there is none).
class StdioUiHost : public vbs::UiHost {
 public:
  int MsgBox(const std::string& prompt, int buttons, const std::string& title) override;
  std::string InputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override;
};

}  // namespace lumetrix
