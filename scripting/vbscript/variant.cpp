#include "variant.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <new>

#include "convert.h"
#include "date_time.h"
#include "object.h"

namespace lumetrix::vbs {

Variant::Variant(ustring s) : tag_(tString) {
  if (s.size() > kMaxStringLength) ThrowError(err::OutOfMemory);
  u_.s = new StringRep{1, std::move(s)};
}

Variant::Variant(Object* o) noexcept : tag_(o ? tObject : tNothing) {
  u_.o = o;
  if (o) o->addRef();
}

Variant::Variant(ArrayRep* a) noexcept : tag_(tArray) {
  u_.a = a;
  ++a->rc;
}

bool Variant::isNumeric() const noexcept {
  switch (tag_) {
    case tEmpty: case tInteger: case tLong: case tSingle: case tDouble: case tDate: case tBoolean: case tByte:
    case tCurrency:
      return true;
    default:
      return false;
  }
}

uint32_t Variant::useCount() const noexcept {
  switch (tag_) {
    case tString: return u_.s->rc;
    case tArray: return u_.a->rc;
    case tObject: return u_.o->useCount();
    default: return 0;
  }
}

void Variant::addRef() const noexcept {
  switch (tag_) {
    case tString: ++u_.s->rc; break;
    case tArray: ++u_.a->rc; break;
    case tObject: u_.o->addRef(); break;
    default: break;
  }
}

void Variant::release() noexcept {
  switch (tag_) {
    case tString:
      if (--u_.s->rc == 0) delete u_.s;
      break;
    case tArray:
      if (--u_.a->rc == 0) delete u_.a;
      break;
    case tObject:
      u_.o->release();
      break;
    default:
      break;
  }
}

Variant MakeArray(std::vector<Variant> values) {
  if (values.size() > kMaxArrayElements) ThrowError(err::OutOfMemory);
  auto* a = new ArrayRep;
  a->counts.push_back(static_cast<int32_t>(values.size()));
  a->data = std::move(values);
  return Variant(a);
}

Variant MakeArray(const std::vector<int32_t>& upperBounds, bool fixed) {
  uint64_t total = 1;
  for (int32_t ub : upperBounds) {
    if (ub < -1) ThrowError(err::SubscriptOutOfRange);
    total *= static_cast<uint64_t>(ub) + 1;
    if (total > kMaxArrayElements) ThrowError(err::OutOfMemory);
  }
  auto* a = new ArrayRep;
  Variant result(a);
  for (int32_t ub : upperBounds) a->counts.push_back(ub + 1);
  try {
    a->data.resize(static_cast<size_t>(total));
  } catch (const std::bad_alloc&) {
    ThrowError(err::OutOfMemory);
  }
  a->fixed = fixed;
  return result;
}

Variant CloneArray(const Variant& v) {
  const ArrayRep* src = v.arr();
  auto* a = new ArrayRep;
  Variant result(a);
  a->counts = src->counts;
  a->data.reserve(src->data.size());
  for (const Variant& e : src->data) a->data.push_back(e.isArray() ? CloneArray(e) : e);
  return result;
}

// ---------------------------------------------------------------------------------------------
// Number formatting and parsing

ustring FormatDouble(double v) {
  if (v == 0) return u"0";
  if (std::isnan(v)) return u"-1.#IND";
  if (std::isinf(v)) return v > 0 ? u"1.#INF" : u"-1.#INF";
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
  ustring out;
  for (char* p = buf; p != r.ptr; ++p) out.push_back(*p == 'e' ? u'E' : static_cast<char16_t>(*p));
  return out;
}

ustring FormatSingle(float v) {
  if (v == 0) return u"0";
  if (std::isnan(v) || std::isinf(v)) return FormatDouble(v);
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 7);
  ustring out;
  for (char* p = buf; p != r.ptr; ++p) out.push_back(*p == 'e' ? u'E' : static_cast<char16_t>(*p));
  return out;
}

bool ParseNumber(ustring_view text, double& value) {
  size_t i = 0, n = text.size();
  auto blank = [&](size_t k) { return text[k] == ' ' || text[k] == '\t' || text[k] == '\r' || text[k] == '\n'; };
  while (i < n && blank(i)) ++i;
  while (n > i && blank(n - 1)) --n;
  if (i >= n) return false;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
    while (i < n && blank(i)) ++i;
  }
  if (i >= n) return false;
  if (text[i] == '&') {
    ++i;
    int base = 8;
    if (i < n && (text[i] == 'h' || text[i] == 'H')) {
      base = 16;
      ++i;
    } else if (i < n && (text[i] == 'o' || text[i] == 'O')) {
      ++i;
    }
    if (i >= n) return false;
    uint64_t v = 0;
    for (; i < n; ++i) {
      int d;
      char16_t c = text[i];
      if (c >= '0' && c <= '9') d = c - '0';
      else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else return false;
      if (d >= base) return false;
      v = v * base + d;
      if (v > 0xFFFFFFFFull) return false;
    }
    // Hex and octal strings are 16- or 32-bit two's complement values.
    double r;
    if (v <= 0xFFFF) r = static_cast<int16_t>(static_cast<uint16_t>(v));
    else r = static_cast<int32_t>(static_cast<uint32_t>(v));
    value = negative ? -r : r;
    return true;
  }
  std::string digits;
  bool any = false, dot = false;
  for (; i < n; ++i) {
    char16_t c = text[i];
    if (c >= '0' && c <= '9') {
      digits.push_back(static_cast<char>(c));
      any = true;
    } else if (c == ',' && !dot && any) {
      continue;
    } else if (c == '.' && !dot) {
      digits.push_back('.');
      dot = true;
    } else {
      break;
    }
  }
  if (!any) return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    digits.push_back('e');
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) digits.push_back(static_cast<char>(text[i++]));
    bool expDigits = false;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) {
      digits.push_back(static_cast<char>(text[i]));
      expDigits = true;
    }
    if (!expDigits) return false;
  }
  if (i != n) return false;
  double r = 0;
  auto res = std::from_chars(digits.data(), digits.data() + digits.size(), r);
  if (res.ec == std::errc::result_out_of_range) {
    // Too small underflows to zero; too large is not a representable number.
    bool tiny = digits.find("e-") != std::string::npos;
    if (!tiny) return false;
    r = 0;
  } else if (res.ec != std::errc() || res.ptr != digits.data() + digits.size()) {
    return false;
  }
  value = negative ? -r : r;
  return true;
}

int32_t RoundToLong(double v) {
  if (std::isnan(v)) ThrowError(err::Overflow);
  double r = std::nearbyint(v);
  if (r < -2147483648.0 || r > 2147483647.0) ThrowError(err::Overflow);
  return static_cast<int32_t>(r);
}

int32_t RoundToInteger(double v) {
  if (std::isnan(v)) ThrowError(err::Overflow);
  double r = std::nearbyint(v);
  if (r < -32768.0 || r > 32767.0) ThrowError(err::Overflow);
  return static_cast<int32_t>(r);
}

double NumericValue(const Variant& v0) {
  const Variant& v = v0.deref();
  switch (v.tag()) {
    case Variant::tEmpty: return 0;
    case Variant::tNull: ThrowError(err::InvalidUseOfNull);
    case Variant::tBoolean: case Variant::tInteger: case Variant::tLong: case Variant::tByte: return v.n();
    case Variant::tSingle: return v.f();
    case Variant::tDouble: case Variant::tDate: return v.d();
    case Variant::tCurrency: return static_cast<double>(v.cy()) / 10000.0;
    case Variant::tString: {
      double d;
      if (!ParseNumber(v.str(), d)) ThrowError(err::TypeMismatch);
      return d;
    }
    case Variant::tObject: return NumericValue(DefaultValue(v));
    case Variant::tNothing: ThrowError(err::ObjectNotSet);
    default: ThrowError(err::TypeMismatch);
  }
}

bool LooksNumeric(const Variant& v0) {
  const Variant& v = v0.deref();
  switch (v.tag()) {
    case Variant::tEmpty: case Variant::tBoolean: case Variant::tInteger: case Variant::tLong:
    case Variant::tByte: case Variant::tSingle: case Variant::tDouble: case Variant::tCurrency:
      return true;
    case Variant::tString: {
      double d;
      return ParseNumber(v.str(), d);
    }
    case Variant::tObject: {  // through a default property that is a number
      try {
        return LooksNumeric(DefaultValue(v));
      } catch (const ScriptError&) {
        return false;
      }
    }
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------------------------
// Host-facing conversions

double ToDouble(const Variant& v) { return NumericValue(v); }

int64_t CurrencyFromDouble(double d) {
  double r = std::nearbyint(d * 10000.0);
  if (!(std::fabs(r) <= 9.2233720368547758e18) || r >= 9.2233720368547758e18) ThrowError(err::Overflow);
  return static_cast<int64_t>(r);
}

int64_t ToCurrency(const Variant& v0) {
  const Variant& v = v0.deref();
  if (v.tag() == Variant::tCurrency) return v.cy();
  if (v.isIntegral()) return int64_t{v.n()} * 10000;
  return CurrencyFromDouble(NumericValue(v));
}

// Up to four decimals, without trailing zeros: "1.5", "-0.0001", "3".
ustring FormatCurrencyValue(int64_t scaled) {
  bool negative = scaled < 0;
  uint64_t m = negative ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  std::string s = std::to_string(m / 10000);
  uint64_t frac = m % 10000;
  if (frac) {
    std::string f = std::to_string(frac);
    f.insert(0, 4 - f.size(), '0');
    while (f.back() == '0') f.pop_back();
    s += "." + f;
  }
  return FromAscii(negative ? "-" + s : s);
}

float ToSingle(const Variant& v) {
  double d = NumericValue(v);
  if (std::isfinite(d) && std::fabs(d) > FLT_MAX) ThrowError(err::Overflow);
  return static_cast<float>(d);
}

int32_t ToLong(const Variant& v) {
  const Variant& x = v.deref();
  if (x.isIntegral()) return x.n();
  return RoundToLong(NumericValue(x));
}

int16_t ToInteger(const Variant& v) {
  const Variant& x = v.deref();
  double d = x.isIntegral() ? x.n() : NumericValue(x);
  return static_cast<int16_t>(RoundToInteger(d));
}

uint8_t ToByte(const Variant& v) {
  double r = std::nearbyint(NumericValue(v));
  if (!(r >= 0 && r <= 255)) ThrowError(err::Overflow);
  return static_cast<uint8_t>(r);
}

bool ToBool(const Variant& v0) {
  const Variant& v = v0.deref();
  switch (v.tag()) {
    case Variant::tString: {
      const ustring& s = v.str();
      if (EqualsNoCase(s, u"true") || EqualsNoCase(s, u"#true#")) return true;
      if (EqualsNoCase(s, u"false") || EqualsNoCase(s, u"#false#")) return false;
      double d;
      if (!ParseNumber(s, d)) ThrowError(err::TypeMismatch);
      return d != 0;
    }
    case Variant::tObject: return ToBool(DefaultValue(v));
    default: return NumericValue(v) != 0;
  }
}

double ToDate(const Variant& v0) {
  const Variant& v = v0.deref();
  double d;
  if (v.tag() == Variant::tString) {
    if (ParseDate(v.str(), d)) return d;
    if (!ParseNumber(v.str(), d)) ThrowError(err::TypeMismatch);
  } else if (v.tag() == Variant::tObject) {
    return ToDate(DefaultValue(v));
  } else {
    d = NumericValue(v);
  }
  if (!IsValidDate(d)) ThrowError(err::Overflow);
  return d;
}

ustring ToUString(const Variant& v0) {
  const Variant& v = v0.deref();
  switch (v.tag()) {
    case Variant::tEmpty: return {};
    case Variant::tNull: ThrowError(err::InvalidUseOfNull);
    case Variant::tBoolean: return v.n() ? u"True" : u"False";
    case Variant::tInteger: case Variant::tLong: case Variant::tByte: return FromAscii(std::to_string(v.n()));
    case Variant::tSingle: return FormatSingle(v.f());
    case Variant::tDouble: return FormatDouble(v.d());
    case Variant::tCurrency: return FormatCurrencyValue(v.cy());
    case Variant::tDate: return FormatDate(v.d());
    case Variant::tString: return v.str();
    case Variant::tObject: return ToUString(DefaultValue(v));
    case Variant::tNothing: ThrowError(err::ObjectNotSet);
    default: ThrowError(err::TypeMismatch);
  }
}

std::string ToString(const Variant& v) { return ToUtf8(ToUString(v)); }

std::string TypeNameOf(const Variant& v0) {
  const Variant& v = v0.deref();
  switch (v.tag()) {
    case Variant::tEmpty: return "Empty";
    case Variant::tNull: return "Null";
    case Variant::tBoolean: return "Boolean";
    case Variant::tInteger: return "Integer";
    case Variant::tLong: return "Long";
    case Variant::tByte: return "Byte";
    case Variant::tSingle: return "Single";
    case Variant::tDouble: return "Double";
    case Variant::tCurrency: return "Currency";
    case Variant::tDate: return "Date";
    case Variant::tString: return "String";
    case Variant::tObject: return v.obj()->typeName();
    case Variant::tNothing: return "Nothing";
    case Variant::tArray: return "Variant()";
    case Variant::tError: return "Error";
    default: return "Unknown";
  }
}

Variant DefaultValue(const Variant& v0) {
  Variant v = v0.deref();
  for (int depth = 0; v.isObject(); ++depth) {
    if (v.isNothing()) ThrowError(err::ObjectNotSet);
    if (depth > 16) ThrowError(err::NoSuchMember);
    Variant result;
    v.obj()->invoke(Object::kDefaultMember, InvokeKind::Get, nullptr, 0, result);
    v = std::move(result);
  }
  return v;
}

}  // namespace lumetrix::vbs
