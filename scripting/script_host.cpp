#include "scripting/script_host.h"

#include <QLocale>

#include "scripting/vbscript/errors.h"

namespace lumetrix {
namespace {

const QColor kRed(255, 0, 0), kBlue(0, 0, 255), kBlack(0, 0, 0);
const QString kLineBreak = QStringLiteral("\r\n");

}  // namespace

ScriptHost::ScriptHost(ScriptRunSite& site, ScriptConsole& console, std::shared_ptr<vbs::HostObject> draw)
    : site_(site), console_(console), draw_(std::move(draw)), now_([] { return QDateTime::currentDateTime(); }) {
  engine_.SetLanguage("VBScript");
  engine_.SetTimeout(-1);
}

ScriptHost::~ScriptHost() = default;

QString ScriptHost::ScriptName(const QString& caption) {
  const qsizetype cut = std::max(caption.lastIndexOf('/'), caption.lastIndexOf('\\'));
  return cut < 0 ? caption : caption.mid(cut + 1);
}

QString ScriptHost::ErrorLine(const vbs::ErrorInfo& e) {
  return "Error: " + QString::fromStdString(e.Description) + " at line: " + QString::number(e.Line) +
         " column: " + QString::number(e.Column) + "  \"" + QString::fromStdString(e.Text).trimmed() + "\"";
}

void ScriptHost::StopScript() {
  if (running_) engine_.RequestInterrupt();
}

bool ScriptHost::RunVBScript() {
  if (!site_.VolumeLoaded()) {
    site_.RefuseRunWithoutVolume();
    return false;
  }
  if (running_) {
    // Events are handled inside a run (a menu command, F5 in the editor): one run at a time.
    console_.SetOutputColor(kRed);
    console_.showSyn("A script is already running; Stop Script (Esc) ends it." + kLineBreak);
    console_.SetOutputColor(kBlack);
    return false;
  }
  const QString source = console_.ScriptText();
  const QString name = ScriptName(console_.Caption());
  console_.HighlightErrorLine(0);
  Announce(name);
  site_.SetWindowCaption(
      ("Running - " + name + " (Start: " + QLocale::system().toString(now_(), "dd-MMM HH:mm") + ") ").toStdString());
  running_ = true;
  site_.SetScriptRunning(true);
  engine_.Reset();
  engine_.AddObject("Draw", draw_, true);
  bool ok = engine_.AddCode(source.toStdString());
  if (ok) {
    engine_.Run("Main");
    ok = engine_.Error().Number == 0;
  }
  if (ok) {
    engine_.Reset();
    console_.SetOutputEmphasis(true);
    console_.showSyn("Script " + name);
    console_.showSyn(" completed at: " + now_().toString("HH:mm:ss") + kLineBreak);
    console_.SetOutputEmphasis(false);
  } else if (engine_.Error().Number == vbs::err::ScriptInterrupted) {
    // Stopped by the user (Esc): no error, so plain text and no beep.
    last_error_ = engine_.Error();
    console_.SetOutputEmphasis(true);
    console_.showSyn("Script " + name);
    console_.showSyn(" stopped at: " + now_().toString("HH:mm:ss") + kLineBreak);
    console_.SetOutputEmphasis(false);
  } else {
    last_error_ = engine_.Error();
    site_.Beep();
    console_.SetOutputEmphasis(true);
    console_.SetOutputColor(kRed);
    console_.showSyn("Script " + name);
    console_.showSyn(" stopped with error at: " + now_().toString("HH:mm:ss") + kLineBreak);
    console_.SetOutputColor(kBlack);
    console_.SetOutputEmphasis(false);
    ReportScriptError();
  }
  running_ = false;
  site_.SetScriptRunning(false);
  const bool stopped = !ok && last_error_.Number == vbs::err::ScriptInterrupted;
  site_.SetWindowCaption(ok        ? "3D Image Viewer"
                         : stopped ? "3D Image Viewer - Stopped"
                                   : "3D Image Viewer - Stopped - Error in Script");
  return ok;
}

void ScriptHost::Announce(const QString& name) {
  console_.SetOutputEmphasis(true);
  console_.showSyn(kLineBreak);
  console_.showSyn("Script " + name);
  console_.showSyn(" started at:" + now_().toString("HH:mm:ss") + kLineBreak);
  console_.SetOutputEmphasis(false);
}

void ScriptHost::ReportScriptError() {
  const vbs::ErrorInfo& e = last_error_;
  if (e.Text.empty()) return;
  console_.SetOutputColor(kRed);
  console_.showSyn("Error: " + QString::fromStdString(e.Description));
  console_.SetOutputColor(kBlue);
  console_.showSyn(" at line: " + QString::number(e.Line) + " column: " + QString::number(e.Column));
  console_.SetOutputColor(kBlack);
  console_.showSyn("  \"" + QString::fromStdString(e.Text).trimmed() + "\"" + kLineBreak);
  if (e.Line > 0) console_.HighlightErrorLine(e.Line);
}

}  // namespace lumetrix
