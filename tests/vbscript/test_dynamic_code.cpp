// Eval, Execute, ExecuteGlobal and GetRef, with VBScript's scopes.
#include "vbs_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(DynamicCode, ScopesResultsAndErrors) {
  ExpectScripts({
      {"x = 4\nResult = Eval(\"x * 2\")", "Integer 8"}, {"Execute \"y = 3\"\nResult = y", "Integer 3"},
      {"Result = Eval(\"x = 1\")", "Boolean False"},  // an expression: = compares
      // A procedure's variables and parameters are seen and changed; its function result set.
      {"Function F(a)\n  Dim b\n  b = 5\n  Execute \"b = b + a\"\n  F = Eval(\"a * b\")\nEnd Function\nResult = F(2)",
       "Integer 14"},
      {"Function F()\n  Execute \"F = 6\"\nEnd Function\nResult = F()", "Integer 6"},
      {"Class C\n  Public v\n  Sub S(n) : Execute \"v = v + n\" : End Sub\nEnd Class\nSet o = New C\no.v = 1\no.S 2\nResult = o.v",
       "Integer 3"},
      {"Sub S\n  ExecuteGlobal \"Dim g : g = 7 : Function H() : H = g : End Function\"\nEnd Sub\nS\nResult = H()", "Integer 7"},
      {"Result = Eval(\"Eval(\"\"1 + Eval(\"\"\"\"2\"\"\"\")\"\")\")", "Integer 3"},
      {"Function Twice(n) : Twice = n * 2 : End Function\nSet r = GetRef(\"Twice\")\nResult = r(21)", "Integer 42"},
      {"Dim Result\nSub Add(n) : Result = n + 1 : End Sub\nSet r = GetRef(\"Add\")\nr 1", "Integer 2"},
      {"Set r = GetRef(\"Nope\")", "error 5 at line 1"}, {"Execute \"x = \"", "error 1023 at line 1"},
      {"On Error Resume Next\nExecute \"a = 1\" & vbLf & \"b = 1 / 0\"\nResult = Err.Number & a", "String 111"},
      {"Function R(n) : R = Eval(\"R(n + 1)\") : End Function\nx = R(1)", "error 28 at line 1"},
  });
}

}  // namespace
}  // namespace lumetrix::vbs::testing
