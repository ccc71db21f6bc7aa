// If, loops, Select Case and With.
#include "script_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(LanguageIf, BlockForms) {
  const char* grade =
      "Function Grade(n)\n"
      "  If n >= 90 Then\n"
      "    Grade = \"A\"\n"
      "  ElseIf n >= 80 Then\n"
      "    Grade = \"B\"\n"
      "  ElseIf n >= 70 Then\n"
      "    Grade = \"C\"\n"
      "  Else\n"
      "    Grade = \"F\"\n"
      "  End If\n"
      "End Function\n";
  EXPECT_EQ(Outcome(std::string(grade) + "Result = Grade(95) & Grade(85) & Grade(75) & Grade(5)"), "String ABCF");
  EXPECT_EQ(Outcome("If False Then\n  Result = 1\nEnd If\nResult = IsEmpty(Result)"), "Boolean True");
}

TEST(LanguageIf, OneLineForms) {
  EXPECT_EQ(Outcome("x = 3\nIf x = 3 Then Result = \"yes\" Else Result = \"no\""), "String yes");
  EXPECT_EQ(Outcome("x = 4\nIf x = 3 Then Result = \"yes\" Else Result = \"no\""), "String no");
  EXPECT_EQ(Outcome("If True Then a = 1 : b = 2\nResult = a + b"), "Integer 3");
  EXPECT_EQ(Outcome("If False Then a = 1 : b = 2\nResult = IsEmpty(b)"), "Boolean True");
}

TEST(LanguageIf, ConditionValues) {
  EXPECT_EQ(Outcome("If 5 Then Result = 1"), "Integer 1");
  EXPECT_EQ(Outcome("If \"True\" Then Result = 1"), "Integer 1");
  EXPECT_EQ(Outcome("If \"0\" Then Result = 1 Else Result = 2"), "Integer 2");
  EXPECT_EQ(Outcome("If Empty Then Result = 1 Else Result = 2"), "Integer 2");
  // Null is not true: the Else branch runs.
  EXPECT_EQ(Outcome("If Null Then Result = 1 Else Result = 2"), "Integer 2");
  EXPECT_EQ(Outcome("If \"abc\" Then Result = 1"), "error 13 at line 1");
}

TEST(LanguageFor, CountsAndSteps) {
  EXPECT_EQ(Outcome("For i = 1 To 5\n  s = s & i\nNext\nResult = s & \"|\" & i"), "String 12345|6");
  EXPECT_EQ(Outcome("For i = 10 To 1 Step -3\n  s = s & i & \" \"\nNext\nResult = s"), "String 10 7 4 1 ");
  EXPECT_EQ(Outcome("For i = 0 To 1 Step 0.25\n  s = s & i & \" \"\nNext\nResult = s"), "String 0 0.25 0.5 0.75 1 ");
  EXPECT_EQ(Outcome("For i = 1 To 0\n  n = n + 1\nNext\nResult = IsEmpty(n) & i"), "String True1");
  EXPECT_EQ(Outcome("For i = 5 To 1 Step 1\n  n = n + 1\nNext\nResult = IsEmpty(n)"), "Boolean True");
  // The end and step are evaluated once.
  EXPECT_EQ(Outcome("n = 3\nFor i = 1 To n\n  n = 10\n  c = c + 1\nNext\nResult = c"), "Integer 3");
  // The counter may be changed in the body.
  EXPECT_EQ(Outcome("For i = 1 To 10\n  i = i + 1\n  c = c + 1\nNext\nResult = c"), "Integer 5");
  // Numeric strings are accepted as bounds.
  EXPECT_EQ(Outcome("For i = \"1\" To \"3\"\n  c = c + 1\nNext\nResult = c"), "Integer 3");
  EXPECT_EQ(Outcome("For i = 1 To \"x\"\nNext"), "error 13 at line 1");
  EXPECT_EQ(Outcome("For i = 1 To Null\nNext"), "error 94 at line 1");
  // Passing Integer range promotes the counter instead of overflowing.
  EXPECT_EQ(Outcome("For i = 32760 To 32770\nNext\nResult = TypeName(i) & i"), "String Long32771");
}

TEST(LanguageFor, NestedLoopsAndProcedures) {
  EXPECT_EQ(Outcome("For i = 1 To 3\n  For j = 1 To i\n    n = n + 1\n  Next\nNext\nResult = n"), "Integer 6");
  EXPECT_EQ(Outcome("Function Sum(n)\n  Dim i\n  For i = 1 To n\n    Sum = Sum + i\n  Next\nEnd Function\nResult = Sum(100)"),
            "Integer 5050");
  // A global counter driven from a procedure.
  EXPECT_EQ(Outcome("Dim g\nSub S\n  For g = 1 To 4\n  Next\nEnd Sub\nS\nResult = g"), "Integer 5");
}

TEST(LanguageForEach, ArraysAndCollections) {
  EXPECT_EQ(Outcome("For Each x In Array(1, 2, 3)\n  s = s + x\nNext\nResult = s"), "Integer 6");
  EXPECT_EQ(Outcome("Dim m(1, 1)\nm(0, 0) = 1 : m(1, 0) = 2 : m(0, 1) = 3 : m(1, 1) = 4\nFor Each x In m\n  s = s & x\nNext\n"
                    "Result = s"),
            "String 1234");
  EXPECT_EQ(Outcome("a = Array()\nFor Each x In a\n  n = n + 1\nNext\nResult = IsEmpty(n)"), "Boolean True");
  // The loop walks a snapshot: changing the array inside does not disturb it.
  EXPECT_EQ(Outcome("a = Array(1, 2, 3)\nFor Each x In a\n  a(2) = 100\n  s = s + x\nNext\nResult = s & \"/\" & a(2)"),
            "String 6/100");
  // The loop variable is a copy.
  EXPECT_EQ(Outcome("a = Array(1, 2)\nFor Each x In a\n  x = 0\nNext\nResult = a(0) + a(1)"), "Integer 3");
  EXPECT_EQ(Outcome("For Each x In Split(\"a,b,c\", \",\")\n  If x = \"b\" Then Exit For\n  n = n + 1\nNext\nResult = n"),
            "Integer 1");
  EXPECT_EQ(Outcome("For Each x In 5\nNext"), "error 451 at line 1");
  EXPECT_EQ(Outcome("Sub S\n  Dim v\n  For Each v In Array(4, 5)\n    Result = Result + v\n  Next\nEnd Sub\nDim Result\nS"),
            "Integer 9");
}

TEST(LanguageDo, AllForms) {
  EXPECT_EQ(Outcome("Do While i < 3\n  i = i + 1\nLoop\nResult = i"), "Integer 3");
  EXPECT_EQ(Outcome("i = 5\nDo While i < 3\n  i = i + 1\nLoop\nResult = i"), "Integer 5");
  EXPECT_EQ(Outcome("Do Until i = 4\n  i = i + 1\nLoop\nResult = i"), "Integer 4");
  EXPECT_EQ(Outcome("i = 5\nDo\n  i = i + 1\nLoop While i < 3\nResult = i"), "Integer 6");
  EXPECT_EQ(Outcome("Do\n  i = i + 1\nLoop Until i >= 7\nResult = i"), "Integer 7");
  EXPECT_EQ(Outcome("Do\n  i = i + 1\n  If i > 8 Then Exit Do\nLoop\nResult = i"), "Integer 9");
  EXPECT_EQ(Outcome("Do : k = k + 1 : Loop While k < 3\nResult = k"), "Integer 3");
  // Exit Do leaves the innermost Do only.
  EXPECT_EQ(Outcome("Do\n  n = n + 1\n  Do\n    Exit Do\n  Loop\n  If n = 3 Then Exit Do\nLoop\nResult = n"), "Integer 3");
}

TEST(LanguageWhile, WhileWend) {
  EXPECT_EQ(Outcome("While i < 10\n  i = i + 2\nWend\nResult = i"), "Integer 10");
  EXPECT_EQ(Outcome("i = 1\nWhile False\n  i = 2\nWend\nResult = i"), "Integer 1");
  EXPECT_EQ(Outcome("While i < 3\n  i = i + 1\n  j = 0\n  While j < 2\n    j = j + 1\n    n = n + 1\n  Wend\nWend\nResult = n"),
            "Integer 6");
}

TEST(LanguageSelect, CaseForms) {
  const char* kind =
      "Function Kind(v)\n"
      "  Select Case v\n"
      "    Case 1, 2, 3\n"
      "      Kind = \"small\"\n"
      "    Case 4 To 9\n"
      "      Kind = \"medium\"\n"
      "    Case \"x\"\n"
      "      Kind = \"letter\"\n"
      "    Case Is >= 100\n"
      "      Kind = \"huge\"\n"
      "    Case Else\n"
      "      Kind = \"other\"\n"
      "  End Select\n"
      "End Function\n";
  std::string k(kind);
  EXPECT_EQ(Outcome(k + "Result = Kind(2)"), "String small");
  EXPECT_EQ(Outcome(k + "Result = Kind(4)"), "String medium");
  EXPECT_EQ(Outcome(k + "Result = Kind(9)"), "String medium");
  EXPECT_EQ(Outcome(k + "Result = Kind(9.5)"), "String other");
  EXPECT_EQ(Outcome(k + "Result = Kind(250)"), "String huge");
  EXPECT_EQ(Outcome(k + "Result = Kind(\"x\")"), "String letter");
  EXPECT_EQ(Outcome(k + "Result = Kind(50)"), "String other");
  // Literal numbers meet numeric strings as numbers.
  EXPECT_EQ(Outcome(k + "Result = Kind(\"2\")"), "String small");
}

TEST(LanguageSelect, FirstMatchOnlyAndNoMatch) {
  EXPECT_EQ(Outcome("Select Case 5\n  Case 5\n    r = r & \"a\"\n  Case 5\n    r = r & \"b\"\nEnd Select\nResult = r"), "String a");
  EXPECT_EQ(Outcome("Select Case 7\n  Case 1\n    r = 1\nEnd Select\nResult = IsEmpty(r)"), "Boolean True");
  EXPECT_EQ(Outcome("Select Case \"b\"\n  Case \"a\" To \"c\"\n    r = \"in\"\nEnd Select\nResult = r"), "String in");
  // The subject is evaluated once.
  EXPECT_EQ(Outcome("Function Next1()\n  n = n + 1\n  Next1 = n\nEnd Function\nDim n\nSelect Case Next1()\n  Case 5\n  Case 6\n"
                    "  Case 1\n    r = \"one\"\nEnd Select\nResult = r & n"),
            "String one1");
  EXPECT_EQ(Outcome("Select Case 3\n  Case 1: r = \"a\"\n  Case 3: r = \"c\"\n  Case Else: r = \"z\"\nEnd Select\nResult = r"),
            "String c");
}

TEST(LanguageWith, ObjectStatements) {
  EXPECT_EQ(Outcome("With Err\n  .Number = 7\n  Result = .Number\nEnd With"), "Long 7");
  EXPECT_EQ(Outcome("On Error Resume Next\nWith Err\n  .Raise 11\n  Result = .Number & .Description\nEnd With"),
            "String 11Division by zero");
  EXPECT_EQ(Outcome("With 5\n  .Foo\nEnd With"), "error 424 at line 2");
}

TEST(LanguageComments, RemAndApostrophe) {
  EXPECT_EQ(Outcome("' a comment\nResult = 1 ' trailing\nRem another\nResult = Result + 1 : Rem after colon"), "Integer 2");
  EXPECT_EQ(Outcome("Result = 1 + _\n  2 + _\n  3"), "Integer 6");
}

}  // namespace
}  // namespace lumetrix::vbs::testing
