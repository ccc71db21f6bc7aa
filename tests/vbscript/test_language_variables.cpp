// Variables, Option Explicit, constants and arrays.
#include "script_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(LanguageVariables, ImplicitDeclarationAndCaseInsensitiveNames) {
  EXPECT_EQ(Outcome("counter = 4\nCOUNTER = Counter + 1\nResult = cOuNtEr"), "Integer 5");
  EXPECT_EQ(Outcome("Result = neverAssigned"), "Empty");
  EXPECT_EQ(Outcome("Dim a, b : a = 1 : b = a : a = 2\nResult = b"), "Integer 1");
}

TEST(LanguageVariables, OptionExplicitRefusesUndeclaredNames) {
  EXPECT_EQ(Outcome("Option Explicit\nDim Result\nResult = 1\nx = 2"), "error 500 at line 4");
  EXPECT_EQ(Outcome("Option Explicit\nDim Result\nResult = y + 1"), "error 500 at line 3");
  EXPECT_EQ(Outcome("Option Explicit\nDim Result, x\nx = 2 : Result = x"), "Integer 2");
  // Inside a procedure too, when it runs.
  EXPECT_EQ(Outcome("Option Explicit\nDim Result\nSub S\n  z = 1\nEnd Sub\nResult = 1\nS"), "error 500 at line 4");
  std::string noun = RunScript("Option Explicit\nDim Result\nResult = undefinedThing").error.Description;
  EXPECT_EQ(noun, "Variable is undefined: 'undefinedThing'");
}

TEST(LanguageVariables, ProcedureLocalsAreSeparateFromGlobals) {
  EXPECT_EQ(Outcome("x = 1\nSub S\n  Dim x\n  x = 5\nEnd Sub\nS\nResult = x"), "Integer 1");
  EXPECT_EQ(Outcome("x = 1\nSub S\n  x = 5\nEnd Sub\nS\nResult = x"), "Integer 5");
  // An implicit local of a procedure does not leak out.
  EXPECT_EQ(Outcome("Sub S\n  onlyHere = 5\nEnd Sub\nFunction T\n  T = IsEmpty(onlyHere)\nEnd Function\nS\nResult = T()"), "Boolean True");
  // Locals start Empty on every call.
  EXPECT_EQ(Outcome("Function F\n  Dim v\n  F = IsEmpty(v)\n  v = 1\nEnd Function\nF\nResult = F()"), "Boolean True");
}

TEST(LanguageVariables, Constants) {
  EXPECT_EQ(Outcome("Const Answer = 42\nResult = Answer"), "Integer 42");
  EXPECT_EQ(Outcome("Const Neg = -2.5, Name = \"n\"\nResult = Name & Neg"), "String n-2.5");
  EXPECT_EQ(Outcome("Private Const A = 1\nPublic Const B = 2\nResult = A + B"), "Integer 3");
  EXPECT_EQ(Outcome("Const A = 1\nA = 2"), "error 501 at line 2");
  EXPECT_EQ(Outcome("Dim Result\nSub S\n  Const L = 7\n  Result = L * 2\nEnd Sub\nS"), "Integer 14");
  EXPECT_EQ(Outcome("Result = vbCrLf = Chr(13) & Chr(10)"), "Boolean True");
}

TEST(LanguageVariables, PrivatePublicAtScriptLevel) {
  EXPECT_EQ(Outcome("Private p\nPublic q\np = 1 : q = 2\nResult = p + q"), "Integer 3");
}

TEST(LanguageArrays, FixedArrays) {
  EXPECT_EQ(Outcome("Dim a(3)\nResult = UBound(a)"), "Long 3");
  EXPECT_EQ(Outcome("Dim a(2)\na(0) = 1 : a(2) = 3\nResult = a(0) + a(2) + IsEmpty(a(1))"), "Integer 3");
  EXPECT_EQ(Outcome("Dim a(2)\na(3) = 1"), "error 9 at line 2");
  EXPECT_EQ(Outcome("Dim a(2)\nResult = a(-1)"), "error 9 at line 2");
  EXPECT_EQ(Outcome("Dim a(2)\nReDim a(5)"), "error 10 at line 2");
  // Indices round half to even.
  EXPECT_EQ(Outcome("Dim a(3)\na(2) = \"two\"\nResult = a(2.5)"), "String two");
  EXPECT_EQ(Outcome("Dim a(3)\na(1.5) = 7\nResult = a(2)"), "Integer 7");
}

TEST(LanguageArrays, MultiDimensional) {
  EXPECT_EQ(Outcome("Dim m(2, 3)\nm(2, 3) = 9 : m(0, 1) = 1\nResult = m(2, 3) * 10 + m(0, 1)"), "Integer 91");
  EXPECT_EQ(Outcome("Dim m(2, 3)\nResult = UBound(m, 1) & \",\" & UBound(m, 2)"), "String 2,3");
  EXPECT_EQ(Outcome("Dim m(2, 3)\nResult = m(1)"), "error 9 at line 2");
  EXPECT_EQ(Outcome("Dim m(2, 3)\nm(3, 0) = 1"), "error 9 at line 2");
  EXPECT_EQ(Outcome("Dim m(1, 1, 1)\nm(1, 1, 1) = \"x\"\nResult = m(1, 1, 1)"), "String x");
}

TEST(LanguageArrays, ReDimAndPreserve) {
  EXPECT_EQ(Outcome("Dim a()\nReDim a(4)\nResult = UBound(a)"), "Long 4");
  EXPECT_EQ(Outcome("ReDim a(2)\na(1) = 5\nReDim a(3)\nResult = IsEmpty(a(1))"), "Boolean True");
  EXPECT_EQ(Outcome("ReDim a(2)\na(1) = 5\nReDim Preserve a(6)\nResult = a(1) & \"/\" & UBound(a)"), "String 5/6");
  EXPECT_EQ(Outcome("ReDim a(5)\na(1) = 5 : a(5) = 1\nReDim Preserve a(1)\nResult = a(1) & \"/\" & UBound(a)"),
            "String 5/1");
  // Only the last dimension may change with Preserve.
  EXPECT_EQ(Outcome("ReDim m(2, 2)\nm(1, 2) = 8\nReDim Preserve m(2, 4)\nResult = m(1, 2) & UBound(m, 2)"), "String 84");
  EXPECT_EQ(Outcome("ReDim m(2, 2)\nReDim Preserve m(3, 2)"), "error 9 at line 2");
  EXPECT_EQ(Outcome("n = 3\nReDim a(n * 2)\nResult = UBound(a)"), "Long 6");
  EXPECT_EQ(Outcome("ReDim a(-1)\nResult = UBound(a)"), "Long -1");
  EXPECT_EQ(Outcome("b = Array(1, 2, 3)\nReDim Preserve b(4)\nResult = b(2) & UBound(b)"), "String 34");
  EXPECT_EQ(Outcome("Dim Result\nSub S\n  ReDim loc(2)\n  loc(2) = 1\n  Result = UBound(loc)\nEnd Sub\nS"), "Long 2");
}

TEST(LanguageArrays, Erase) {
  EXPECT_EQ(Outcome("Dim a(2)\na(1) = 5\nErase a\nResult = IsEmpty(a(1)) & UBound(a)"), "String True2");
  EXPECT_EQ(Outcome("ReDim a(2)\nErase a\nResult = UBound(a)"), "error 9 at line 3");
  EXPECT_EQ(Outcome("x = 1\nErase x"), "error 13 at line 2");
}

TEST(LanguageArrays, ArraysAreValues) {
  EXPECT_EQ(Outcome("a = Array(1, 2)\nb = a\nb(0) = 9\nResult = a(0) & b(0)"), "String 19");
  EXPECT_EQ(Outcome("Dim a(1)\na(0) = Array(1, 2)\nx = a(0)\nResult = x(1)"), "Integer 2");
  EXPECT_EQ(Outcome("Dim a(1)\nResult = TypeName(a) & IsArray(a)"), "String Variant()True");
  EXPECT_EQ(Outcome("x = 5\nx(0) = 1"), "error 13 at line 2");
  EXPECT_EQ(Outcome("x = 5\nResult = x(0)"), "error 13 at line 2");
}

}  // namespace
}  // namespace lumetrix::vbs::testing
