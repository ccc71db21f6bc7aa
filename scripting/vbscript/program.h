#pragma once
// The compiled form: procedures of register instructions with every name resolved to a frame
// slot, a global slot, a procedure, a host member or a built-in. Names that a later chunk of
// code may still define stay late-bound (resolved on first use, then cached until the set of
// global names changes).
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ast.h"
#include "object.h"
#include "variant.h"

namespace lumetrix::vbs {

class HostObject;

// Operand convention: `a` is the destination register unless stated; value operands (b, c)
// are registers when >= 0 and constants K[~x] when negative. Reading a register follows a
// ByRef reference.
enum class Op : uint8_t {
  Nop,
  Move,         // R[a] = V(b)                       plain copy, used for temporaries
  LetL,         // variable R[a] := V(b)             Let: objects give their default value, arrays copy
  SetL,         // variable R[a] := V(b)             Set: object reference
  LoadG,        // R[a] = G[b]
  LetG,         // G[a] := V(b)
  SetG,         // G[a] := V(b)
  RefL,         // R[a] = reference to variable R[b]
  RefG,         // R[a] = reference to G[b]
  LoadDyn,      // R[a] = value of late-bound name b
  LetDyn,       // late-bound name a := V(b)
  SetDyn,       // late-bound name a := V(b)
  RefDyn,       // R[a] = reference to late-bound name b
  LoadHost,     // R[a] = host object b
  LoadErr,      // R[a] = the Err object
  LoadMe,       // R[a] = Me
  LoadField,    // R[a] = Me.field[b]
  LetField,     // Me.field[a] := V(b)
  SetField,     // Me.field[a] := V(b)
  RefField,     // R[a] = reference to Me.field[b]
  NewObject,    // R[a] = New class b
  Add, Sub, Mul, Div, IntDiv, Mod, Pow, Concat, And, Or, Xor, Eqv, Imp,  // R[a] = V(b) op V(c)
  Neg, Not,     // R[a] = op V(b)
  Eq, Ne, Lt, Gt, Le, Ge,  // R[a] = V(b) cmp V(c); flags 1: a literal is involved
  Is,           // R[a] = V(b) Is V(c)
  Jmp,          // pc = a; flags 1: loop back-edge (polls interrupt and timeout)
  JmpFalse,     // if not V(b): pc = a                flags 1: back-edge
  JmpTrue,      // if V(b): pc = a                    flags 1: back-edge
  ForPrep,      // counter variable R[a], end R[b], step R[c]: checks the types; not entered: pc = d
  ForStep,      // counter += step; still within end: pc = d (back-edge)
  ForEachPrep,  // R[a] = array of the elements of V(a); R[b] = 0
  ForEachNext,  // all of R[a] seen (index R[b]): pc = d; else variable R[c] := next element
  CallProc,     // R[a] (a < 0: none) = procedure b (args R[c..c+n))
  CallBuiltin,  // R[a] = built-in b (args R[c..c+n))
  CallHost,     // R[a] = host object b, member d (args R[c..c+n)); flags: InvokeKind
  CallDyn,      // R[a] = late-bound name b called with args R[c..c+n)
  Index,        // R[a] = V(b)(args R[c..c+n)): array element or default member
  CallValue,    // statement `x args` on a variable value V(b): default member call; name d for errors
  ElemLetL,     // variable R[a](args R[c..c+n)) := V(b)   flags: 1 Set
  ElemLetG,     // G[a](args) := V(b)
  ElemLetDyn,   // late-bound a(args) := V(b)
  ElemLetField, // Me.field[a](args) := V(b)
  WriteBackL,   // after a ByRef call on an element: variable R[a](args R[c..c+n)) := R[b] if still an array
  WriteBackG,
  WriteBackDyn,
  WriteBackField,
  MemberGet,    // R[a] = V(b).name[d](args R[c..c+n)); flags 1: private members visible
  MemberLet,    // V(a).name[d](args R[c..c+n)) := V(b); flags: 1 Set, 2 private members visible
  ReDim,        // ReDim variable (flags>>1: 0 local R[a], 1 global a, 2 dyn a, 3 field a), bounds R[c..c+n); flags&1 Preserve
  DimArray,     // variable (same kinds) := new array, bounds constants K[c..c+n) (n = 0: dynamic)
  Erase,        // Erase variable (same kinds)
  OnError,      // flags 1: Resume Next, 0: GoTo 0
  RaiseError,   // raise error a; d >= 0: name text d
  Return,
};

constexpr uint8_t kFlagSet = 1;
constexpr uint8_t kFlagBackEdge = 1;
// On stores (Let*/Set*): the value register is a temporary that dies here, so it is moved.
// On MemberGet, MemberLet and CallValue: the object register is a temporary, cleared once read
// (a script object is released, and its Class_Terminate runs, when the script lets go of it).
constexpr uint8_t kFlagTemp = 4;

struct Instr {
  Op op = Op::Nop;
  uint8_t flags = 0;
  uint16_t n = 0;
  int32_t a = 0, b = 0, c = 0, d = 0;
};

// A statement's code: errors inside [begin, end) are reported at (line, column) and On Error
// Resume Next continues at `end`.
struct StatementRange {
  uint32_t begin, end;
  int line, column;
};

struct ClassInfo;

// A name not known when its procedure was compiled.
struct DynName {
  std::string key;   // lower case
  std::string text;  // as written (for messages)
  bool explicitOnly = false;  // Option Explicit: unresolved means "Variable is undefined"
  uint32_t cachedVersion = UINT32_MAX;
  int cachedSymbol = -1;  // index into Program::symbols, -1 none
};

struct Proc {
  std::string name;
  ast::ProcKind kind = ast::ProcKind::Sub;
  bool isGlobalCode = false;
  bool isPublic = true;
  int chunk = 0;
  int paramCount = 0;
  std::vector<uint8_t> byRef;  // per parameter
  int resultSlot = -1;
  int slotCount = 0;
  std::vector<Variant> consts;
  std::vector<Instr> code;
  std::vector<StatementRange> statements;
  std::vector<DynName> dyns;
  std::vector<std::pair<std::string, int>> localNames;  // lower-case name -> frame slot
  std::vector<std::string> memberKeys;   // lower-case member names used by MemberGet/MemberLet
  std::vector<std::string> memberTexts;  // as written
  ClassInfo* owner = nullptr;
};

struct ClassMember {
  std::string name;
  bool isPublic = true;
  int field = -1;          // a field, or procedures:
  Proc* method = nullptr;  // Sub or Function
  Proc* get = nullptr;
  Proc* let = nullptr;
  Proc* set = nullptr;
};

struct ClassInfo {
  std::string name;
  std::vector<std::string> fieldNames;
  std::vector<std::vector<int32_t>> fieldBounds;  // array fields: upper bounds
  std::vector<uint8_t> fieldIsArray;
  std::vector<ClassMember> members;
  std::unordered_map<std::string, int> memberIndex;  // lower-case name -> members index
  int defaultMember = -1;
  Proc* initialize = nullptr;
  Proc* terminate = nullptr;
};

struct Symbol {
  enum Kind : uint8_t { Variable, Constant, Procedure, HostObj, HostMember, Class } kind = Variable;
  int index = 0;   // global slot, constant index, procedure, host, class
  int member = 0;  // host member index
  std::string text;
};

struct HostEntry {
  std::string name;
  std::shared_ptr<HostObject> object;
  Variant wrapper;  // the engine-side Object that forwards to `object`
  std::vector<std::string> memberNames;
  std::unordered_map<std::string, int> memberIndex;  // lower case -> member number
};

// Global variables: stable addresses (ByRef references point at them) with O(1) access.
class GlobalStore {
 public:
  int add() {
    storage_.emplace_back();
    ptrs_.push_back(&storage_.back());
    return static_cast<int>(ptrs_.size()) - 1;
  }
  Variant& operator[](int i) { return *ptrs_[static_cast<size_t>(i)]; }
  // Valid until the next add().
  Variant* const* data() const { return ptrs_.data(); }
  size_t size() const { return ptrs_.size(); }
  void clear() {
    // Values may refer to one another (objects): release them before dropping the storage.
    for (Variant* p : ptrs_) p->clear();
    ptrs_.clear();
    storage_.clear();
  }

 private:
  std::deque<Variant> storage_;
  std::vector<Variant*> ptrs_;
};

struct Program {
  std::vector<std::unique_ptr<Proc>> procs;
  std::vector<Symbol> symbols;
  std::unordered_map<std::string, int> symbolIndex;  // lower-case name -> symbols
  uint32_t version = 0;                              // bumped whenever a symbol is added
  GlobalStore globals;
  std::vector<Variant> constants;
  std::vector<std::unique_ptr<ClassInfo>> classes;
  std::vector<HostEntry> hosts;
  std::vector<std::vector<std::string>> chunkLines;  // source lines of each chunk (index: chunk number)

  int findSymbol(const std::string& key) const {
    auto it = symbolIndex.find(key);
    return it == symbolIndex.end() ? -1 : it->second;
  }
  int setSymbol(const std::string& key, Symbol s) {
    auto it = symbolIndex.find(key);
    ++version;
    if (it != symbolIndex.end()) {
      symbols[static_cast<size_t>(it->second)] = std::move(s);
      return it->second;
    }
    symbols.push_back(std::move(s));
    int idx = static_cast<int>(symbols.size()) - 1;
    symbolIndex[key] = idx;
    return idx;
  }
};

// A run-time or syntax error with the place it happened (chunk -1: no source position).
struct PositionedError : ScriptError {
  int chunk = -1, line = 0, column = 0;
  std::string source;  // who raised it (empty: the engine)
  PositionedError() = default;
  PositionedError(const ScriptError& e, int ch, int ln, int col) : ScriptError(e), chunk(ch), line(ln), column(col) {}
};

}  // namespace lumetrix::vbs
