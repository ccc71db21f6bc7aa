// Sub and Function: arguments ByVal and ByRef, Exit, Call, recursion.
#include "script_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(LanguageProcedures, FunctionResults) {
  EXPECT_EQ(Outcome("Function Twice(x)\n  Twice = x * 2\nEnd Function\nResult = Twice(21)"), "Integer 42");
  EXPECT_EQ(Outcome("Function Nothing1()\nEnd Function\nResult = IsEmpty(Nothing1())"), "Boolean True");
  EXPECT_EQ(Outcome("Function F\n  F = \"no parens\"\nEnd Function\nResult = F"), "String no parens");
  EXPECT_EQ(Outcome("Function Fact(n)\n  If n <= 1 Then\n    Fact = 1\n  Else\n    Fact = n * Fact(n - 1)\n  End If\n"
                    "End Function\nResult = Fact(10)"),
            "Long 3628800");
  // The result variable can be read inside the function.
  EXPECT_EQ(Outcome("Function Acc(n)\n  Dim i\n  For i = 1 To n\n    Acc = Acc + i\n  Next\nEnd Function\nResult = Acc(4)"),
            "Integer 10");
  EXPECT_EQ(Outcome("Function Arr()\n  Arr = Array(1, 2, 3)\nEnd Function\nResult = Arr()(2)"), "Integer 3");
}

TEST(LanguageProcedures, ProceduresDefinedLaterAreCallable) {
  EXPECT_EQ(Outcome("Sub A\n  B 5\nEnd Sub\nSub B(x)\n  Result = x\nEnd Sub\nDim Result\nA"), "Integer 5");
  EXPECT_EQ(Outcome("Result = Later(2)\nFunction Later(v)\n  Later = v + 1\nEnd Function"), "Integer 3");
}

TEST(LanguageProcedures, ByRefIsTheDefault) {
  const char* swap = "Sub Swap(a, b)\n  Dim t\n  t = a : a = b : b = t\nEnd Sub\n";
  EXPECT_EQ(Outcome(std::string(swap) + "x = 1 : y = 2\nSwap x, y\nResult = x & y"), "String 21");
  EXPECT_EQ(Outcome(std::string(swap) + "x = 1 : y = 2\nCall Swap(x, y)\nResult = x & y"), "String 21");
  // Parentheses around an argument pass a copy.
  EXPECT_EQ(Outcome(std::string(swap) + "x = 1 : y = 2\nSwap (x), y\nResult = x & y"), "String 11");
  // References pass on through nested calls.
  EXPECT_EQ(Outcome(std::string(swap) + "Sub Outer(p, q)\n  Swap p, q\nEnd Sub\nx = 1 : y = 2\nOuter x, y\nResult = x & y"),
            "String 21");
  // A local of a procedure passed on by reference.
  EXPECT_EQ(Outcome("Sub Inc(v)\n  v = v + 1\nEnd Sub\nFunction F()\n  Dim n\n  n = 1\n  Inc n\n  Inc n\n  F = n\nEnd Function\n"
                    "Result = F()"),
            "Integer 3");
  // An expression has no variable to write back to.
  EXPECT_EQ(Outcome("Sub Inc(v)\n  v = v + 1\nEnd Sub\nx = 1\nInc x + 0\nResult = x"), "Integer 1");
}

TEST(LanguageProcedures, ByValGetsACopy) {
  EXPECT_EQ(Outcome("Sub S(ByVal v)\n  v = 100\nEnd Sub\nx = 1\nS x\nResult = x"), "Integer 1");
  EXPECT_EQ(Outcome("Sub S(ByVal a)\n  a(0) = 100\nEnd Sub\nx = Array(1, 2)\nS x\nResult = x(0)"), "Integer 1");
  EXPECT_EQ(Outcome("Sub S(ByRef a)\n  a(0) = 100\nEnd Sub\nx = Array(1, 2)\nS x\nResult = x(0)"), "Integer 100");
  EXPECT_EQ(Outcome("Sub S(ByVal a, ByRef b)\n  a = a + 1 : b = b + 1\nEnd Sub\nx = 1 : y = 1\nS x, y\nResult = x & y"),
            "String 12");
}

TEST(LanguageProcedures, ByRefThroughArrayElements) {
  const char* inc = "Sub Inc(v)\n  v = v + 1\nEnd Sub\n";
  EXPECT_EQ(Outcome(std::string(inc) + "Dim a(2)\na(1) = 5\nInc a(1)\nResult = a(1)"), "Integer 6");
  EXPECT_EQ(Outcome(std::string(inc) + "Dim m(2, 2)\nm(1, 2) = 5\nInc m(1, 2)\nInc m(1, 2)\nResult = m(1, 2)"), "Integer 7");
  EXPECT_EQ(Outcome(std::string(inc) + "a = Array(1, 2, 3)\ni = 2\nInc a(i)\nResult = a(2)"), "Integer 4");
  EXPECT_EQ(Outcome(std::string(inc) + "Sub T\n  Dim loc(1)\n  loc(0) = 1\n  Inc loc(0)\n  Result = loc(0)\nEnd Sub\nDim Result\nT"),
            "Integer 2");
  // Function calls too, and the index is evaluated once.
  EXPECT_EQ(Outcome("Function SetTo(v, n)\n  v = n\n  SetTo = n\nEnd Function\nDim a(3)\nr = SetTo(a(3), 7)\nResult = a(3) + r"),
            "Integer 14");
  // ByVal elements are not written back.
  EXPECT_EQ(Outcome("Sub S(ByVal v)\n  v = 0\nEnd Sub\nDim a(1)\na(0) = 3\nS a(0)\nResult = a(0)"), "Integer 3");
  // If the callee shrinks the array the write-back is skipped, not a crash.
  EXPECT_EQ(Outcome("Dim g()\nReDim g(5)\nSub Shrink(v)\n  ReDim g(1)\n  v = 9\nEnd Sub\nShrink g(4)\nResult = UBound(g)"),
            "Long 1");
}

TEST(LanguageProcedures, WrongArgumentCount) {
  EXPECT_EQ(Outcome("Sub S(a, b)\nEnd Sub\nS 1"), "error 450 at line 3");
  EXPECT_EQ(Outcome("Function F(a)\nEnd Function\nx = F(1, 2)"), "error 450 at line 3");
  EXPECT_EQ(Outcome("Sub S\nEnd Sub\nS 1"), "error 450 at line 3");
}

TEST(LanguageProcedures, ParenthesesCallingASub) {
  // `S(1)` with one argument is fine (the argument is a parenthesised expression); two are not.
  EXPECT_EQ(Outcome("Dim Result\nSub S(v)\n  Result = v\nEnd Sub\nS(4)"), "Integer 4");
  EXPECT_EQ(RunScript("Sub S(a, b)\nEnd Sub\nS(1, 2)").error.Number, 1044);
  EXPECT_EQ(Outcome("Dim Result\nSub S(a, b)\n  Result = a + b\nEnd Sub\nCall S(1, 2)"), "Integer 3");
  EXPECT_EQ(Outcome("Dim Result\nFunction F(a)\n  Result = a\nEnd Function\nCall F(8)"), "Integer 8");
  EXPECT_EQ(Outcome("Dim Result\nFunction F(a)\n  Result = a\nEnd Function\nF 9"), "Integer 9");
}

TEST(LanguageProcedures, ExitStatements) {
  EXPECT_EQ(Outcome("Function F(n)\n  F = 1\n  If n > 0 Then Exit Function\n  F = 2\nEnd Function\nResult = F(1) & F(0)"),
            "String 12");
  EXPECT_EQ(Outcome("Dim Result\nSub S\n  Result = 1\n  Exit Sub\n  Result = 2\nEnd Sub\nS"), "Integer 1");
  EXPECT_EQ(Outcome("For i = 1 To 10\n  If i = 3 Then Exit For\nNext\nResult = i"), "Integer 3");
  EXPECT_EQ(Outcome("Do\n  k = k + 1\n  If k = 5 Then Exit Do\nLoop\nResult = k"), "Integer 5");
  // Exit For leaves only the inner loop.
  EXPECT_EQ(Outcome("For i = 1 To 3\n  For j = 1 To 3\n    If j = 2 Then Exit For\n    n = n + 1\n  Next\nNext\nResult = n"),
            "Integer 3");
  // Exit Sub from inside loops.
  EXPECT_EQ(Outcome("Dim Result\nSub S\n  Do\n    For i = 1 To 5\n      Result = i\n      If i = 2 Then Exit Sub\n    Next\n  Loop\nEnd Sub\nS"),
            "Integer 2");
  EXPECT_EQ(RunScript("Exit For").error.Number, 1039);
}

TEST(LanguageProcedures, Recursion) {
  EXPECT_EQ(Outcome("Function Fib(n)\n  If n < 2 Then Fib = n Else Fib = Fib(n - 1) + Fib(n - 2)\nEnd Function\nResult = Fib(15)"),
            "Integer 610");
  // Mutual recursion.
  EXPECT_EQ(Outcome("Function IsEven(n)\n  If n = 0 Then IsEven = True Else IsEven = IsOdd(n - 1)\nEnd Function\n"
                    "Function IsOdd(n)\n  If n = 0 Then IsOdd = False Else IsOdd = IsEven(n - 1)\nEnd Function\n"
                    "Result = IsEven(100) & IsOdd(7)"),
            "String TrueTrue");
  // Two thousand frames deep is fine.
  EXPECT_EQ(Outcome("Function Depth(n)\n  If n = 0 Then Depth = 0 Else Depth = 1 + Depth(n - 1)\nEnd Function\nResult = Depth(2000)"),
            "Integer 2000");
}

TEST(LanguageProcedures, UndefinedProcedures) {
  EXPECT_EQ(Outcome("NoSuchSub 1"), "error 13 at line 1");
  EXPECT_EQ(Outcome("x = 1\nResult = NoSuchFunction(x)"), "error 13 at line 2");
  EXPECT_EQ(Outcome("Option Explicit\nNoSuchSub 1"), "error 500 at line 2");
  EXPECT_EQ(RunScript("NoSuchSub 1").error.Description, "Type mismatch: 'NoSuchSub'");
}

TEST(LanguageProcedures, CodeAddedLaterIsFoundAtRunTime) {
  ScriptControl sc;
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
