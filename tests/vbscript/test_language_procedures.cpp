// Sub and Function: results, arguments ByVal and ByRef, call forms, Exit, recursion.
#include "vbs_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(LanguageProcedures, ResultsCallFormsAndExits) {
  ExpectScripts({
      {"Private Function Twice(ByVal x)\n  Twice = x * 2\nEnd Function\nResult = Twice(21)", "Integer 42"},
      {"Function Nothing1()\nEnd Function\nResult = IsEmpty(Nothing1())", "Boolean True"},
      {"function F\n  F = \"no parens\"\nend function\nResult = F", "String no parens"},
      {"Function Acc(n)\n  Dim i\n  For i = 1 To n\n    Acc = Acc + i\n  Next\nEnd Function\nResult = Acc(4)", "Integer 10"},
      {"Function Arr()\n  Arr = Array(1, 2, 3)\nEnd Function\nResult = Arr()(2)", "Integer 3"},
      // Procedures defined later are callable.
      {"Sub A\n  B 5\nEnd Sub\nSub B(x)\n  Result = x\nEnd Sub\nDim Result\nA", "Integer 5"},
      {"Result = Later(2)\nFunction Later(v)\n  Later = v + 1\nEnd Function", "Integer 3"},
      // `S(1)` passes one parenthesised argument; two need Call.
      {"Dim Result\nSub S(v)\n  Result = v\nEnd Sub\nS(4)", "Integer 4"},
      {"Sub S(a, b)\nEnd Sub\nS(1, 2)", "error 1044 at line 3"},
      {"Dim Result\nSub S(a, b)\n  Result = a & b\nEnd Sub\nCall S(1, 2)\nS (1) + 2, 3", "String 33"},
      {"Dim Result\nSub S(a, b)\n  Result = TypeName(a) & b\nEnd Sub\nS , 2", "String Error2"},
      {"Dim Result\nFunction F(a)\n  Result = a\nEnd Function\nCall F(8)", "Integer 8"},
      {"Dim Result\nFunction F(a)\n  Result = a\nEnd Function\nF 9", "Integer 9"},
      {"Sub S(a())\n  Result = UBound(a)\nEnd Sub\nDim Result\nS Array(1, 2)", "Long 1"},
      {"Let b = 1\nStep = 2 : Error = 3\nResult = b + Step + Error", "Integer 6"},  // soft keywords are names
      {"Sub S(a, b)\nEnd Sub\nS 1", "error 450 at line 3"},
      {"Function F(a)\nEnd Function\nx = F(1, 2)", "error 450 at line 3"},
      {"Sub S\nEnd Sub\nS 1", "error 450 at line 3"},
      {"NoSuchSub 1", "error 13 at line 1"},
      {"x = 1\nResult = NoSuchFunction(x)", "error 13 at line 2"},
      {"Option Explicit\nNoSuchSub 1", "error 500 at line 2"},
      {"Function F(n)\n  F = 1\n  If n > 0 Then Exit Function\n  F = 2\nEnd Function\nResult = F(1) & F(0)", "String 12"},
      {"Dim Result\nSub S\n  Result = 1\n  Exit Sub\n  Result = 2\nEnd Sub\nS", "Integer 1"},
      {"Dim Result\nSub S\n  Do\n    For i = 1 To 5\n      Result = i\n      If i = 2 Then Exit Sub\n    Next\n  Loop\nEnd Sub\nS",
       "Integer 2"},
      {"Function Fib(n)\n  If n < 2 Then Fib = n Else Fib = Fib(n - 1) + Fib(n - 2)\nEnd Function\nResult = Fib(15)",
       "Integer 610"},
      {"Function Fact(n)\n  If n <= 1 Then\n    Fact = 1\n  Else\n    Fact = n * Fact(n - 1)\n  End If\nEnd Function\n"
       "Result = Fact(10)",
       "Long 3628800"},
      {"Function IsEven(n)\n  If n = 0 Then IsEven = True Else IsEven = IsOdd(n - 1)\nEnd Function\n"
       "Function IsOdd(n)\n  If n = 0 Then IsOdd = False Else IsOdd = IsEven(n - 1)\nEnd Function\n"
       "Result = IsEven(100) & IsOdd(7)",
       "String TrueTrue"},
  });
}

TEST(LanguageProcedures, ByRefIsTheDefaultAndByValCopies) {
  const std::string swap = "Sub Swap(a, b)\n  Dim t\n  t = a : a = b : b = t\nEnd Sub\nx = 1 : y = 2\n";
  const std::string inc = "Sub Inc(v)\n  v = v + 1\nEnd Sub\n";
  ExpectScripts({
      {swap + "Swap x, y\nResult = x & y", "String 21"},
      {swap + "Call Swap(x, y)\nResult = x & y", "String 21"},
      {swap + "Swap (x), y\nResult = x & y", "String 11"},  // parentheses pass a copy
      {swap + "Sub Outer(p, q)\n  Swap p, q\nEnd Sub\nOuter x, y\nResult = x & y", "String 21"},
      {inc + "Function F()\n  Dim n\n  n = 1\n  Inc n\n  Inc n\n  F = n\nEnd Function\nResult = F()", "Integer 3"},
      {inc + "x = 1\nInc x + 0\nResult = x", "Integer 1"},  // an expression has no variable to write to
      {"Sub S(ByVal v)\n  v = 100\nEnd Sub\nx = 1\nS x\nResult = x", "Integer 1"},
      {"Sub S(ByVal a)\n  a(0) = 100\nEnd Sub\nx = Array(1, 2)\nS x\nResult = x(0)", "Integer 1"},
      {"Sub S(ByRef a)\n  a(0) = 100\nEnd Sub\nx = Array(1, 2)\nS x\nResult = x(0)", "Integer 100"},
      {"Sub S(ByVal a, ByRef b)\n  a = a + 1 : b = b + 1\nEnd Sub\nx = 1 : y = 1\nS x, y\nResult = x & y", "String 12"},
      // Array elements pass by reference too.
      {inc + "Dim a(2)\na(1) = 5\nInc a(1)\nResult = a(1)", "Integer 6"},
      {inc + "Dim m(2, 2)\nm(1, 2) = 5\nInc m(1, 2)\nInc m(1, 2)\nResult = m(1, 2)", "Integer 7"},
      {inc + "a = Array(1, 2, 3)\ni = 2\nInc a(i)\nResult = a(2)", "Integer 4"},
      {inc + "Sub T\n  Dim loc(1)\n  loc(0) = 1\n  Inc loc(0)\n  Result = loc(0)\nEnd Sub\nDim Result\nT", "Integer 2"},
      {"Function SetTo(v, n)\n  v = n\n  SetTo = n\nEnd Function\nDim a(3)\nr = SetTo(a(3), 7)\nResult = a(3) + r",
       "Integer 14"},
      {"Sub S(ByVal v)\n  v = 0\nEnd Sub\nDim a(1)\na(0) = 3\nS a(0)\nResult = a(0)", "Integer 3"},
      // If the callee shrinks the array the write-back is skipped, not a crash.
      {"Dim g()\nReDim g(5)\nSub Shrink(v)\n  ReDim g(1)\n  v = 9\nEnd Sub\nShrink g(4)\nResult = UBound(g)", "Long 1"},
  });
}

TEST(LanguageProcedures, CodeAddedLaterIsFoundAtRunTime) {
  Engine sc;
  ASSERT_TRUE(sc.AddCode("Function UseLater()\n  UseLater = Helper(2)\nEnd Function\n"));
  ASSERT_TRUE(sc.AddCode("Function Helper(v)\n  Helper = v * 10\nEnd Function\n"));
  EXPECT_EQ(Describe(sc.Run("UseLater")), "Integer 20");
  ASSERT_TRUE(sc.AddCode("Option Explicit\nFunction ReadLater()\n  ReadLater = laterGlobal\nEnd Function\n"));
  sc.Run("ReadLater");
  EXPECT_EQ(sc.Error().Number, 500);
  ASSERT_TRUE(sc.AddCode("Dim laterGlobal\nlaterGlobal = \"now\"\n"));
  EXPECT_EQ(Describe(sc.Run("ReadLater")), "String now");
}

}  // namespace
}  // namespace lumetrix::vbs::testing
