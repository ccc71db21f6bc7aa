// Asc AscW Chr ChrW Escape Filter InStr InStrRev Join LCase Left Len LTrim Mid Replace Right
// RTrim Space Split StrComp String StrReverse Trim UCase Unescape.
#include <algorithm>

#include "builtins_args.h"

namespace lumetrix::vbs {

namespace {

using namespace bi;

// Asc and Chr work in Windows-1252, the code page VBScript's users expect ("€" is Chr(128)).
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t CharOfAnsi(int code) {
  if (code >= 0x80 && code < 0xA0) return kCp1252High[code - 0x80];
  return static_cast<char16_t>(code);
}

int AnsiOfChar(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] == c) return 0x80 + i;
  return '?';  // not in the code page, as the system conversion gives
}

// Null in, Null out: true (and result set) when `v` is Null.
bool PassNull(const Variant& v, Variant& result) {
  if (v.deref().isNull()) {
    result = Variant::Null();
    return true;
  }
  return false;
}

// Position (0-based) of `needle` in `hay` at or after `from`, or npos.
size_t Find(ustring_view hay, ustring_view needle, size_t from, bool text) {
  if (!text) return hay.find(needle, from);
  ustring h = ToLower(hay), n = ToLower(needle);
  return h.find(n, from);
}

// The elements of a one-dimensional array value (Type mismatch for anything else).
const ArrayRep& OneDimArray(const Variant& plain) {
  if (!plain.isArray()) ThrowError(err::TypeMismatch);
  const ArrayRep* a = plain.arr();
  if (a->counts.size() > 1) ThrowError(err::InvalidCall);
  return *a;
}

void Asc(Interpreter&, Variant* args, int, Variant& result) {
  ustring s = StringArg(args[0]);
  if (s.empty()) ThrowError(err::InvalidCall);
  result = Variant::Integer(AnsiOfChar(s[0]));
}

void AscW(Interpreter&, Variant* args, int, Variant& result) {
  ustring s = StringArg(args[0]);
  if (s.empty()) ThrowError(err::InvalidCall);
  result = Variant::Integer(static_cast<int16_t>(s[0]));
}

void Chr(Interpreter&, Variant* args, int, Variant& result) {
  int32_t code = LongArg(args[0]);
  if (code < 0 || code > 255) ThrowError(err::InvalidCall);
  result = Variant(ustring(1, CharOfAnsi(code)));
}

void ChrW(Interpreter&, Variant* args, int, Variant& result) {
  int32_t code = LongArg(args[0]);
  if (code < -32768 || code > 65535) ThrowError(err::InvalidCall);
  result = Variant(ustring(1, static_cast<char16_t>(code & 0xFFFF)));
}

void Len(Interpreter&, Variant* args, int, Variant& result) {
  if (PassNull(args[0], result)) return;
  Variant v = Plain(args[0]);
  if (v.isString()) {
    result = Variant(static_cast<int32_t>(v.str().size()));
    return;
  }
  result = Variant(static_cast<int32_t>(ToUString(v).size()));
}

// Length arguments of Left, Right, Mid: whole numbers, negative ones refused.
size_t LengthArg(const Variant& v) {
  int32_t n = LongArg(v);
  if (n < 0) ThrowError(err::InvalidCall);
  return static_cast<size_t>(n);
}

void Left(Interpreter&, Variant* args, int, Variant& result) {
  size_t n = LengthArg(args[1]);
  if (PassNull(args[0], result)) return;
  ustring s = StringArg(args[0]);
  result = Variant(s.substr(0, std::min(n, s.size())));
}

void Right(Interpreter&, Variant* args, int, Variant& result) {
  size_t n = LengthArg(args[1]);
  if (PassNull(args[0], result)) return;
  ustring s = StringArg(args[0]);
  n = std::min(n, s.size());
  result = Variant(s.substr(s.size() - n));
}

// A Null start or length raises 94 before any other check; the range is checked before a Null
// string gives Null.
void Mid(Interpreter&, Variant* args, int nargs, Variant& result) {
  Variant length = Given(args, nargs, 2) ? NotNull(args[2]) : Variant();
  int32_t start = LongArg(args[1]);
  if (start < 1) ThrowError(err::InvalidCall);
  size_t count = Given(args, nargs, 2) ? LengthArg(length) : ustring::npos;
  if (PassNull(args[0], result)) return;
  ustring s = StringArg(args[0]);
  size_t from = static_cast<size_t>(start) - 1;
  if (from >= s.size()) {
    result = Variant(ustring());
    return;
  }
  result = Variant(s.substr(from, count));
}

void LCase(Interpreter&, Variant* args, int, Variant& result) {
  if (PassNull(args[0], result)) return;
  result = Variant(ToLower(StringArg(args[0])));
}

void UCase(Interpreter&, Variant* args, int, Variant& result) {
  if (PassNull(args[0], result)) return;
  result = Variant(ToUpper(StringArg(args[0])));
}

// Trims blanks (only the space character, as VBScript does).
void TrimSpaces(Variant* args, Variant& result, bool left, bool right) {
  if (PassNull(args[0], result)) return;
  ustring s = StringArg(args[0]);
  size_t b = 0, e = s.size();
  if (left)
    while (b < e && s[b] == u' ') ++b;
  if (right)
    while (e > b && s[e - 1] == u' ') --e;
  result = Variant(s.substr(b, e - b));
}

void LTrim(Interpreter&, Variant* args, int, Variant& result) { TrimSpaces(args, result, true, false); }
void RTrim(Interpreter&, Variant* args, int, Variant& result) { TrimSpaces(args, result, false, true); }
void Trim(Interpreter&, Variant* args, int, Variant& result) { TrimSpaces(args, result, true, true); }

void Space(Interpreter&, Variant* args, int, Variant& result) {
  size_t n = LengthArg(args[0]);
  CheckStringSize(n);
  result = Variant(ustring(n, u' '));
}

void String(Interpreter&, Variant* args, int, Variant& result) {
  if (args[0].deref().isNull() || args[1].deref().isNull()) {
    result = Variant::Null();
    return;
  }
  size_t n = LengthArg(args[0]);
  Variant c = Plain(args[1]);
  char16_t ch;
  if (c.isString()) {
    if (c.str().empty()) ThrowError(err::InvalidCall);
    ch = c.str()[0];
  } else {
    int32_t code = ToLong(c);
    ch = CharOfAnsi(((code % 256) + 256) % 256);
  }
  CheckStringSize(n);
  result = Variant(ustring(n, ch));
}

void StrReverse(Interpreter&, Variant* args, int, Variant& result) {
  ustring s = StringArg(args[0]);
  std::reverse(s.begin(), s.end());
  // Characters outside the BMP stay whole: put their surrogate pairs back in order.
  for (size_t i = 0; i + 1 < s.size(); ++i) {
    if (s[i] >= 0xDC00 && s[i] < 0xE000 && s[i + 1] >= 0xD800 && s[i + 1] < 0xDC00) {
      std::swap(s[i], s[i + 1]);
      ++i;
    }
  }
  result = Variant(std::move(s));
}

void StrComp(Interpreter&, Variant* args, int nargs, Variant& result) {
  bool text = TextCompareArg(args, nargs, 2);
  if (args[0].deref().isNull() || args[1].deref().isNull()) {
    result = Variant::Null();
    return;
  }
  ustring a = StringArg(args[0]), b = StringArg(args[1]);
  result = Variant::Integer(text ? CompareText(a, b) : CompareBinary(a, b));
}

// InStr([start, ]string1, string2[, compare])
void InStr(Interpreter&, Variant* args, int nargs, Variant& result) {
  int first = nargs >= 3 ? 1 : 0;
  int64_t start = 1;
  if (first == 1) start = LongArg(args[0]);
  bool text = TextCompareArg(args, nargs, 3);
  if (start < 1) ThrowError(err::InvalidCall);
  if (args[first].deref().isNull() || args[first + 1].deref().isNull()) {
    result = Variant::Null();
    return;
  }
  ustring hay = StringArg(args[first]), needle = StringArg(args[first + 1]);
  int32_t pos = 0;
  if (!hay.empty() && static_cast<uint64_t>(start) <= hay.size()) {
    if (needle.empty()) {
      pos = static_cast<int32_t>(start);
    } else {
      size_t p = Find(hay, needle, static_cast<size_t>(start - 1), text);
      pos = p == ustring::npos ? 0 : static_cast<int32_t>(p + 1);
    }
  }
  result = Variant(pos);
}

// InStrRev(string1, string2[, start[, compare]])
void InStrRev(Interpreter&, Variant* args, int nargs, Variant& result) {
  int32_t start = OptionalLong(args, nargs, 2, -1);
  bool text = TextCompareArg(args, nargs, 3);
  if (start == 0 || start < -1) ThrowError(err::InvalidCall);
  // A Null text gives Null only without a start; with one, VBScript raises 94 (StringArg).
  if (!Given(args, nargs, 2) && (args[0].deref().isNull() || args[1].deref().isNull())) {
    result = Variant::Null();
    return;
  }
  ustring hay = StringArg(args[0]), needle = StringArg(args[1]);
  if (start == -1) start = static_cast<int32_t>(hay.size());
  int32_t pos = 0;
  if (!hay.empty() && static_cast<size_t>(start) <= hay.size()) {
    if (needle.empty()) {
      pos = start;
    } else if (needle.size() <= static_cast<size_t>(start)) {
      ustring_view window(hay.data(), static_cast<size_t>(start));
      size_t p;
      if (text) {
        ustring h = ToLower(window), n = ToLower(needle);
        p = h.rfind(n);
      } else {
        p = window.rfind(needle);
      }
      pos = p == ustring::npos ? 0 : static_cast<int32_t>(p + 1);
    }
  }
  result = Variant(pos);
}

// Replace(expression, find, replacewith[, start[, count[, compare]]]): the result begins at
// `start`, as in VBScript.
void Replace(Interpreter&, Variant* args, int nargs, Variant& result) {
  ustring expr = StringArg(args[0]), find = StringArg(args[1]), with = StringArg(args[2]);
  int32_t start = OptionalLong(args, nargs, 3, 1);
  int32_t count = OptionalLong(args, nargs, 4, -1);
  bool text = TextCompareArg(args, nargs, 5);
  if (start < 1 || count < -1) ThrowError(err::InvalidCall);
  if (static_cast<size_t>(start) > expr.size()) {
    result = Variant(ustring());
    return;
  }
  ustring_view rest = ustring_view(expr).substr(static_cast<size_t>(start) - 1);
  if (find.empty() || count == 0) {
    result = Variant(ustring(rest));
    return;
  }
  ustring lowerRest, lowerFind;
  if (text) {
    lowerRest = ToLower(rest);
    lowerFind = ToLower(find);
  }
  ustring_view hay = text ? ustring_view(lowerRest) : rest;
  ustring_view needle = text ? ustring_view(lowerFind) : ustring_view(find);
  // Visits the matches (at most `count`) in order; `visit` returns false to stop.
  auto forEachHit = [&](auto visit) {
    int64_t done = 0;
    for (size_t pos = 0; count < 0 || done < count; ++done) {
      size_t hit = hay.find(needle, pos);
      if (hit == ustring::npos || !visit(hit)) break;
      pos = hit + needle.size();
    }
  };
  // Size first, so a result too large fails before anything big is built.
  uint64_t size = rest.size();
  forEachHit([&](size_t) {
    size = size - needle.size() + with.size();
    return size <= kMaxStringLength;
  });
  CheckStringSize(size);
  ustring out;
  out.reserve(static_cast<size_t>(size));
  size_t pos = 0;
  forEachHit([&](size_t hit) {
    out.append(rest.substr(pos, hit - pos));
    out.append(with);
    pos = hit + needle.size();
    return true;
  });
  out.append(rest.substr(pos));
  result = Variant(std::move(out));
}

// Split(expression[, delimiter[, count[, compare]]])
void Split(Interpreter&, Variant* args, int nargs, Variant& result) {
  ustring expr = StringArg(args[0]);
  ustring delim = Given(args, nargs, 1) ? StringArg(args[1]) : ustring(u" ");
  int32_t count = OptionalLong(args, nargs, 2, -1);
  bool text = TextCompareArg(args, nargs, 3, 1);  // vbDatabaseCompare is refused here
  if (count < -1) ThrowError(err::InvalidCall);
  std::vector<Variant> parts;
  if (expr.empty() || count == 0) {
    result = MakeArray(std::move(parts));
    return;
  }
  if (delim.empty()) {
    parts.emplace_back(std::move(expr));
    result = MakeArray(std::move(parts));
    return;
  }
  ustring lowerExpr, lowerDelim;
  if (text) {
    lowerExpr = ToLower(expr);
    lowerDelim = ToLower(delim);
  }
  ustring_view hay = text ? ustring_view(lowerExpr) : ustring_view(expr);
  ustring_view needle = text ? ustring_view(lowerDelim) : ustring_view(delim);
  // Visits the cuts (at most `count` - 1) in order; `visit` returns false to stop.
  auto forEachCut = [&](auto visit) {
    size_t cuts = 0;
    for (size_t pos = 0; count < 0 || cuts + 1 < static_cast<size_t>(count); ++cuts) {
      size_t hit = hay.find(needle, pos);
      if (hit == ustring::npos || !visit(hit)) break;
      pos = hit + needle.size();
    }
  };
  // Count the pieces first: too many fail before any of them is built.
  size_t pieces = 1;
  forEachCut([&](size_t) { return ++pieces <= kMaxArrayElements; });
  if (pieces > kMaxArrayElements) ThrowError(err::OutOfMemory);
  parts.reserve(pieces);
  size_t pos = 0;
  forEachCut([&](size_t hit) {
    parts.emplace_back(expr.substr(pos, hit - pos));
    pos = hit + needle.size();
    return true;
  });
  parts.emplace_back(expr.substr(pos));
  result = MakeArray(std::move(parts));
}

// Join(list[, delimiter])
void Join(Interpreter&, Variant* args, int nargs, Variant& result) {
  Variant keep = NotNull(args[0]);
  const ArrayRep& a = OneDimArray(keep);
  ustring delim = Given(args, nargs, 1) ? StringArg(args[1]) : ustring(u" ");
  std::vector<ustring> parts;
  parts.reserve(a.data.size());
  uint64_t size = 0;
  for (const Variant& e : a.data) {
    if (e.isArray() || e.isNull()) ThrowError(err::TypeMismatch);  // a Null element is 13, not 94
    parts.push_back(ToUString(e));
    size += parts.back().size() + (parts.size() > 1 ? delim.size() : 0);
    CheckStringSize(size);
  }
  ustring out;
  out.reserve(static_cast<size_t>(size));
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) out += delim;
    out += parts[i];
  }
  result = Variant(std::move(out));
}

// Filter(inputStrings, value[, include[, compare]])
void Filter(Interpreter&, Variant* args, int nargs, Variant& result) {
  Variant keep = NotNull(args[0]);
  const ArrayRep& a = OneDimArray(keep);
  ustring value = StringArg(args[1]);
  bool include = Given(args, nargs, 2) ? ToBool(NotNull(args[2])) : true;
  bool text = TextCompareArg(args, nargs, 3);
  std::vector<Variant> out;
  for (const Variant& e : a.data) {
    if (e.isArray()) ThrowError(err::TypeMismatch);
    ustring s = e.isNull() ? ustring() : ToUString(e);
    bool hit = Find(s, value, 0, text) != ustring::npos;
    if (hit == include) out.emplace_back(std::move(s));
  }
  result = MakeArray(std::move(out));
}

// Escape: letters, digits and @*_+-./ stay; other characters become %XX or %uXXXX.
void Escape(Interpreter&, Variant* args, int, Variant& result) {
  if (PassNull(args[0], result)) return;
  ustring s = StringArg(args[0]);
  static const char* hex = "0123456789ABCDEF";
  ustring out;
  for (char16_t c : s) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 (c < 0x80 && std::char_traits<char>::find("@*_+-./", 7, static_cast<char>(c)));
    CheckStringSize(uint64_t(out.size()) + 6);
    if (plain) {
      out.push_back(c);
    } else if (c < 0x100) {
      out += {u'%', static_cast<char16_t>(hex[c >> 4]), static_cast<char16_t>(hex[c & 15])};
    } else {
      out += {u'%', u'u', static_cast<char16_t>(hex[c >> 12]), static_cast<char16_t>(hex[(c >> 8) & 15]),
              static_cast<char16_t>(hex[(c >> 4) & 15]), static_cast<char16_t>(hex[c & 15])};
    }
  }
  result = Variant(std::move(out));
}

int HexDigit(char16_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void Unescape(Interpreter&, Variant* args, int, Variant& result) {
  if (PassNull(args[0], result)) return;
  ustring s = StringArg(args[0]);
  ustring out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'%') {
      if (i + 5 < s.size() && (s[i + 1] == u'u' || s[i + 1] == u'U')) {
        int v = 0;
        bool ok = true;
        for (size_t k = 2; k < 6; ++k) {
          int d = HexDigit(s[i + k]);
          ok = ok && d >= 0;
          v = v * 16 + (d < 0 ? 0 : d);
        }
        if (ok) {
          out.push_back(static_cast<char16_t>(v));
          i += 5;
          continue;
        }
      }
      if (i + 2 < s.size() && HexDigit(s[i + 1]) >= 0 && HexDigit(s[i + 2]) >= 0) {
        out.push_back(static_cast<char16_t>(HexDigit(s[i + 1]) * 16 + HexDigit(s[i + 2])));
        i += 2;
        continue;
      }
    }
    out.push_back(s[i]);
  }
  result = Variant(std::move(out));
}

}  // namespace

void AddStringBuiltins(std::vector<Builtin>& out) {
  out.insert(out.end(), {
                            {"Asc", 1, 1, Named<"Asc", Asc>},
                            {"AscW", 1, 1, Named<"AscW", AscW>},
                            {"Chr", 1, 1, Named<"Chr", Chr>},
                            {"ChrW", 1, 1, Named<"ChrW", ChrW>},
                            {"Escape", 1, 1, Named<"Escape", Escape>},
                            {"Filter", 2, 4, Named<"Filter", Filter>},
                            {"InStr", 2, 4, Named<"InStr", InStr>},
                            {"InStrRev", 2, 4, Named<"InStrRev", InStrRev>},
                            {"Join", 1, 2, Named<"Join", Join>},
                            {"LCase", 1, 1, Named<"LCase", LCase>},
                            {"Left", 2, 2, Named<"Left", Left>},
                            {"Len", 1, 1, Named<"Len", Len>},
                            {"LTrim", 1, 1, Named<"LTrim", LTrim>},
                            {"Mid", 2, 3, Named<"Mid", Mid>},
                            {"Replace", 3, 6, Named<"Replace", Replace>},
                            {"Right", 2, 2, Named<"Right", Right>},
                            {"RTrim", 1, 1, Named<"RTrim", RTrim>},
                            {"Space", 1, 1, Named<"Space", Space>},
                            {"Split", 1, 4, Named<"Split", Split>},
                            {"StrComp", 2, 3, Named<"StrComp", StrComp>},
                            {"String", 2, 2, Named<"String", String>},
                            {"StrReverse", 1, 1, Named<"StrReverse", StrReverse>},
                            {"Trim", 1, 1, Named<"Trim", Trim>},
                            {"UCase", 1, 1, Named<"UCase", UCase>},
                            {"Unescape", 1, 1, Named<"Unescape", Unescape>},
                        });
}

}  // namespace lumetrix::vbs
