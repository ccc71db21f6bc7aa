// Places where VBScript's behaviour is easy to miss: each row is what VBScript gives.
#include "vbs_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(Conformance, LexerAndOperators) {
  ExpectEvals({
      {"-3 ^ 2", "Double 9"}, {"3 => 2", "Boolean True"}, {"2 =< 3", "Boolean True"}, {"1 >< 2", "Boolean True"},
      {"CByte(True)", "Byte 255"}, {"CBool(\"#TRUE#\")", "Boolean True"}, {"CBool(\"#false#\")", "Boolean False"},
      {"CSng(0.001 * 0.001) = 0.000001", "Boolean True"}, {"Round(True)", "Boolean True"},
      {"FormatPercent(Null)", "error 13"}, {"vbYes", "Integer 6"}, {"vbRed", "Long 255"},
      // Not of a text that is no number converts it as CBool does: "#FALSE#" and "False" are False.
      {"Not \"#FALSE#\"", "Boolean True"}, {"Not \"true\"", "Boolean False"}, {"Not \"1\"", "Long -2"},
      {"Not \"abc\"", "error 13"},
  });
  ExpectScripts({
      {"hi = \"y\"\nResult = \"x\" &hi", "String xy"}, {"If \"#TRUE#\" Then Result = 1", "Integer 1"},
      {"Dim Property\nProperty = 4\nResult = Property", "Integer 4"},
      {"Class C\n  Public [rem]\nEnd Class\nSet o = New C\no.rem = 2\nResult = o.rem", "Integer 2"},
  });
}

// Currency: ten-thousandths, exact sums, half-to-even products, Double where VBScript gives it.
TEST(Conformance, Currency) {
  ExpectEvals({
      {"VarType(CCur(1))", "Integer 6"}, {"CCur(2.00005)", "Currency 2"}, {"CCur(2.00015)", "Currency 2.0002"},
      {"CCur(0.1) + CCur(0.2) = CCur(0.3)", "Boolean True"}, {"CCur(1.5) * 3", "Currency 4.5"},
      {"CCur(0.0001) * CCur(0.5)", "Currency 0"}, {"CCur(0.0003) * CCur(0.5)", "Currency 0.0002"},
      {"CCur(1) / 4", "Double 0.25"}, {"CCur(7) \\ 2", "Long 3"}, {"-CCur(\"1.25\")", "Currency -1.25"},
      {"CCur(1) + 0.5", "Currency 1.5"}, {"CCur(-0.0001) & \"\"", "String -0.0001"},
      {"CCur(900000000000000) + CCur(900000000000000)", "error 6"}, {"CCur(1E+15)", "error 6"},
      {"Abs(CCur(-2.5))", "Currency 2.5"}, {"Round(CCur(2.5))", "Currency 2"}, {"FormatCurrency(CCur(1234.5))", "String $1,234.50"},
      {"IsNumeric(CCur(3))", "Boolean True"}, {"CLng(CCur(2.5))", "Long 2"},
      // Signs and exact halves, from Python's decimal (quantize to 0.0001, ROUND_HALF_EVEN); the
      // doubles 1.03125 and 1.09375 are exact, 2.00015 is 2.000150000000000094...
      {"CCur(1.03125)", "Currency 1.0312"}, {"CCur(-1.03125)", "Currency -1.0312"},
      {"CCur(-1.09375)", "Currency -1.0938"}, {"CCur(-2.00005)", "Currency -2"}, {"CCur(-2.00015)", "Currency -2.0002"},
      {"CCur(-0.0003) * CCur(0.5)", "Currency -0.0002"}, {"CCur(-0.0005) * CCur(0.5)", "Currency -0.0002"},
      {"CCur(-0.0001) * CCur(0.5)", "Currency 0"}, {"CCur(-1.0001) * CCur(0.5)", "Currency -0.5"},
      {"CCur(-1.0003) * CCur(0.5)", "Currency -0.5002"}, {"Round(CCur(-2.5))", "Currency -2"},
      {"Round(CCur(-3.5))", "Currency -4"}, {"Round(CCur(-0.5))", "Currency 0"}, {"CLng(CCur(-2.5))", "Long -2"},
      {"CLng(CCur(-1.5))", "Long -2"}, {"CInt(CCur(-0.5))", "Integer 0"},
  });
}

TEST(Conformance, Statements) {
  ExpectScripts({
      {"Select Case 2\nCase 1 Result = 1\nCase 2 Result = 2\nEnd Select", "Integer 2"},
      {"If True Then\n  Function F()\n    F = 7\n  End Function\nEnd If\nResult = F()", "Integer 7"},
      // A class's last member may run into `End Class` on its line, as a body's last statement
      // runs into `End Sub`; another member still needs a separator.
      {"Class C : Public x End Class\nSet o = New C : o.x = 1 : Result = o.x", "Integer 1"},
      {"Class C\n  Dim x End Class\nSet o = New C : o.x = 2 : Result = o.x", "Integer 2"},
      {"Class C\n  Function F() x = 0 : F = 3 End Function End Class\nResult = (New C).F()", "Integer 3"},
      {"Class C : Public Default Property Get P : P = 4 End Property End Class\nResult = 0 + New C", "Integer 4"},
      {"Class C : Public x Public y\nEnd Class", "error 1025 at line 1"},
      {"Class C\n  Sub S() x = 1 End Class", "error 1025 at line 2"},
      {"Result = G()\nIf False Then\n  Function G() : G = 8 : End Function\nEnd If", "Integer 8"},
      {"Dim Result\nSub S() Result = 3 End Sub\nS", "Integer 3"}, {"Dim Result\nSub S\n  Result = 4 End Sub\nS", "Integer 4"},
      {"Dim Result\nSub S : Result = 1 : End Sub\nSub S : Result = 2 : End Sub\nS", "Integer 2"},
      {"Dim Result\nSub Property()\n  Result = 5\nEnd Sub\nProperty", "Integer 5"},
      {"Function F(a)\n  a(0) = 2 : F = 1\nEnd Function\nx = Array(7)\n(F)(x)\nResult = x(0)\n"  // (f)(x) calls f
       "Call (((F))) (x)\nResult = Result & x(0) & (F)(x)", "String 721"},
      {"On Error Resume Next\nx = Randomize(0)\nResult = Err.Number & TypeName(x)\nErr.Clear\nx = ExecuteGlobal(\"y = 1\")\n"
       "Result = Result & Err.Number", "String 13Empty13"},  // statements as values: 13 at run time
  });
}

TEST(Conformance, Variables) {
  ExpectScripts({
      {"Sub S\n  Dim z\n  z = Nothing\nEnd Sub\nS", "error 91 at line 3"},
      {"Result = TypeName(a)\nDim a(3)", "String Empty"}, {"Dim a(3)\nResult = TypeName(a)", "String Variant()"},
      {"For i = 1 To 2\n  Dim a(2)\n  a(i) = i\nNext\nResult = a(1) + a(2)", "Integer 3"},  // Dim again keeps it
      {"Dim a(3)\nReDim a(4)", "error 10 at line 2"},  // below: what an Execute declares is the procedure's
      {"Function F()\n  Execute \"y = 5 : Dim a(1)\"\n  a(1) = y + 1\n  F = y & a(1)\nEnd Function\n"
       "Result = F() & TypeName(Eval(\"y\"))", "String 56Empty"},
      {"Option Explicit\nDim Result\nSub S()\n  Execute \"Dim y : y = 5\"\n  y = y + 1\n  Result = y & Eval(\"y + 1\")\nEnd Sub\nS",
       "String 67"},
  });
}

TEST(Conformance, WhichArgumentErrorWins) {  // Null flags, types, ranges, then a Null string (InStrRev's stays Null)
  ExpectEvals({{"Mid(\"test\", \"a\", Null)", "error 94"}, {"Mid(\"test\", 0, Null)", "error 94"}, {"Mid(Null, -1, -1)", "error 5"},
               {"InStrRev(Null, \"b\", 0)", "error 5"}, {"InStrRev(Null, \"b\")", "Null"}, {"Split(\"a\", \"-\", -1, 2)", "error 5"},
               {"Split(Null, \"-\", -2)", "error 94"}, {"MonthName(\"a\", Null)", "error 94"}, {"MonthName(\"a\", 1)", "error 13"}});
}

// The argument checks changed to VBScript's numbers (94 "Invalid use of Null", 13 "Type
// mismatch"), as a suite run against Microsoft's engine records them (Wine's vbscript api.vbs).
TEST(Conformance, ArgumentErrorNumbersMended) {
  ExpectEvals({{"InStrRev(Null, \"abcd\", 2, 0)", "error 94"}, {"InStrRev(\"abcd\", Null, 2)", "error 94"},
               {"Join(Array(1, Null))", "error 13"}, {"Join(Array(\"a\", Empty))", "String a "}});
}

}  // namespace
}  // namespace lumetrix::vbs::testing
