// Variables, Option Explicit, constants and arrays.
#include "vbs_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(LanguageVariables, ScopesConstantsAndOptionExplicit) {
  ExpectScripts({
      {"counter = 4\nCOUNTER = Counter + 1\nResult = cOuNtEr", "Integer 5"},
      {"Result = neverAssigned", "Empty"},
      {"Dim a, b : a = 1 : b = a : a = 2\nResult = b", "Integer 1"},
      {"Private p\nPublic q(1)\np = 1 : q(1) = 2\nResult = p + q(1)", "Integer 3"},
      {"Option Explicit\nDim Result\nResult = 1\nx = 2", "error 500 at line 4"},
      {"Option Explicit\nDim Result\nResult = y + 1", "error 500 at line 3"},
      {"Option Explicit\nDim Result, x\nx = 2 : Result = x", "Integer 2"},
      {"Option Explicit\nDim Result\nSub S\n  z = 1\nEnd Sub\nResult = 1\nS", "error 500 at line 4"},
      // Locals are apart from globals, do not leak out, and start Empty on every call.
      {"x = 1\nSub S\n  Dim x\n  x = 5\nEnd Sub\nS\nResult = x", "Integer 1"},
      {"x = 1\nSub S\n  x = 5\nEnd Sub\nS\nResult = x", "Integer 5"},
      {"Sub S\n  onlyHere = 5\nEnd Sub\nFunction T\n  T = IsEmpty(onlyHere)\nEnd Function\nS\nResult = T()", "Boolean True"},
      {"Function F\n  Dim v\n  F = IsEmpty(v)\n  v = 1\nEnd Function\nF\nResult = F()", "Boolean True"},
      {"Const Answer = 42\nResult = Answer", "Integer 42"},
      {"Const Neg = -2.5, Name = \"n\"\nResult = Name & Neg", "String n-2.5"},
      {"Private Const A = 1\nPublic Const B = 2\nResult = A + B", "Integer 3"},
      {"Const A = 1\nA = 2", "error 501 at line 2"},
      {"Dim Result\nSub S\n  Const L = 7\n  Result = L * 2\nEnd Sub\nS", "Integer 14"},
  });
  EXPECT_EQ(ErrorOf("Option Explicit\nDim Result\nResult = undefinedThing").Description,
            "Variable is undefined: 'undefinedThing'");
}

TEST(LanguageArrays, FixedDynamicAndMultiDimensional) {
  ExpectScripts({
      {"Dim a(3)\nResult = UBound(a)", "Long 3"},
      {"Dim a(2)\na(0) = 1 : a(2) = 3\nResult = a(0) + a(2) + IsEmpty(a(1))", "Integer 3"},
      {"Dim a(2)\na(3) = 1", "error 9 at line 2"},
      {"Dim a(2)\nResult = a(-1)", "error 9 at line 2"},
      {"Dim a(2)\nReDim a(5)", "error 10 at line 2"},
      {"Dim a(3)\na(2) = \"two\"\nResult = a(2.5)", "String two"},  // indices round half to even
      {"Dim a(3)\na(1.5) = 7\nResult = a(2)", "Integer 7"},
      {"Dim m(2, 3)\nm(2, 3) = 9 : m(0, 1) = 1\nResult = m(2, 3) * 10 + m(0, 1)", "Integer 91"},
      {"Dim m(2, 3)\nResult = m(1)", "error 9 at line 2"},
      {"Dim m(2, 3)\nm(3, 0) = 1", "error 9 at line 2"},
      {"Dim m(1, 1, 1)\nm(1, 1, 1) = \"x\"\nResult = m(1, 1, 1)", "String x"},
      {"Dim a()\nReDim a(4)\nResult = UBound(a)", "Long 4"},
      {"ReDim a(2)\na(1) = 5\nReDim a(3)\nResult = IsEmpty(a(1))", "Boolean True"},
      {"ReDim a(2)\na(1) = 5\nReDim Preserve a(6)\nResult = a(1) & \"/\" & UBound(a)", "String 5/6"},
      {"ReDim a(5)\na(1) = 5 : a(5) = 1\nReDim Preserve a(1)\nResult = a(1) & \"/\" & UBound(a)", "String 5/1"},
      // Only the last dimension may change with Preserve.
      {"ReDim m(2, 2)\nm(1, 2) = 8\nReDim Preserve m(2, 4)\nResult = m(1, 2) & UBound(m, 2)", "String 84"},
      {"ReDim m(2, 2)\nReDim Preserve m(3, 2)", "error 9 at line 2"},
      {"n = 3\nReDim a(n * 2)\nResult = UBound(a)", "Long 6"},
      {"ReDim a(-1)\nResult = UBound(a)", "Long -1"},
      {"b = Array(1, 2, 3)\nReDim Preserve b(4)\nResult = b(2) & UBound(b)", "String 34"},
      {"Dim Result\nSub S\n  ReDim loc(2)\n  loc(2) = 1\n  Result = UBound(loc)\nEnd Sub\nS", "Long 2"},
      {"Dim a(2)\na(1) = 5\nErase a\nResult = IsEmpty(a(1)) & UBound(a)", "String True2"},
      {"ReDim a(2)\nErase a\nResult = UBound(a)", "error 9 at line 3"},
      {"ReDim a(2), b(3)\nErase a, b\nResult = UBound(b)", "error 9 at line 3"},
      {"x = 1\nErase x", "error 13 at line 2"},
      {"a = Array(1, 2)\nb = a\nb(0) = 9\nResult = a(0) & b(0)", "String 19"},  // arrays are values
      {"Dim a(1)\na(0) = Array(1, 2)\nx = a(0)\nResult = x(1)", "Integer 2"},
      {"Dim a(1)\nResult = TypeName(a) & IsArray(a)", "String Variant()True"},
      {"x = 5\nx(0) = 1", "error 13 at line 2"},
      {"x = 5\nResult = x(0)", "error 13 at line 2"},
  });
}

}  // namespace
}  // namespace lumetrix::vbs::testing
