#pragma once
// Variant: the one value type of VBScript (Empty, Null, Boolean, Byte, Integer, Long, Single,
// Double, Date, String, Object, arrays). Strings, arrays and objects are reference counted
// without atomics: a Variant belongs to the thread that runs the script.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "errors.h"
#include "text.h"

namespace lumetrix::vbs {

// The VarType numbers that scripts see (VarType(), vbInteger, ...).
enum class VarType : uint16_t {
  Empty = 0,
  Null = 1,
  Integer = 2,
  Long = 3,
  Single = 4,
  Double = 5,
  Currency = 6,
  Date = 7,
  String = 8,
  Object = 9,
  Error = 10,
  Boolean = 11,
  Variant = 12,
  Byte = 17,
  Array = 8192,
};

class Object;
struct ArrayRep;

struct StringRep {
  uint32_t rc = 0;
  ustring s;
};

class Variant {
 public:
  // Internal tags: VarType values, with kHeap marking values that own a reference.
  static constexpr uint16_t kHeap = 0x8000;
  static constexpr uint16_t kRef = 0x4000;  // a ByRef argument: points at another Variant
  static constexpr uint16_t tEmpty = 0, tNull = 1, tInteger = 2, tLong = 3, tSingle = 4, tDouble = 5,
                            tCurrency = 6, tDate = 7, tString = 8 | kHeap, tNothing = 9, tObject = 9 | kHeap, tError = 10,
                            tBoolean = 11, tByte = 17, tArray = 8192 | kHeap;

  Variant() noexcept : tag_(tEmpty) { u_.d = 0; }
  Variant(bool b) noexcept : tag_(tBoolean) { u_.d = 0; u_.n = b ? -1 : 0; }
  Variant(int16_t v) noexcept : tag_(tInteger) { u_.d = 0; u_.n = v; }
  Variant(int32_t v) noexcept : tag_(tLong) { u_.d = 0; u_.n = v; }
  Variant(uint8_t v) noexcept : tag_(tByte) { u_.d = 0; u_.n = v; }
  Variant(float v) noexcept : tag_(tSingle) { u_.d = 0; u_.f = v; }
  Variant(double v) noexcept : tag_(tDouble) { u_.d = v; }
  Variant(const char* utf8) : Variant(std::string_view(utf8)) {}
  Variant(std::string_view utf8) : Variant(FromUtf8(utf8)) {}
  Variant(const std::string& utf8) : Variant(std::string_view(utf8)) {}
  Variant(ustring s);
  Variant(const char16_t* s) : Variant(ustring(s)) {}
  // An object reference; nullptr is Nothing.
  explicit Variant(Object* o) noexcept;
  explicit Variant(ArrayRep* a) noexcept;

  static Variant Integer(int32_t v) noexcept { Variant r; r.tag_ = tInteger; r.u_.n = v; return r; }
  static Variant Long(int32_t v) noexcept { return Variant(v); }
  static Variant Byte(int32_t v) noexcept { Variant r; r.tag_ = tByte; r.u_.n = v; return r; }
  static Variant Bool(bool b) noexcept { return Variant(b); }
  // Currency: a fixed-point number held as ten-thousandths.
  static Variant Currency(int64_t scaled) noexcept { Variant r; r.tag_ = tCurrency; r.u_.c = scaled; return r; }
  static Variant Date(double serial) noexcept { Variant r; r.tag_ = tDate; r.u_.d = serial; return r; }
  static Variant Null() noexcept { Variant r; r.tag_ = tNull; return r; }
  static Variant Nothing() noexcept { Variant r; r.tag_ = tNothing; r.u_.o = nullptr; return r; }
  static Variant Reference(Variant* target) noexcept { Variant r; r.tag_ = kRef; r.u_.r = target; return r; }
  // Subtype Error: what an argument left out (`f 1, , 3`) arrives as.
  static Variant Error(int32_t code) noexcept { Variant r; r.tag_ = tError; r.u_.n = code; return r; }

  Variant(const Variant& o) noexcept : tag_(o.tag_), u_(o.u_) { if (tag_ & kHeap) addRef(); }
  Variant(Variant&& o) noexcept : tag_(o.tag_), u_(o.u_) { o.tag_ = tEmpty; }
  // Old values are released only after the new one is in place: releasing may run a class's
  // Class_Terminate, which must never see a half-assigned variable.
  Variant& operator=(const Variant& o) noexcept {
    Variant tmp(o);
    swap(tmp);
    return *this;
  }
  Variant& operator=(Variant&& o) noexcept {
    Variant tmp(std::move(o));
    swap(tmp);
    return *this;
  }
  void swap(Variant& o) noexcept {
    std::swap(tag_, o.tag_);
    std::swap(u_, o.u_);
  }
  ~Variant() { if (tag_ & kHeap) release(); }

  VarType type() const noexcept { return static_cast<VarType>(tag_ & 0x3FFF); }
  uint16_t tag() const noexcept { return tag_; }
  bool isEmpty() const noexcept { return tag_ == tEmpty; }
  bool isNull() const noexcept { return tag_ == tNull; }
  bool isString() const noexcept { return tag_ == tString; }
  bool isArray() const noexcept { return tag_ == tArray; }
  bool isObject() const noexcept { return (tag_ & 0x3FFF) == 9; }  // includes Nothing
  bool isNothing() const noexcept { return tag_ == tNothing; }
  bool isRef() const noexcept { return tag_ == kRef; }
  bool isNumeric() const noexcept;  // Byte, Integer, Long, Single, Double, Date, Boolean, Empty
  bool isIntegral() const noexcept { return tag_ == tInteger || tag_ == tLong || tag_ == tByte || tag_ == tBoolean; }

  // Unchecked accessors for the engine.
  int32_t n() const noexcept { return u_.n; }
  float f() const noexcept { return u_.f; }
  int64_t cy() const noexcept { return u_.c; }
  double d() const noexcept { return u_.d; }
  const ustring& str() const noexcept { return u_.s->s; }
  StringRep* strRep() const noexcept { return u_.s; }
  ArrayRep* arr() const noexcept { return u_.a; }
  Object* obj() const noexcept { return (tag_ & kHeap) ? u_.o : nullptr; }
  Variant* ref() const noexcept { return u_.r; }
  // Follows a ByRef reference.
  const Variant& deref() const noexcept { return tag_ == kRef ? *u_.r : *this; }
  Variant& deref() noexcept { return tag_ == kRef ? *u_.r : *this; }

  // Fast in-place setters used by the interpreter.
  void setLong(int32_t v) noexcept { setPlain(tLong, v); }
  void setInteger(int32_t v) noexcept { setPlain(tInteger, v); }
  void setBool(bool b) noexcept { setPlain(tBoolean, b ? -1 : 0); }
  void setDouble(double v) noexcept {
    if (tag_ & kHeap) {
      *this = Variant(v);
      return;
    }
    tag_ = tDouble;
    u_.d = v;
  }
  void clear() noexcept {
    if (tag_ & kHeap) {
      Variant old(std::move(*this));
      return;
    }
    tag_ = tEmpty;
    u_.d = 0;
  }

  // Reference count of a string, array or object (0 for plain values).
  uint32_t useCount() const noexcept;

 private:
  void setPlain(uint16_t tag, int32_t v) noexcept {
    if (tag_ & kHeap) {
      Variant old(std::move(*this));
    }
    tag_ = tag;
    u_.n = v;
  }
  void addRef() const noexcept;
  void release() noexcept;

  uint16_t tag_;
  union {
    int32_t n;
    int64_t c;
    float f;
    double d;
    StringRep* s;
    ArrayRep* a;
    Object* o;
    Variant* r;
  } u_;
};

// A VBScript array: lower bounds are always 0, the first index varies fastest.
struct ArrayRep {
  uint32_t rc = 0;
  std::vector<int32_t> counts;  // elements per dimension; empty for `Dim a()`
  std::vector<Variant> data;
  bool fixed = false;  // declared with bounds: ReDim refused
};

// Largest string (code units) and array (elements) the engine creates; beyond: "Out of memory".
constexpr size_t kMaxStringLength = size_t(1) << 27;
constexpr size_t kMaxArrayElements = size_t(1) << 25;

// Builds a one-dimensional array of the given values.
Variant MakeArray(std::vector<Variant> values);
// Builds an array with the given upper bounds (-1 gives zero elements in that dimension).
Variant MakeArray(const std::vector<int32_t>& upperBounds, bool fixed);
// A deep copy of an array value (VBScript arrays are values: assignment copies them).
Variant CloneArray(const Variant& a);

// Host-facing conversions, with VBScript's rules: Type mismatch (13) for values that are not
// numbers, Overflow (6) out of range, Invalid use of Null (94) for Null. Floats become integers
// by rounding half to even. Objects convert through their default property.
double ToDouble(const Variant& v);
float ToSingle(const Variant& v);
int32_t ToLong(const Variant& v);
int16_t ToInteger(const Variant& v);
// Currency's ten-thousandths of a value (rounded half to even; Overflow outside its range).
int64_t ToCurrency(const Variant& v);
int64_t CurrencyFromDouble(double d);
uint8_t ToByte(const Variant& v);
bool ToBool(const Variant& v);
double ToDate(const Variant& v);
std::string ToString(const Variant& v);  // UTF-8
ustring ToUString(const Variant& v);
// TypeName() of a value ("Integer", "String", "Variant()", ...).
std::string TypeNameOf(const Variant& v);

}  // namespace lumetrix::vbs
