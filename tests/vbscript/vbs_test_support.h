#pragma once
// Shared helpers of the engine tests: a script or an expression runs in a fresh engine and its
// outcome is told as text ("Integer 3", "String abc", "error 13 at line 2"), so that each case
// of a table is one row of {input, expected}.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "vbscript/parser.h"
#include "vbscript/script_control.h"
#include "vbscript/variant.h"

namespace lumetrix::vbs::testing {

// An engine without the wall-clock run limit, so that no outcome depends on machine load.
struct Engine : ScriptControl {
  Engine() { SetTimeout(-1); }
};

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

// An error as "N at L:C Description".
inline std::string Report(const ErrorInfo& e) {
  return std::to_string(e.Number) + " at " + std::to_string(e.Line) + ":" + std::to_string(e.Column) + " " +
         e.Description;
}

// `expression` evaluated in `sc`: its value, or "error N".
inline std::string EvalIn(ScriptControl& sc, const std::string& expression) {
  Variant v = sc.Eval(expression);
  return sc.Error().Number ? "error " + std::to_string(sc.Error().Number) : Describe(v);
}

inline std::string EvalOutcome(const std::string& expression) {
  Engine sc;
  return EvalIn(sc, expression);
}

// Runs `source` in a fresh engine; `error` is its error, the result the value of `Result`.
inline Variant RunScript(const std::string& source, ErrorInfo& error) {
  Engine sc;
  Variant result;
  if (sc.AddCode(source)) result = sc.Eval("Result");
  error = sc.Error();
  return result;
}

inline ErrorInfo ErrorOf(const std::string& source) {
  ErrorInfo e;
  RunScript(source, e);
  return e;
}

// The value of `Result` after `source` ran, or "error N at line L".
inline std::string Outcome(const std::string& source) {
  ErrorInfo e;
  Variant v = RunScript(source, e);
  return e.Number ? "error " + std::to_string(e.Number) + " at line " + std::to_string(e.Line) : Describe(v);
}

struct Case {
  std::string input, expected;
};

inline void ExpectEvals(std::initializer_list<Case> cases) {
  for (const Case& c : cases) EXPECT_EQ(EvalOutcome(c.input), c.expected) << c.input;
}

inline void ExpectEvalsIn(ScriptControl& sc, std::initializer_list<Case> cases) {
  for (const Case& c : cases) EXPECT_EQ(EvalIn(sc, c.input), c.expected) << c.input;
}

inline void ExpectScripts(std::initializer_list<Case> cases) {
  for (const Case& c : cases) EXPECT_EQ(Outcome(c.input), c.expected) << c.input;
}

// Each script ends with an error told as Report() does.
inline void ExpectReports(std::initializer_list<Case> cases) {
  for (const Case& c : cases) EXPECT_EQ(Report(ErrorOf(c.input)), c.expected) << c.input;
}

// The syntax error of `source` as "N at L:C", or "parsed".
inline std::string ParseOutcome(std::string_view source) {
  try {
    Parse(source);
  } catch (const SourceError& e) {
    return std::to_string(e.number) + " at " + std::to_string(e.line) + ":" + std::to_string(e.column);
  }
  return "parsed";
}

inline std::string Repeat(std::string_view s, int n) {
  std::string r;
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

}  // namespace lumetrix::vbs::testing
