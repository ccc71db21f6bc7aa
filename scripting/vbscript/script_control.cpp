#include "script_control.h"

#include <chrono>
#include <new>
#include <stdexcept>

#include "compiler.h"
#include "interpreter.h"
#include "lexer.h"
#include "parser.h"
#include "program.h"

namespace lumetrix::vbs {

namespace {

}  // namespace

std::vector<std::string> SplitLines(const std::string& source) {
  std::vector<std::string> lines;
  std::string cur;
  for (size_t i = 0; i < source.size(); ++i) {
    char c = source[i];
    if (c == '\r') {
      if (i + 1 < source.size() && source[i + 1] == '\n') ++i;
      lines.push_back(std::move(cur));
      cur.clear();
    } else if (c == '\n') {
      lines.push_back(std::move(cur));
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  lines.push_back(std::move(cur));
  return lines;
}

namespace {

bool IsPlainIdentifier(const std::string& name) {
  if (name.empty() || name.size() > 255) return false;
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (!letter(name[0])) return false;
  for (char c : name)
    if (!letter(c) && !(c >= '0' && c <= '9') && c != '_') return false;
  try {
    std::vector<Token> toks = Tokenize(name);
    return !toks.empty() && toks[0].kind == Tok::Ident && toks[0].kw == Kw::None;
  } catch (const ScriptError&) {
    return false;
  }
}

// Name of the function that wraps an expression given to Eval.
constexpr const char* kEvalName = "Eval__Lumetrix__Expression";

}  // namespace

ScriptControl::ScriptControl() { Reset(); }

ScriptControl::~ScriptControl() { teardown(); }

void ScriptControl::teardown() {
  // Class_Terminate does not run while the engine is taken apart.
  if (vm_) vm_->setTerminatorsEnabled(false);
  if (program_) program_->globals.clear();
  vm_.reset();
  program_.reset();
}

bool ScriptControl::SetLanguage(const std::string& language) {
  if (NameKey(language) != "vbscript") return false;
  language_ = "VBScript";
  return true;
}

void ScriptControl::SetFileAccess(bool allowed) {
  fileAccess_ = allowed;
  if (vm_) vm_->fileAccess = allowed;
}

void ScriptControl::SetUiHost(UiHost* ui) {
  ui_ = ui;
  if (vm_) vm_->setUi(ui_ ? ui_ : &default_ui_);
}

void ScriptControl::Reset() {
  // A host method must not pull the engine out from under the running script.
  if (vm_ && vm_->depth() > 0) throw std::logic_error("ScriptControl::Reset called while a script runs");
  teardown();
  program_ = std::make_unique<Program>();
  vm_ = std::make_unique<Interpreter>(*program_);
  vm_->setInterruptFlag(&interrupt_);
  vm_->setUi(ui_ ? ui_ : &default_ui_);
  vm_->fileAccess = fileAccess_;
  error_ = ErrorInfo{};
}

void ScriptControl::AddObject(const std::string& name, std::shared_ptr<HostObject> object, bool addMembers) {
  if (!object) throw std::invalid_argument("AddObject: no object given for '" + name + "'");
  if (!IsPlainIdentifier(name)) throw std::invalid_argument("AddObject: '" + name + "' is not an identifier");
  std::string key = NameKey(name);
  if (program_->findSymbol(key) >= 0 || key == "err")
    throw std::invalid_argument("AddObject: the name '" + name + "' is already used");
  HostEntry entry;
  entry.name = name;
  entry.object = std::move(object);
  entry.memberNames = entry.object->MemberNames();
  for (size_t i = 0; i < entry.memberNames.size(); ++i) {
    // The first of two names differing only in case wins.
    entry.memberIndex.emplace(NameKey(entry.memberNames[i]), static_cast<int>(i));
  }
  entry.wrapper = MakeHostWrapper(entry);
  program_->hosts.push_back(std::move(entry));
  int hostIndex = static_cast<int>(program_->hosts.size()) - 1;
  Symbol s;
  s.kind = Symbol::HostObj;
  s.index = hostIndex;
  s.text = name;
  program_->setSymbol(key, s);
  if (!addMembers) return;
  const HostEntry& h = program_->hosts.back();
  for (const auto& [memberKey, index] : h.memberIndex) {
    // Names already known (other objects, their members) keep their meaning.
    if (program_->findSymbol(memberKey) >= 0) continue;
    Symbol m;
    m.kind = Symbol::HostMember;
    m.index = hostIndex;
    m.member = index;
    m.text = h.memberNames[static_cast<size_t>(index)];
    program_->setSymbol(memberKey, m);
  }
}

void ScriptControl::startRun() {
  // A run started from inside a running script (a host callback) keeps the outer run's
  // deadline and any pending stop request.
  if (vm_->depth() > 0) return;
  interrupt_.store(false, std::memory_order_relaxed);
  if (timeout_ms_ >= 0)
    vm_->setDeadline(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms_));
  else
    vm_->setDeadline(std::chrono::steady_clock::time_point::max());
}

void ScriptControl::setError(const ScriptError& e, const std::string& source, int chunk, int line, int column) {
  error_ = ErrorInfo{};
  errorChunk_ = chunk;
  error_.Number = e.number;
  error_.Description = e.description;
  error_.Source = source;
  error_.Line = line;
  error_.Column = column;
  if (chunk >= 0 && static_cast<size_t>(chunk) < program_->chunkLines.size() && line > 0) {
    const auto& lines = program_->chunkLines[static_cast<size_t>(chunk)];
    if (static_cast<size_t>(line) <= lines.size()) error_.Text = lines[static_cast<size_t>(line) - 1];
  }
}

void ScriptControl::setRunError(const PositionedError& e) {
  setError(e, e.source.empty() ? std::string(kRuntimeErrorSource) : e.source, e.chunk, e.line, e.column);
}

Proc* ScriptControl::compile(const std::string& source, int& chunk) {
  chunk = static_cast<int>(program_->chunkLines.size());
  program_->chunkLines.push_back(SplitLines(source));
  try {
    std::unique_ptr<ast::Chunk> tree = Parse(source);
    return CompileChunk(*program_, *tree, chunk);
  } catch (const SourceError& e) {
    setError(e, kCompileErrorSource, chunk, e.line, e.column);
  } catch (const std::bad_alloc&) {
    setError(ScriptError(err::SyntaxOutOfMemory), kCompileErrorSource, -1, 0, 0);
  } catch (const ScriptError& e) {
    setError(e, kCompileErrorSource, -1, 0, 0);
  }
  return nullptr;
}

bool ScriptControl::runProc(Proc* proc, std::vector<Variant>& args, Variant& result) {
  try {
    result = vm_->call(proc, args);
    if (result.isRef()) result = Variant(result.deref());
    return true;
  } catch (const PositionedError& e) {
    setRunError(e);
  } catch (const std::bad_alloc&) {
    setError(ScriptError(err::OutOfMemory), kRuntimeErrorSource, -1, 0, 0);
  } catch (const ScriptError& e) {
    setError(e, kRuntimeErrorSource, -1, 0, 0);
  }
  result.clear();
  return false;
}

bool ScriptControl::AddCode(const std::string& source) {
  error_ = ErrorInfo{};
  int chunk = 0;
  Proc* global = compile(source, chunk);
  if (!global) return false;
  startRun();
  std::vector<Variant> none;
  Variant result;
  return runProc(global, none, result);
}

Variant ScriptControl::Run(const std::string& procedure, std::vector<Variant> args) {
  error_ = ErrorInfo{};
  int sym = program_->findSymbol(NameKey(procedure));
  if (sym < 0 || program_->symbols[static_cast<size_t>(sym)].kind != Symbol::Procedure) {
    setError(ScriptError(err::SubNotDefined, ErrorText(err::SubNotDefined) + ": '" + procedure + "'"),
             kRuntimeErrorSource, -1, 0, 0);
    return Variant();
  }
  Proc* proc = program_->procs[static_cast<size_t>(program_->symbols[static_cast<size_t>(sym)].index)].get();
  startRun();
  Variant result;
  runProc(proc, args, result);
  return result;
}

Variant ScriptControl::Eval(const std::string& expression) {
  error_ = ErrorInfo{};
  // The expression becomes the body of a throw-away function, so it sees the global scope
  // and compiles like any other code.
  // Array() keeps an object as it is (a plain assignment would ask for its default value).
  const std::string prefix = std::string("Function ") + kEvalName + "(): " + kEvalName + " = Array(";
  std::string source = prefix + expression + ")\nEnd Function\n";
  std::string key = NameKey(kEvalName);
  size_t procsBefore = program_->procs.size();
  int chunk = 0;
  Proc* global = compile(source, chunk);
  Variant result;
  if (global) {
    int sym = program_->findSymbol(key);
    Proc* fn = sym >= 0 ? program_->procs[static_cast<size_t>(program_->symbols[static_cast<size_t>(sym)].index)].get()
                        : nullptr;
    if (fn) {
      startRun();
      std::vector<Variant> none;
      Variant wrapped;
      if (runProc(fn, none, wrapped) && wrapped.isArray() && wrapped.arr()->data.size() == 1)
        result = wrapped.arr()->data[0];
    }
  }
  // Report positions in the expression's own terms.
  if (error_.Number != 0 && error_.Line == 1 && errorChunk_ == chunk) {
    error_.Column = std::max(1, error_.Column - static_cast<int>(prefix.size()));
    error_.Text = expression.substr(0, expression.find_first_of("\r\n"));
  }
  // Forget the wrapper again (nothing else can refer to it).
  int sym = program_->findSymbol(key);
  if (sym >= 0) {
    program_->symbolIndex.erase(key);
    if (static_cast<size_t>(sym) + 1 == program_->symbols.size()) program_->symbols.pop_back();
    ++program_->version;
  }
  while (program_->procs.size() > procsBefore) program_->procs.pop_back();
  if (static_cast<size_t>(chunk) + 1 == program_->chunkLines.size()) program_->chunkLines.pop_back();
  return result;
}

}  // namespace lumetrix::vbs
