#pragma once
// Table checks for the built-in function tests: each case is an expression and what it gives
// ("Integer 2", "String abc", "error 13").
#include <gtest/gtest.h>

#include <initializer_list>

#include "script_test_support.h"

namespace lumetrix::vbs::testing {

struct EvalCase {
  const char* expression;
  const char* expected;
};

inline void ExpectEvals(std::initializer_list<EvalCase> cases) {
  for (const EvalCase& c : cases) EXPECT_EQ(EvalOutcome(c.expression), c.expected) << c.expression;
}

struct ScriptCase {
  const char* source;  // sets Result
  const char* expected;
};

inline void ExpectScripts(std::initializer_list<ScriptCase> cases) {
  for (const ScriptCase& c : cases) EXPECT_EQ(Outcome(c.source), c.expected) << c.source;
}

}  // namespace lumetrix::vbs::testing
