#pragma once
// Runs the script in the editor against the viewer: the engine gets the script object "Draw"
// (its members callable bare), the script's "Main" is called once, and start, completion and
// failure are reported in the output pane and the main window's caption.

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

#include "scripting/script_console.h"
#include "scripting/script_run_site.h"
#include "scripting/vbscript/host_object.h"
#include "scripting/vbscript/script_control.h"

namespace lumetrix {

class ScriptHost {
 public:
  // The engine is made once, for VBScript without a time limit. `draw` is the script object
  // "Draw", added to every run with its members callable bare.
  ScriptHost(ScriptRunSite& site, ScriptConsole& console, std::shared_ptr<vbs::HostObject> draw);
  ~ScriptHost();

  // The run. Refused with "First open image" without a volume; a second run while one is in
  // progress is refused too. True when "Main" returned.
  bool RunVBScript();
  bool ScriptRunning() const { return running_; }
  // Asks the running script to stop at its next statement (the "Stop Script" command).
  void StopScript();

  vbs::ScriptControl& Engine() { return engine_; }
  // The error of the last failed run.
  const vbs::ErrorInfo& LastError() const { return last_error_; }
  // MsgBox and InputBox of the scripts.
  void SetUiHost(vbs::UiHost* ui) { engine_.SetUiHost(ui); }
  // The clock of the pane's time stamps (tests fix it).
  void SetClock(std::function<QDateTime()> now) { now_ = std::move(now); }

  // The part of a caption after its last separator ("C:\scripts\spin.scp" gives spin.scp).
  static QString ScriptName(const QString& caption);
  // The error line of the pane, also printed by the command line:
  // Error: <description> at line: <n> column: <n>  "<source text>"
  static QString ErrorLine(const vbs::ErrorInfo& error);

 private:
  void ReportScriptError();
  void Announce(const QString& name);

  ScriptRunSite& site_;
  ScriptConsole& console_;
  vbs::ScriptControl engine_;
  std::shared_ptr<vbs::HostObject> draw_;
  vbs::ErrorInfo last_error_;
  std::function<QDateTime()> now_;
  bool running_ = false;
};

}  // namespace lumetrix
