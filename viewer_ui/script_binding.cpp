#include "viewer_ui/script_binding.h"

#include <QInputDialog>
#include <QMessageBox>

#include "scripting/frm_vb_editor.h"

namespace lumetrix {

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

}  // namespace lumetrix
