// FormatCurrency FormatDateTime FormatNumber FormatPercent Hex Oct.
#include <charconv>
#include <cmath>
#include <string>

#include "builtins_args.h"
#include "convert.h"
#include "date_time.h"

namespace lumetrix::vbs {

namespace {

using namespace bi;

constexpr int kMaxFractionDigits = 255;

struct FixedText {
  std::string whole;     // digits before the point ("0" when none)
  std::string fraction;  // exactly `places` digits
  bool zero = true;      // every digit is 0
};

// |x| with `places` decimals, rounded half away from zero on its shortest decimal form of
// `significant` digits (so 2.675 shows as 2.68 although its binary value is a hair smaller).
FixedText ToFixed(double x, int places, int significant) {
  FixedText out;
  double ax = std::fabs(x);
  std::string mant;
  int point = 1;  // digits of `mant` before the decimal point
  if (ax != 0) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, ax, std::chars_format::scientific, significant - 1);
    std::string s(buf, r.ptr);
    size_t e = s.find('e');
    for (size_t i = 0; i < e; ++i)
      if (s[i] != '.') mant.push_back(s[i]);
    point = std::stoi(s.substr(e + 1)) + 1;
  } else {
    mant.assign(1, '0');
  }
  int64_t keep = int64_t{point} + places;  // digits of `mant` that stay
  if (keep < 0) {
    mant.assign(1, '0');
    point = 1;
  } else if (keep < static_cast<int64_t>(mant.size())) {
    bool up = mant[static_cast<size_t>(keep)] >= '5';
    mant.resize(static_cast<size_t>(keep));
    if (up) {
      int64_t i = keep - 1;
      for (; i >= 0; --i) {
        if (mant[static_cast<size_t>(i)] == '9') {
          mant[static_cast<size_t>(i)] = '0';
        } else {
          ++mant[static_cast<size_t>(i)];
          break;
        }
      }
      if (i < 0) {
        mant = std::string(1, '1').append(mant);
        ++point;
      }
    }
    if (mant.empty()) {
      mant.assign(1, '0');
      point = 1;
    }
  }
  // Place the digits around the point.
  if (point <= 0) {
    out.whole.assign(1, '0');
    out.fraction = std::string(static_cast<size_t>(-point), '0') + mant;
  } else if (static_cast<size_t>(point) >= mant.size()) {
    out.whole = mant + std::string(static_cast<size_t>(point) - mant.size(), '0');
  } else {
    out.whole = mant.substr(0, static_cast<size_t>(point));
    out.fraction = mant.substr(static_cast<size_t>(point));
  }
  out.fraction.resize(static_cast<size_t>(places), '0');
  size_t nz = out.whole.find_first_not_of('0');
  if (nz == std::string::npos) out.whole.assign(1, '0');
  else out.whole.erase(0, nz);
  out.zero = out.whole == "0" && out.fraction.find_first_not_of('0') == std::string::npos;
  return out;
}

// A tristate argument (vbTrue, vbFalse, vbUseDefault).
bool TristateArg(const Variant* args, int nargs, int i, bool fallback) {
  if (!Given(args, nargs, i)) return fallback;
  int32_t v = LongArg(args[i]);
  if (v == -2) return fallback;
  return v != 0;
}

// The shared part of FormatNumber, FormatPercent and FormatCurrency (US English conventions).
void FormatNumeric(Variant* args, int nargs, Variant& result, double scale, const char* prefix, const char* suffix,
                   bool parensByDefault) {
  Variant v = Plain(args[0]);
  if (v.isNull()) ThrowError(err::TypeMismatch);  // not 94: VBScript formats no Null
  double x = NumericValue(v) * scale;
  int32_t places = OptionalLong(args, nargs, 1, -1);
  if (places == -1) places = 2;
  if (places < 0 || places > kMaxFractionDigits) ThrowError(err::InvalidCall);
  bool leading = TristateArg(args, nargs, 2, true);
  bool parens = TristateArg(args, nargs, 3, parensByDefault);
  bool group = TristateArg(args, nargs, 4, true);
  if (!std::isfinite(x)) ThrowError(err::Overflow);
  FixedText f = ToFixed(x, places, v.tag() == Variant::tSingle ? 7 : 15);
  std::string whole;
  for (size_t i = 0; i < f.whole.size(); ++i) {
    if (group && i > 0 && (f.whole.size() - i) % 3 == 0) whole.push_back(',');
    whole.push_back(f.whole[i]);
  }
  if (whole == "0" && !leading && places > 0) whole.clear();
  std::string body = prefix + whole + (places > 0 ? "." + f.fraction : std::string()) + suffix;
  bool negative = x < 0 && !f.zero;
  if (negative) body = parens ? "(" + body + ")" : "-" + body;
  result = Variant(FromAscii(body));
}

void FormatNumber(Interpreter&, Variant* args, int nargs, Variant& result) {
  FormatNumeric(args, nargs, result, 1.0, "", "", false);
}
void FormatPercent(Interpreter&, Variant* args, int nargs, Variant& result) {
  FormatNumeric(args, nargs, result, 100.0, "", "%", false);
}
void FormatCurrency(Interpreter&, Variant* args, int nargs, Variant& result) {
  FormatNumeric(args, nargs, result, 1.0, "$", "", true);
}

void FormatDateTime(Interpreter&, Variant* args, int nargs, Variant& result) {
  Variant v = Plain(args[0]);
  if (v.isNull()) ThrowError(err::TypeMismatch);
  double d = ToDate(v);
  int32_t format = OptionalLong(args, nargs, 1, 0);
  if (format < 0 || format > 4) ThrowError(err::InvalidCall);
  result = Variant(FormatDate(d, format));
}

// Hex and Oct: Integer-sized values (Integer, Boolean, Byte) show 16 bits, the rest 32.
void ToBase(Variant* args, Variant& result, unsigned shift) {
  Variant v = Plain(args[0]);
  if (v.isNull()) {
    result = v;
    return;
  }
  uint32_t bits;
  if (v.tag() == Variant::tInteger || v.tag() == Variant::tBoolean || v.tag() == Variant::tByte || v.isEmpty())
    bits = static_cast<uint16_t>(v.isEmpty() ? 0 : v.n());
  else
    bits = static_cast<uint32_t>(ToLong(v));
  static const char* digits = "0123456789ABCDEF";
  std::string s;
  uint32_t mask = (1u << shift) - 1;
  do {
    s.insert(s.begin(), digits[bits & mask]);
    bits >>= shift;
  } while (bits);
  result = Variant(FromAscii(s));
}

void Hex(Interpreter&, Variant* args, int, Variant& result) { ToBase(args, result, 4); }
void Oct(Interpreter&, Variant* args, int, Variant& result) { ToBase(args, result, 3); }

}  // namespace

void AddFormatBuiltins(std::vector<Builtin>& out) {
  out.insert(out.end(), {
                            {"FormatCurrency", 1, 5, Named<"FormatCurrency", FormatCurrency>},
                            {"FormatDateTime", 1, 2, Named<"FormatDateTime", FormatDateTime>},
                            {"FormatNumber", 1, 5, Named<"FormatNumber", FormatNumber>},
                            {"FormatPercent", 1, 5, Named<"FormatPercent", FormatPercent>},
                            {"Hex", 1, 1, Named<"Hex", Hex>},
                            {"Oct", 1, 1, Named<"Oct", Oct>},
                        });
}

}  // namespace lumetrix::vbs
