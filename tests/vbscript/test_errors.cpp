// Run-time errors: numbers, texts, positions, and trapping with On Error and the Err object.
#include "vbs_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(Errors, NumbersTextsAndPositions) {
  ExpectReports({
      {"x = \"a\" * 2", "13 at 1:1 Type mismatch"},
      {"x = 1 / 0", "11 at 1:1 Division by zero"},
      {"Dim a(1)\nx = a(2)", "9 at 2:1 Subscript out of range"},
      {"Option Explicit\nx = 1", "500 at 2:1 Variable is undefined: 'x'"},
      {"Option Explicit\nFor i = 1 To 2\nNext", "500 at 2:5 Variable is undefined: 'i'"},  // at the name
      {"Option Explicit\nFor Each v In Array(1)\nNext", "500 at 2:10 Variable is undefined: 'v'"},
      {"Sub S(a)\nEnd Sub\nS", "450 at 3:1 Wrong number of arguments or invalid property assignment: 'S'"},
      {"x = Err.NoSuchMember", "438 at 1:1 Object doesn't support this property or method: 'NoSuchMember'"},
      {"x = 5\nx.Foo", "424 at 2:1 Object required: 'Foo'"},
      {"Set o = Nothing\no.Foo", "91 at 2:1 Object variable not set"},
      {"x = Null + CInt(Null)", "94 at 1:1 Invalid use of Null: 'CInt'"},
      {"Dim a(1)\nReDim a(3)", "10 at 2:7 This array is fixed or temporarily locked"},  // at the name,
      // Errors raised inside a built-in name it, as in VBScript; specific texts stay as they are.
      {"x = CInt(40000)", "6 at 1:1 Overflow: 'CInt'"},
      {"x = CInt(\"abc\")", "13 at 1:1 Type mismatch: 'CInt'"},
      {"x = Replace(Null, \"a\", \"b\")", "94 at 1:1 Invalid use of Null: 'Replace'"},
      {"x = Mid(\"abc\", 0)", "5 at 1:1 Invalid procedure call or argument: 'Mid'"},
      {"x = UBound(Array(), 2)", "9 at 1:1 Subscript out of range: 'UBound'"},
      {"x = Space(2147483647)", "7 at 1:1 Out of memory: 'Space'"},
      {"Set o = CreateObject(\"A.B\")", "429 at 1:1 ActiveX component can't create object: 'A.B'"},
      {"NoSuchSub 1", "13 at 1:1 Type mismatch: 'NoSuchSub'"},
      // The failing statement: the second on a line, in a procedure (not its caller), a loop
      // header; Windows line ends count as one.
      {"x = 1\n\n   y = x / 0\nz = 2", "11 at 3:4 Division by zero"},
      {"a = 1 : b = a \\ 0", "11 at 1:9 Division by zero"},
      {"Sub A\n  B\nEnd Sub\nSub B\n    z = Array(1)(5)\nEnd Sub\nA\n", "9 at 5:5 Subscript out of range"},
      {"For i = 1 To \"many\"\nNext", "13 at 1:1 Type mismatch"},
      {"x = 1\r\ny = 1 / 0\r\n", "11 at 2:1 Division by zero"},
  });
  for (const char* source : {"x = 1 / 0", "Err.Raise 11"}) EXPECT_EQ(ErrorOf(source).Source, "Microsoft VBScript runtime error");
  EXPECT_EQ(ErrorOf("x = 1\n\n   y = x / 0\nz = 2").Text, "   y = x / 0");
  EXPECT_EQ(ErrorOf("Sub A\n  B\nEnd Sub\nSub B\n    z = Array(1)(5)\nEnd Sub\nA\n").Text, "    z = Array(1)(5)");
  EXPECT_EQ(ErrorOf("x = 1\r\ny = 1 / 0\r\n").Text, "y = 1 / 0");
}

TEST(Errors, OnErrorResumeNextLeavesTheFailingStatement) {
  ExpectScripts({
      {"On Error Resume Next\nx = 1 / 0\nResult = \"went on \" & Err.Number", "String went on 11"},
      // The failing assignment does not happen; Err holds the last error.
      {"On Error Resume Next\nx = 5\nx = 1 / 0\nResult = x", "Integer 5"},
      {"On Error Resume Next\nx = 1 / 0\ny = \"a\" * 1\nResult = Err.Number", "Long 13"},
      // A failing If or loop header skips the whole statement.
      {"On Error Resume Next\nIf 1 / 0 Then\n  r = \"then\"\nEnd If\nResult = Err.Number", "Long 11"},
      {"On Error Resume Next\nFor i = 1 To \"x\"\n  n = n + 1\nNext\nResult = IsEmpty(n) & Err.Number", "String True13"},
      {"On Error Resume Next\nFor Each v In 42\n  n = n + 1\nNext\nResult = IsEmpty(n) & Err.Number", "String True451"},
      {"x = 1\nIf x = 2 Then\nElseIf x / 0 Then\nEnd If", "error 11 at line 3"},
      {"On Error Resume Next\nFor i = -2 To 2\n  s = s & (10 \\ i) & \",\"\nNext\nResult = s", "String -5,-10,10,5,"},
      // On Error GoTo 0 stops trapping; On Error statements clear Err.
      {"On Error Resume Next\nx = 1 / 0\nOn Error GoTo 0\ny = 1 / 0\nResult = 1", "error 11 at line 4"},
      {"On Error Resume Next\nx = 1 / 0\nOn Error GoTo 0\nResult = Err.Number", "Long 0"},
      // An error goes to the caller's handler; a procedure's own handler keeps it inside and
      // does not cover its caller.
      {"On Error Resume Next\nSub Inner\n  x = 1 / 0\n  Log = Log & \"inner went on;\"\nEnd Sub\nDim Log\nInner\n"
       "Result = Log & \"caller went on \" & Err.Number",
       "String caller went on 11"},
      {"Function Safe()\n  On Error Resume Next\n  Safe = 1 / 0\n  Safe = \"handled \" & Err.Number\nEnd Function\n"
       "Result = Safe()",
       "String handled 11"},
      {"Sub WithHandler\n  On Error Resume Next\nEnd Sub\nWithHandler\nx = 1 / 0", "error 11 at line 5"},
      {"Sub A\n  B\nEnd Sub\nSub B\n  x = CLng(\"z\")\nEnd Sub\nA\nResult = 1", "error 13 at line 5"},
  });
}

TEST(Errors, ErrObjectRaisesAndClears) {
  ExpectScripts({
      {"Result = Err.Number & \"|\" & Err.Description & \"|\" & Err.Source", "String 0||"},
      {"On Error Resume Next\nx = 1 / 0\nResult = Err.Source", "String Microsoft VBScript runtime error"},
      {"On Error Resume Next\nx = 1 / 0\nErr.Clear\nResult = Err.Number & Err.Description", "String 0"},
      {"On Error Resume Next\nx = 1 / 0\nIf Err Then Result = \"set \" & Err", "String set 11"},  // Err is its Number
      {"On Error Resume Next\nErr.Raise 5\nResult = Err.Number & \" \" & Err.Description",
       "String 5 Invalid procedure call or argument"},
      {"On Error Resume Next\nErr.Raise 1234, \"Mine\", \"My words\"\nResult = Err.Number & Err.Source & Err.Description",
       "String 1234MineMy words"},
      {"On Error Resume Next\nErr.Raise vbObjectError + 7\nResult = Err.Number - vbObjectError", "Long 7"},
      {"Err.Number = 3\nErr.Description = \"d\"\nResult = Err.Number & Err.Description", "String 3d"},
      {"Err.Raise 0", "error 5 at line 1"},
      {"On Error Resume Next\nx = Sqr(-1)\nResult = Err.Number & \" \" & Err.Description",
       "String 5 Invalid procedure call or argument"},  // the name stays on the host's error line
      // Help file and context stay; a later Raise keeps what it leaves out; HRESULTs map.
      {"On Error Resume Next\nErr.Raise 9, , , \"h.chm\", 42\nResult = Err.HelpFile & Err.HelpContext", "String h.chm42"},
      {"On Error Resume Next\nErr.Raise 5, \"S\", \"D\"\nErr.Raise 6\nResult = Err.Number & Err.Source & Err.Description",
       "String 6SD"},
      {"On Error Resume Next\nx = 1 / 0\nErr.Clear\nErr.Raise 6\nResult = Err.Description", "String Overflow"},
      {"On Error Resume Next\nErr.Raise &h8007000E&\nResult = Err.Number", "Long 7"},
      {"On Error Resume Next\nErr.Raise &h800A0035&\nResult = Err.Number", "Long 53"},
  });
  // Untrapped, a raised error reports the raiser's texts.
  ErrorInfo e = ErrorOf("x = 1\nErr.Raise 1001 + vbObjectError, \"Animator\", \"Frame out of range\"");
  EXPECT_EQ(Report(e), std::to_string(static_cast<int32_t>(0x80040000u + 1001u)) + " at 2:1 Frame out of range");
  EXPECT_EQ(e.Source, "Animator");
  EXPECT_EQ(ErrorOf("Err.Raise 11").Description, "Division by zero");
}

}  // namespace
}  // namespace lumetrix::vbs::testing
