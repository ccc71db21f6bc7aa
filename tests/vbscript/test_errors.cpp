// Run-time errors: numbers, texts, positions, and trapping with On Error and the Err object.
#include "script_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(Errors, RuntimeNumbersAndTexts) {
  struct Case {
    const char* source;
    int32_t number;
    const char* description;
  };
  const Case cases[] = {
      {"x = \"a\" * 2", 13, "Type mismatch"},
      {"x = 1 / 0", 11, "Division by zero"},
      {"Dim a(1)\nx = a(2)", 9, "Subscript out of range"},
      {"x = CInt(40000)", 6, "Overflow"},
      {"Option Explicit\nx = 1", 500, "Variable is undefined: 'x'"},
      {"Sub S(a)\nEnd Sub\nS", 450, "Wrong number of arguments or invalid property assignment: 'S'"},
      {"x = Err.NoSuchMember", 438, "Object doesn't support this property or method: 'NoSuchMember'"},
      {"x = 5\nx.Foo", 424, "Object required: 'Foo'"},
      {"Set o = Nothing\no.Foo", 91, "Object variable not set"},
      {"x = Null + CInt(Null)", 94, "Invalid use of Null"},
      {"Dim a(1)\nReDim a(3)", 10, "This array is fixed or temporarily locked"},
  };
  for (const Case& c : cases) {
    ScriptOutcome o = RunScript(c.source);
    EXPECT_EQ(o.error.Number, c.number) << c.source;
    // Built-ins may add their name (": 'CInt'") as VBScript does.
    EXPECT_EQ(o.error.Description.rfind(c.description, 0), 0u) << c.source << ": " << o.error.Description;
    EXPECT_EQ(o.error.Source, "Microsoft VBScript runtime error") << c.source;
  }
}

TEST(Errors, PositionIsTheFailingStatement) {
  ScriptOutcome o = RunScript("x = 1\n\n   y = x / 0\nz = 2");
  EXPECT_EQ(o.error.Number, 11);
  EXPECT_EQ(o.error.Line, 3);
  EXPECT_EQ(o.error.Column, 4);
  EXPECT_EQ(o.error.Text, "   y = x / 0");
  // The second statement on a line.
  o = RunScript("a = 1 : b = a \\ 0");
  EXPECT_EQ(o.error.Line, 1);
  EXPECT_EQ(o.error.Column, 9);
  // Inside a procedure: where it failed, not where it was called.
  o = RunScript("Sub A\n  B\nEnd Sub\nSub B\n    z = Array(1)(5)\nEnd Sub\nA\n");
  EXPECT_EQ(o.error.Number, 9);
  EXPECT_EQ(o.error.Line, 5);
  EXPECT_EQ(o.error.Column, 5);
  EXPECT_EQ(o.error.Text, "    z = Array(1)(5)");
  // A loop header and an ElseIf condition.
  o = RunScript("For i = 1 To \"many\"\nNext");
  EXPECT_EQ(o.error.Line, 1);
  o = RunScript("x = 1\nIf x = 2 Then\nElseIf x / 0 Then\nEnd If");
  EXPECT_EQ(o.error.Line, 3);
  // Windows line ends count as one.
  o = RunScript("x = 1\r\ny = 1 / 0\r\n");
  EXPECT_EQ(o.error.Line, 2);
  EXPECT_EQ(o.error.Text, "y = 1 / 0");
}

TEST(Errors, OnErrorResumeNextContinuesAfterTheStatement) {
  EXPECT_EQ(Outcome("On Error Resume Next\nx = 1 / 0\nResult = \"went on \" & Err.Number"), "String went on 11");
  // The failing statement is left entirely: its assignment does not happen.
  EXPECT_EQ(Outcome("On Error Resume Next\nx = 5\nx = 1 / 0\nResult = x"), "Integer 5");
  // Several errors in a row: Err holds the last.
  EXPECT_EQ(Outcome("On Error Resume Next\nx = 1 / 0\ny = \"a\" * 1\nResult = Err.Number"), "Long 13");
  // A failing If condition skips the whole If statement's header.
  EXPECT_EQ(Outcome("On Error Resume Next\nIf 1 / 0 Then\n  r = \"then\"\nEnd If\nResult = Err.Number"), "Long 11");
  // A loop whose header fails is skipped.
  EXPECT_EQ(Outcome("On Error Resume Next\nFor i = 1 To \"x\"\n  n = n + 1\nNext\nResult = IsEmpty(n) & Err.Number"),
            "String True13");
  EXPECT_EQ(Outcome("On Error Resume Next\nFor Each v In 42\n  n = n + 1\nNext\nResult = IsEmpty(n) & Err.Number"),
            "String True451");
  // In a loop.
  EXPECT_EQ(Outcome("On Error Resume Next\nFor i = -2 To 2\n  s = s & (10 \\ i) & \",\"\nNext\nResult = s"), "String -5,-10,10,5,");
}

TEST(Errors, OnErrorGoToZeroStopsTrapping) {
  EXPECT_EQ(Outcome("On Error Resume Next\nx = 1 / 0\nOn Error GoTo 0\ny = 1 / 0\nResult = 1"), "error 11 at line 4");
  // On Error statements clear Err.
  EXPECT_EQ(Outcome("On Error Resume Next\nx = 1 / 0\nOn Error GoTo 0\nResult = Err.Number"), "Long 0");
}

TEST(Errors, ErrorsPropagateToTheCallersHandler) {
  const char* source =
      "On Error Resume Next\n"
      "Sub Inner\n"
      "  x = 1 / 0\n"
      "  Log = Log & \"inner went on;\"\n"
      "End Sub\n"
      "Dim Log\n"
      "Inner\n"
      "Log = Log & \"caller went on \" & Err.Number\n"
      "Result = Log\n";
  EXPECT_EQ(Outcome(source), "String caller went on 11");
  // A procedure's own handler keeps the error inside it.
  EXPECT_EQ(Outcome("Function Safe()\n  On Error Resume Next\n  Safe = 1 / 0\n  Safe = \"handled \" & Err.Number\nEnd Function\n"
                    "Result = Safe()"),
            "String handled 11");
  // A handler in a procedure does not cover its caller.
  EXPECT_EQ(Outcome("Sub WithHandler\n  On Error Resume Next\nEnd Sub\nWithHandler\nx = 1 / 0"), "error 11 at line 5");
  // Untrapped errors in nested calls end the run.
  EXPECT_EQ(Outcome("Sub A\n  B\nEnd Sub\nSub B\n  x = CLng(\"z\")\nEnd Sub\nA\nResult = 1"), "error 13 at line 5");
}

TEST(Errors, ErrObject) {
  EXPECT_EQ(Outcome("Result = Err.Number & \"|\" & Err.Description & \"|\" & Err.Source"), "String 0||");
  EXPECT_EQ(Outcome("On Error Resume Next\nx = 1 / 0\nResult = Err.Source"), "String Microsoft VBScript runtime error");
  EXPECT_EQ(Outcome("On Error Resume Next\nx = 1 / 0\nErr.Clear\nResult = Err.Number & Err.Description"), "String 0");
  // Err alone is its Number.
  EXPECT_EQ(Outcome("On Error Resume Next\nx = 1 / 0\nIf Err Then Result = \"set \" & Err"), "String set 11");
  EXPECT_EQ(Outcome("On Error Resume Next\nErr.Raise 5\nResult = Err.Number & \" \" & Err.Description"),
            "String 5 Invalid procedure call or argument");
  EXPECT_EQ(Outcome("On Error Resume Next\nErr.Raise 1234, \"Mine\", \"My words\"\nResult = Err.Number & Err.Source & Err.Description"),
            "String 1234MineMy words");
  EXPECT_EQ(Outcome("On Error Resume Next\nErr.Raise vbObjectError + 7\nResult = Err.Number - vbObjectError"), "Long 7");
  EXPECT_EQ(Outcome("Err.Number = 3\nErr.Description = \"d\"\nResult = Err.Number & Err.Description"), "String 3d");
  EXPECT_EQ(Outcome("Err.Raise 0"), "error 5 at line 1");
}

TEST(Errors, UntrappedRaiseReportsTheRaisersTexts) {
  ScriptOutcome o = RunScript("x = 1\nErr.Raise 1001 + vbObjectError, \"Animator\", \"Frame out of range\"");
  EXPECT_EQ(o.error.Number, static_cast<int32_t>(0x80040000u + 1001u));
  EXPECT_EQ(o.error.Description, "Frame out of range");
  EXPECT_EQ(o.error.Source, "Animator");
  EXPECT_EQ(o.error.Line, 2);
  o = RunScript("Err.Raise 11");
  EXPECT_EQ(o.error.Description, "Division by zero");
  EXPECT_EQ(o.error.Source, "Microsoft VBScript runtime error");
}

TEST(Errors, SyntaxErrorsHaveTokenPositionAndText) {
  ScriptControl sc;
  EXPECT_FALSE(sc.AddCode("x = 1\ny = (2 + \nz = 3"));
  EXPECT_EQ(sc.Error().Number, 1023);
  EXPECT_EQ(sc.Error().Description, "Expected expression");
  EXPECT_EQ(sc.Error().Source, "Microsoft VBScript compilation error");
  EXPECT_EQ(sc.Error().Line, 2);
  EXPECT_EQ(sc.Error().Column, 10);
  EXPECT_EQ(sc.Error().Text, "y = (2 + ");

  EXPECT_FALSE(sc.AddCode("If x Then\n  y = 1\n"));
  EXPECT_EQ(sc.Error().Number, 1014);  // Expected 'End'
  EXPECT_FALSE(sc.AddCode("x = = 2"));
  EXPECT_EQ(sc.Error().Number, 1023);
  EXPECT_FALSE(sc.AddCode("For i = 1 To 3\n  x = 1\n"));
  EXPECT_EQ(sc.Error().Number, 1020);  // Expected 'Next'
  EXPECT_FALSE(sc.AddCode("x = \"unterminated"));
  EXPECT_EQ(sc.Error().Number, 1033);
  EXPECT_FALSE(sc.AddCode("Sub S\nEnd Sub\nSub S\nEnd Sub"));
  EXPECT_EQ(sc.Error().Number, 1041);  // Name redefined
  // Nothing of a failed chunk runs.
  ASSERT_TRUE(sc.AddCode("Dim ran\nran = 0"));
  EXPECT_FALSE(sc.AddCode("ran = 1\nx = )"));
  EXPECT_EQ(Describe(sc.Eval("ran")), "Integer 0");
}

}  // namespace
}  // namespace lumetrix::vbs::testing
