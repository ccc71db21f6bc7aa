#include "viewer/script_binding.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <cstdio>
#include <iostream>

#include "scripting/frm_vb_editor.h"
#include "viewer/frm_3d.h"

namespace lumetrix {

void WindowScriptViewer::SetXRot(float a) { w_.SetXRot(a); }
void WindowScriptViewer::SetYRot(float a) { w_.SetYRot(a); }
void WindowScriptViewer::SetXYRot(float x, float y) { w_.SetXYRot(x, y); }
void WindowScriptViewer::SetXRotSpeed(float v) { w_.SetXRotSpeed(v); }
void WindowScriptViewer::SetYRotSpeed(float v) { w_.SetYRotSpeed(v); }
void WindowScriptViewer::Setx(float v) { w_.Setx(v); }
void WindowScriptViewer::Sety(float v) { w_.Sety(v); }
void WindowScriptViewer::SetZ(float v) { w_.SetZ(v); }
void WindowScriptViewer::SetScaleX(float v) { w_.SetScaleX(v); }
void WindowScriptViewer::SetScaleY(float v) { w_.SetScaleY(v); }
void WindowScriptViewer::SetScaleZ(float v) { w_.SetScaleZ(v); }
void WindowScriptViewer::SetColor(float r, float g, float b) { w_.SetColor(r, g, b); }
void WindowScriptViewer::SetLight(float r, float g, float b) { w_.SetLight(r, g, b); }
void WindowScriptViewer::SetTransparency(float a) { w_.SetTransparency(a); }
void WindowScriptViewer::SetLightOn() { w_.SetLightOn(); }
void WindowScriptViewer::SetLightOff() { w_.SetLightOff(); }
void WindowScriptViewer::ResetParameters() { w_.ResetParameters(); }
void WindowScriptViewer::ResetSpeedParameters() { w_.ResetSpeedParameters(); }
void WindowScriptViewer::DrawImage() { w_.DrawImage(); }
void WindowScriptViewer::SaveBMP(const std::string& f) { w_.SaveBMP(f); }
void WindowScriptViewer::SaveJPG(const std::string& f) { w_.SaveJPG(f); }
bool WindowScriptViewer::AVIStart(const std::string& f, double rate, int32_t width, int32_t height) {
  return w_.AVIStart(f, rate, width, height);
}
void WindowScriptViewer::AVIAdd() { w_.AVIAdd(); }
void WindowScriptViewer::AVIend() { w_.AVIend(); }
bool WindowScriptViewer::AVICodec(const std::string& name) { return w_.AVICodec(name); }
void WindowScriptViewer::SetPalette(const std::string& name) { w_.SetPalette(name); }
void WindowScriptViewer::LoadLuts() { w_.LoadLuts(); }
bool WindowScriptViewer::VolumeLoaded() const { return w_.VolumeLoaded; }
void WindowScriptViewer::SetScriptRunning(bool running) { w_.SetScriptRunning(running); }
void WindowScriptViewer::SetWindowCaption(const std::string& caption) {
  w_.setWindowTitle(QString::fromStdString(caption));
}
void WindowScriptViewer::RefuseRunWithoutVolume() {
  if (w_.Headless()) {
    std::fprintf(stderr, "First open image\n");
    return;
  }
  QMessageBox::information(&w_, "Lumetrix", "First open image", QMessageBox::Ok | QMessageBox::Cancel);
}
void WindowScriptViewer::Beep() {
  if (!w_.Headless()) QApplication::beep();
}

QString EditorConsole::ScriptText() const { return editor_.ScriptText(); }
QString EditorConsole::Caption() const { return editor_.Caption(); }
void EditorConsole::showSyn(const QString& text) { editor_.showSyn(text); }
void EditorConsole::SetOutputEmphasis(bool on) { editor_.SetOutputEmphasis(on); }
void EditorConsole::SetOutputColor(const QColor& color) { editor_.SetOutputColor(color); }
void EditorConsole::HighlightErrorLine(int line) { editor_.HighlightErrorLine(line); }

int DialogUiHost::MsgBox(const std::string& prompt, int buttons, const std::string& title) {
  QMessageBox::StandardButtons shown = QMessageBox::Ok;
  switch (buttons & 7) {
    case 1: shown = QMessageBox::Ok | QMessageBox::Cancel; break;
    case 2: shown = QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore; break;
    case 3: shown = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    case 4: shown = QMessageBox::Yes | QMessageBox::No; break;
    case 5: shown = QMessageBox::Retry | QMessageBox::Cancel; break;
    default: break;
  }
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (buttons & 0x70) {
    case 16: icon = QMessageBox::Critical; break;
    case 32: icon = QMessageBox::Question; break;
    case 48: icon = QMessageBox::Warning; break;
    case 64: icon = QMessageBox::Information; break;
    default: break;
  }
  QMessageBox box(icon, title.empty() ? QString("Lumetrix") : QString::fromStdString(title),
                  QString::fromStdString(prompt), shown, owner_);
  switch (box.exec()) {
    case QMessageBox::Cancel: return 2;
    case QMessageBox::Abort: return 3;
    case QMessageBox::Retry: return 4;
    case QMessageBox::Ignore: return 5;
    case QMessageBox::Yes: return 6;
    case QMessageBox::No: return 7;
    default: return 1;
  }
}

std::string DialogUiHost::InputBox(const std::string& prompt, const std::string& title, const std::string& def) {
  bool ok = false;
  const QString text =
      QInputDialog::getText(owner_, title.empty() ? QString("Lumetrix") : QString::fromStdString(title),
                            QString::fromStdString(prompt), QLineEdit::Normal, QString::fromStdString(def), &ok);
  return ok ? text.toStdString() : std::string();
}

int StdioUiHost::MsgBox(const std::string& prompt, int, const std::string&) {
  std::fwrite(prompt.data(), 1, prompt.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
  return 1;
}

std::string StdioUiHost::InputBox(const std::string&, const std::string&, const std::string& def) {
  std::string line;
  if (!std::getline(std::cin, line)) return def;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace lumetrix
