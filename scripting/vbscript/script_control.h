#pragma once
// ScriptControl: the engine as a program sees it. Add host objects, add code (compiled at once),
// run procedures; the last error is kept with its number, description and source position.
// Single-threaded: everything but RequestInterrupt must be called from one thread.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "host_object.h"
#include "variant.h"

namespace lumetrix::vbs {

struct Program;
struct Proc;
struct PositionedError;
class Interpreter;

struct ErrorInfo {
  int32_t Number = 0;  // 0: no error
  std::string Description;
  std::string Source;  // "Microsoft VBScript runtime error", "... compilation error" or the raiser's
  int Line = 0;        // 1-based; 0 when the error has no position
  int Column = 0;      // 1-based column of the statement (compilation errors: of the token)
  std::string Text;    // the source line the error is in, as written
};

class ScriptControl {
 public:
  ScriptControl();
  ~ScriptControl();
  ScriptControl(const ScriptControl&) = delete;
  ScriptControl& operator=(const ScriptControl&) = delete;

  // Only "VBScript" is known (case-insensitive); anything else fails and returns false.
  bool SetLanguage(const std::string& language);
  const std::string& Language() const { return language_; }
  // Milliseconds a Run (or the script-level code of AddCode) may take; -1: no limit.
  // When exceeded the run stops with "Script timed out", which On Error cannot trap.
  void SetTimeout(long milliseconds) { timeout_ms_ = milliseconds; }
  long Timeout() const { return timeout_ms_; }

  // Forgets all code, variables and objects, and clears Error. Host objects are dropped too.
  void Reset();
  // Makes `object` known to scripts as `name`; with `addMembers` its members can also be called
  // without the object's name (`Spin 10` for `Draw.Spin 10`). Throws std::invalid_argument for
  // a name that is not an identifier or already used.
  void AddObject(const std::string& name, std::shared_ptr<HostObject> object, bool addMembers);
  // Compiles `source` (UTF-8) and runs its script-level statements. False on a syntax or
  // run-time error, which Error() then describes; the code added before stays usable.
  bool AddCode(const std::string& source);
  // Calls a Sub or Function by name (case-insensitive) with the arguments by value. Returns its
  // result (Empty for a Sub); on an error returns Empty and Error() describes it.
  Variant Run(const std::string& procedure, std::vector<Variant> args = {});
  // Evaluates one expression in the global scope (handy for hosts and tests).
  Variant Eval(const std::string& expression);

  const ErrorInfo& Error() const { return error_; }
  void ClearError() { error_ = ErrorInfo{}; }

  // Asks the running script to stop at its next loop iteration or call: the run ends with
  // "Script stopped by the user" (which On Error cannot trap). Safe from any thread and from
  // event handlers the script's host calls process. The request is cleared when a run starts.
  void RequestInterrupt() { interrupt_.store(true, std::memory_order_relaxed); }

  // Whether scripts may create a Scripting.FileSystemObject (on by default; off, CreateObject
  // refuses it with error 429, for untrusted input such as fuzzing).
  void SetFileAccess(bool allowed);
  // Dialogs of MsgBox and InputBox; nullptr (the default) uses the standard-output UiHost.
  void SetUiHost(UiHost* ui);

 private:
  void startRun();
  void teardown();
  Proc* compile(const std::string& source, int& chunk);
  bool runProc(Proc* proc, std::vector<Variant>& args, Variant& result);
  void setError(const ScriptError& e, const std::string& source, int chunk, int line, int column);
  void setRunError(const PositionedError& e);

  std::string language_ = "VBScript";
  long timeout_ms_ = 10000;
  std::unique_ptr<Program> program_;
  std::unique_ptr<Interpreter> vm_;
  UiHost default_ui_;
  UiHost* ui_ = nullptr;
  bool fileAccess_ = true;
  std::atomic<bool> interrupt_{false};
  ErrorInfo error_;
  int errorChunk_ = -1;  // chunk of the last error's position
};

}  // namespace lumetrix::vbs
