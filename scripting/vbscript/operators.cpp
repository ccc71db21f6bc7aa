#include "operators.h"

#include <cfloat>
#include <cmath>

#include "convert.h"
#include "date_time.h"
#include "object.h"

namespace lumetrix::vbs {

namespace {

// Arithmetic ranks: 1 Byte, 2 Integer, 3 Long, 4 Single, 5 Double, 6 Date, 7 String.
int Rank(uint16_t tag) {
  switch (tag) {
    case Variant::tByte: return 1;
    case Variant::tEmpty: case Variant::tBoolean: case Variant::tInteger: return 2;
    case Variant::tLong: return 3;
    case Variant::tSingle: return 4;
    case Variant::tDouble: return 5;
    case Variant::tDate: return 6;
    case Variant::tString: return 7;
    case Variant::tCurrency: return 8;  // handled before the ranks are compared
    default: return 0;
  }
}

Variant Plain(const Variant& v) {
  const Variant& x = v.deref();
  if (x.tag() == Variant::tObject) return DefaultValue(x);
  if (x.tag() == Variant::tNothing) ThrowError(err::ObjectNotSet);
  return x;
}

Variant FitFloat(double r, int rank) {
  if (rank == 4 && (!std::isfinite(r) || std::fabs(r) <= FLT_MAX)) return Variant(static_cast<float>(r));
  if (std::isinf(r)) ThrowError(err::Overflow);
  return Variant(r);
}

Variant MakeDate(double d) {
  if (!IsValidDate(d)) ThrowError(err::Overflow);
  return Variant::Date(d);
}

int64_t LongOperand(const Variant& v) {
  if (v.isIntegral()) return v.n();
  return RoundToLong(NumericValue(v));
}

// Currency meeting any number but a date stays Currency for + - *, exact in ten-thousandths.
Variant CurrencyArithmetic(BinaryOp op, const Variant& a, const Variant& b) {
  int64_t x = ToCurrency(a), y = ToCurrency(b), r;
  bool overflow;
  if (op == BinaryOp::Add) {
    overflow = __builtin_add_overflow(x, y, &r);
  } else if (op == BinaryOp::Sub) {
    overflow = __builtin_sub_overflow(x, y, &r);
  } else {
    __int128 p = static_cast<__int128>(x) * y;
    __int128 q = p / 10000, rem = p % 10000;
    if (rem < 0) rem = -rem;
    if (rem > 5000 || (rem == 5000 && (q & 1))) q += p < 0 ? -1 : 1;  // half to even
    overflow = q > INT64_MAX || q < INT64_MIN;
    r = static_cast<int64_t>(q);
  }
  if (overflow) ThrowError(err::Overflow);
  return Variant::Currency(r);
}

Variant Arithmetic(BinaryOp op, const Variant& a, const Variant& b) {
  int ra = Rank(a.tag()), rb = Rank(b.tag());
  if (!ra || !rb) ThrowError(err::TypeMismatch);
  if (op == BinaryOp::Add && a.tag() == Variant::tString && b.tag() == Variant::tString) {
    if (a.str().size() + b.str().size() > kMaxStringLength) ThrowError(err::OutOfMemory);
    return Variant(a.str() + b.str());
  }
  if (op == BinaryOp::Add && (a.isEmpty() && b.isString())) return b;
  if (op == BinaryOp::Add && (b.isEmpty() && a.isString())) return a;
  if (ra == 8 || rb == 8) {
    if (ra != 6 && rb != 6) return CurrencyArithmetic(op, a, b);
    ra = ra == 8 ? 5 : ra;  // with a date: the date rules
    rb = rb == 8 ? 5 : rb;
  }
  // Strings meeting numbers become Doubles.
  if (ra == 7) ra = 5;
  if (rb == 7) rb = 5;
  int rank = ra > rb ? ra : rb;
  if (rank == 6) {  // dates
    double x = NumericValue(a), y = NumericValue(b);
    if (op == BinaryOp::Add) return MakeDate(x + y);
    if (op == BinaryOp::Sub) {
      if (ra == 6 && rb == 6) return Variant(x - y);
      return MakeDate(x - y);
    }
    rank = 5;
  }
  if (rank <= 3) {
    int64_t x = a.n(), y = b.n();
    if (a.isEmpty()) x = 0;
    if (b.isEmpty()) y = 0;
    int64_t r = op == BinaryOp::Add ? x + y : op == BinaryOp::Sub ? x - y : x * y;
    uint16_t minTag = rank == 1 ? Variant::tByte : rank == 2 ? Variant::tInteger : Variant::tLong;
    return FitInteger(r, minTag);
  }
  // Single with Long gives Double, as in VBScript.
  if (rank == 4 && (ra == 3 || rb == 3)) rank = 5;
  double x = NumericValue(a), y = NumericValue(b);
  double r = op == BinaryOp::Add ? x + y : op == BinaryOp::Sub ? x - y : x * y;
  return FitFloat(r, rank);
}

Variant Divide(const Variant& a, const Variant& b) {
  int ra = Rank(a.tag()), rb = Rank(b.tag());
  if (!ra || !rb) ThrowError(err::TypeMismatch);
  double x = NumericValue(a), y = NumericValue(b);
  if (y == 0) ThrowError(x == 0 ? err::Overflow : err::DivisionByZero);
  double r = x / y;
  bool single = (ra == 4 || rb == 4) && ra != 3 && rb != 3 && ra <= 4 && rb <= 4;
  return FitFloat(r, single ? 4 : 5);
}

Variant IntegerDivide(BinaryOp op, const Variant& a, const Variant& b) {
  int ra = Rank(a.tag()), rb = Rank(b.tag());
  if (!ra || !rb) ThrowError(err::TypeMismatch);
  int64_t x = a.isEmpty() ? 0 : LongOperand(a), y = b.isEmpty() ? 0 : LongOperand(b);
  if (y == 0) ThrowError(err::DivisionByZero);
  int64_t r = op == BinaryOp::IntDiv ? x / y : x % y;
  uint16_t minTag = (ra == 1 && rb == 1) ? Variant::tByte : (ra <= 2 && rb <= 2) ? Variant::tInteger : Variant::tLong;
  Variant v = FitInteger(r, minTag);
  if (v.tag() == Variant::tDouble) ThrowError(err::Overflow);
  return v;
}

Variant Power(const Variant& a, const Variant& b) {
  double x = NumericValue(a), y = NumericValue(b);
  if (x == 0 && y < 0) ThrowError(err::InvalidCall);
  if (x < 0 && y != std::floor(y)) ThrowError(err::InvalidCall);
  double r = std::pow(x, y);
  if (std::isinf(r)) ThrowError(err::Overflow);
  return Variant(r);
}

// Operand of a logical/bitwise operator: Boolean stays Boolean, everything else a Long value.
struct Bits {
  bool isBool;
  bool narrow;  // fits Integer (result Integer)
  int64_t v;
};

Bits ToBits(const Variant& x) {
  switch (x.tag()) {
    case Variant::tBoolean: return {true, true, x.n()};
    case Variant::tEmpty: return {false, true, 0};
    case Variant::tInteger: case Variant::tByte: return {false, true, x.n()};
    case Variant::tLong: return {false, false, x.n()};
    default: return {false, false, RoundToLong(NumericValue(x))};
  }
}

Variant Logical(BinaryOp op, const Variant& a, const Variant& b) {
  bool na = a.isNull(), nb = b.isNull();
  if (na || nb) {
    if (na && nb) return Variant::Null();
    const Variant& other = na ? b : a;
    Bits o = ToBits(other);
    switch (op) {
      case BinaryOp::And:
        if (o.v == 0) return o.isBool ? Variant(false) : FitInteger(0, o.narrow ? Variant::tInteger : Variant::tLong);
        return Variant::Null();
      case BinaryOp::Or:
        if (o.v == -1) return o.isBool ? Variant(true) : FitInteger(-1, o.narrow ? Variant::tInteger : Variant::tLong);
        return Variant::Null();
      case BinaryOp::Imp:
        if (na) {  // Null Imp x
          if (o.v == -1) return o.isBool ? Variant(true) : FitInteger(-1, o.narrow ? Variant::tInteger : Variant::tLong);
          return Variant::Null();
        }
        if (o.v == 0) return o.isBool ? Variant(true) : FitInteger(-1, o.narrow ? Variant::tInteger : Variant::tLong);
        return Variant::Null();
      default:
        return Variant::Null();
    }
  }
  Bits x = ToBits(a), y = ToBits(b);
  int32_t p = static_cast<int32_t>(x.v), q = static_cast<int32_t>(y.v);
  int32_t r = 0;
  switch (op) {
    case BinaryOp::And: r = p & q; break;
    case BinaryOp::Or: r = p | q; break;
    case BinaryOp::Xor: r = p ^ q; break;
    case BinaryOp::Eqv: r = ~(p ^ q); break;
    case BinaryOp::Imp: r = ~p | q; break;
    default: break;
  }
  if (x.isBool && y.isBool) return Variant(r != 0);
  if (x.narrow && y.narrow) return Variant::Integer(static_cast<int16_t>(r));
  return Variant(r);
}

}  // namespace

Variant FitInteger(int64_t r, uint16_t minTag) {
  if (minTag == Variant::tByte && r >= 0 && r <= 255) return Variant::Byte(static_cast<int32_t>(r));
  if (minTag != Variant::tLong && r >= -32768 && r <= 32767) return Variant::Integer(static_cast<int32_t>(r));
  if (r >= INT32_MIN && r <= INT32_MAX) return Variant(static_cast<int32_t>(r));
  return Variant(static_cast<double>(r));
}

Variant Binary(BinaryOp op, const Variant& a0, const Variant& b0) {
  Variant a = Plain(a0), b = Plain(b0);
  if (op == BinaryOp::Concat) {
    if (a.isNull() && b.isNull()) return Variant::Null();
    if (a.isArray() || b.isArray()) ThrowError(err::TypeMismatch);
    ustring s = a.isNull() ? ustring() : ToUString(a);
    if (b.isNull()) return Variant(std::move(s));
    const ustring t = ToUString(b);
    if (s.size() + t.size() > kMaxStringLength) ThrowError(err::OutOfMemory);
    s += t;
    return Variant(std::move(s));
  }
  if (op >= BinaryOp::And) return Logical(op, a, b);
  if (a.isNull() || b.isNull()) {
    if (a.isArray() || b.isArray()) ThrowError(err::TypeMismatch);
    return Variant::Null();
  }
  switch (op) {
    case BinaryOp::Add: case BinaryOp::Sub: case BinaryOp::Mul: return Arithmetic(op, a, b);
    case BinaryOp::Div: return Divide(a, b);
    case BinaryOp::IntDiv: case BinaryOp::Mod: return IntegerDivide(op, a, b);
    case BinaryOp::Pow: return Power(a, b);
    default: ThrowError(err::TypeMismatch);
  }
}

Variant Negate(const Variant& a0) {
  Variant a = Plain(a0);
  switch (a.tag()) {
    case Variant::tNull: return a;
    case Variant::tEmpty: return Variant::Integer(0);
    case Variant::tBoolean: case Variant::tInteger: case Variant::tByte: return FitInteger(-int64_t(a.n()), Variant::tInteger);
    case Variant::tLong: return FitInteger(-int64_t(a.n()), Variant::tLong);
    case Variant::tSingle: return Variant(-a.f());
    case Variant::tDouble: return Variant(-a.d());
    case Variant::tCurrency:
      if (a.cy() == INT64_MIN) ThrowError(err::Overflow);
      return Variant::Currency(-a.cy());
    case Variant::tDate: return MakeDate(-a.d());
    case Variant::tString: return Variant(-NumericValue(a));
    default: ThrowError(err::TypeMismatch);
  }
}

Variant LogicalNot(const Variant& a0) {
  Variant a = Plain(a0);
  if (a.isNull()) return a;
  // A text that is no number but "True", "False", "#TRUE#" or "#FALSE#" is a Boolean here, as
  // in VBScript (Not "#FALSE#" is True); any other text is a type mismatch (ToBool).
  double number;
  if (a.isString() && !ParseNumber(a.str(), number)) return Variant(!ToBool(a));
  Bits x = ToBits(a);
  int32_t r = ~static_cast<int32_t>(x.v);
  if (x.isBool) return Variant(r != 0);
  if (x.narrow) return Variant::Integer(r);
  return Variant(r);
}

int Compare(const Variant& a0, const Variant& b0, bool textCompare, bool literalInvolved) {
  Variant a = Plain(a0), b = Plain(b0);
  if (a.isNull() || b.isNull()) return kCompareNull;
  if (a.isArray() || b.isArray() || a.tag() == Variant::tError || b.tag() == Variant::tError)
    ThrowError(err::TypeMismatch);
  bool sa = a.isString(), sb = b.isString();
  if (sa && sb) return textCompare ? CompareText(a.str(), b.str()) : CompareBinary(a.str(), b.str());
  if (sa || sb) {
    const Variant& other = sa ? b : a;
    if (other.isEmpty()) {
      const ustring& s = sa ? a.str() : b.str();
      return sa ? (s.empty() ? 0 : 1) : (s.empty() ? 0 : -1);
    }
    double parsed;
    if (literalInvolved && ParseNumber(sa ? a.str() : b.str(), parsed)) {
      double x = sa ? parsed : NumericValue(a), y = sb ? parsed : NumericValue(b);
      return x < y ? -1 : (x > y ? 1 : 0);
    }
    return sa ? 1 : -1;  // numbers sort before strings
  }
  if (a.isIntegral() && b.isIntegral()) return a.n() < b.n() ? -1 : (a.n() > b.n() ? 1 : 0);
  double x = NumericValue(a), y = NumericValue(b);
  // A Single meets the other operand at Single precision (CSng(0.001 * 0.001) = 0.000001).
  if (a.tag() == Variant::tSingle || b.tag() == Variant::tSingle) {
    float fx = static_cast<float>(x), fy = static_cast<float>(y);
    return fx < fy ? -1 : (fx > fy ? 1 : 0);
  }
  return x < y ? -1 : (x > y ? 1 : 0);
}

bool SameObject(const Variant& a0, const Variant& b0) {
  const Variant& a = a0.deref();
  const Variant& b = b0.deref();
  if (!a.isObject() || !b.isObject()) ThrowError(err::ObjectRequired);
  return a.obj() == b.obj();
}

}  // namespace lumetrix::vbs
