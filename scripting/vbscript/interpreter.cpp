#include "interpreter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>

#include "builtin_objects.h"
#include "builtins.h"
#include "convert.h"
#include "operators.h"

namespace lumetrix::vbs {

// ---------------------------------------------------------------------------------------------
// RegisterStack

Variant* RegisterStack::alloc(size_t n, Mark& mark) {
  constexpr size_t kChunk = 4096;
  if (chunks_.empty()) {
    chunks_.push_back({std::make_unique<Variant[]>(std::max(n, kChunk)), std::max(n, kChunk), 0});
    current_ = 0;
  }
  mark = {current_, chunks_[current_].used};
  Chunk* c = &chunks_[current_];
  if (c->size - c->used < n) {
    size_t next = current_ + 1;
    size_t want = std::max(n, c->size * 2);
    if (next < chunks_.size() && chunks_[next].size < n) {
      // Chunks above the current one are unused: a too small one is replaced.
      chunks_[next] = {std::make_unique<Variant[]>(want), want, 0};
    } else if (next >= chunks_.size()) {
      chunks_.push_back({std::make_unique<Variant[]>(want), want, 0});
    }
    current_ = next;
    c = &chunks_[current_];
    c->used = 0;
  }
  Variant* regs = c->regs.get() + c->used;
  c->used += n;
  return regs;
}

void RegisterStack::release(const Mark& mark, Variant* regs, size_t n) {
  // Clearing may run object destructors; the registers stay allocated until the end.
  for (size_t i = 0; i < n; ++i) regs[i].clear();
  current_ = mark.chunk;
  chunks_[current_].used = mark.used;
}

// ---------------------------------------------------------------------------------------------
// Err

namespace {
enum ErrMember { kNumber, kDescription, kSource, kRaise, kClear, kHelpFile, kHelpContext };
}

namespace {

// The name that the engine appends to a standard text ("Type mismatch: 'CStr'") belongs to the
// error line the host reports; Err.Description holds the text alone, as in VBScript.
std::string WithoutNameSuffix(int32_t num, const std::string& desc) {
  std::string plain = ErrorText(num);
  if (desc.size() > plain.size() + 4 && desc.compare(0, plain.size(), plain) == 0 &&
      desc.compare(plain.size(), 3, ": '") == 0 && desc.back() == '\'')
    return plain;
  return desc;
}

// HRESULTs given to Err.Raise become the runtime error numbers VBScript shows for them.
int32_t MapHresult(int32_t num) {
  uint32_t u = static_cast<uint32_t>(num);
  if ((u & 0xFFFF0000u) == 0x800A0000u) return static_cast<int32_t>(u & 0xFFFFu);
  static const std::pair<uint32_t, int32_t> table[] = {
      {0x8007000Eu, 7},   {0x80070057u, 5},   {0x80020005u, 13},  {0x8002000Au, 6},  {0x80004001u, 445},
      {0x80020006u, 438}, {0x80020003u, 438}, {0x8002000Bu, 9},   {0x80020012u, 11}, {0x8002000Eu, 450},
      {0x8002000Fu, 449}, {0x80004002u, 430}, {0x80070002u, 53},  {0x80070003u, 76}, {0x80070005u, 70},
      {0x800401F3u, 429}, {0x80020009u, 440}, {0x80020008u, 458},
  };
  for (const auto& [h, n] : table)
    if (h == u) return n;
  return num;
}

}  // namespace

void ErrObject::set(int32_t num, const std::string& desc, const std::string& src, bool raised) {
  number = num;
  description = raised ? desc : WithoutNameSuffix(num, desc);
  source = src;
  if (!raised) {
    helpFile.clear();
    helpContext = 0;
  }
}

void ErrObject::clear() {
  number = 0;
  description.clear();
  source.clear();
  helpFile.clear();
  helpContext = 0;
}

int ErrObject::findMember(std::string_view n) {
  if (n == "number") return kNumber;
  if (n == "description") return kDescription;
  if (n == "source") return kSource;
  if (n == "raise") return kRaise;
  if (n == "clear") return kClear;
  if (n == "helpfile") return kHelpFile;
  if (n == "helpcontext") return kHelpContext;
  return kNoMember;
}

void ErrObject::invoke(int member, InvokeKind kind, Variant* args, int nargs, Variant& result) {
  if (member == kDefaultMember) member = kNumber;
  bool assign = kind == InvokeKind::Let || kind == InvokeKind::Set;
  auto arg = [&](int i) -> const Variant& { return args[i].deref(); };
  switch (member) {
    case kNumber: case kDescription: case kSource: case kHelpFile: case kHelpContext:
      if (assign) {
        if (nargs != 1) ThrowError(err::WrongArgCount);
        if (member == kNumber) number = ToLong(arg(0));
        else if (member == kDescription) description = ToString(arg(0));
        else if (member == kSource) source = ToString(arg(0));
        else if (member == kHelpFile) helpFile = ToString(arg(0));
        else helpContext = ToLong(arg(0));
        return;
      }
      if (nargs != 0) ThrowError(err::WrongArgCount);
      if (member == kNumber) result = Variant(number);
      else if (member == kDescription) result = Variant(description);
      else if (member == kSource) result = Variant(source);
      else if (member == kHelpFile) result = Variant(helpFile);
      else result = Variant(helpContext);
      return;
    case kClear:
      if (assign) ThrowError(err::NoSuchMember);
      if (nargs != 0) ThrowError(err::WrongArgCount);
      clear();
      return;
    case kRaise: {
      if (assign) ThrowError(err::NoSuchMember);
      if (nargs < 1 || nargs > 5) ThrowError(err::WrongArgCount);
      if (IsMissing(arg(0))) ThrowError(err::ArgNotOptional);
      int32_t num = MapHresult(ToLong(arg(0)));
      if (num == 0) ThrowError(err::InvalidCall);
      // Arguments left out keep what Err still holds from an earlier error (not yet cleared).
      auto given = [&](int i) { return nargs > i && !IsMissing(arg(i)); };
      std::string src = given(1) ? ToString(arg(1)) : !source.empty() ? source : std::string(kRuntimeErrorSource);
      std::string desc = given(2) ? ToString(arg(2)) : !description.empty() ? description : ErrorText(num);
      if (given(3)) helpFile = ToString(arg(3));
      if (given(4)) helpContext = ToLong(arg(4));
      throw RaisedError(num, desc, src);
    }
    default:
      ThrowError(err::NoSuchMember);
  }
}

// ---------------------------------------------------------------------------------------------
// Helpers

namespace {

inline bool IsIntTag(uint16_t t) { return t == Variant::tInteger || t == Variant::tLong; }

// Copy of a value where neither side owns heap data: a plain bit copy.
inline void Assign(Variant& dst, const Variant& src) {
  if (!(dst.tag() & Variant::kHeap) && !(src.tag() & Variant::kHeap))
    std::memcpy(static_cast<void*>(&dst), static_cast<const void*>(&src), sizeof(Variant));
  else
    dst = src;
}

// Value semantics of Let: arrays are copied, objects give their default value.
inline void LetValue(Variant& dst, const Variant& v) {
  switch (v.tag()) {
    case Variant::tArray: dst = CloneArray(v); break;
    case Variant::tObject: case Variant::tNothing: dst = DefaultValue(v); break;
    default: Assign(dst, v); break;
  }
}

inline void SetValue(Variant& dst, const Variant& v) {
  if (!v.isObject()) ThrowError(err::ObjectRequired);
  dst = v;
}

// Let from a temporary register that dies here: its value is moved, and an array that nobody
// else holds needs no copy.
inline void LetFromTemp(Variant& dst, Variant& temp) {
  if (temp.isRef()) {
    LetValue(dst, temp.deref());
    return;
  }
  switch (temp.tag()) {
    case Variant::tArray:
      if (temp.arr()->rc > 1) {
        dst = CloneArray(temp);
        temp.clear();
      } else {
        dst = std::move(temp);
      }
      break;
    case Variant::tObject: case Variant::tNothing: {
      Variant v = DefaultValue(temp);
      temp.clear();
      dst = std::move(v);
      break;
    }
    default:
      dst = std::move(temp);
      break;
  }
}

inline void SetFromTemp(Variant& dst, Variant& temp) {
  if (temp.isRef()) {
    SetValue(dst, temp.deref());
    return;
  }
  if (!temp.isObject()) ThrowError(err::ObjectRequired);
  dst = std::move(temp);
}

// Loop variables of For Each: objects are held by reference, everything else by value.
inline void AssignElement(Variant& dst, const Variant& v) {
  if (v.isArray()) dst = CloneArray(v);
  else dst = v;
}

bool Truth(const Variant& v) {
  if (v.tag() == Variant::tBoolean) return v.n() != 0;
  if (v.isNull()) return false;
  return ToBool(v);
}

int32_t IndexValue(const Variant& v) {
  const Variant& x = v.deref();
  if (x.tag() == Variant::tInteger || x.tag() == Variant::tLong) return x.n();
  if (x.isNull()) ThrowError(err::InvalidUseOfNull);
  if (x.tag() == Variant::tError || x.isArray()) ThrowError(err::TypeMismatch);
  return RoundToLong(NumericValue(x));
}

// The element of `a` at the indices, or Subscript out of range.
Variant& Element(ArrayRep* a, const Variant* idx, int n) {
  if (n != static_cast<int>(a->counts.size()) || n == 0) ThrowError(err::SubscriptOutOfRange);
  size_t offset = 0, stride = 1;
  for (int i = 0; i < n; ++i) {
    int32_t k = IndexValue(idx[i]);
    int32_t count = a->counts[static_cast<size_t>(i)];
    if (k < 0 || k >= count) ThrowError(err::SubscriptOutOfRange);
    offset += static_cast<size_t>(k) * stride;
    stride *= static_cast<size_t>(count);
  }
  return a->data[offset];
}

// For loop bounds: numbers as they are, numeric strings as Double.
void NormalizeForValue(Variant& v) {
  switch (v.tag()) {
    case Variant::tInteger: case Variant::tLong: case Variant::tSingle: case Variant::tDouble:
    case Variant::tByte: case Variant::tDate: case Variant::tCurrency:
      return;
    case Variant::tEmpty: v = Variant::Integer(0); return;
    case Variant::tBoolean: v = Variant::Integer(v.n()); return;
    case Variant::tNull: ThrowError(err::InvalidUseOfNull);
    case Variant::tString: v = Variant(NumericValue(v)); return;
    case Variant::tObject: {
      Variant d = DefaultValue(v);
      v = d;
      NormalizeForValue(v);
      return;
    }
    case Variant::tNothing: ThrowError(err::ObjectNotSet);
    default: ThrowError(err::TypeMismatch);
  }
}

bool ForWithin(const Variant& ctr, const Variant& end, const Variant& step) {
  if (IsIntTag(ctr.tag()) && IsIntTag(end.tag()) && IsIntTag(step.tag()))
    return step.n() >= 0 ? ctr.n() <= end.n() : ctr.n() >= end.n();
  double c = NumericValue(ctr), e = NumericValue(end), s = NumericValue(step);
  return s >= 0 ? c <= e : c >= e;
}

inline void AddInto(Variant& dst, const Variant& x, const Variant& y) {
  uint16_t tx = x.tag(), ty = y.tag();
  if (IsIntTag(tx) && IsIntTag(ty)) {
    int64_t r = int64_t(x.n()) + y.n();
    if (tx == Variant::tInteger && ty == Variant::tInteger && r >= -32768 && r <= 32767) dst.setInteger(int32_t(r));
    else if (r >= INT32_MIN && r <= INT32_MAX) dst.setLong(int32_t(r));
    else dst.setDouble(double(r));
    return;
  }
  if (tx == Variant::tDouble && ty == Variant::tDouble) {
    double r = x.d() + y.d();
    if (std::isinf(r)) ThrowError(err::Overflow);
    dst.setDouble(r);
    return;
  }
  dst = Binary(BinaryOp::Add, x, y);
}

inline void SubInto(Variant& dst, const Variant& x, const Variant& y) {
  uint16_t tx = x.tag(), ty = y.tag();
  if (IsIntTag(tx) && IsIntTag(ty)) {
    int64_t r = int64_t(x.n()) - y.n();
    if (tx == Variant::tInteger && ty == Variant::tInteger && r >= -32768 && r <= 32767) dst.setInteger(int32_t(r));
    else if (r >= INT32_MIN && r <= INT32_MAX) dst.setLong(int32_t(r));
    else dst.setDouble(double(r));
    return;
  }
  if (tx == Variant::tDouble && ty == Variant::tDouble) {
    double r = x.d() - y.d();
    if (std::isinf(r)) ThrowError(err::Overflow);
    dst.setDouble(r);
    return;
  }
  dst = Binary(BinaryOp::Sub, x, y);
}

inline void MulInto(Variant& dst, const Variant& x, const Variant& y) {
  uint16_t tx = x.tag(), ty = y.tag();
  if (IsIntTag(tx) && IsIntTag(ty)) {
    int64_t r = int64_t(x.n()) * y.n();
    if (tx == Variant::tInteger && ty == Variant::tInteger && r >= -32768 && r <= 32767) dst.setInteger(int32_t(r));
    else if (r >= INT32_MIN && r <= INT32_MAX) dst.setLong(int32_t(r));
    else dst.setDouble(double(r));
    return;
  }
  if (tx == Variant::tDouble && ty == Variant::tDouble) {
    double r = x.d() * y.d();
    if (std::isinf(r)) ThrowError(err::Overflow);
    dst.setDouble(r);
    return;
  }
  dst = Binary(BinaryOp::Mul, x, y);
}

inline void IntDivModInto(Variant& dst, const Variant& x, const Variant& y, bool mod) {
  uint16_t tx = x.tag(), ty = y.tag();
  if (IsIntTag(tx) && IsIntTag(ty)) {
    int32_t a = x.n(), b = y.n();
    if (b == 0) ThrowError(err::DivisionByZero);
    // 32-bit division is much faster than 64-bit; only INT32_MIN / -1 does not fit.
    int64_t r = (b == -1) ? (mod ? 0 : -int64_t(a)) : (mod ? a % b : a / b);
    if (tx == Variant::tInteger && ty == Variant::tInteger && r >= -32768 && r <= 32767) dst.setInteger(int32_t(r));
    else if (r >= INT32_MIN && r <= INT32_MAX) dst.setLong(int32_t(r));
    else ThrowError(err::Overflow);
    return;
  }
  dst = Binary(mod ? BinaryOp::Mod : BinaryOp::IntDiv, x, y);
}

inline int CompareValues(const Variant& x, const Variant& y, bool literal) {
  if (IsIntTag(x.tag()) && IsIntTag(y.tag())) return x.n() < y.n() ? -1 : (x.n() > y.n() ? 1 : 0);
  return Compare(x, y, false, literal);
}

inline void CompareInto(Variant& dst, Op op, const Variant& x, const Variant& y, bool literal) {
  int c = CompareValues(x, y, literal);
  if (c == kCompareNull) {
    dst = Variant::Null();
    return;
  }
  bool r = false;
  switch (op) {
    case Op::Eq: r = c == 0; break;
    case Op::Ne: r = c != 0; break;
    case Op::Lt: r = c < 0; break;
    case Op::Gt: r = c > 0; break;
    case Op::Le: r = c <= 0; break;
    case Op::Ge: r = c >= 0; break;
    default: break;
  }
  dst.setBool(r);
}

// Copies arguments into a new frame's parameter slots: ByRef parameters keep references,
// everything else gets its own value (arrays copied).
void BindArguments(const Proc* proc, Variant* regs, Variant* args, int nargs) {
  for (int i = 0; i < nargs; ++i) {
    Variant& a = args[i];
    bool byRef = static_cast<size_t>(i) < proc->byRef.size() && proc->byRef[static_cast<size_t>(i)];
    if (a.isRef()) {
      if (byRef) {
        regs[i] = a;
        continue;
      }
      AssignElement(regs[i], a.deref());
      continue;
    }
    AssignElement(regs[i], a);
  }
}

ArrayRep* NewEmptyArray(Variant& holder) {
  auto* rep = new ArrayRep;
  holder = Variant(rep);
  return rep;
}

void ReDimVariable(Variant& var, const Variant* bounds, int n, bool preserve) {
  std::vector<int32_t> ubs;
  ubs.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    int32_t ub = IndexValue(bounds[i]);
    if (ub < -1) ThrowError(err::SubscriptOutOfRange);
    ubs.push_back(ub);
  }
  if (var.isArray() && var.arr()->fixed) ThrowError(err::ArrayLocked);
  if (!preserve || !var.isArray() || var.arr()->counts.empty()) {
    var = MakeArray(ubs, false);
    return;
  }
  ArrayRep* a = var.arr();
  if (a->counts.size() != ubs.size()) ThrowError(err::SubscriptOutOfRange);
  for (size_t i = 0; i + 1 < ubs.size(); ++i)
    if (a->counts[i] != ubs[i] + 1) ThrowError(err::SubscriptOutOfRange);
  // Only the last dimension changes: it varies slowest, so the data keeps its layout.
  uint64_t total = 1;
  for (int32_t ub : ubs) {
    total *= static_cast<uint64_t>(ub) + 1;
    if (total > kMaxArrayElements) ThrowError(err::OutOfMemory);
  }
  if (a->rc > 1) {
    var = CloneArray(var);
    a = var.arr();
  }
  try {
    a->data.resize(static_cast<size_t>(total));
  } catch (const std::bad_alloc&) {
    ThrowError(err::OutOfMemory);
  }
  a->counts.back() = ubs.back() + 1;
}

void EraseVariable(Variant& var) {
  if (!var.isArray()) ThrowError(err::TypeMismatch);
  ArrayRep* a = var.arr();
  if (a->fixed) {
    if (a->rc > 1) {
      var = CloneArray(var);
      var.arr()->fixed = true;
      a = var.arr();
    }
    for (Variant& e : a->data) e.clear();
    return;
  }
  NewEmptyArray(var);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Interpreter

Interpreter::Interpreter(Program& program) : prog_(program), link_(std::make_shared<EngineLink>()) {
  link_->vm = this;
  errObj_ = new ErrObject;
  errVar_ = Variant(static_cast<Object*>(errObj_));
  frames_.reserve(kMaxCallDepth + 4);
}

Interpreter::~Interpreter() {
  terminators_ = false;
  while (!frames_.empty()) popFrame();
  baseResult_.clear();
  // Objects that refer to one another keep themselves alive: empty them all so the cycles
  // are freed. Objects a host still holds stay, empty and detached.
  std::vector<ClassInstance*> objects(link_->live.begin(), link_->live.end());
  for (ClassInstance* o : objects) o->addRef();
  for (ClassInstance* o : objects)
    for (Variant& field : o->fields) field.clear();
  for (ClassInstance* o : objects) o->release();
  link_->vm = nullptr;
}

Variant Interpreter::callMethod(Proc* proc, ClassInstance* me, Variant* args, int nargs) {
  if (nargs != proc->paramCount) ThrowError(err::WrongArgCount);
  size_t base = frames_.size();
  pushFrame(proc, args, nargs, -1, me);
  execute(base);
  Variant r = std::move(baseResult_);
  baseResult_.clear();
  return r;
}

ClassInstance* Interpreter::scriptObject(const Variant& v) const {
  auto* inst = dynamic_cast<ClassInstance*>(v.obj());
  if (inst && inst->link() != link_.get()) ThrowError(err::ObjectNotSet);  // from an engine that was reset
  return inst;
}

Proc* Interpreter::classMember(ClassInstance& inst, int member, InvokeKind kind, Variant* args, int nargs,
                               Variant& result) {
  const ClassInfo& c = *inst.cls;
  if (member == Object::kDefaultMember) {
    if (c.defaultMember < 0) ThrowError(err::NoSuchMember);
    member = c.defaultMember;
  }
  if (member < 0 || static_cast<size_t>(member) >= c.members.size()) ThrowError(err::NoSuchMember);
  const ClassMember& m = c.members[static_cast<size_t>(member)];
  bool assign = kind == InvokeKind::Let || kind == InvokeKind::Set;
  if (m.field >= 0) {
    Variant& field = inst.fields[static_cast<size_t>(m.field)];
    if (assign) {
      if (nargs < 1) ThrowError(err::WrongArgCount);
      const Variant& value = args[nargs - 1].deref();
      Variant v;
      if (kind == InvokeKind::Set) SetValue(v, value);
      else LetValue(v, value);
      if (nargs == 1) {
        field = std::move(v);
      } else if (field.isArray()) {
        if (field.arr()->rc > 1) {
          bool fixed = field.arr()->fixed;
          field = CloneArray(field);
          field.arr()->fixed = fixed;
        }
        Element(field.arr(), args, nargs - 1) = std::move(v);
      } else {
        ThrowError(err::TypeMismatch);
      }
      return nullptr;
    }
    if (nargs == 0) {
      result = field;
    } else if (field.isArray()) {
      result = Element(field.arr(), args, nargs);
    } else if (field.tag() == Variant::tObject) {
      Variant keep = field;
      keep.obj()->invoke(Object::kDefaultMember, InvokeKind::Get, args, nargs, result);
    } else {
      ThrowError(err::TypeMismatch);
    }
    return nullptr;
  }
  Proc* p = assign ? (kind == InvokeKind::Set ? m.set : m.let) : (m.method ? m.method : m.get);
  if (!p) ThrowError(err::NoSuchMember);
  if (p->paramCount != nargs) ThrowError(err::WrongArgCount);
  return p;
}

// ---------------------------------------------------------------------------------------------
// Script objects

ClassInstance::ClassInstance(const ClassInfo* c, std::shared_ptr<EngineLink> link)
    : cls(c), name_(c->name), link_(std::move(link)) {
  fields.resize(c->fieldNames.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    if (!c->fieldIsArray[i]) continue;
    if (c->fieldBounds[i].empty()) {
      auto* rep = new ArrayRep;
      fields[i] = Variant(rep);
    } else {
      fields[i] = MakeArray(c->fieldBounds[i], true);
    }
  }
  link_->live.insert(this);  // last: a constructor that throws leaves nothing behind
}

ClassInstance::~ClassInstance() { link_->live.erase(this); }

int ClassInstance::findMember(std::string_view lowerName) {
  if (!link_->vm) return kNoMember;
  auto it = cls->memberIndex.find(std::string(lowerName));
  return it == cls->memberIndex.end() ? kNoMember : it->second;
}

void ClassInstance::invoke(int member, InvokeKind kind, Variant* args, int nargs, Variant& result) {
  Interpreter* vm = link_->vm;
  if (!vm) ThrowError(err::ObjectNotSet);
  Proc* p = Interpreter::classMember(*this, member, kind, args, nargs, result);
  if (p) result = vm->callMethod(p, this, args, nargs);
}

void ClassInstance::lastRelease() {
  if (terminating_) return;  // released again while Class_Terminate runs
  Interpreter* vm = link_->vm;
  if (!terminated_ && vm && cls->terminate && vm->terminatorsEnabled()) {
    terminating_ = true;
    try {
      vm->callMethod(cls->terminate, this, nullptr, 0);
    } catch (...) {
      // Errors of Class_Terminate have nowhere to go.
    }
    terminating_ = false;
    terminated_ = true;
    if (useCount() > 0) return;  // Class_Terminate stored Me somewhere: gone with its last reference
  }
  delete this;
}

Variant Interpreter::call(Proc* proc, std::vector<Variant>& args) {
  if (static_cast<int>(args.size()) != proc->paramCount) {
    PositionedError e(ScriptError(err::WrongArgCount), -1, 0, 0);
    throw e;
  }
  size_t base = frames_.size();
  try {
    pushFrame(proc, args.data(), static_cast<int>(args.size()), -1);
  } catch (const ScriptError& e) {
    throw PositionedError(e, -1, 0, 0);
  }
  execute(base);
  Variant r = std::move(baseResult_);
  baseResult_.clear();
  return r;
}

void Interpreter::pushFrame(Proc* proc, Variant* args, int nargs, int retDest, ClassInstance* me) {
  if (frames_.size() >= kMaxCallDepth) ThrowError(err::OutOfStack);
  Frame f;
  f.proc = proc;
  f.retDest = retDest;
  f.resumeNext = false;
  f.me = me;
  f.regs = stack_.alloc(static_cast<size_t>(std::max(proc->slotCount, 1)), f.mark);
  f.pc = proc->code.data();
  try {
    BindArguments(proc, f.regs, args, nargs);
  } catch (...) {
    stack_.release(f.mark, f.regs, static_cast<size_t>(std::max(proc->slotCount, 1)));
    throw;
  }
  if (me) me->addRef();
  frames_.push_back(f);
}

Interpreter::ExecutedNames* Interpreter::executedNames(bool create) {
  if (!executed_.empty() && executed_.back().first == frames_.size()) return executed_.back().second.get();
  if (!create || frames_.empty()) return nullptr;
  executed_.emplace_back(frames_.size(), std::make_unique<ExecutedNames>());
  return executed_.back().second.get();
}

void Interpreter::popFrame() {
  Frame f = frames_.back();
  if (f.proc == export_.proc)
    for (const auto& [name, slot] : export_.slots) (*export_.to)[name] = f.regs[slot].deref();
  if (!executed_.empty() && executed_.back().first == frames_.size()) executed_.pop_back();
  frames_.pop_back();
  stack_.release(f.mark, f.regs, static_cast<size_t>(std::max(f.proc->slotCount, 1)));
  if (f.me) f.me->release();
}

void Interpreter::positionOf(const Frame& f, int& line, int& column, uint32_t& resume) const {
  uint32_t pc = static_cast<uint32_t>(f.pc - f.proc->code.data());
  line = 0;
  column = 0;
  resume = pc + 1;
  const auto& st = f.proc->statements;
  // Ranges are in code order; find the last one starting at or before pc.
  auto it = std::upper_bound(st.begin(), st.end(), pc, [](uint32_t p, const StatementRange& r) { return p < r.begin; });
  while (it != st.begin()) {
    --it;
    if (pc >= it->begin && pc < it->end) {
      line = it->line;
      column = it->column;
      resume = it->end;
      return;
    }
    if (it->end <= pc) break;
  }
}

void Interpreter::checkClock() {
  if (interrupt_ && interrupt_->load(std::memory_order_relaxed)) throwStop(err::ScriptInterrupted);
  if (hasDeadline_ && pollCountdown_ <= 0) {
    // Reading the clock costs more than a loop iteration: look only every so often.
    pollCountdown_ = 1024;
    if (std::chrono::steady_clock::now() >= deadline_) throwStop(err::ScriptTimeout);
  }
}

void Interpreter::throwStop(int32_t number) { throw ScriptError(number); }

bool Interpreter::recover(const ScriptError& e, size_t baseDepth) {
  const auto* raised = dynamic_cast<const RaisedError*>(&e);
  std::string source = raised ? raised->source : std::string(kRuntimeErrorSource);
  bool stop = e.number == err::ScriptTimeout || e.number == err::ScriptInterrupted;
  if (!stop) {
    for (size_t i = frames_.size(); i > baseDepth; --i) {
      if (!frames_[i - 1].resumeNext) continue;
      while (frames_.size() > i) popFrame();
      Frame& f = frames_.back();
      int line, column;
      uint32_t resume;
      positionOf(f, line, column, resume);
      errObj_->set(e.number, e.description, source, raised != nullptr);
      // A failed For header skips the loop rather than running the body with no counter.
      if (resume > 0 && resume <= f.proc->code.size() && f.proc->code[resume - 1].op == Op::ForPrep &&
          f.pc <= f.proc->code.data() + (resume - 1))
        resume = static_cast<uint32_t>(f.proc->code[resume - 1].d);
      f.pc = f.proc->code.data() + std::min<size_t>(resume, f.proc->code.size() - 1);
      return true;
    }
  }
  PositionedError pe(e, -1, 0, 0);
  if (frames_.size() > baseDepth) {
    const Frame& f = frames_.back();
    uint32_t resume;
    positionOf(f, pe.line, pe.column, resume);
    pe.chunk = pe.line > 0 ? f.proc->chunk : -1;
  }
  if (const auto* inner = dynamic_cast<const PositionedError*>(&e)) {
    // An error of a nested run (a host calling back into scripts) keeps its own position.
    if (inner->line > 0) {
      pe.chunk = inner->chunk;
      pe.line = inner->line;
      pe.column = inner->column;
    }
    if (!inner->source.empty()) source = inner->source;
  }
  pe.source = source;
  while (frames_.size() > baseDepth) popFrame();
  throw pe;
}

void Interpreter::execute(size_t baseDepth) {
  for (;;) {
    try {
      run(baseDepth);
      return;
    } catch (const PositionedError& e) {
      recover(e, baseDepth);
    } catch (const RaisedError& e) {
      recover(e, baseDepth);
    } catch (const ScriptError& e) {
      recover(e, baseDepth);
    } catch (const std::bad_alloc&) {
      recover(ScriptError(err::OutOfMemory), baseDepth);
    } catch (const std::length_error&) {
      recover(ScriptError(err::OutOfMemory), baseDepth);
    } catch (const std::exception& e) {
      // A host method failing with something other than ScriptError.
      std::string what = e.what();
      recover(ScriptError(507, what.empty() ? std::string() : "An exception occurred: " + what), baseDepth);
    }
  }
}

int Interpreter::dynSymbol(Proc* proc, int index) {
  DynName& d = proc->dyns[static_cast<size_t>(index)];
  if (d.cachedVersion != prog_.version) {
    d.cachedSymbol = prog_.findSymbol(d.key);
    d.cachedVersion = prog_.version;
  }
  return d.cachedSymbol;
}

Variant& Interpreter::dynVariable(Proc* proc, int index) {
  const DynName& d = proc->dyns[static_cast<size_t>(index)];
  if (ExecutedNames* names = executedNames(false)) {
    auto it = names->find(d.key);
    if (it != names->end()) return it->second;
  }
  int sym = dynSymbol(proc, index);
  if (sym < 0) ThrowNamed(err::VariableUndefined, d.text);
  const Symbol& s = prog_.symbols[static_cast<size_t>(sym)];
  if (s.kind != Symbol::Variable) ThrowNamed(err::IllegalAssignment, d.text);
  return prog_.globals[s.index];
}

Variant& Interpreter::variableOf(int kind, int index) {
  Frame& f = frames_.back();
  switch (kind) {
    case 0: return f.regs[index].deref();
    case 1: return prog_.globals[index];
    case 2: return dynVariable(f.proc, index);
    case 3:
      if (!f.me) ThrowError(err::InvalidReference);
      return f.me->fields[static_cast<size_t>(index)];
    default: ThrowError(err::InvalidReference);
  }
}

bool Interpreter::callDyn(Proc* proc, int index, Variant* args, int nargs, int dest, bool statement) {
  int sym = dynSymbol(proc, index);
  const DynName& d = proc->dyns[static_cast<size_t>(index)];
  Variant* R = frames_.back().regs;
  const Variant* value = nullptr;  // a variable's or constant's value
  if (ExecutedNames* names = executedNames(false)) {
    auto it = names->find(d.key);
    if (it != names->end()) value = &it->second;
  }
  if (sym < 0 && !value) {
    if (d.explicitOnly) ThrowNamed(err::VariableUndefined, d.text);
    if (nargs == 0 && !statement) {
      if (dest >= 0) R[dest].clear();
      return false;
    }
    ThrowNamed(err::TypeMismatch, d.text);
  }
  Variant result;
  static const Symbol kExecuted;
  const Symbol& s = value ? kExecuted : prog_.symbols[static_cast<size_t>(sym)];
  switch (value ? Symbol::Variable : s.kind) {
    case Symbol::Procedure: {
      Proc* callee = prog_.procs[static_cast<size_t>(s.index)].get();
      if (callee->paramCount != nargs) ThrowNamed(err::WrongArgCount, d.text);
      checkClock();
      pushFrame(callee, args, nargs, dest);
      return true;
    }
    case Symbol::HostMember: {
      checkClock();
      prog_.hosts[static_cast<size_t>(s.index)].wrapper.obj()->invoke(s.member, InvokeKind::Method, args, nargs, result);
      break;
    }
    case Symbol::HostObj: {
      const Variant& w = prog_.hosts[static_cast<size_t>(s.index)].wrapper;
      if (nargs == 0) result = w;
      else w.obj()->invoke(Object::kDefaultMember, InvokeKind::Get, args, nargs, result);
      break;
    }
    case Symbol::Variable: case Symbol::Constant: {
      const Variant& v = value                        ? *value
                         : s.kind == Symbol::Variable ? prog_.globals[s.index]
                                                      : prog_.constants[static_cast<size_t>(s.index)];
      if (v.tag() == Variant::tObject) {
        v.obj()->invoke(Object::kDefaultMember, statement ? InvokeKind::Method : InvokeKind::Get, args, nargs, result);
      } else if (nargs == 0 && !statement) {
        result = v;
      } else if (v.isArray() && !statement) {
        result = Element(v.arr(), args, nargs);
      } else {
        ThrowNamed(err::TypeMismatch, d.text);
      }
      break;
    }
    default:
      ThrowNamed(err::TypeMismatch, d.text);
  }
  if (dest >= 0) R[dest] = std::move(result);
  return false;
}

void Interpreter::run(size_t baseDepth) {
  Frame* f = &frames_.back();
  Variant* R = f->regs;
  const Variant* K = f->proc->consts.data();
  const Instr* code = f->proc->code.data();
  const Instr* pc = f->pc;
  const std::vector<Builtin>& builtins = Builtins();
  // Global slots; reloaded after anything that may run host code (which may add code).
  Variant* const* G = prog_.globals.data();

#define VB_V(x) ((x) >= 0 ? R[(x)].deref() : K[~(x)])
#define VB_RELOAD()                     \
  do {                                  \
    f = &frames_.back();                \
    R = f->regs;                        \
    K = f->proc->consts.data();         \
    code = f->proc->code.data();        \
    G = prog_.globals.data();           \
  } while (0)
#define VB_POLL()                                                                             \
  do {                                                                                        \
    if ((interrupt_ && interrupt_->load(std::memory_order_relaxed)) || (hasDeadline_ && --pollCountdown_ <= 0)) \
      checkClock();                                                                           \
  } while (0)

  // The frame's pc is stored only where it is needed: at calls (the return address) and when
  // an error leaves this loop (its position).
  try {
  for (;;) {
    const Instr& in = *pc;
    switch (in.op) {
      case Op::Nop:
        break;
      case Op::Move:
        Assign(R[in.a], VB_V(in.b));
        break;
      case Op::LetL: {
        const Variant& v = VB_V(in.b);
        Variant& dst = R[in.a].deref();
        // Nothing has no heap bit but must still fail (91) as a Let value.
        if (!((v.tag() | dst.tag()) & Variant::kHeap) && v.tag() != Variant::tNothing) Assign(dst, v);
        else if (in.flags & kFlagTemp) LetFromTemp(dst, R[in.b]);
        else LetValue(dst, v);
        break;
      }
      case Op::SetL:
        if (in.flags & kFlagTemp) SetFromTemp(R[in.a].deref(), R[in.b]);
        else SetValue(R[in.a].deref(), VB_V(in.b));
        break;
      case Op::LoadG:
        Assign(R[in.a], *G[in.b]);
        break;
      case Op::LetG:
        if (in.flags & kFlagTemp) LetFromTemp(*G[in.a], R[in.b]);
        else LetValue(*G[in.a], VB_V(in.b));
        break;
      case Op::SetG:
        if (in.flags & kFlagTemp) SetFromTemp(*G[in.a], R[in.b]);
        else SetValue(*G[in.a], VB_V(in.b));
        break;
      case Op::RefL:
        R[in.a] = Variant::Reference(&R[in.b].deref());
        break;
      case Op::RefG:
        R[in.a] = Variant::Reference(G[in.b]);
        break;
      case Op::LoadDyn: {
        f->pc = pc;
        if (callDyn(f->proc, in.b, nullptr, 0, in.a, false)) {
          VB_RELOAD();
          pc = code;
          continue;
        }
        G = prog_.globals.data();
        break;
      }
      case Op::LetDyn:
        if (in.flags & kFlagTemp) LetFromTemp(dynVariable(f->proc, in.a), R[in.b]);
        else LetValue(dynVariable(f->proc, in.a), VB_V(in.b));
        break;
      case Op::SetDyn:
        if (in.flags & kFlagTemp) SetFromTemp(dynVariable(f->proc, in.a), R[in.b]);
        else SetValue(dynVariable(f->proc, in.a), VB_V(in.b));
        break;
      case Op::RefDyn: {
        int sym = dynSymbol(f->proc, in.b);
        if (sym >= 0 && prog_.symbols[static_cast<size_t>(sym)].kind == Symbol::Variable) {
          R[in.a] = Variant::Reference(&prog_.globals[prog_.symbols[static_cast<size_t>(sym)].index]);
          break;
        }
        // Not a variable: passed by value.
        f->pc = pc;
        if (callDyn(f->proc, in.b, nullptr, 0, in.a, false)) {
          VB_RELOAD();
          pc = code;
          continue;
        }
        G = prog_.globals.data();
        break;
      }
      case Op::LoadHost:
        R[in.a] = prog_.hosts[static_cast<size_t>(in.b)].wrapper;
        break;
      case Op::LoadErr:
        R[in.a] = errVar_;
        break;
      case Op::LoadMe:
        if (!f->me) ThrowError(err::InvalidReference);
        R[in.a] = Variant(static_cast<Object*>(f->me));
        break;
      case Op::LoadField:
        Assign(R[in.a], f->me->fields[static_cast<size_t>(in.b)]);
        break;
      case Op::LetField:
        if (in.flags & kFlagTemp) LetFromTemp(f->me->fields[static_cast<size_t>(in.a)], R[in.b]);
        else LetValue(f->me->fields[static_cast<size_t>(in.a)], VB_V(in.b));
        break;
      case Op::SetField:
        if (in.flags & kFlagTemp) SetFromTemp(f->me->fields[static_cast<size_t>(in.a)], R[in.b]);
        else SetValue(f->me->fields[static_cast<size_t>(in.a)], VB_V(in.b));
        break;
      case Op::RefField:
        R[in.a] = Variant::Reference(&f->me->fields[static_cast<size_t>(in.b)]);
        break;
      case Op::NewObject: {
        const ClassInfo* ci = nullptr;
        if (in.flags & 1) {
          const std::string& name = f->proc->memberTexts[static_cast<size_t>(in.d)];
          const std::string& key = f->proc->memberKeys[static_cast<size_t>(in.d)];
          int sym = prog_.findSymbol(key);
          if ((sym < 0 || prog_.symbols[static_cast<size_t>(sym)].kind != Symbol::Class) && key == "regexp") {
            R[in.a] = NewRegExp();  // the engine's own class, unless the script defines one
            break;
          }
          if (sym < 0 || prog_.symbols[static_cast<size_t>(sym)].kind != Symbol::Class)
            ThrowNamed(err::ClassNotDefined, name);
          ci = prog_.classes[static_cast<size_t>(prog_.symbols[static_cast<size_t>(sym)].index)].get();
        } else {
          ci = prog_.classes[static_cast<size_t>(in.b)].get();
        }
        auto* inst = new ClassInstance(ci, link_);
        R[in.a] = Variant(static_cast<Object*>(inst));
        if (ci->initialize) {
          f->pc = pc;
          VB_POLL();
          pushFrame(ci->initialize, nullptr, 0, -1, inst);
          VB_RELOAD();
          pc = code;
          continue;
        }
        break;
      }

      case Op::Add:
        AddInto(R[in.a], VB_V(in.b), VB_V(in.c));
        break;
      case Op::Sub:
        SubInto(R[in.a], VB_V(in.b), VB_V(in.c));
        break;
      case Op::Mul:
        MulInto(R[in.a], VB_V(in.b), VB_V(in.c));
        break;
      case Op::IntDiv:
        IntDivModInto(R[in.a], VB_V(in.b), VB_V(in.c), false);
        break;
      case Op::Mod:
        IntDivModInto(R[in.a], VB_V(in.b), VB_V(in.c), true);
        break;
      case Op::Div: case Op::Pow: case Op::Concat: case Op::And: case Op::Or: case Op::Xor: case Op::Eqv:
      case Op::Imp: {
        static const BinaryOp map[] = {BinaryOp::Div, BinaryOp::Pow, BinaryOp::Concat, BinaryOp::And,
                                       BinaryOp::Or,  BinaryOp::Xor, BinaryOp::Eqv,    BinaryOp::Imp};
        BinaryOp bop;
        switch (in.op) {
          case Op::Div: bop = map[0]; break;
          case Op::Pow: bop = map[1]; break;
          case Op::Concat: bop = map[2]; break;
          case Op::And: bop = map[3]; break;
          case Op::Or: bop = map[4]; break;
          case Op::Xor: bop = map[5]; break;
          case Op::Eqv: bop = map[6]; break;
          default: bop = map[7]; break;
        }
        const Variant& x = VB_V(in.b);
        const Variant& y = VB_V(in.c);
        if (bop == BinaryOp::Concat && x.isString() && y.isString()) {
          // Checked before anything is copied, so a runaway `s = s & s` fails cheaply.
          size_t total = x.str().size() + y.str().size();
          if (total > kMaxStringLength) ThrowError(err::OutOfMemory);
          ustring joined;
          joined.reserve(total);
          joined.append(x.str()).append(y.str());
          R[in.a] = Variant(std::move(joined));
          break;
        }
        if (bop == BinaryOp::And && x.tag() == Variant::tBoolean && y.tag() == Variant::tBoolean) {
          R[in.a].setBool(x.n() && y.n());
          break;
        }
        if (bop == BinaryOp::Or && x.tag() == Variant::tBoolean && y.tag() == Variant::tBoolean) {
          R[in.a].setBool(x.n() || y.n());
          break;
        }
        R[in.a] = Binary(bop, x, y);
        break;
      }
      case Op::Neg: {
        const Variant& x = VB_V(in.b);
        if (x.tag() == Variant::tLong && x.n() != INT32_MIN) R[in.a].setLong(-x.n());
        else if (x.tag() == Variant::tDouble) R[in.a].setDouble(-x.d());
        else R[in.a] = Negate(x);
        break;
      }
      case Op::Not: {
        const Variant& x = VB_V(in.b);
        if (x.tag() == Variant::tBoolean) R[in.a].setBool(x.n() == 0);
        else R[in.a] = LogicalNot(x);
        break;
      }
      case Op::Eq: case Op::Ne: case Op::Lt: case Op::Gt: case Op::Le: case Op::Ge:
        CompareInto(R[in.a], in.op, VB_V(in.b), VB_V(in.c), in.flags & 1);
        break;
      case Op::Is:
        R[in.a].setBool(SameObject(VB_V(in.b), VB_V(in.c)));
        break;

      case Op::Jmp:
        if (in.flags & kFlagBackEdge) VB_POLL();
        pc = code + in.a;
        continue;
      case Op::JmpFalse:
        if (!Truth(VB_V(in.b))) {
          if (in.flags & kFlagBackEdge) VB_POLL();
          pc = code + in.a;
          continue;
        }
        break;
      case Op::JmpTrue:
        if (Truth(VB_V(in.b))) {
          if (in.flags & kFlagBackEdge) VB_POLL();
          pc = code + in.a;
          continue;
        }
        break;

      case Op::ForPrep: {
        Variant& ctr = R[in.a].deref();
        NormalizeForValue(ctr);
        NormalizeForValue(R[in.b]);
        NormalizeForValue(R[in.c]);
        if (!ForWithin(ctr, R[in.b], R[in.c])) {
          pc = code + in.d;
          continue;
        }
        break;
      }
      case Op::ForStep: {
        Variant& ctr = R[in.a].deref();
        const Variant& end = R[in.b];
        const Variant& step = R[in.c];
        if (ctr.tag() == Variant::tLong && step.tag() == Variant::tInteger && end.tag() != Variant::tDouble) {
          // The common `For i = 1 To n` with a Long counter.
          int64_t r = int64_t(ctr.n()) + step.n();
          if (r <= INT32_MAX && r >= INT32_MIN) ctr.setLong(int32_t(r));
          else ctr.setDouble(double(r));
        } else {
          AddInto(ctr, ctr, step);
        }
        if (ForWithin(ctr, end, step)) {
          VB_POLL();
          pc = code + in.d;
          continue;
        }
        break;
      }
      case Op::ForEachPrep: {
        Variant coll = R[in.a].deref();
        std::vector<Variant> items;
        if (coll.isArray()) {
          items = coll.arr()->data;
        } else if (coll.tag() == Variant::tObject) {
          if (!coll.obj()->enumerate(items)) ThrowError(err::NotACollection);
        } else if (coll.isNothing()) {
          ThrowError(err::ObjectNotSet);
        } else {
          ThrowError(err::NotACollection);
        }
        R[in.a] = MakeArray(std::move(items));
        R[in.b].setLong(0);
        break;
      }
      case Op::ForEachNext: {
        // Not an array when the header failed under On Error Resume Next: the loop is skipped.
        if (!R[in.a].isArray()) {
          pc = code + in.d;
          continue;
        }
        ArrayRep* items = R[in.a].arr();
        int32_t i = R[in.b].n();
        if (static_cast<size_t>(i) >= items->data.size()) {
          pc = code + in.d;
          continue;
        }
        AssignElement(R[in.c].deref(), items->data[static_cast<size_t>(i)]);
        R[in.b].setLong(i + 1);
        break;
      }

      case Op::CallProc: {
        Proc* callee = prog_.procs[static_cast<size_t>(in.b)].get();
        f->pc = pc;
        VB_POLL();
        pushFrame(callee, R + in.c, in.n, in.a);
        VB_RELOAD();
        pc = code;
        continue;
      }
      case Op::CallBuiltin: {
        Variant result;
        builtins[static_cast<size_t>(in.b)].fn(*this, R + in.c, in.n, result);
        R[in.a] = std::move(result);
        G = prog_.globals.data();
        break;
      }
      case Op::CallHost: {
        VB_POLL();
        Variant result;
        Object* o = prog_.hosts[static_cast<size_t>(in.b)].wrapper.obj();
        o->invoke(in.d, static_cast<InvokeKind>(in.flags), R + in.c, in.n, result);
        if (in.a >= 0) R[in.a] = std::move(result);
        G = prog_.globals.data();
        break;
      }
      case Op::CallDyn:
        f->pc = pc;
        VB_POLL();
        if (callDyn(f->proc, in.b, R + in.c, in.n, in.a, in.a < 0)) {
          VB_RELOAD();
          pc = code;
          continue;
        }
        G = prog_.globals.data();
        break;
      case Op::Index: {
        const Variant& v = VB_V(in.b);
        if (v.isArray()) {
          if (in.n == 0) {
            R[in.a] = Variant(v);
            break;
          }
          Variant e = Element(v.arr(), R + in.c, in.n);
          R[in.a] = std::move(e);
        } else if (v.tag() == Variant::tObject) {
          Variant result;
          Variant keep = v;  // the register may be overwritten by the result
          if (ClassInstance* inst = scriptObject(keep)) {
            if (Proc* p = classMember(*inst, Object::kDefaultMember, InvokeKind::Get, R + in.c, in.n, result)) {
              f->pc = pc;
              VB_POLL();
              pushFrame(p, R + in.c, in.n, in.a, inst);
              VB_RELOAD();
              pc = code;
              continue;
            }
            R[in.a] = std::move(result);
            break;
          }
          keep.obj()->invoke(Object::kDefaultMember, InvokeKind::Get, R + in.c, in.n, result);
          R[in.a] = std::move(result);
          G = prog_.globals.data();
        } else if (v.isNothing()) {
          ThrowError(err::ObjectNotSet);
        } else if (in.n == 0) {
          R[in.a] = Variant(v);
        } else {
          ThrowError(err::TypeMismatch);
        }
        break;
      }
      case Op::CallValue: {
        f->pc = pc;
        Variant v = VB_V(in.b);
        if (in.flags & kFlagTemp) R[in.b].clear();
        if (v.tag() == Variant::tObject) {
          Variant result, keep = v;
          if (ClassInstance* inst = scriptObject(keep)) {
            if (Proc* p = classMember(*inst, Object::kDefaultMember, InvokeKind::Method, R + in.c, in.n, result)) {
              VB_POLL();
              pushFrame(p, R + in.c, in.n, -1, inst);
              VB_RELOAD();
              pc = code;
              continue;
            }
            break;
          }
          keep.obj()->invoke(Object::kDefaultMember, InvokeKind::Method, R + in.c, in.n, result);
        } else if (v.isNothing()) {
          ThrowError(err::ObjectNotSet);
        } else if (in.d >= 0) {
          ThrowNamed(err::TypeMismatch, f->proc->memberTexts[static_cast<size_t>(in.d)]);
        } else {
          ThrowError(err::TypeMismatch);
        }
        G = prog_.globals.data();
        break;
      }
      case Op::ElemLetL: case Op::ElemLetG: case Op::ElemLetDyn: case Op::ElemLetField: {
        Variant& var = in.op == Op::ElemLetL     ? R[in.a].deref()
                       : in.op == Op::ElemLetG     ? *G[in.a]
                       : in.op == Op::ElemLetField ? f->me->fields[static_cast<size_t>(in.a)]
                                                   : dynVariable(f->proc, in.a);
        const Variant& value = VB_V(in.b);
        bool isSet = in.flags & kFlagSet;
        if (var.isArray()) {
          if (var.arr()->rc > 1) {
            bool fixed = var.arr()->fixed;
            var = CloneArray(var);
            var.arr()->fixed = fixed;
          }
          Variant v;
          if (isSet) SetValue(v, value);
          else LetValue(v, value);
          Element(var.arr(), R + in.c, in.n) = std::move(v);
        } else if (var.tag() == Variant::tObject) {
          // obj(args) = value: the default member, the value as the last argument.
          std::vector<Variant> args(R + in.c, R + in.c + in.n);
          args.push_back(value);
          Variant result, keep = var;
          InvokeKind kind = isSet ? InvokeKind::Set : InvokeKind::Let;
          if (ClassInstance* inst = scriptObject(keep)) {
            if (Proc* p = classMember(*inst, Object::kDefaultMember, kind, args.data(), static_cast<int>(args.size()), result)) {
              f->pc = pc;
              VB_POLL();
              pushFrame(p, args.data(), static_cast<int>(args.size()), -1, inst);
              VB_RELOAD();
              pc = code;
              continue;
            }
            break;
          }
          keep.obj()->invoke(Object::kDefaultMember, kind, args.data(), static_cast<int>(args.size()), result);
        } else if (var.isNothing()) {
          ThrowError(err::ObjectNotSet);
        } else {
          ThrowError(err::TypeMismatch);
        }
        G = prog_.globals.data();
        break;
      }
      case Op::WriteBackL: case Op::WriteBackG: case Op::WriteBackDyn: case Op::WriteBackField: {
        Variant& var = in.op == Op::WriteBackL     ? R[in.a].deref()
                       : in.op == Op::WriteBackG     ? *G[in.a]
                       : in.op == Op::WriteBackField ? f->me->fields[static_cast<size_t>(in.a)]
                                                     : dynVariable(f->proc, in.a);
        if (!var.isArray()) break;
        ArrayRep* a = var.arr();
        if (in.n != static_cast<int>(a->counts.size())) break;
        bool inRange = true;
        size_t offset = 0, stride = 1;
        for (int i = 0; i < in.n && inRange; ++i) {
          const Variant& k = R[in.c + i].deref();
          int32_t idx = IsIntTag(k.tag()) ? k.n() : IndexValue(k);
          if (idx < 0 || idx >= a->counts[static_cast<size_t>(i)]) inRange = false;
          offset += static_cast<size_t>(idx) * stride;
          stride *= static_cast<size_t>(a->counts[static_cast<size_t>(i)]);
        }
        if (!inRange) break;
        if (a->rc > 1) {
          bool fixed = a->fixed;
          var = CloneArray(var);
          var.arr()->fixed = fixed;
          a = var.arr();
        }
        a->data[offset] = R[in.b].deref();
        break;
      }
      case Op::MemberGet: {
        Variant obj = VB_V(in.b);
        if (in.flags & kFlagTemp) R[in.b].clear();
        const std::string& name = f->proc->memberTexts[static_cast<size_t>(in.d)];
        if (obj.isNothing()) ThrowError(err::ObjectNotSet);
        if (obj.tag() != Variant::tObject) ThrowNamed(err::ObjectRequired, name);
        int m = obj.obj()->findMember(f->proc->memberKeys[static_cast<size_t>(in.d)]);
        if (m == Object::kNoMember) ThrowNamed(err::NoSuchMember, name);
        VB_POLL();
        Variant result;
        InvokeKind kind = in.a < 0 ? InvokeKind::Method : InvokeKind::Get;
        if (ClassInstance* inst = scriptObject(obj)) {
          if (!inst->cls->members[static_cast<size_t>(m)].isPublic && !(in.flags & 1)) ThrowNamed(err::NoSuchMember, name);
          if (Proc* p = classMember(*inst, m, kind, R + in.c, in.n, result)) {
            f->pc = pc;
            pushFrame(p, R + in.c, in.n, in.a, inst);
            VB_RELOAD();
            pc = code;
            continue;
          }
          if (in.a >= 0) R[in.a] = std::move(result);
          break;
        }
        obj.obj()->invoke(m, kind, R + in.c, in.n, result);
        if (in.a >= 0) R[in.a] = std::move(result);
        G = prog_.globals.data();
        break;
      }
      case Op::MemberLet: {
        Variant obj = VB_V(in.a);
        if (in.flags & kFlagTemp) R[in.a].clear();
        const std::string& name = f->proc->memberTexts[static_cast<size_t>(in.d)];
        if (obj.isNothing()) ThrowError(err::ObjectNotSet);
        if (obj.tag() != Variant::tObject) ThrowNamed(err::ObjectRequired, name);
        int m = obj.obj()->findMember(f->proc->memberKeys[static_cast<size_t>(in.d)]);
        if (m == Object::kNoMember) ThrowNamed(err::NoSuchMember, name);
        std::vector<Variant> args(R + in.c, R + in.c + in.n);
        args.push_back(VB_V(in.b));
        Variant result;
        InvokeKind kind = (in.flags & kFlagSet) ? InvokeKind::Set : InvokeKind::Let;
        if (ClassInstance* inst = scriptObject(obj)) {
          if (!inst->cls->members[static_cast<size_t>(m)].isPublic && !(in.flags & 2)) ThrowNamed(err::NoSuchMember, name);
          if (Proc* p = classMember(*inst, m, kind, args.data(), static_cast<int>(args.size()), result)) {
            f->pc = pc;
            VB_POLL();
            pushFrame(p, args.data(), static_cast<int>(args.size()), -1, inst);
            VB_RELOAD();
            pc = code;
            continue;
          }
          break;
        }
        obj.obj()->invoke(m, kind, args.data(), static_cast<int>(args.size()), result);
        G = prog_.globals.data();
        break;
      }
      case Op::ReDim: {
        int kind = in.flags >> 1;
        ReDimVariable(variableOf(kind, in.a), R + in.c, in.n, in.flags & 1);
        break;
      }
      case Op::DimArray: {
        int kind = in.flags >> 1;
        Variant& var = variableOf(kind, in.a);
        if (var.isArray()) break;  // a Dim that runs again (in a loop) keeps its array
        if (in.n == 0) {
          NewEmptyArray(var);
        } else {
          std::vector<int32_t> ubs;
          for (int i = 0; i < in.n; ++i) ubs.push_back(K[in.c + i].n());
          var = MakeArray(ubs, true);
        }
        break;
      }
      case Op::Erase:
        EraseVariable(variableOf(in.flags >> 1, in.a));
        break;
      case Op::OnError:
        f->resumeNext = in.flags & 1;
        errObj_->clear();
        break;
      case Op::RaiseError:
        if (in.d >= 0) ThrowNamed(in.a, f->proc->memberTexts[static_cast<size_t>(in.d)]);
        ThrowError(in.a);
      case Op::Return: {
        Variant result;
        if (f->proc->resultSlot >= 0) result = std::move(R[f->proc->resultSlot]);
        int dest = f->retDest;
        popFrame();
        if (frames_.size() == baseDepth) {
          baseResult_ = std::move(result);
          return;
        }
        VB_RELOAD();
        pc = f->pc + 1;
        if (dest >= 0) R[dest] = std::move(result);
        continue;
      }
    }
    ++pc;
  }
  } catch (...) {
    if (frames_.size() > baseDepth) frames_.back().pc = pc;
    throw;
  }
#undef VB_V
#undef VB_RELOAD
#undef VB_POLL
}

}  // namespace lumetrix::vbs
