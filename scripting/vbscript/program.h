#pragma once
// The compiled form: procedures of register instructions with every name resolved to a frame
// slot, a global slot, a procedure, a host member or a built-in. Only names that later chunks
// may still define stay late-bound (resolved on first use, then cached).
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ast.h"
#include "variant.h"

namespace lumetrix::vbs {

class HostObject;
class Object;

enum class Op : uint8_t {
  Nop,
  Move,         // R[a] = R[b]
  Store,        // variable R[a] := R[b]          flags: StoreKind
  LoadG,        // R[a] = G[b]
  StoreG,       // G[a] := R[b]                  flags: StoreKind
  RefG,         // R[a] = reference to G[b]
  LoadRef,      // R[a] = *R[b]
  RefLocal,     // R[a] = reference to R[b] (forwards a reference)
  LoadDyn,      // R[a] = value of late-bound name b
  StoreDyn,     // late-bound name a := R[b]     flags: StoreKind
  RefDyn,       // R[a] = reference to late-bound name b
  LoadF,        // R[a] = Me.field[b]
  StoreF,       // Me.field[a] := R[b]           flags: StoreKind
  RefF,         // R[a] = reference to Me.field[b]; R[d] keeps Me alive
  LoadMe,       // R[a] = Me
  LoadHost,     // R[a] = host object b
  LoadErr,      // R[a] = Err
  NewObject,    // R[a] = New class b
  Add, Sub, Mul, Div, IntDiv, Mod, Pow, Concat, And, Or, Xor, Eqv, Imp,  // R[a] = R[b] op R[c]
  Neg, Not,     // R[a] = op R[b]
  Eq, Ne, Lt, Gt, Le, Ge,  // R[a] = R[b] cmp R[c]; flags 1: a literal is involved
  Is,
  Jmp,          // pc = a; flags 1: loop back-edge (polls interrupt and timeout)
  JmpFalse,     // if not R[b]: pc = a
  JmpTrue,      // if R[b]: pc = a;     flags 1: back-edge
  ForPrep,      // counter R[a] from R[a], end R[b], step R[c]; not entered: pc = d
  ForStep,      // R[a] += R[c]; within R[b]: pc = d (back-edge)
  ForEachPrep,  // R[a] = snapshot of collection R[a]; R[b] = 0
  ForEachNext,  // R[b] exhausted: pc = d; else R[a] = next element of R[b] by index R[c] (back-edge)
  CallProc,     // R[a] (or none if a < 0) = procedure b (args R[c..c+n))
  CallBuiltin,  // R[a] = built-in b (args R[c..c+n))
  CallHost,     // R[a] = host object b, member d (args R[c..c+n)); flags: InvokeKind
  CallDyn,      // R[a] = late-bound name b called with args R[c..c+n)
  Index,        // R[a] = R[b](args): array element or default member
  ElemStore,    // R[a](args R[c..c+n)) := R[b]; flags: StoreKind
  RefElem,      // R[a] = reference to element R[b](args); R[d] keeps the array alive
  MemberCall,   // R[a] = R[b].name[d](args R[c..c+n)); flags: 1 private members visible
  MemberStore,  // R[a].name[d](args) := R[b]; flags: StoreKind | 4 private members visible
  ReDim,        // ReDim R[a] with bounds R[c..c+n); flags 1: Preserve
  DimArray,     // R[a] := new fixed array with bounds R[c..c+n) (flags 1: dynamic, no bounds)
  Erase,        // Erase R[a]
  OnError,      // flags 1: Resume Next, 0: GoTo 0
  Raise,        // raise error a with name d
  Return,
};

enum StoreKind : uint8_t { kStoreLet = 0, kStoreSet = 1, kStoreRaw = 2 };
constexpr uint8_t kPrivateAccess = 4;

struct Instr {
  Op op = Op::Nop;
  uint8_t flags = 0;
  uint16_t n = 0;
  int32_t a = 0, b = 0, c = 0, d = 0;
};

struct StatementPos {
  uint32_t pc;
  int line, column;
};

// A name not known when its procedure was compiled.
struct DynName {
  std::string key;        // lower case
  std::string text;       // as written (for messages)
  int fallbackSlot = -1;  // implicit local when no global of that name exists; -1: none
  bool explicitOnly = false;  // Option Explicit: unresolved means "Variable is undefined"
  uint32_t cachedVersion = UINT32_MAX;
  int cachedSymbol = -1;  // index into Program::symbols
};

struct ClassInfo;

struct Proc {
  std::string name;
  ast::ProcKind kind = ast::ProcKind::Sub;
  bool isGlobalCode = false;
  int chunk = 0;
  int line = 0;
  std::vector<bool> byRef;  // per parameter
  int resultSlot = -1;
  int meSlot = -1;
  int slotCount = 0;
  int constBase = 0;
  std::vector<Variant> consts;
  std::vector<Instr> code;
  std::vector<StatementPos> statements;
  std::vector<DynName> dyns;
  std::vector<std::string> memberKeys;   // lower-case member names used by MemberCall/Store
  std::vector<std::string> memberTexts;  // as written
  std::vector<std::string> localNames;   // slot -> name (locals only), for diagnostics
  ClassInfo* owner = nullptr;
};

struct ClassMember {
  std::string name;
  bool isPublic = true;
  int field = -1;  // a field, or procedures:
  Proc* method = nullptr;  // Sub or Function
  Proc* get = nullptr;
  Proc* let = nullptr;
  Proc* set = nullptr;
};

struct ClassInfo {
  std::string name;
  std::vector<std::string> fieldNames;
  std::vector<std::vector<int32_t>> fieldBounds;  // fixed array fields: upper bounds
  std::vector<bool> fieldIsDynamicArray;
  std::vector<ClassMember> members;
  std::unordered_map<std::string, int> memberIndex;  // lower-case name -> members index
  int defaultMember = -1;
  Proc* initialize = nullptr;
  Proc* terminate = nullptr;
};

struct Symbol {
  enum Kind : uint8_t { Variable, Constant, Procedure, HostObj, HostMember, Class, Builtin } kind;
  int index = 0;   // global slot, constant index, procedure, host, class, built-in
  int member = 0;  // host member index
  std::string text;
};

struct HostEntry {
  std::string name;
  std::shared_ptr<HostObject> object;
  Variant wrapper;  // the engine-side Object that forwards to `object`
  std::vector<std::string> memberKeys;
  std::vector<std::string> memberNames;
};

struct Program {
  std::vector<std::unique_ptr<Proc>> procs;
  std::vector<Symbol> symbols;
  std::unordered_map<std::string, int> symbolIndex;  // lower-case name -> symbols
  uint32_t version = 0;                              // bumped whenever a symbol is added
  std::deque<Variant> globals;
  std::vector<Variant> constants;
  std::vector<std::unique_ptr<ClassInfo>> classes;
  std::vector<HostEntry> hosts;
  std::vector<std::vector<std::string>> chunkLines;  // source lines of each chunk

  int findSymbol(const std::string& key) const {
    auto it = symbolIndex.find(key);
    return it == symbolIndex.end() ? -1 : it->second;
  }
  int addSymbol(const std::string& key, Symbol s) {
    symbols.push_back(std::move(s));
    int idx = static_cast<int>(symbols.size()) - 1;
    symbolIndex[key] = idx;
    ++version;
    return idx;
  }
};

}  // namespace lumetrix::vbs
