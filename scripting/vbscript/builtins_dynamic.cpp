// Eval, Execute, ExecuteGlobal and GetRef: code given as text while the script runs.
// Eval and Execute see the variables of the procedure that calls them and, in a class method,
// the object's fields (passed to the compiled text by reference); the variables an Execute's text
// declares in a procedure become the procedure's until it returns; at script level, and always
// for ExecuteGlobal, the text joins the global scope and the procedures and variables it
// declares stay.
#include <string>

#include "builtins_args.h"
#include "compiler.h"
#include "interpreter.h"
#include "parser.h"

namespace lumetrix::vbs {

namespace {

using namespace bi;

constexpr const char* kWrapperName = "Dynamic__Lumetrix__Code";
// Each nested Eval or Execute also nests the C++ stack: bounded well below the call depth.
constexpr int kMaxDynamicNesting = 64;
thread_local int g_nesting = 0;

struct NestingGuard {
  NestingGuard() {
    if (g_nesting >= kMaxDynamicNesting) ThrowError(err::OutOfStack);
    ++g_nesting;
  }
  ~NestingGuard() { --g_nesting; }
  NestingGuard(const NestingGuard&) = delete;
  NestingGuard& operator=(const NestingGuard&) = delete;
};

// Compiles text as a new chunk; a syntax error becomes an error of the calling statement.
Proc* CompileText(Program& prog, const std::string& source) {
  int chunk = static_cast<int>(prog.chunkLines.size());
  prog.chunkLines.push_back(SplitLines(source));
  try {
    std::unique_ptr<ast::Chunk> tree = Parse(source);
    return CompileChunk(prog, *tree, chunk);
  } catch (const SourceError& e) {
    throw ScriptError(e.number, e.description);
  }
}

Variant RunGlobal(Interpreter& vm, const std::string& source) {
  Proc* global = CompileText(vm.program(), source);
  std::vector<Variant> none;
  return vm.call(global, none);
}

// Runs `text` as the body of a throw-away procedure whose parameters are the caller's local
// variables (by reference); an expression's value comes back wrapped in a one-element array so
// that objects stay objects.
Variant RunInCallerScope(Interpreter& vm, const std::string& text, bool expression) {
  Program& prog = vm.program();
  Proc* caller = nullptr;
  Variant* regs = nullptr;
  ClassInstance* me = nullptr;
  bool local = vm.callerScope(caller, regs, me) && !caller->isGlobalCode;
  if (!local && !expression) return RunGlobal(vm, text);
  std::string params;
  std::vector<Variant> args;
  if (local) {
    for (const auto& [name, slot] : caller->localNames) {
      // In an expression a function's own name calls it; Execute may assign its result.
      if (expression && slot == caller->resultSlot) continue;
      params += (params.empty() ? "ByRef [" : ", ByRef [") + name + "]";
      args.push_back(Variant::Reference(&regs[slot].deref()));
    }
    // Variables an earlier Execute declared here.
    if (Interpreter::ExecutedNames* executed = vm.executedNames(false))
      for (auto& [name, value] : *executed) {
        params += (params.empty() ? "ByRef [" : ", ByRef [") + name + "]";
        args.push_back(Variant::Reference(&value));
      }
    // In a class's method the object's fields are seen too (the procedure's own names first).
    if (me && me->link() == vm.link().get()) {
      for (size_t i = 0; i < me->cls->fieldNames.size(); ++i) {
        std::string key = NameKey(me->cls->fieldNames[i]);
        bool shadowed = false;
        for (const auto& local : caller->localNames) shadowed = shadowed || local.first == key;
        if (shadowed) continue;
        params += (params.empty() ? "ByRef [" : ", ByRef [") + key + "]";
        args.push_back(Variant::Reference(&me->fields[i]));
      }
    }
  }
  // One name per nesting level: an Eval inside an Eval compiles while the outer one runs.
  std::string name = kWrapperName + std::to_string(g_nesting);
  std::string head = std::string(expression ? "Function " : "Sub ") + name + "(" + params + "): ";
  std::string source = expression ? head + name + " = Array(" + text + ")\nEnd Function\n"
                                  : head + text + "\nEnd Sub\n";
  size_t procsBefore = prog.procs.size(), linesBefore = prog.chunkLines.size();
  std::string key = NameKey(name);
  auto forget = [&] {
    // The wrapper goes again unless the text declared something that may refer to it.
    int sym = prog.findSymbol(key);
    if (sym < 0) return;
    prog.symbolIndex.erase(key);
    ++prog.version;
    if (static_cast<size_t>(sym) + 1 != prog.symbols.size()) return;
    prog.symbols.pop_back();
    while (prog.procs.size() > procsBefore) prog.procs.pop_back();
    if (prog.chunkLines.size() == linesBefore + 1) prog.chunkLines.pop_back();
  };
  Variant result;
  try {
    CompileText(prog, source);
    int sym = prog.findSymbol(key);
    if (sym < 0) ThrowError(err::Syntax);
    Proc* fn = prog.procs[static_cast<size_t>(prog.symbols[static_cast<size_t>(sym)].index)].get();
    // Variables the statements declare become the procedure's own, as in VBScript.
    Interpreter::LocalsExport saved = vm.localsExport();
    Interpreter::LocalsExport& out = vm.localsExport();
    out = {};
    if (local && !expression)
      for (const auto& [localName, slot] : fn->localNames)
        if (slot >= fn->paramCount && slot != fn->resultSlot) out.slots.emplace_back(localName, slot);
    if (!out.slots.empty()) {
      out.proc = fn;
      out.to = vm.executedNames(true);
    }
    try {
      result = vm.call(fn, args);
    } catch (...) {
      out = std::move(saved);
      throw;
    }
    out = std::move(saved);
  } catch (...) {
    forget();
    throw;
  }
  forget();
  if (!expression) return Variant();
  if (result.isArray() && result.arr()->data.size() == 1) return result.arr()->data[0];
  return Variant();
}

void Eval(Interpreter& vm, Variant* args, int, Variant& result) {
  NestingGuard guard;
  result = RunInCallerScope(vm, ToUtf8(StringArg(args[0])), true);
}

void Execute(Interpreter& vm, Variant* args, int, Variant& result) {
  NestingGuard guard;
  RunInCallerScope(vm, ToUtf8(StringArg(args[0])), false);
  result.clear();
}

void ExecuteGlobal(Interpreter& vm, Variant* args, int, Variant& result) {
  NestingGuard guard;
  RunGlobal(vm, ToUtf8(StringArg(args[0])));
  result.clear();
}

// What GetRef returns: calling it (its default member) calls the procedure.
class ProcedureRef final : public Object {
 public:
  ProcedureRef(Proc* proc, std::shared_ptr<EngineLink> link) : proc_(proc), link_(std::move(link)) {}
  std::string typeName() const override { return "Object"; }
  int findMember(std::string_view) override { return kNoMember; }
  void invoke(int member, InvokeKind kind, Variant* args, int nargs, Variant& result) override {
    if (member != kDefaultMember || kind == InvokeKind::Let || kind == InvokeKind::Set) ThrowError(err::NoSuchMember);
    if (!link_->vm) ThrowError(err::ObjectNotSet);  // the engine was reset
    result = link_->vm->callMethod(proc_, nullptr, args, nargs);
  }

 private:
  Proc* proc_;
  std::shared_ptr<EngineLink> link_;
};

void GetRef(Interpreter& vm, Variant* args, int, Variant& result) {
  Program& prog = vm.program();
  int sym = prog.findSymbol(NameKey(ToUtf8(StringArg(args[0]))));
  if (sym < 0 || prog.symbols[static_cast<size_t>(sym)].kind != Symbol::Procedure) ThrowError(err::InvalidCall);
  Proc* proc = prog.procs[static_cast<size_t>(prog.symbols[static_cast<size_t>(sym)].index)].get();
  result = Variant(static_cast<Object*>(new ProcedureRef(proc, vm.link())));
}

}  // namespace

void AddDynamicBuiltins(std::vector<Builtin>& out) {
  out.insert(out.end(), {
                            // Errors of the text keep their own words (no name appended).
                            {"Eval", 1, 1, Eval},
                            {"Execute", 1, 1, Execute, true},
                            {"ExecuteGlobal", 1, 1, ExecuteGlobal, true},
                            {"GetRef", 1, 1, Named<"GetRef", GetRef>},
                        });
}

}  // namespace lumetrix::vbs
