// Abs Atn Cos Exp Fix Int Log Rnd Randomize Round Sgn Sin Sqr Tan RGB.
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "builtins_args.h"
#include "convert.h"
#include "date_time.h"
#include "interpreter.h"
#include "operators.h"

namespace lumetrix::vbs {

namespace {

using namespace bi;

Variant DateOrOverflow(double d) {
  if (!IsValidDate(d)) ThrowError(err::Overflow);
  return Variant::Date(d);
}

// Applies an integral-valued function keeping the argument's subtype (Boolean and Empty give
// Integer, strings give Double), as Int, Fix and Abs do.
template <typename F>
Variant KeepingSubtype(const Variant& arg, F f) {
  Variant v = Plain(arg);
  switch (v.tag()) {
    case Variant::tNull: return v;
    case Variant::tEmpty: return Variant::Integer(0);
    case Variant::tByte: {
      double r = f(static_cast<double>(v.n()));
      if (r >= 0 && r <= 255) return Variant::Byte(static_cast<int32_t>(r));
      return FitInteger(static_cast<int64_t>(r), Variant::tInteger);
    }
    case Variant::tBoolean: case Variant::tInteger:
      return FitInteger(static_cast<int64_t>(f(static_cast<double>(v.n()))), Variant::tInteger);
    case Variant::tLong:
      return FitInteger(static_cast<int64_t>(f(static_cast<double>(v.n()))), Variant::tLong);
    case Variant::tSingle: return Variant(static_cast<float>(f(v.f())));
    case Variant::tDouble: return Variant(f(v.d()));
    case Variant::tCurrency: return Variant::Currency(CurrencyFromDouble(f(NumericValue(v))));
    case Variant::tDate: return DateOrOverflow(f(v.d()));
    case Variant::tString: return Variant(f(NumericValue(v)));
    default: ThrowError(err::TypeMismatch);
  }
}

void Abs(Interpreter&, Variant* args, int, Variant& result) {
  result = KeepingSubtype(args[0], [](double x) { return std::fabs(x); });
}
void Int(Interpreter&, Variant* args, int, Variant& result) {
  result = KeepingSubtype(args[0], [](double x) { return std::floor(x); });
}
void Fix(Interpreter&, Variant* args, int, Variant& result) {
  result = KeepingSubtype(args[0], [](double x) { return std::trunc(x); });
}

// A Double-valued function of one number; Null gives Null.
template <typename F>
void RealFunction(const Variant& arg, Variant& result, F f) {
  Variant v = Plain(arg);
  if (v.isNull()) {
    result = v;
    return;
  }
  double r = f(NumericValue(v));
  if (std::isinf(r)) ThrowError(err::Overflow);
  result = Variant(r);
}

void Atn(Interpreter&, Variant* args, int, Variant& result) {
  RealFunction(args[0], result, [](double x) { return std::atan(x); });
}
void Cos(Interpreter&, Variant* args, int, Variant& result) {
  RealFunction(args[0], result, [](double x) { return std::cos(x); });
}
void Sin(Interpreter&, Variant* args, int, Variant& result) {
  RealFunction(args[0], result, [](double x) { return std::sin(x); });
}
void Tan(Interpreter&, Variant* args, int, Variant& result) {
  RealFunction(args[0], result, [](double x) { return std::tan(x); });
}
void Exp(Interpreter&, Variant* args, int, Variant& result) {
  RealFunction(args[0], result, [](double x) { return std::exp(x); });
}
void Log(Interpreter&, Variant* args, int, Variant& result) {
  RealFunction(args[0], result, [](double x) {
    if (!(x > 0)) ThrowError(err::InvalidCall);
    return std::log(x);
  });
}
void Sqr(Interpreter&, Variant* args, int, Variant& result) {
  RealFunction(args[0], result, [](double x) {
    if (x < 0) ThrowError(err::InvalidCall);
    return std::sqrt(x);
  });
}

void Sgn(Interpreter&, Variant* args, int, Variant& result) {
  double x = NumericValue(NotNull(args[0]));
  result = Variant::Integer(x > 0 ? 1 : (x < 0 ? -1 : 0));
}

// Half to even at `places` decimals of the binary value, the way VBScript's Round works.
double RoundPlaces(double x, int places) {
  if (!std::isfinite(x)) return x;
  if (places == 0) return std::nearbyint(x);
  if (places > 22) return x;
  double scale = std::pow(10.0, places);
  double scaled = x * scale;
  if (!std::isfinite(scaled) || std::fabs(scaled) >= 4503599627370496.0) return x;  // no fraction left
  return std::nearbyint(scaled) / scale;
}

void Round(Interpreter&, Variant* args, int nargs, Variant& result) {
  Variant v = Plain(args[0]);
  if (v.isNull()) {
    result = v;
    return;
  }
  int32_t places = OptionalLong(args, nargs, 1, 0);
  if (places < 0) ThrowError(err::InvalidCall);
  switch (v.tag()) {
    case Variant::tEmpty: result = Variant::Integer(0); return;
    case Variant::tBoolean: case Variant::tByte: case Variant::tInteger: case Variant::tLong: result = v; return;
    case Variant::tSingle: result = Variant(static_cast<float>(RoundPlaces(v.f(), places))); return;
    case Variant::tDouble: result = Variant(RoundPlaces(v.d(), places)); return;
    case Variant::tCurrency:
      result = places >= 4 ? v : Variant::Currency(CurrencyFromDouble(RoundPlaces(NumericValue(v), places)));
      return;
    case Variant::tDate: result = DateOrOverflow(RoundPlaces(v.d(), places)); return;
    case Variant::tString: result = Variant(RoundPlaces(NumericValue(v), places)); return;
    default: ThrowError(err::TypeMismatch);
  }
}

// VBScript's generator: x' = (x * 0x43FD43FD + 0xC39EC3) mod 2^24, the value x / 2^24.
constexpr uint32_t kRndMask = 0xFFFFFF;

void Rnd(Interpreter& vm, Variant* args, int nargs, Variant& result) {
  float n = 1.0f;
  if (Given(args, nargs, 0)) n = ToSingle(NotNull(args[0]));
  if (n < 0) {
    // A negative argument seeds from its own bit pattern: the same number, the same sequence.
    uint32_t bits;
    std::memcpy(&bits, &n, sizeof bits);
    vm.rndState = (bits + (bits >> 24)) & kRndMask;
  }
  if (n != 0) vm.rndState = (vm.rndState * 0x43FD43FDu + 0xC39EC3u) & kRndMask;
  vm.lastRnd = static_cast<float>(vm.rndState) / 16777216.0f;
  result = Variant(vm.lastRnd);
}

void Randomize(Interpreter& vm, Variant* args, int nargs, Variant& result) {
  double seed = Given(args, nargs, 0) ? NumericValue(NotNull(args[0])) : static_cast<float>(SecondsSinceMidnight());
  uint64_t bits;
  std::memcpy(&bits, &seed, sizeof bits);
  uint32_t high = static_cast<uint32_t>(bits >> 32);
  uint32_t mixed = ((high & 0xFFFF) ^ (high >> 16)) << 8;
  vm.rndState = (vm.rndState & 0xFF0000FFu) | (mixed & 0x00FFFF00u);
  vm.rndState &= kRndMask;
  result.clear();
}

void RGB(Interpreter&, Variant* args, int, Variant& result) {
  int32_t c[3];
  for (int i = 0; i < 3; ++i) {
    c[i] = LongArg(args[i]);
    if (c[i] < 0) ThrowError(err::InvalidCall);
    if (c[i] > 255) c[i] = 255;
  }
  result = Variant(c[0] | (c[1] << 8) | (c[2] << 16));
}

}  // namespace

void AddMathBuiltins(std::vector<Builtin>& out) {
  out.insert(out.end(), {
                            {"Abs", 1, 1, Named<"Abs", Abs>},
                            {"Atn", 1, 1, Named<"Atn", Atn>},
                            {"Cos", 1, 1, Named<"Cos", Cos>},
                            {"Exp", 1, 1, Named<"Exp", Exp>},
                            {"Fix", 1, 1, Named<"Fix", Fix>},
                            {"Int", 1, 1, Named<"Int", Int>},
                            {"Log", 1, 1, Named<"Log", Log>},
                            {"Rnd", 0, 1, Named<"Rnd", Rnd>},
                            {"Randomize", 0, 1, Named<"Randomize", Randomize>, true},
                            {"Round", 1, 2, Named<"Round", Round>},
                            {"Sgn", 1, 1, Named<"Sgn", Sgn>},
                            {"Sin", 1, 1, Named<"Sin", Sin>},
                            {"Sqr", 1, 1, Named<"Sqr", Sqr>},
                            {"Tan", 1, 1, Named<"Tan", Tan>},
                            {"RGB", 3, 3, Named<"RGB", RGB>},
                        });
}

}  // namespace lumetrix::vbs
