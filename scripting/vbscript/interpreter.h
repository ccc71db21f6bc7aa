#pragma once
// Interpreter: runs compiled procedures. Script calls do not recurse on the C++ stack (frames
// live in a heap stack of bounded depth), so deep recursion ends in "Out of stack space".
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "program.h"

namespace lumetrix::vbs {

class UiHost;

constexpr size_t kMaxCallDepth = 3000;

// Registers of all frames: chunks that never move, so ByRef references into a caller's
// variables stay valid while the callee runs.
class RegisterStack {
 public:
  struct Mark {
    size_t chunk, used;
  };
  Variant* alloc(size_t n, Mark& mark);
  void release(const Mark& mark, Variant* regs, size_t n);

 private:
  struct Chunk {
    std::unique_ptr<Variant[]> regs;
    size_t size = 0, used = 0;
  };
  std::vector<Chunk> chunks_;
  size_t current_ = 0;
};

// An error raised by Err.Raise: carries the raiser's source text.
struct RaisedError : ScriptError {
  std::string source;
  RaisedError(int32_t num, std::string desc, std::string src) : ScriptError(num, std::move(desc)), source(std::move(src)) {}
};

constexpr const char* kRuntimeErrorSource = "Microsoft VBScript runtime error";
constexpr const char* kCompileErrorSource = "Microsoft VBScript compilation error";

// The Err object.
class ErrObject : public Object {
 public:
  int32_t number = 0;
  std::string description, source, helpFile;
  int32_t helpContext = 0;
  // `raised`: by Err.Raise, whose help file and context stay.
  void set(int32_t num, const std::string& desc, const std::string& src, bool raised = false);
  void clear();
  std::string typeName() const override { return "ErrObject"; }
  int findMember(std::string_view lowerName) override;
  void invoke(int member, InvokeKind kind, Variant* args, int nargs, Variant& result) override;
};

// The engine-side object of a host object (so scripts can hold it: `Set d = Draw`).
Variant MakeHostWrapper(const HostEntry& entry);

class Interpreter;

// Script objects reach their interpreter through this; it is cleared when the interpreter goes,
// so an object that outlives it (held by a host) fails cleanly instead of running stale code.
class ClassInstance;
struct EngineLink {
  Interpreter* vm = nullptr;
  std::unordered_set<ClassInstance*> live;  // every script object of the engine
};

// An instance of a script Class.
class ClassInstance final : public Object {
 public:
  ClassInstance(const ClassInfo* cls, std::shared_ptr<EngineLink> link);
  ~ClassInstance() override;
  const ClassInfo* cls;  // valid while the link is
  std::vector<Variant> fields;
  const EngineLink* link() const { return link_.get(); }

  std::string typeName() const override { return name_; }
  int findMember(std::string_view lowerName) override;
  void invoke(int member, InvokeKind kind, Variant* args, int nargs, Variant& result) override;

 protected:
  void lastRelease() override;

 private:
  std::string name_;
  std::shared_ptr<EngineLink> link_;
  bool terminating_ = false, terminated_ = false;
};

class Interpreter {
 public:
  explicit Interpreter(Program& program);
  ~Interpreter();
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  // Runs `proc` with the arguments (by value). Throws PositionedError on a run-time error that
  // no On Error Resume Next trapped; a failing call leaves no frame behind.
  Variant call(Proc* proc, std::vector<Variant>& args);

  void setInterruptFlag(const std::atomic<bool>* flag) { interrupt_ = flag; }
  // Deadline for the current run (none: time_point::max()).
  void setDeadline(std::chrono::steady_clock::time_point deadline) {
    deadline_ = deadline;
    hasDeadline_ = deadline != std::chrono::steady_clock::time_point::max();
    pollCountdown_ = 1;
  }
  void setUi(UiHost* ui) { ui_ = ui; }
  // Class_Terminate runs only while enabled (not while an engine is torn down).
  void setTerminatorsEnabled(bool on) { terminators_ = on; }
  bool terminatorsEnabled() const { return terminators_; }
  // Runs a method of a script object to its end (for calls from outside the run loop).
  Variant callMethod(Proc* proc, ClassInstance* me, Variant* args, int nargs);
  // A member of a script object: fields are read or written at once (into `result`); for a
  // method or property the procedure to run is returned. Let/Set pass the value last.
  static Proc* classMember(ClassInstance& inst, int member, InvokeKind kind, Variant* args, int nargs, Variant& result);
  UiHost* ui() const { return ui_; }
  Program& program() { return prog_; }
  const std::shared_ptr<EngineLink>& link() const { return link_; }
  // The innermost running procedure and its registers (for code run in the caller's scope).
  bool callerScope(Proc*& proc, Variant*& regs, ClassInstance*& me) const {
    if (frames_.empty()) return false;
    proc = frames_.back().proc;
    regs = frames_.back().regs;
    me = frames_.back().me;
    return true;
  }
  // Variables an Execute declared in the running procedure: they live as long as its frame.
  using ExecutedNames = std::unordered_map<std::string, Variant>;  // lower-case name -> value
  ExecutedNames* executedNames(bool create);
  // While set, the locals `slots` of `proc` are copied into `to` when a frame of it ends.
  struct LocalsExport {
    Proc* proc = nullptr;
    ExecutedNames* to = nullptr;
    std::vector<std::pair<std::string, int>> slots;
  };
  LocalsExport& localsExport() { return export_; }
  ErrObject& err() { return *errObj_; }
  size_t depth() const { return frames_.size(); }

  // Whether CreateObject may give scripts a FileSystemObject.
  bool fileAccess = true;
  // Rnd's generator (VBScript's 24-bit linear congruential sequence).
  uint32_t rndState = 0x50000;
  float lastRnd = 0;

 private:
  struct Frame {
    Proc* proc;
    Variant* regs;
    const Instr* pc;
    int retDest;
    bool resumeNext;
    RegisterStack::Mark mark;
    ClassInstance* me;  // held while the frame runs
  };

  void execute(size_t baseDepth);
  void run(size_t baseDepth);
  int dynSymbol(Proc* proc, int index);
  Variant& dynVariable(Proc* proc, int index);
  // Calls what a late-bound name denotes; returns true when a script frame was pushed.
  bool callDyn(Proc* proc, int index, Variant* args, int nargs, int dest, bool statement);
  Variant& variableOf(int kind, int index);
  void pushFrame(Proc* proc, Variant* args, int nargs, int retDest, ClassInstance* me = nullptr);
  ClassInstance* scriptObject(const Variant& v) const;
  void popFrame();
  bool recover(const ScriptError& e, size_t baseDepth);
  void positionOf(const Frame& f, int& line, int& column, uint32_t& resume) const;
  void checkClock();
  [[noreturn]] void throwStop(int32_t number);

  Program& prog_;
  RegisterStack stack_;
  std::vector<Frame> frames_;
  Variant errVar_;
  ErrObject* errObj_;
  UiHost* ui_ = nullptr;
  const std::atomic<bool>* interrupt_ = nullptr;
  std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::time_point::max();
  bool hasDeadline_ = false;
  int pollCountdown_ = 1;
  Variant baseResult_;
  std::shared_ptr<EngineLink> link_;
  bool terminators_ = true;
  std::vector<std::pair<size_t, std::unique_ptr<ExecutedNames>>> executed_;  // by frame depth
  LocalsExport export_;
};

}  // namespace lumetrix::vbs
