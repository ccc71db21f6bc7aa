#include "compiler.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "builtins.h"
#include "lexer.h"

namespace lumetrix::vbs {

using namespace ast;

namespace {

// Where a variable lives.
struct VarLoc {
  enum Kind : uint8_t { Local = 0, Global = 1, Dyn = 2, Field = 3, None = 4 } kind = None;
  int index = 0;
  bool mayBeRef = false;  // a ByRef parameter: the slot may hold a reference
};

// What a name means at a place in the code.
struct Resolved {
  enum Kind : uint8_t {
    Variable, Const, Procedure, HostObject, HostMember, BuiltinFn, ErrObject, Dyn, ClassMember, Unknown
  } kind = Unknown;
  VarLoc var;
  int index = 0;   // procedure, host, built-in, dyn, class member
  int member = 0;  // host member
  int constOperand = 0;
};

struct LocalInfo {
  int slot = 0;
  bool mayBeRef = false;
  bool isConst = false;
  int constOperand = 0;
};

constexpr int kMaxSlots = 1 << 20;

class Compiler {
 public:
  Compiler(Program& prog, const Chunk& chunk, int chunkIndex)
      : prog_(prog), chunk_(chunk), chunkIndex_(chunkIndex), explicit_(chunk.optionExplicit) {}

  Proc* run() {
    // Names of this chunk: procedures and classes first (they may be used before their definition).
    // A later procedure of the same name replaces an earlier one, as in VBScript.
    std::unordered_set<std::string> seen;
    std::vector<const Procedure*> decls;
    for (auto it = chunk_.procedures.rbegin(); it != chunk_.procedures.rend(); ++it)
      if (seen.insert(NameKey((*it)->name)).second) decls.insert(decls.begin(), *it);
    for (const ClassDecl* c : chunk_.classes) {
      std::string key = NameKey(c->name);
      if (!seen.insert(key).second) throw SourceError(err::NameRedefined, c->line, c->column);
    }
    std::vector<const DimItem*> globalDims;
    std::vector<const Stmt*> globalConsts;
    collectDeclarations(chunk_.statements, globalDims, globalConsts);
    for (const DimItem* d : globalDims)
      if (seen.count(NameKey(d->name))) throw SourceError(err::NameRedefined, d->line, d->column);
    // Constant values are checked before anything is added to the program.
    std::vector<Variant> constValues;
    for (const Stmt* s : globalConsts)
      for (const DimItem& d : s->dims) {
        if (seen.count(NameKey(d.name))) throw SourceError(err::NameRedefined, d.line, d.column);
        constValues.push_back(constantValue(d.bounds[0], nullptr));
      }

    std::vector<Proc*> procs;
    for (const Procedure* p : decls) {
      prog_.procs.push_back(std::make_unique<Proc>());
      Proc* proc = prog_.procs.back().get();
      proc->name = p->name;
      proc->kind = p->kind;
      proc->isPublic = p->isPublic;
      proc->chunk = chunkIndex_;
      // Calls compiled before the callee itself need its parameters.
      proc->paramCount = static_cast<int>(p->params.size());
      for (const Param& prm : p->params) proc->byRef.push_back(prm.byRef ? 1 : 0);
      procs.push_back(proc);
      Symbol s;
      s.kind = Symbol::Procedure;
      s.index = static_cast<int>(prog_.procs.size()) - 1;
      s.text = p->name;
      prog_.setSymbol(NameKey(p->name), s);
    }
    for (const DimItem* d : globalDims) declareGlobal(d->name);
    size_t ci = 0;
    for (const Stmt* s : globalConsts)
      for (const DimItem& d : s->dims) {
        prog_.constants.push_back(constValues[ci++]);
        Symbol sym;
        sym.kind = Symbol::Constant;
        sym.index = static_cast<int>(prog_.constants.size()) - 1;
        sym.text = d.name;
        prog_.setSymbol(NameKey(d.name), sym);
      }

    std::vector<std::pair<Proc*, const Procedure*>> methods;
    std::vector<ClassInfo*> classInfos;
    for (const ClassDecl* c : chunk_.classes) classInfos.push_back(declareClass(c, methods));

    // Script-level code first: the variables it declares implicitly are globals that the
    // procedures share.
    prog_.procs.push_back(std::make_unique<Proc>());
    Proc* global = prog_.procs.back().get();
    global->name = "<global>";
    global->isGlobalCode = true;
    global->chunk = chunkIndex_;
    compileGlobal(global, globalDims);

    for (size_t i = 0; i < procs.size(); ++i) compileProcedure(procs[i], decls[i]);
    for (auto& [proc, decl] : methods) {
      cls_ = proc->owner;
      compileProcedure(proc, decl);
      cls_ = nullptr;
    }
    return global;
  }

 private:
  // ---------------------------------------------------------------------------------------
  // Declarations

  // A class: its fields, methods and properties become members; the bodies are compiled later.
  ClassInfo* declareClass(const ClassDecl* c, std::vector<std::pair<Proc*, const Procedure*>>& methods) {
    auto info = std::make_unique<ClassInfo>();
    ClassInfo* ci = info.get();
    ci->name = c->name;
    auto addMember = [&](const std::string& name, bool isPublic) -> int {
      ClassMember m;
      m.name = name;
      m.isPublic = isPublic;
      ci->members.push_back(m);
      int idx = static_cast<int>(ci->members.size()) - 1;
      ci->memberIndex[NameKey(name)] = idx;
      return idx;
    };
    for (const ClassDecl::Field& f : c->fields) {
      if (ci->memberIndex.count(NameKey(f.name))) throw SourceError(err::NameRedefined, f.dim.line, f.dim.column);
      int field = static_cast<int>(ci->fieldNames.size());
      ci->fieldNames.push_back(f.name);
      ci->fieldIsArray.push_back(f.dim.isArray ? 1 : 0);
      std::vector<int32_t> bounds;
      line_ = f.dim.line;
      column_ = f.dim.column;
      for (const Expr* b : f.dim.bounds) bounds.push_back(dimBound(b));
      ci->fieldBounds.push_back(std::move(bounds));
      ci->members[static_cast<size_t>(addMember(f.name, f.isPublic))].field = field;
    }
    for (const Procedure* p : c->procedures) {
      prog_.procs.push_back(std::make_unique<Proc>());
      Proc* proc = prog_.procs.back().get();
      proc->name = c->name + "." + p->name;
      proc->kind = p->kind;
      proc->isPublic = p->isPublic;
      proc->chunk = chunkIndex_;
      proc->owner = ci;
      proc->paramCount = static_cast<int>(p->params.size());
      for (const Param& prm : p->params) proc->byRef.push_back(prm.byRef ? 1 : 0);
      std::string key = NameKey(p->name);
      if (key == "class_initialize" || key == "class_terminate") {
        if (!p->params.empty() || p->kind != ProcKind::Sub) throw SourceError(err::InitTerminateArgs, p->line, p->column);
        (key == "class_initialize" ? ci->initialize : ci->terminate) = proc;
      }
      if (p->kind == ProcKind::PropertyLet || p->kind == ProcKind::PropertySet) {
        if (p->params.empty()) throw SourceError(err::PropertyNeedsArg, p->line, p->column);
      }
      auto it = ci->memberIndex.find(key);
      int idx = it == ci->memberIndex.end() ? addMember(p->name, p->isPublic) : it->second;
      ClassMember& m = ci->members[static_cast<size_t>(idx)];
      bool clash = m.field >= 0 || m.method;
      Proc** slot = nullptr;
      switch (p->kind) {
        case ProcKind::Sub: case ProcKind::Function:
          clash = clash || m.get || m.let || m.set;
          slot = &m.method;
          break;
        case ProcKind::PropertyGet: slot = &m.get; break;
        case ProcKind::PropertyLet: slot = &m.let; break;
        case ProcKind::PropertySet: slot = &m.set; break;
      }
      if (clash || *slot) throw SourceError(err::NameRedefined, p->line, p->column);
      *slot = proc;
      if (p->isPublic) m.isPublic = true;
      if (p->isDefault) {
        if (ci->defaultMember >= 0 && ci->defaultMember != idx) throw SourceError(err::MultipleDefault, p->line, p->column);
        ci->defaultMember = idx;
      }
      methods.emplace_back(proc, p);
    }
    prog_.classes.push_back(std::move(info));
    Symbol sym;
    sym.kind = Symbol::Class;
    sym.index = static_cast<int>(prog_.classes.size()) - 1;
    sym.text = c->name;
    prog_.setSymbol(NameKey(c->name), sym);
    return ci;
  }

  void collectDeclarations(const Block& block, std::vector<const DimItem*>& dims, std::vector<const Stmt*>& consts) {
    for (const Stmt* s : block) {
      switch (s->kind) {
        case StmtKind::Dim:
          for (const DimItem& d : s->dims) {
            dims.push_back(&d);
            dimItems_.insert(&d);
          }
          break;
        case StmtKind::ReDim:
          for (const DimItem& d : s->dims) dims.push_back(&d);
          break;
        case StmtKind::Const:
          consts.push_back(s);
          break;
        default:
          break;
      }
      forEachChildBlock(s, [&](const Block& b) { collectDeclarations(b, dims, consts); });
    }
  }

  template <class F>
  static void forEachChildBlock(const Stmt* s, F&& f) {
    for (const Block& b : s->blocks) f(b);
    for (const CaseClause& c : s->cases) f(c.body);
    f(s->body);
  }

  void declareGlobal(const std::string& name) {
    std::string key = NameKey(name);
    int existing = prog_.findSymbol(key);
    if (existing >= 0 && prog_.symbols[static_cast<size_t>(existing)].kind == Symbol::Variable) return;
    Symbol s;
    s.kind = Symbol::Variable;
    s.index = prog_.globals.add();
    s.text = name;
    prog_.setSymbol(key, s);
  }

  // The value of a Const initialiser: a literal, optionally negated or parenthesised, or a
  // constant declared before.
  Variant constantValue(const Expr* e, const std::unordered_map<std::string, LocalInfo>* locals) {
    switch (e->kind) {
      case ExprKind::Literal: return e->value;
      case ExprKind::Paren: return constantValue(e->target, locals);
      case ExprKind::Unary:
        if (e->unary == UnaryOp::Neg) return Negate(constantValue(e->target, locals));
        if (e->unary == UnaryOp::Plus) return constantValue(e->target, locals);
        break;
      case ExprKind::Name: {
        std::string key = NameKey(e->name);
        if (locals) {
          auto it = locals->find(key);
          if (it != locals->end() && it->second.isConst) return p_->consts[static_cast<size_t>(~it->second.constOperand)];
        }
        int sym = prog_.findSymbol(key);
        if (sym >= 0 && prog_.symbols[static_cast<size_t>(sym)].kind == Symbol::Constant)
          return prog_.constants[static_cast<size_t>(prog_.symbols[static_cast<size_t>(sym)].index)];
        Variant v;
        if (FindBuiltinConstant(key, v)) return v;
        break;
      }
      default:
        break;
    }
    throw SourceError(err::ExpectedLiteral, e->line, e->column);
  }

  // Upper bound of `Dim a(n)`: an integer constant.
  int32_t dimBound(const Expr* e) {
    Variant v;
    try {
      v = constantValue(e, &locals_);
    } catch (const SourceError&) {
      throw SourceError(err::ExpectedInteger, e->line, e->column);
    }
    if (!v.isNumeric() || v.isEmpty()) throw SourceError(err::ExpectedInteger, e->line, e->column);
    double d = ToDouble(v);
    if (d < -1 || d > 2147483646.0) throw SourceError(err::SubscriptOutOfRange, e->line, e->column);
    return static_cast<int32_t>(std::nearbyint(d));
  }

  // ---------------------------------------------------------------------------------------
  // Procedures

  void resetProcState(Proc* p) {
    p_ = p;
    p->consts.clear();
    p->code.clear();
    p->statements.clear();
    p->dyns.clear();
    p->memberKeys.clear();
    p->memberTexts.clear();
    dynIndex_.clear();
    memberIndex_.clear();
    locals_.clear();
    withRegs_.clear();
    exitFor_.clear();
    exitDo_.clear();
    exitProc_.clear();
    nextSlot_ = 0;
  }

  int newLocal(const std::string& name, bool mayBeRef = false) {
    if (nextSlot_ >= kMaxSlots) throw SourceError(err::SyntaxOutOfMemory, line_, column_);
    LocalInfo info;
    info.slot = nextSlot_++;
    info.mayBeRef = mayBeRef;
    if (!name.empty()) locals_[NameKey(name)] = info;
    return info.slot;
  }
  int hidden() {
    ++hiddenCount_;
    return newLocal(std::string());
  }

  void collectLocalDims(const Block& block, std::vector<const DimItem*>& dims, std::vector<const Stmt*>& consts) {
    collectDeclarations(block, dims, consts);
  }

  // Two passes: the first finds the implicitly declared locals, the second lays the frame out
  // with them (temporaries sit above every local).
  void compileProcedure(Proc* proc, const Procedure* decl) {
    implicit_.clear();
    int hiddenTotal = 0;
    for (int pass = 0; pass < 2; ++pass) {
      hiddenCount_ = 0;
      resetProcState(proc);
      global_ = false;
      collectImplicit_ = pass == 0;
      proc->paramCount = static_cast<int>(decl->params.size());
      proc->byRef.clear();
      for (const Param& prm : decl->params) {
        newLocal(prm.name, prm.byRef);
        proc->byRef.push_back(prm.byRef ? 1 : 0);
      }
      proc->resultSlot = -1;
      if (decl->kind == ProcKind::Function || decl->kind == ProcKind::PropertyGet) {
        std::string key = NameKey(decl->name);
        if (locals_.count(key)) throw SourceError(err::NameRedefined, decl->line, decl->column);
        proc->resultSlot = newLocal(std::string());
        resultKey_ = key;
      } else {
        resultKey_.clear();
      }
      std::vector<const DimItem*> dims;
      std::vector<const Stmt*> consts;
      collectLocalDims(decl->body, dims, consts);
      for (const DimItem* d : dims) {
        std::string key = NameKey(d->name);
        auto it = locals_.find(key);
        if (it != locals_.end()) {
          // ReDim of a parameter or a repeated Dim of the same name is fine; Dim twice is not.
          continue;
        }
        if (key == resultKey_) throw SourceError(err::NameRedefined, d->line, d->column);
        // ReDim of a global array resizes the global; only an unknown name becomes a local.
        if (!isDimItemOfDim(d)) {
          if (cls_ && cls_->memberIndex.count(key)) continue;  // a field of the class
          int sym = prog_.findSymbol(key);
          if (sym >= 0 && prog_.symbols[static_cast<size_t>(sym)].kind == Symbol::Variable) continue;
        }
        newLocal(d->name);
      }
      for (const Stmt* s : consts)
        for (const DimItem& d : s->dims) {
          std::string key = NameKey(d.name);
          if (locals_.count(key) || key == resultKey_) throw SourceError(err::NameRedefined, d.line, d.column);
          LocalInfo info;
          info.isConst = true;
          info.constOperand = constant(constantValue(d.bounds[0], &locals_));
          locals_[key] = info;
        }
      for (const std::string& name : implicit_) newLocal(name);
      // Hidden registers of loops and With blocks sit between the locals and the temporaries:
      // the first pass counts them.
      firstTemp_ = pass == 0 ? kMaxSlots : nextSlot_ + hiddenTotal;
      top_ = maxTop_ = firstTemp_;
      prologueDims(dims, decl->body);
      block(decl->body);
      finishProc(proc);
      hiddenTotal = hiddenCount_;
    }
  }

  void compileGlobal(Proc* proc, const std::vector<const DimItem*>& globalDims) {
    int slots = 0;
    for (int pass = 0; pass < 2; ++pass) {
      resetProcState(proc);
      global_ = true;
      collectImplicit_ = false;
      resultKey_.clear();
      proc->paramCount = 0;
      // Hidden registers of loops and With blocks sit below the temporaries: the first pass
      // counts them.
      firstTemp_ = pass == 0 ? kMaxSlots : slots;
      top_ = maxTop_ = firstTemp_;
      prologueDims(globalDims, chunk_.statements);
      block(chunk_.statements);
      slots = nextSlot_;
      finishProc(proc);
    }
  }

  void finishProc(Proc* proc) {
    // Names of the frame's variables, for Eval and Execute in this procedure's scope.
    proc->localNames.clear();
    for (const auto& [key, info] : locals_)
      if (!info.isConst) proc->localNames.emplace_back(key, info.slot);
    if (proc->resultSlot >= 0 && !resultKey_.empty()) proc->localNames.emplace_back(resultKey_, proc->resultSlot);
    int end = here();
    for (int j : exitProc_) p_->code[static_cast<size_t>(j)].a = end;
    emit(Op::Return);
    proc->slotCount = std::max(maxTop_, nextSlot_);
  }

  // An array declared by Dim is created when its Dim statement runs (Empty before, as in
  // VBScript); its bounds are checked when the procedure is compiled.
  void prologueDims(const std::vector<const DimItem*>& dims, const Block&) {
    std::unordered_set<std::string> done;
    pendingDims_.clear();
    for (const DimItem* d : dims) {
      if (!d->isArray || !isDimItemOfDim(d)) continue;
      std::string key = NameKey(d->name);
      if (!done.insert(key).second) continue;
      line_ = d->line;
      column_ = d->column;
      VarLoc v = variableFor(d->name, true);
      int first = 0;
      int n = static_cast<int>(d->bounds.size());
      for (int i = 0; i < n; ++i) {
        int op = constant(Variant(dimBound(d->bounds[static_cast<size_t>(i)])));
        if (i == 0) first = op;
      }
      // Constants just added are consecutive: K[~first .. ~first + n).
      Instr in;
      in.op = Op::DimArray;
      in.flags = static_cast<uint8_t>(v.kind << 1);
      in.a = v.index;
      in.c = n ? ~first : 0;
      in.n = static_cast<uint16_t>(n);
      pendingDims_[d] = in;
    }
  }
  void dimStatement(const Stmt* s) {
    for (const DimItem& d : s->dims) {
      auto it = pendingDims_.find(&d);
      if (it == pendingDims_.end()) continue;
      beginStatement(d.line, d.column);
      p_->code.push_back(it->second);
      endStatement();
    }
  }
  bool isDimItemOfDim(const DimItem* d) const { return dimItems_.count(d) != 0; }

  // ---------------------------------------------------------------------------------------
  // Emitting

  int here() const { return static_cast<int>(p_->code.size()); }
  Instr& emit(Op op, int a = 0, int b = 0, int c = 0, int d = 0) {
    if (p_->code.size() >= (1u << 24)) throw SourceError(err::SyntaxOutOfMemory, line_, column_);
    Instr in;
    in.op = op;
    in.a = a;
    in.b = b;
    in.c = c;
    in.d = d;
    p_->code.push_back(in);
    return p_->code.back();
  }
  int constant(const Variant& v) {
    p_->consts.push_back(v);
    return ~static_cast<int>(p_->consts.size() - 1);
  }
  int temp() {
    int r = top_++;
    maxTop_ = std::max(maxTop_, top_);
    if (top_ >= kMaxSlots * 2) throw SourceError(err::OutOfStack, line_, column_);
    return r;
  }
  int member(const std::string& name) {
    std::string key = NameKey(name);
    auto it = memberIndex_.find(key);
    if (it != memberIndex_.end()) return it->second;
    p_->memberKeys.push_back(key);
    p_->memberTexts.push_back(name);
    int idx = static_cast<int>(p_->memberKeys.size()) - 1;
    memberIndex_[key] = idx;
    return idx;
  }
  int dyn(const std::string& name) {
    std::string key = NameKey(name);
    auto it = dynIndex_.find(key);
    if (it != dynIndex_.end()) return it->second;
    DynName d;
    d.key = key;
    d.text = name;
    d.explicitOnly = explicit_;
    p_->dyns.push_back(std::move(d));
    int idx = static_cast<int>(p_->dyns.size()) - 1;
    dynIndex_[key] = idx;
    return idx;
  }
  int text(const std::string& s) { return member(s); }

  void beginStatement(int line, int column) {
    line_ = line;
    column_ = column;
    stmtBegin_ = here();
    top_ = firstTemp_;
  }
  void endStatement() {
    int end = here();
    if (end > stmtBegin_)
      p_->statements.push_back({static_cast<uint32_t>(stmtBegin_), static_cast<uint32_t>(end), line_, column_});
    top_ = firstTemp_;
  }
  void raise(int32_t number, const std::string& name = {}) {
    emit(Op::RaiseError, number, 0, 0, name.empty() ? -1 : text(name));
  }

  // ---------------------------------------------------------------------------------------
  // Names

  Resolved resolve(const std::string& name, bool declareImplicit) {
    std::string key = NameKey(name);
    Resolved r;
    auto it = locals_.find(key);
    if (it != locals_.end()) {
      if (it->second.isConst) {
        r.kind = Resolved::Const;
        r.constOperand = it->second.constOperand;
      } else {
        r.kind = Resolved::Variable;
        r.var = {VarLoc::Local, it->second.slot, it->second.mayBeRef};
      }
      return r;
    }
    if (!resultKey_.empty() && key == resultKey_) {
      r.kind = Resolved::Variable;
      r.var = {VarLoc::Local, p_->resultSlot, false};
      return r;
    }
    if (cls_) {
      auto mi = cls_->memberIndex.find(key);
      if (mi != cls_->memberIndex.end()) {
        const ClassMember& m = cls_->members[static_cast<size_t>(mi->second)];
        if (m.field >= 0) {
          r.kind = Resolved::Variable;
          r.var = {VarLoc::Field, m.field, false};
        } else {
          r.kind = Resolved::ClassMember;
          r.index = mi->second;
        }
        return r;
      }
    }
    int sym = prog_.findSymbol(key);
    if (sym >= 0) {
      const Symbol& s = prog_.symbols[static_cast<size_t>(sym)];
      switch (s.kind) {
        case Symbol::Variable:
          r.kind = Resolved::Variable;
          r.var = {VarLoc::Global, s.index, false};
          return r;
        case Symbol::Constant:
          r.kind = Resolved::Const;
          r.constOperand = constant(prog_.constants[static_cast<size_t>(s.index)]);
          return r;
        case Symbol::Procedure:
          r.kind = Resolved::Procedure;
          r.index = s.index;
          return r;
        case Symbol::HostObj:
          r.kind = Resolved::HostObject;
          r.index = s.index;
          return r;
        case Symbol::HostMember:
          r.kind = Resolved::HostMember;
          r.index = s.index;
          r.member = s.member;
          return r;
        case Symbol::Class:
          r.kind = Resolved::Unknown;  // a class name is no variable
          return r;
      }
    }
    if (key == "err") {
      r.kind = Resolved::ErrObject;
      return r;
    }
    int b = FindBuiltin(key);
    if (b >= 0) {
      r.kind = Resolved::BuiltinFn;
      r.index = b;
      return r;
    }
    Variant cv;
    if (FindBuiltinConstant(key, cv)) {
      r.kind = Resolved::Const;
      r.constOperand = constant(cv);
      return r;
    }
    // Unknown here.
    if (explicit_) {
      if (global_) {
        r.kind = Resolved::Unknown;  // script-level code runs now: nothing can define it later
        return r;
      }
      r.kind = Resolved::Dyn;
      r.index = dyn(name);
      return r;
    }
    if (!declareImplicit) {
      r.kind = Resolved::Dyn;
      r.index = dyn(name);
      return r;
    }
    if (global_) {
      declareGlobal(name);
      int s2 = prog_.findSymbol(key);
      r.kind = Resolved::Variable;
      r.var = {VarLoc::Global, s2 >= 0 ? prog_.symbols[static_cast<size_t>(s2)].index : 0, false};
      return r;
    }
    // An implicitly declared local: known after the first pass.
    if (collectImplicit_) {
      if (std::find(implicit_.begin(), implicit_.end(), name) == implicit_.end()) {
        bool dup = false;
        for (const auto& n : implicit_)
          if (NameKey(n) == key) dup = true;
        if (!dup) implicit_.push_back(name);
      }
      int slot = newLocal(name);
      r.kind = Resolved::Variable;
      r.var = {VarLoc::Local, slot, false};
      return r;
    }
    r.kind = Resolved::Dyn;  // not reached: the second pass knows every implicit local
    r.index = dyn(name);
    return r;
  }

  // Inside a Function, its name with arguments (or as a statement) calls it again; alone it
  // is the result variable.
  void selfCall(const std::string& name, Resolved& r) {
    if (resultKey_.empty() || NameKey(name) != resultKey_) return;
    if (cls_) {
      auto mi = cls_->memberIndex.find(resultKey_);
      if (mi == cls_->memberIndex.end()) return;
      r = Resolved{};
      r.kind = Resolved::ClassMember;
      r.index = mi->second;
      return;
    }
    int sym = prog_.findSymbol(resultKey_);
    if (sym < 0 || prog_.symbols[static_cast<size_t>(sym)].kind != Symbol::Procedure) return;
    if (prog_.procs[static_cast<size_t>(prog_.symbols[static_cast<size_t>(sym)].index)].get() != p_) return;
    r = Resolved{};
    r.kind = Resolved::Procedure;
    r.index = prog_.symbols[static_cast<size_t>(sym)].index;
  }

  static Op refOp(VarLoc::Kind k) {
    switch (k) {
      case VarLoc::Local: return Op::RefL;
      case VarLoc::Global: return Op::RefG;
      case VarLoc::Field: return Op::RefField;
      default: return Op::RefDyn;
    }
  }

  // The variable a name denotes when it is written (declares implicit variables).
  VarLoc variableFor(const std::string& name, bool forWrite) {
    Resolved r = resolve(name, forWrite);
    if (r.kind == Resolved::Variable) return r.var;
    if (r.kind == Resolved::Dyn) return {VarLoc::Dyn, r.index, false};
    return {};
  }

  // ---------------------------------------------------------------------------------------
  // Expressions

  static bool isLiteralLike(const Expr* e) {
    while (e->kind == ExprKind::Paren) e = e->target;
    return e->kind == ExprKind::Literal;
  }

  // Places the value in register `dest`.
  void exprTo(const Expr* e, int dest) {
    int op = expr(e, dest);
    if (op != dest) emit(Op::Move, dest, op);
  }

  // The two operands of a binary or comparison node, and the register its result goes to. The
  // operands' temporaries are free again once the operation has read them.
  int operands(const Expr* e, int dest, int& left, int& right) {
    int mark = top_;
    left = expr(e->left);
    right = expr(e->right);
    top_ = mark;
    return dest >= 0 ? dest : temp();
  }

  // Compiles an expression; returns an operand (register or constant). With `dest` >= 0 the
  // final operation may write there directly.
  int expr(const Expr* e, int dest = -1) {
    switch (e->kind) {
      case ExprKind::Literal: return constant(e->value);
      case ExprKind::Missing: return constant(MissingArgument());
      case ExprKind::Paren: return expr(e->target, dest);
      case ExprKind::Unary: {
        int mark = top_;
        int v = expr(e->target);
        if (e->unary == UnaryOp::Plus) return v;
        top_ = mark;
        int d = dest >= 0 ? dest : temp();
        emit(e->unary == UnaryOp::Neg ? Op::Neg : Op::Not, d, v);
        return d;
      }
      case ExprKind::Binary: {
        int l = 0, r = 0;
        int d = operands(e, dest, l, r);
        static const Op ops[] = {Op::Add, Op::Sub, Op::Mul, Op::Div, Op::IntDiv, Op::Mod, Op::Pow,
                                 Op::Concat, Op::And, Op::Or, Op::Xor, Op::Eqv, Op::Imp};
        emit(ops[static_cast<int>(e->binary)], d, l, r);
        return d;
      }
      case ExprKind::Compare: {
        int l = 0, r = 0;
        int d = operands(e, dest, l, r);
        static const Op ops[] = {Op::Eq, Op::Ne, Op::Lt, Op::Gt, Op::Le, Op::Ge};
        Instr& in = emit(ops[static_cast<int>(e->compare)], d, l, r);
        in.flags = (isLiteralLike(e->left) || isLiteralLike(e->right) || isConstName(e->left) || isConstName(e->right)) ? 1 : 0;
        return d;
      }
      case ExprKind::Is: {
        int mark = top_;
        int l = expr(e->left);
        int r = expr(e->right);
        top_ = mark;
        int d = dest >= 0 ? dest : temp();
        emit(Op::Is, d, l, r);
        return d;
      }
      case ExprKind::Name: return nameValue(e, dest);
      case ExprKind::Call: return callValue(e, dest);
      case ExprKind::Member: {
        int d = dest >= 0 ? dest : temp();
        memberCall(e, {}, d);
        return d;
      }
      case ExprKind::New: {
        int d = dest >= 0 ? dest : temp();
        int sym = prog_.findSymbol(NameKey(e->name));
        if (sym >= 0 && prog_.symbols[static_cast<size_t>(sym)].kind == Symbol::Class) {
          emit(Op::NewObject, d, prog_.symbols[static_cast<size_t>(sym)].index);
        } else {
          // A class of a later chunk: found by name when it runs.
          Instr& in = emit(Op::NewObject, d, -1, 0, text(e->name));
          in.flags = 1;
        }
        return d;
      }
      case ExprKind::Me: {
        int d = dest >= 0 ? dest : temp();
        if (cls_) emit(Op::LoadMe, d);
        else raise(err::InvalidReference);
        return d;
      }
    }
    return constant(Variant());
  }

  bool isConstName(const Expr* e) {
    while (e->kind == ExprKind::Paren) e = e->target;
    if (e->kind != ExprKind::Name) return false;
    std::string key = NameKey(e->name);
    auto it = locals_.find(key);
    if (it != locals_.end()) return it->second.isConst;
    int sym = prog_.findSymbol(key);
    if (sym >= 0) return prog_.symbols[static_cast<size_t>(sym)].kind == Symbol::Constant;
    Variant v;
    return FindBuiltinConstant(key, v);
  }

  int loadVariable(const VarLoc& v, int dest) {
    switch (v.kind) {
      case VarLoc::Local:
        return v.index;
      case VarLoc::Global: {
        int d = dest >= 0 ? dest : temp();
        emit(Op::LoadG, d, v.index);
        return d;
      }
      case VarLoc::Dyn: {
        int d = dest >= 0 ? dest : temp();
        emit(Op::LoadDyn, d, v.index);
        return d;
      }
      case VarLoc::Field: {
        int d = dest >= 0 ? dest : temp();
        emit(Op::LoadField, d, v.index);
        return d;
      }
      default:
        return constant(Variant());
    }
  }

  int nameValue(const Expr* e, int dest) {
    Resolved r = resolve(e->name, true);
    switch (r.kind) {
      case Resolved::Variable: return loadVariable(r.var, dest);
      case Resolved::Const: return r.constOperand;
      case Resolved::Dyn: return loadVariable({VarLoc::Dyn, r.index, false}, dest);
      case Resolved::Unknown: {
        raise(err::VariableUndefined, e->name);
        return constant(Variant());
      }
      default: {
        int d = dest >= 0 ? dest : temp();
        callResolved(r, e->name, {}, d, e);
        return d;
      }
    }
  }

  // `name(args)` or `target(args)` as a value.
  int callValue(const Expr* e, int dest) {
    const Expr* target = e->target;
    int d = dest >= 0 ? dest : temp();
    if (target->kind == ExprKind::Name) {
      Resolved r = resolve(target->name, false);
      selfCall(target->name, r);
      switch (r.kind) {
        case Resolved::Variable: case Resolved::Const: {
          int mark = top_;
          int v = r.kind == Resolved::Const ? r.constOperand : loadVariable(r.var, -1);
          int base = args(e->args, nullptr);
          top_ = std::max(mark, top_);
          Instr& in = emit(Op::Index, d, v, base);
          in.n = static_cast<uint16_t>(e->args.size());
          top_ = mark;
          return d;
        }
        case Resolved::Unknown:
          raise(err::VariableUndefined, target->name);
          return d;
        default:
          callResolved(r, target->name, e->args, d, e);
          return d;
      }
    }
    if (target->kind == ExprKind::Member) {
      memberCall(target, e->args, d);
      return d;
    }
    int mark = top_;
    int v = expr(target);
    int base = args(e->args, nullptr);
    Instr& in = emit(Op::Index, d, v, base);
    in.n = static_cast<uint16_t>(e->args.size());
    top_ = mark;
    return d;
  }

  // Arguments by value into consecutive new registers; returns the first register.
  int args(const std::vector<Expr*>& list, std::vector<uint8_t>* unused) {
    (void)unused;
    checkArgCount(list.size());
    int base = top_;
    std::vector<int> regs;
    for (size_t i = 0; i < list.size(); ++i) regs.push_back(temp());
    for (size_t i = 0; i < list.size(); ++i) exprTo(list[i], regs[i]);
    return base;
  }
  void checkArgCount(size_t n) {
    if (n > 4000) throw SourceError(err::SyntaxOutOfMemory, line_, column_);
  }

  // A write-back owed after a call: `F a(i)` passes a copy of the element by reference and
  // stores it back afterwards (an element reference could not survive ReDim inside F).
  struct WriteBack {
    VarLoc var;
    int elemReg;
    int indexBase;
    int nIndex;
  };

  // Arguments of a call to a script procedure: variables by reference where `byRef` says so
  // (all when the callee is unknown).
  int refArgs(const std::vector<Expr*>& list, const std::vector<uint8_t>* byRef, std::vector<WriteBack>& writeBacks) {
    checkArgCount(list.size());
    int base = top_;
    std::vector<int> regs;
    for (size_t i = 0; i < list.size(); ++i) regs.push_back(temp());
    for (size_t i = 0; i < list.size(); ++i) {
      const Expr* a = list[i];
      bool wantRef = byRef == nullptr || (i < byRef->size() && (*byRef)[i]);
      if (wantRef && a->kind == ExprKind::Name) {
        Resolved r = resolve(a->name, true);
        if (r.kind == Resolved::Variable || r.kind == Resolved::Dyn) {
          VarLoc v = r.kind == Resolved::Dyn ? VarLoc{VarLoc::Dyn, r.index, false} : r.var;
          emit(refOp(v.kind), regs[i], v.index);
          continue;
        }
      }
      if (wantRef && a->kind == ExprKind::Call && a->target->kind == ExprKind::Name && !a->args.empty()) {
        Resolved r = resolve(a->target->name, false);
        selfCall(a->target->name, r);
        if (r.kind == Resolved::Variable || (r.kind == Resolved::Dyn)) {
          VarLoc v = r.kind == Resolved::Dyn ? VarLoc{VarLoc::Dyn, r.index, false} : r.var;
          // Index values and the element copy live in registers kept until the write-back.
          int ib = args(a->args, nullptr);
          int elem = temp();
          int arr = loadVariable(v, -1);
          Instr& in = emit(Op::Index, elem, arr, ib);
          in.n = static_cast<uint16_t>(a->args.size());
          emit(Op::RefL, regs[i], elem);
          writeBacks.push_back({v, elem, ib, static_cast<int>(a->args.size())});
          continue;
        }
      }
      exprTo(a, regs[i]);
    }
    return base;
  }

  void emitWriteBacks(const std::vector<WriteBack>& wbs) {
    for (const WriteBack& w : wbs) {
      Op op = w.var.kind == VarLoc::Local    ? Op::WriteBackL
              : w.var.kind == VarLoc::Global ? Op::WriteBackG
              : w.var.kind == VarLoc::Field  ? Op::WriteBackField
                                             : Op::WriteBackDyn;
      Instr& in = emit(op, w.var.index, w.elemReg, w.indexBase);
      in.n = static_cast<uint16_t>(w.nIndex);
    }
  }

  // Calls what a name resolved to; d < 0 discards the result.
  void callResolved(const Resolved& r, const std::string& name, const std::vector<Expr*>& list, int d, const Expr*) {
    int mark = top_;
    switch (r.kind) {
      case Resolved::Procedure: {
        Proc* callee = prog_.procs[static_cast<size_t>(r.index)].get();
        std::vector<WriteBack> wbs;
        int base = refArgs(list, &callee->byRef, wbs);
        if (static_cast<int>(list.size()) != callee->paramCount) {
          raise(err::WrongArgCount, name);
          break;
        }
        Instr& in = emit(Op::CallProc, d, r.index, base);
        in.n = static_cast<uint16_t>(list.size());
        emitWriteBacks(wbs);
        break;
      }
      case Resolved::HostMember: {
        int base = args(list, nullptr);
        Instr& in = emit(Op::CallHost, d, r.index, base, r.member);
        in.n = static_cast<uint16_t>(list.size());
        break;
      }
      case Resolved::HostObject: {
        if (list.empty()) {
          emit(Op::LoadHost, d < 0 ? temp() : d, r.index);
        } else {
          int base = args(list, nullptr);
          Instr& in = emit(Op::CallHost, d, r.index, base, Object::kDefaultMember);
          in.n = static_cast<uint16_t>(list.size());
        }
        break;
      }
      case Resolved::BuiltinFn: {
        const Builtin& b = Builtins()[static_cast<size_t>(r.index)];
        int n = static_cast<int>(list.size());
        if (n < b.minArgs || n > b.maxArgs) {
          raise(err::WrongArgCount, b.name);
          break;
        }
        if (b.isStatement && d >= 0) {
          raise(err::TypeMismatch, b.name);
          break;
        }
        int base = args(list, nullptr);
        Instr& in = emit(Op::CallBuiltin, d < 0 ? temp() : d, r.index, base);
        in.n = static_cast<uint16_t>(n);
        break;
      }
      case Resolved::ErrObject: {
        int reg = d < 0 ? temp() : d;
        emit(Op::LoadErr, reg);
        if (!list.empty()) {
          int base = args(list, nullptr);
          Instr& in = emit(Op::Index, reg, reg, base);
          in.n = static_cast<uint16_t>(list.size());
        }
        break;
      }
      case Resolved::ClassMember: {
        // A method or property of the class called from inside it: on Me, private ones too.
        int me = temp();
        emit(Op::LoadMe, me);
        std::vector<WriteBack> wbs;
        int base = refArgs(list, nullptr, wbs);
        Instr& in = emit(Op::MemberGet, d, me, base, member(name));
        in.n = static_cast<uint16_t>(list.size());
        in.flags = 1 | kFlagTemp;
        emitWriteBacks(wbs);
        break;
      }
      case Resolved::Dyn: {
        std::vector<WriteBack> wbs;
        int base = refArgs(list, nullptr, wbs);
        Instr& in = emit(Op::CallDyn, d, r.index, base);
        in.n = static_cast<uint16_t>(list.size());
        emitWriteBacks(wbs);
        break;
      }
      default:
        raise(err::TypeMismatch, name);
        break;
    }
    top_ = mark;
  }

  // obj.name(args) as a value (d >= 0) or statement (d < 0).
  void memberCall(const Expr* m, const std::vector<Expr*>& list, int d) {
    int mark = top_;
    // `Host.Member` is resolved now.
    if (m->target && m->target->kind == ExprKind::Name) {
      Resolved r = resolve(m->target->name, false);
      if (r.kind == Resolved::HostObject) {
        const HostEntry& h = prog_.hosts[static_cast<size_t>(r.index)];
        auto it = h.memberIndex.find(NameKey(m->name));
        if (it != h.memberIndex.end()) {
          int base = args(list, nullptr);
          Instr& in = emit(Op::CallHost, d, r.index, base, it->second);
          in.n = static_cast<uint16_t>(list.size());
          top_ = mark;
          return;
        }
      }
    }
    int obj = objectOperand(m);
    // Script objects take arguments by reference like procedures do.
    std::vector<WriteBack> wbs;
    int base = refArgs(list, nullptr, wbs);
    Instr& in = emit(Op::MemberGet, d, obj, base, member(m->name));
    in.n = static_cast<uint16_t>(list.size());
    in.flags = onMe(m) ? 1 : 0;
    markTemp(obj);
    emitWriteBacks(wbs);
    top_ = mark;
  }

  static bool onMe(const Expr* m) { return m->target && m->target->kind == ExprKind::Me; }

  // `Prop = v` / `Prop(i) = v` inside a class: the property of Me.
  void meMemberAssign(const std::string& name, const std::vector<Expr*>& list, const Expr* value, bool isSet) {
    int me = temp();
    emit(Op::LoadMe, me);
    int base = args(list, nullptr);
    int val = expr(value);
    Instr& in = emit(Op::MemberLet, me, val, base, member(name));
    in.n = static_cast<uint16_t>(list.size());
    in.flags = static_cast<uint8_t>((isSet ? kFlagSet : 0) | 2 | kFlagTemp);
  }

  int objectOperand(const Expr* m) {
    if (!m->target) {
      if (withRegs_.empty()) throw SourceError(err::InvalidReference, m->line, m->column);
      return withRegs_.back();
    }
    return expr(m->target);
  }

  // ---------------------------------------------------------------------------------------
  // Statements

  void block(const Block& b) {
    for (const Stmt* s : b) statement(s);
  }

  void statement(const Stmt* s) {
    switch (s->kind) {
      case StmtKind::Assign: case StmtKind::Set: assign(s); break;
      case StmtKind::CallStmt: callStatement(s); break;
      case StmtKind::Dim: dimStatement(s); break;  // names hoisted, arrays created here
      case StmtKind::Const: break;
      case StmtKind::ReDim: redim(s); break;
      case StmtKind::Erase: erase(s); break;
      case StmtKind::If: ifStatement(s); break;
      case StmtKind::For: forStatement(s); break;
      case StmtKind::ForEach: forEachStatement(s); break;
      case StmtKind::Do: doStatement(s); break;
      case StmtKind::While: whileStatement(s); break;
      case StmtKind::Select: selectStatement(s); break;
      case StmtKind::With: withStatement(s); break;
      case StmtKind::OnError: {
        beginStatement(s->line, s->column);
        Instr& in = emit(Op::OnError);
        in.flags = s->resumeNext ? 1 : 0;
        endStatement();
        break;
      }
      case StmtKind::Exit: exitStatement(s); break;
    }
  }

  // The last instruction's value/object register is a temporary that is not read again.
  void markTemp(int reg) {
    if (reg >= firstTemp_ && reg >= 0) p_->code.back().flags |= kFlagTemp;
  }

  void storeVariable(const VarLoc& v, int value, bool isSet, const std::string& name) {
    switch (v.kind) {
      case VarLoc::Local: emit(isSet ? Op::SetL : Op::LetL, v.index, value); break;
      case VarLoc::Global: emit(isSet ? Op::SetG : Op::LetG, v.index, value); break;
      case VarLoc::Dyn: emit(isSet ? Op::SetDyn : Op::LetDyn, v.index, value); break;
      case VarLoc::Field: emit(isSet ? Op::SetField : Op::LetField, v.index, value); break;
      default: raise(err::IllegalAssignment, name); return;
    }
    markTemp(value);
  }

  // Results of these never are objects or arrays: they may be written straight into a local.
  static bool plainResult(const Expr* e) {
    switch (e->kind) {
      case ExprKind::Binary: case ExprKind::Unary: case ExprKind::Compare: case ExprKind::Is: return true;
      default: return false;
    }
  }

  void assign(const Stmt* s) {
    beginStatement(s->line, s->column);
    bool isSet = s->kind == StmtKind::Set;
    const Expr* lhs = s->lhs;
    if (lhs->kind == ExprKind::Name) {
      Resolved r = resolve(lhs->name, true);
      if (r.kind == Resolved::Variable || r.kind == Resolved::Dyn) {
        VarLoc v = r.kind == Resolved::Dyn ? VarLoc{VarLoc::Dyn, r.index, false} : r.var;
        if (v.kind == VarLoc::Local && !v.mayBeRef && !isSet && plainResult(s->expr)) {
          int op = expr(s->expr, v.index);
          if (op != v.index) {
            emit(Op::LetL, v.index, op);
            markTemp(op);
          }
        } else {
          int op = expr(s->expr);
          storeVariable(v, op, isSet, lhs->name);
        }
      } else if (r.kind == Resolved::HostMember) {
        int val = expr(s->expr);
        int reg = temp();
        emit(Op::Move, reg, val);
        Instr& in = emit(Op::CallHost, -1, r.index, reg, r.member);
        in.flags = static_cast<uint8_t>(isSet ? InvokeKind::Set : InvokeKind::Let);
        in.n = 1;  // the value is the only argument
      } else if (r.kind == Resolved::ClassMember) {
        meMemberAssign(lhs->name, {}, s->expr, isSet);
      } else if (r.kind == Resolved::Unknown) {
        raise(err::VariableUndefined, lhs->name);
      } else {
        expr(s->expr);
        raise(err::IllegalAssignment, lhs->name);
      }
      endStatement();
      return;
    }
    if (lhs->kind == ExprKind::Member) {
      memberAssign(lhs, {}, s->expr, isSet);
      endStatement();
      return;
    }
    // lhs is a call: a(i) = v, obj.p(i) = v
    const Expr* target = lhs->target;
    if (target->kind == ExprKind::Member) {
      memberAssign(target, lhs->args, s->expr, isSet);
      endStatement();
      return;
    }
    if (target->kind == ExprKind::Name) {
      Resolved r = resolve(target->name, true);
      if (r.kind == Resolved::Variable || r.kind == Resolved::Dyn) {
        VarLoc v = r.kind == Resolved::Dyn ? VarLoc{VarLoc::Dyn, r.index, false} : r.var;
        int base = args(lhs->args, nullptr);
        int val = expr(s->expr);
        Op op = v.kind == VarLoc::Local    ? Op::ElemLetL
                : v.kind == VarLoc::Global ? Op::ElemLetG
                : v.kind == VarLoc::Field  ? Op::ElemLetField
                                           : Op::ElemLetDyn;
        Instr& in = emit(op, v.index, val, base);
        in.n = static_cast<uint16_t>(lhs->args.size());
        in.flags = isSet ? kFlagSet : 0;
        endStatement();
        return;
      }
      if (r.kind == Resolved::HostMember) {
        int base = args(lhs->args, nullptr);
        int valReg = temp();
        exprTo(s->expr, valReg);
        Instr& in = emit(Op::CallHost, -1, r.index, base, r.member);
        in.flags = static_cast<uint8_t>(isSet ? InvokeKind::Set : InvokeKind::Let);
        in.n = static_cast<uint16_t>(lhs->args.size() + 1);
        endStatement();
        return;
      }
      if (r.kind == Resolved::ClassMember) {
        meMemberAssign(target->name, lhs->args, s->expr, isSet);
        endStatement();
        return;
      }
      if (r.kind == Resolved::Unknown) {
        raise(err::VariableUndefined, target->name);
        endStatement();
        return;
      }
    }
    raise(err::IllegalAssignment, target->kind == ExprKind::Name ? target->name : std::string());
    endStatement();
  }

  // obj.name(args) = value: the value goes last in the argument registers.
  void memberAssign(const Expr* m, const std::vector<Expr*>& list, const Expr* value, bool isSet) {
    if (m->target && m->target->kind == ExprKind::Name) {
      Resolved r = resolve(m->target->name, false);
      if (r.kind == Resolved::HostObject) {
        const HostEntry& h = prog_.hosts[static_cast<size_t>(r.index)];
        auto it = h.memberIndex.find(NameKey(m->name));
        if (it != h.memberIndex.end()) {
          int base = args(list, nullptr);
          int valReg = temp();
          exprTo(value, valReg);
          Instr& in = emit(Op::CallHost, -1, r.index, base, it->second);
          in.flags = static_cast<uint8_t>(isSet ? InvokeKind::Set : InvokeKind::Let);
          in.n = static_cast<uint16_t>(list.size() + 1);
          return;
        }
      }
    }
    int obj = objectOperand(m);
    int base = args(list, nullptr);
    int val = expr(value);
    Instr& in = emit(Op::MemberLet, obj, val, base, member(m->name));
    in.n = static_cast<uint16_t>(list.size());
    in.flags = static_cast<uint8_t>((isSet ? kFlagSet : 0) | (onMe(m) ? 2 : 0));
    markTemp(obj);
  }

  void callStatement(const Stmt* s) {
    beginStatement(s->line, s->column);
    const Expr* callee = s->lhs;
    if (callee->kind == ExprKind::Name) {
      Resolved r = resolve(callee->name, false);
      selfCall(callee->name, r);
      switch (r.kind) {
        case Resolved::Variable: case Resolved::Const: {
          int v = r.kind == Resolved::Const ? r.constOperand : loadVariable(r.var, -1);
          int base = args(s->args, nullptr);
          Instr& in = emit(Op::CallValue, -1, v, base, text(callee->name));
          in.n = static_cast<uint16_t>(s->args.size());
          markTemp(v);
          break;
        }
        case Resolved::Unknown:
          raise(err::VariableUndefined, callee->name);
          break;
        default:
          callResolved(r, callee->name, s->args, -1, callee);
          break;
      }
    } else if (callee->kind == ExprKind::Member) {
      memberCall(callee, s->args, -1);
    } else {
      int v = expr(callee);
      int base = args(s->args, nullptr);
      Instr& in = emit(Op::CallValue, -1, v, base, -1);
      in.n = static_cast<uint16_t>(s->args.size());
      markTemp(v);
    }
    endStatement();
  }

  void redim(const Stmt* s) {
    for (const DimItem& d : s->dims) {
      beginStatement(d.line, d.column);
      VarLoc v = variableFor(d.name, true);
      if (v.kind == VarLoc::None) {
        raise(explicit_ && global_ ? err::VariableUndefined : err::IllegalAssignment, d.name);
      } else {
        int base = args(d.bounds, nullptr);
        Instr& in = emit(Op::ReDim, v.index, 0, base);
        in.flags = static_cast<uint8_t>((v.kind << 1) | (s->preserve ? 1 : 0));
        in.n = static_cast<uint16_t>(d.bounds.size());
      }
      endStatement();
    }
  }

  void erase(const Stmt* s) {
    for (const DimItem& d : s->dims) {
      beginStatement(d.line, d.column);
      VarLoc v = variableFor(d.name, false);
      if (v.kind == VarLoc::None) {
        raise(err::TypeMismatch, d.name);
      } else {
        Instr& in = emit(Op::Erase, v.index);
        in.flags = static_cast<uint8_t>(v.kind << 1);
      }
      endStatement();
    }
  }

  // Condition jump: to `target` when the value is false (or true).
  int condJump(const Expr* cond, bool jumpIfTrue) {
    int v = expr(cond);
    emit(jumpIfTrue ? Op::JmpTrue : Op::JmpFalse, -1, v);
    return here() - 1;
  }
  void patch(int at, int target) { p_->code[static_cast<size_t>(at)].a = target; }

  void ifStatement(const Stmt* s) {
    std::vector<int> toEnd;
    for (size_t i = 0; i < s->conditions.size(); ++i) {
      const Expr* c = s->conditions[i];
      beginStatement(i == 0 ? s->line : c->line, i == 0 ? s->column : c->column);
      int jf = condJump(c, false);
      endStatement();
      block(s->blocks[i]);
      bool last = i + 1 == s->conditions.size() && !s->hasElse;
      if (!last) {
        emit(Op::Jmp);
        toEnd.push_back(here() - 1);
      }
      patch(jf, here());
    }
    if (s->hasElse) block(s->blocks.back());
    for (int j : toEnd) patch(j, here());
  }

  // The counter of a For or For Each loop as a register: the local itself, or a hidden register
  // holding a reference to the variable.
  int loopVariable(const std::string& name, int line, int column) {
    VarLoc v = variableFor(name, true);
    if (v.kind == VarLoc::Local) return v.index;
    int reg = hidden();
    if (v.kind == VarLoc::None) {
      line_ = line;
      column_ = column;
      raise(explicit_ ? err::VariableUndefined : err::InvalidForVariable, name);
      return reg;
    }
    emit(refOp(v.kind), reg, v.index);
    return reg;
  }

  void forStatement(const Stmt* s) {
    int endReg = hidden(), stepReg = hidden();
    beginStatement(s->line, s->column);
    int startTmp = temp();
    exprTo(s->expr, startTmp);
    exprTo(s->to, endReg);
    if (s->step) exprTo(s->step, stepReg);
    else emit(Op::Move, stepReg, constant(Variant::Integer(1)));
    int counter = loopVariable(s->name, s->nameLine, s->nameColumn);
    emit(Op::LetL, counter, startTmp);
    markTemp(startTmp);
    emit(Op::ForPrep, counter, endReg, stepReg, -1);
    int prep = here() - 1;
    endStatement();
    int body = here();
    exitFor_.emplace_back();
    block(s->body);
    beginStatement(s->line, s->column);
    emit(Op::ForStep, counter, endReg, stepReg, body);
    endStatement();
    int exit = here();
    p_->code[static_cast<size_t>(prep)].d = exit;
    for (int j : exitFor_.back()) patch(j, exit);
    exitFor_.pop_back();
  }

  void forEachStatement(const Stmt* s) {
    int items = hidden(), index = hidden();
    beginStatement(s->line, s->column);
    exprTo(s->expr, items);
    emit(Op::ForEachPrep, items, index);
    int counter = loopVariable(s->name, s->nameLine, s->nameColumn);
    endStatement();
    int head = here();
    beginStatement(s->line, s->column);
    emit(Op::ForEachNext, items, index, counter, -1);
    endStatement();
    exitFor_.emplace_back();
    block(s->body);
    Instr& back = emit(Op::Jmp, head);
    back.flags = kFlagBackEdge;
    int exit = here();
    p_->code[static_cast<size_t>(head)].d = exit;
    for (int j : exitFor_.back()) patch(j, exit);
    exitFor_.pop_back();
    // Release the collection.
    emit(Op::Move, items, constant(Variant()));
  }

  void doStatement(const Stmt* s) {
    exitDo_.emplace_back();
    int head = here();
    int jexit = -1;
    if (s->pre != LoopCond::None) {
      beginStatement(s->line, s->column);
      jexit = condJump(s->expr, s->pre == LoopCond::Until);
      endStatement();
    }
    block(s->body);
    if (s->post != LoopCond::None) {
      beginStatement(s->expr->line, s->expr->column);
      int v = expr(s->expr);
      Instr& in = emit(s->post == LoopCond::While ? Op::JmpTrue : Op::JmpFalse, head, v);
      in.flags = kFlagBackEdge;
      endStatement();
    } else {
      Instr& in = emit(Op::Jmp, head);
      in.flags = kFlagBackEdge;
    }
    int exit = here();
    if (jexit >= 0) patch(jexit, exit);
    for (int j : exitDo_.back()) patch(j, exit);
    exitDo_.pop_back();
  }

  void whileStatement(const Stmt* s) {
    int head = here();
    beginStatement(s->line, s->column);
    int jexit = condJump(s->expr, false);
    endStatement();
    // While ... Wend has no Exit statement of its own; Exit Do inside leaves the enclosing Do.
    block(s->body);
    Instr& in = emit(Op::Jmp, head);
    in.flags = kFlagBackEdge;
    patch(jexit, here());
  }

  void selectStatement(const Stmt* s) {
    int subject = hidden();
    beginStatement(s->line, s->column);
    exprTo(s->expr, subject);
    endStatement();
    std::vector<int> toEnd;
    for (const CaseClause& c : s->cases) {
      if (c.isElse) {
        block(c.body);
        break;
      }
      beginStatement(c.line, c.column);
      std::vector<int> toBody;
      for (const CaseItem& item : c.items) {
        int mark = top_;
        int t = temp();
        if (item.kind == CaseItem::Range) {
          int lo = expr(item.a);
          Instr& ge = emit(Op::Ge, t, subject, lo);
          ge.flags = isLiteralLike(item.a) ? 1 : 0;
          emit(Op::JmpFalse, -1, t);
          int skip = here() - 1;
          int hi = expr(item.b);
          Instr& le = emit(Op::Le, t, subject, hi);
          le.flags = isLiteralLike(item.b) ? 1 : 0;
          emit(Op::JmpTrue, -1, t);
          toBody.push_back(here() - 1);
          patch(skip, here());
        } else {
          int v = expr(item.a);
          static const Op ops[] = {Op::Eq, Op::Ne, Op::Lt, Op::Gt, Op::Le, Op::Ge};
          Op op = item.kind == CaseItem::IsCompare ? ops[static_cast<int>(item.op)] : Op::Eq;
          Instr& in = emit(op, t, subject, v);
          in.flags = (isLiteralLike(item.a) || isConstName(item.a)) ? 1 : 0;
          emit(Op::JmpTrue, -1, t);
          toBody.push_back(here() - 1);
        }
        top_ = mark;
      }
      emit(Op::Jmp);
      int toNext = here() - 1;
      endStatement();
      for (int j : toBody) patch(j, here());
      block(c.body);
      emit(Op::Jmp);
      toEnd.push_back(here() - 1);
      patch(toNext, here());
    }
    for (int j : toEnd) patch(j, here());
    emit(Op::Move, subject, constant(Variant()));
  }

  void withStatement(const Stmt* s) {
    int reg = hidden();
    beginStatement(s->line, s->column);
    exprTo(s->expr, reg);
    endStatement();
    withRegs_.push_back(reg);
    block(s->body);
    withRegs_.pop_back();
    emit(Op::Move, reg, constant(Variant()));
  }

  void exitStatement(const Stmt* s) {
    beginStatement(s->line, s->column);
    switch (s->exit) {
      case ExitKind::For:
        if (exitFor_.empty()) throw SourceError(err::InvalidExit, s->line, s->column);
        emit(Op::Jmp);
        exitFor_.back().push_back(here() - 1);
        break;
      case ExitKind::Do:
        if (exitDo_.empty()) throw SourceError(err::InvalidExit, s->line, s->column);
        emit(Op::Jmp);
        exitDo_.back().push_back(here() - 1);
        break;
      default:
        emit(Op::Jmp);
        exitProc_.push_back(here() - 1);
        break;
    }
    // A jump cannot fail: no statement range needed.
    top_ = firstTemp_;
  }

  Program& prog_;
  const Chunk& chunk_;
  int chunkIndex_;
  bool explicit_;
  Proc* p_ = nullptr;
  bool global_ = false;
  bool collectImplicit_ = false;
  std::vector<std::string> implicit_;
  std::unordered_set<const DimItem*> dimItems_;
  std::unordered_map<const DimItem*, Instr> pendingDims_;
  std::unordered_map<std::string, LocalInfo> locals_;
  std::unordered_map<std::string, int> dynIndex_, memberIndex_;
  std::string resultKey_;
  std::vector<int> withRegs_;
  std::vector<std::vector<int>> exitFor_, exitDo_;
  std::vector<int> exitProc_;
  int hiddenCount_ = 0;
  ClassInfo* cls_ = nullptr;  // the class whose method is being compiled
  int nextSlot_ = 0, firstTemp_ = 0, top_ = 0, maxTop_ = 0;
  int line_ = 0, column_ = 0, stmtBegin_ = 0;
};

}  // namespace

Proc* CompileChunk(Program& program, const Chunk& chunk, int chunkIndex) {
  return Compiler(program, chunk, chunkIndex).run();
}

}  // namespace lumetrix::vbs
