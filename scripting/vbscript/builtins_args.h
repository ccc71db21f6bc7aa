#pragma once
// Argument helpers shared by the built-in function groups.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>

#include "builtins.h"
#include "errors.h"
#include "object.h"
#include "text.h"
#include "variant.h"

namespace lumetrix::vbs::bi {

// True when argument `i` was given (not left out, not beyond the call's count).
inline bool Given(const Variant* args, int nargs, int i) { return i < nargs && !IsMissing(args[i].deref()); }

// The argument as a plain value: ByRef followed, objects replaced by their default value.
inline Variant Plain(const Variant& v) {
  const Variant& x = v.deref();
  if (x.tag() == Variant::tObject) return DefaultValue(x);
  if (x.tag() == Variant::tNothing) ThrowError(err::ObjectNotSet);
  return x;
}

// Raises "Invalid use of Null" for a Null argument; returns the plain value otherwise.
inline Variant NotNull(const Variant& v) {
  Variant p = Plain(v);
  if (p.isNull()) ThrowError(err::InvalidUseOfNull);
  return p;
}

// A whole number argument (Long rules: rounds half to even, Overflow outside the range).
inline int32_t LongArg(const Variant& v) { return ToLong(NotNull(v)); }

// A text argument (numbers and dates as their text); Null raises 94.
inline ustring StringArg(const Variant& v) { return ToUString(NotNull(v)); }

// The compare argument of InStr, Replace, Split, StrComp, Filter: 0 binary (default), 1 text.
// vbDatabaseCompare (2) compares as text where `maxMode` allows it; anything else is an
// invalid argument.
inline bool TextCompareArg(const Variant* args, int nargs, int i, int32_t maxMode = 2) {
  if (!Given(args, nargs, i)) return false;
  int32_t mode = LongArg(args[i]);
  if (mode < 0 || mode > maxMode) ThrowError(err::InvalidCall);
  return mode != 0;
}

// Checks a length that is about to be allocated.
inline void CheckStringSize(uint64_t length) {
  if (length > kMaxStringLength) ThrowError(err::OutOfMemory);
}

// A built-in's name as a template argument.
template <size_t N>
struct FunctionName {
  char text[N];
  constexpr FunctionName(const char (&s)[N]) { std::copy_n(s, N, text); }
};

// Registers `F` so that its errors carry its name, as VBScript's do
// ("Invalid procedure call or argument: 'Mid'"). Texts already specific stay as they are.
template <FunctionName Name, BuiltinFn F>
void Named(Interpreter& vm, Variant* args, int nargs, Variant& result) {
  try {
    F(vm, args, nargs, result);
  } catch (ScriptError& e) {
    if (e.description == ErrorText(e.number)) e.description += ": '" + std::string(Name.text) + "'";
    throw;
  } catch (const std::bad_alloc&) {
    // The machine ran out before the engine's own limits did: still a script error.
    throw ScriptError(err::OutOfMemory, ErrorText(err::OutOfMemory) + ": '" + std::string(Name.text) + "'");
  }
}

}  // namespace lumetrix::vbs::bi
