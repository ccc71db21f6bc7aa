#pragma once
// Running short scripts in tests: the value a script computes, or the error it ends with.
#include <gtest/gtest.h>

#include <string>

#include "vbscript/script_control.h"
#include "vbscript/variant.h"

namespace lumetrix::vbs::testing {

// What a script produced: the value of `Result` after the code ran (or of the expression
// given to EvalScript), and the error if there was one.
struct ScriptOutcome {
  Variant value;
  ErrorInfo error;
  bool ok() const { return error.Number == 0; }
};

// Runs `source` in a fresh engine and returns the value of its global variable `Result`.
inline ScriptOutcome RunScript(const std::string& source) {
  ScriptControl sc;
  ScriptOutcome out;
  if (!sc.AddCode(source)) {
    out.error = sc.Error();
    return out;
  }
  out.value = sc.Eval("Result");
  out.error = sc.Error();
  return out;
}

// Evaluates one expression in a fresh engine.
inline ScriptOutcome EvalScript(const std::string& expression) {
  ScriptControl sc;
  ScriptOutcome out;
  out.value = sc.Eval(expression);
  out.error = sc.Error();
  return out;
}

// The value as text, with its type: "Integer 3", "String abc", "Empty".
inline std::string Describe(const Variant& v) {
  std::string type = TypeNameOf(v);
  if (v.isEmpty() || v.isNull() || v.isObject() || v.isArray()) return type;
  try {
    return type + " " + ToString(v);
  } catch (const ScriptError&) {
    return type;
  }
}

// Script result as "Type value", or "error N at line L" when it failed.
inline std::string Outcome(const std::string& source) {
  ScriptOutcome o = RunScript(source);
  if (!o.ok()) return "error " + std::to_string(o.error.Number) + " at line " + std::to_string(o.error.Line);
  return Describe(o.value);
}

inline std::string EvalOutcome(const std::string& expression) {
  ScriptOutcome o = EvalScript(expression);
  if (!o.ok()) return "error " + std::to_string(o.error.Number);
  return Describe(o.value);
}

}  // namespace lumetrix::vbs::testing
