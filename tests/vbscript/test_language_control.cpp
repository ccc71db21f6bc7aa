// If, loops, Select Case, With, and the layout of statements (separators, comments, continuations).
#include "vbs_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(LanguageControl, IfInAllItsForms) {
  const std::string grade =
      "Function Grade(n)\n  If n >= 90 Then\n    Grade = \"A\"\n  ElseIf n >= 80 Then\n    Grade = \"B\"\n"
      "  ElseIf n >= 70 Then Grade = \"C\"\n  Else\n    Grade = \"F\"\n  End If\nEnd Function\n";
  ExpectScripts({
      {grade + "Result = Grade(95) & Grade(85) & Grade(75) & Grade(5)", "String ABCF"},
      {"If False Then\n  Result = 1\nEnd If\nResult = IsEmpty(Result)", "Boolean True"},
      {"x = 3\nIf x = 3 Then Result = \"yes\" Else Result = \"no\"", "String yes"},
      {"x = 4\nIf x = 3 Then Result = \"yes\" Else Result = \"no\"", "String no"},
      {"If True Then a = 1 : b = 2\nResult = a + b", "Integer 3"},
      {"If False Then a = 1 : b = 2 Else c = 3 : d = 4\nResult = IsEmpty(b) & c + d", "String True7"},
      // The Else of a nested one-line If belongs to the inner If; a trailing End If is tolerated.
      {"If False Then If False Then e = 1 Else e = 2\nIf True Then If False Then f = 1 Else f = 2\nResult = IsEmpty(e) & f",
       "String True2"},
      {"IF 1 THEN b = 1 ELSE b = 2 END IF\nResult = b", "Integer 1"},
      // Condition values: numbers, numeric and Boolean texts; Null is not true.
      {"If 5 Then Result = 1", "Integer 1"},
      {"If \"True\" Then Result = 1", "Integer 1"},
      {"If \"0\" Then Result = 1 Else Result = 2", "Integer 2"},
      {"If Empty Then Result = 1 Else Result = 2", "Integer 2"},
      {"If Null Then Result = 1 Else Result = 2", "Integer 2"},
      {"If \"abc\" Then Result = 1", "error 13 at line 1"},
  });
}

TEST(LanguageControl, ForCountsAndSteps) {
  ExpectScripts({
      {"For i = 1 To 5\n  s = s & i\nNext\nResult = s & \"|\" & i", "String 12345|6"},
      {"For i = 10 To 1 Step -3\n  s = s & i & \" \"\nNext\nResult = s", "String 10 7 4 1 "},
      {"For i = 0 To 1 Step 0.25\n  s = s & i & \" \"\nNext\nResult = s", "String 0 0.25 0.5 0.75 1 "},
      {"For i = 1 To 0\n  n = n + 1\nNext\nResult = IsEmpty(n) & i", "String True1"},
      {"For i = 5 To 1 Step 1\n  n = n + 1\nNext\nResult = IsEmpty(n)", "Boolean True"},
      // The end and step are evaluated once; the counter may be changed in the body.
      {"n = 3\nFor i = 1 To n\n  n = 10\n  c = c + 1\nNext\nResult = c", "Integer 3"},
      {"For i = 1 To 10\n  i = i + 1\n  c = c + 1\nNext\nResult = c", "Integer 5"},
      {"For i = \"1\" To \"3\"\n  c = c + 1\nNext\nResult = c", "Integer 3"},
      {"For i = 1 To \"x\"\nNext", "error 13 at line 1"},
      {"For i = 1 To Null\nNext", "error 94 at line 1"},
      // Passing the Integer range promotes the counter instead of overflowing.
      {"For i = 32760 To 32770\nNext\nResult = TypeName(i) & i", "String Long32771"},
      {"For i = 1 To 3\n  For j = 1 To i\n    n = n + 1\n  Next\nNext\nResult = n", "Integer 6"},
      {"Dim g\nSub S\n  For g = 1 To 4\n  Next\nEnd Sub\nS\nResult = g", "Integer 5"},  // a global counter
      {"For k = 0 To 1 : c = c + 1 : Next k\nResult = c", "Integer 2"},
  });
}

TEST(LanguageControl, ForEachWalksASnapshot) {
  ExpectScripts({
      {"For Each x In Array(1, 2, 3)\n  s = s + x\nNext x\nResult = s", "Integer 6"},
      {"Dim m(1, 1)\nm(0, 0) = 1 : m(1, 0) = 2 : m(0, 1) = 3 : m(1, 1) = 4\nFor Each x In m\n  s = s & x\nNext\nResult = s",
       "String 1234"},
      {"a = Array()\nFor Each x In a\n  n = n + 1\nNext\nResult = IsEmpty(n)", "Boolean True"},
      // Changing the array inside does not disturb the loop; the loop variable is a copy.
      {"a = Array(1, 2, 3)\nFor Each x In a\n  a(2) = 100\n  s = s + x\nNext\nResult = s & \"/\" & a(2)", "String 6/100"},
      {"a = Array(1, 2)\nFor Each x In a\n  x = 0\nNext\nResult = a(0) + a(1)", "Integer 3"},
      {"For Each x In Split(\"a,b,c\", \",\")\n  If x = \"b\" Then Exit For\n  n = n + 1\nNext\nResult = n", "Integer 1"},
      {"For Each x In 5\nNext", "error 451 at line 1"},
      {"Sub S\n  Dim v\n  For Each v In Array(4, 5)\n    Result = Result + v\n  Next\nEnd Sub\nDim Result\nS", "Integer 9"},
  });
}

TEST(LanguageControl, DoAndWhileLoops) {
  ExpectScripts({
      {"Do While i < 3\n  i = i + 1\nLoop\nResult = i", "Integer 3"},
      {"i = 5\nDo While i < 3\n  i = i + 1\nLoop\nResult = i", "Integer 5"},
      {"Do Until i = 4\n  i = i + 1\nLoop\nResult = i", "Integer 4"},
      {"i = 5\nDo\n  i = i + 1\nLoop While i < 3\nResult = i", "Integer 6"},
      {"Do\n  i = i + 1\nLoop Until i >= 7\nResult = i", "Integer 7"},
      {"Do\n  i = i + 1\n  If i > 8 Then Exit Do\nLoop\nResult = i", "Integer 9"},
      {"Do : k = k + 1 : Loop While k < 3\nResult = k", "Integer 3"},
      {"Do Until k = 2 : k = k + 1 : Loop\nResult = k", "Integer 2"},
      // Exit Do and Exit For leave the innermost loop only.
      {"Do\n  n = n + 1\n  Do\n    Exit Do\n  Loop\n  If n = 3 Then Exit Do\nLoop\nResult = n", "Integer 3"},
      {"For i = 1 To 3\n  For j = 1 To 3\n    If j = 2 Then Exit For\n    n = n + 1\n  Next\nNext\nResult = n", "Integer 3"},
      {"For i = 1 To 2\n  Do\n    Exit For\n  Loop\nNext\nResult = i", "Integer 1"},
      {"While i < 10\n  i = i + 2\nWend\nResult = i", "Integer 10"},
      {"i = 1\nWhile False\n  i = 2\nWend\nResult = i", "Integer 1"},
      {"While i < 3\n  i = i + 1\n  j = 0\n  While j < 2\n    j = j + 1\n    n = n + 1\n  Wend\nWend\nResult = n", "Integer 6"},
  });
}

TEST(LanguageControl, SelectCaseTakesTheFirstMatch) {
  const std::string kind =
      "Function Kind(v)\n  Select Case v\n    Case 1, 2, 3\n      Kind = \"small\"\n    Case \"x\"\n      Kind = \"letter\"\n"
      "    Case 4 To 9, Is >= 100\n      Kind = \"medium or huge\"\n    Case Else\n      Kind = \"other\"\n"
      "  End Select\nEnd Function\n";
  ExpectScripts({
      {kind + "Result = Kind(2) & \",\" & Kind(4) & \",\" & Kind(9) & \",\" & Kind(9.5) & \",\" & Kind(250)",
       "String small,medium or huge,medium or huge,other,medium or huge"},
      {kind + "Result = Kind(\"x\") & \",\" & Kind(50) & \",\" & Kind(\"2\")",  // a numeric text meets numbers
       "String letter,other,small"},
      {"Select Case 5\n  Case 5\n    r = r & \"a\"\n  Case 5\n    r = r & \"b\"\nEnd Select\nResult = r", "String a"},
      {"Select Case 7\n  Case 1\n    r = 1\nEnd Select\nResult = IsEmpty(r)", "Boolean True"},
      {"Select Case 7\nEnd Select\nResult = 1", "Integer 1"},
      {"Select Case \"b\"\n  Case \"a\" To \"c\"\n    r = \"in\"\nEnd Select\nResult = r", "String in"},
      // The subject is evaluated once.
      {"Function Next1()\n  n = n + 1\n  Next1 = n\nEnd Function\nDim n\nSelect Case Next1()\n  Case 5\n  Case 6\n"
       "  Case 1\n    r = \"one\"\nEnd Select\nResult = r & n",
       "String one1"},
      {"Select Case 3\n  Case 1: r = \"a\"\n  Case 3: r = \"c\"\n  Case Else: r = \"z\"\nEnd Select\nResult = r", "String c"},
  });
}

TEST(LanguageControl, WithAndLayout) {
  ExpectScripts({
      {"With Err\n  .Number = 7\n  Result = .Number\nEnd With", "Long 7"},
      {"On Error Resume Next\nWith Err\n  .Raise 11\n  Result = .Number & .Description\nEnd With",
       "String 11Division by zero"},
      {"With 5\n  .Foo\nEnd With", "error 424 at line 2"},
      {"' a comment\nResult = 1 ' trailing\nRem another\nREM\nResult = Result + 1 : Rem after colon", "Integer 2"},
      {"Result = 1 + _\n  2 + _  \r\n  3", "Integer 6"},
      {"s = \"a\" &_\n\"b\"\r\n: : Result = s & \"'c:_\"", "String ab'c:_"},
  });
}

}  // namespace
}  // namespace lumetrix::vbs::testing
