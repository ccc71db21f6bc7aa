// Script classes: fields, methods, properties, Me, New, default members, Initialize/Terminate.
#include "vbs_test_support.h"
#include "vbscript/object.h"

namespace lumetrix::vbs::testing {
namespace {

const std::string kCounter =
    "Class Counter\n"
    "  Private mCount\n"
    "  Public Label\n"
    "  Private Sub Class_Initialize\n"
    "    mCount = 10\n"
    "  End Sub\n"
    "  Public Sub Add(n)\n"
    "    mCount = mCount + n\n"
    "  End Sub\n"
    "  Public Function Twice()\n"
    "    Twice = mCount * 2\n"
    "  End Function\n"
    "  Public Property Get Count\n"
    "    Count = mCount\n"
    "  End Property\n"
    "  Public Property Let Count(v)\n"
    "    If v < 0 Then Err.Raise 5, \"Counter\", \"negative\"\n"
    "    mCount = v\n"
    "  End Property\n"
    "  Public Sub Bump\n"
    "    Add 1\n"
    "    Me.Add 1\n"
    "    Count = Count + 1\n"
    "  End Sub\n"
    "End Class\n"
    "Set c = New Counter\n";  // line 26

TEST(LanguageClasses, MembersInstancesAndPrivacy) {
  ExpectScripts({
      {kCounter + "Result = c.Count", "Integer 10"},
      {kCounter + "c.Add 5\nResult = c.Twice()", "Integer 30"},
      {kCounter + "c.Count = 3\nc.Bump\nResult = c.Count", "Integer 6"},
      {kCounter + "c.Label = \"x\"\nResult = c.Label & TypeName(c)", "String xCounter"},
      {kCounter + "Set d = New COUNTER\nD.ADD 1\nResult = d.count", "Integer 11"},
      {kCounter + "Set b = New Counter\nc.Add 1\nResult = c.Count & \"/\" & b.Count", "String 11/10"},
      {kCounter + "Set b = c\nb.Add 1\nResult = c.Count & (c Is b)", "String 11True"},  // Set shares one instance
      {kCounter + "x = c.mCount", "error 438 at line 27"},
      {kCounter + "c.Class_Initialize", "error 438 at line 27"},
      {kCounter + "c.Nope 1", "error 438 at line 27"},
      {kCounter + "c.Add", "error 450 at line 27"},
      {kCounter + "x = c + 1", "error 438 at line 27"},  // no default member: no value
      {kCounter + "On Error Resume Next\nc.Count = -1\nResult = Err.Number & c.Count", "String 510"},
  });
  // An error raised in a property tells the raiser's texts and its own line.
  ErrorInfo e = ErrorOf(kCounter + "c.Count = -1");
  EXPECT_EQ(Report(e), "5 at 17:19 negative");
  EXPECT_EQ(e.Source, "Counter");
}

TEST(LanguageClasses, DefaultMembersPropertySetAndObjectFields) {
  const std::string list =
      "Class List\n  Private items(3)\n  Public Default Property Get Item(i)\n    Item = items(i)\n  End Property\n"
      "  Public Property Let Item(i, v)\n    items(i) = v\n  End Property\nEnd Class\nSet l = New List\n";
  const std::string holder =
      "Class Holder\n  Private mChild\n  Public Property Set Child(c)\n    Set mChild = c\n  End Property\n"
      "  Public Property Get Child\n    Set Child = mChild\n  End Property\nEnd Class\nSet h = New Holder\n"
      "Set k = New Holder\n";
  ExpectScripts({
      {list + "l.Item(2) = \"two\"\nResult = l(2)", "String two"},
      {list + "l(1) = 5\nResult = l.Item(1) + 1", "Integer 6"},
      {list + "x = l(9)", "error 9 at line 4"},
      {"Class T\n  Public Default Function Text()\n    Text = \"t\"\n  End Function\nEnd Class\nSet o = New T\n"
       "Result = o & o()",
       "String tt"},
      {holder + "Set h.Child = k\nResult = h.Child Is k", "Boolean True"},
      {holder + "h.Child = 5", "error 438 at line 12"},
      {holder + "Set h.Child = k\nSet h.Child.Child = h\nResult = k.Child Is h", "Boolean True"},
      {"Class Node\n  Public Value, NextNode\nEnd Class\nSet head = Nothing\nFor i = 1 To 4\n  Set n = New Node\n"
       "  n.Value = i\n  Set n.NextNode = head\n  Set head = n\nNext\nSet p = head\nDo Until p Is Nothing\n"
       "  s = s & p.Value\n  Set p = p.NextNode\nLoop\nResult = s",
       "String 4321"},
      {"Class P\n  Public Q\n  Private m(2)\n  Dim z\nEnd Class\nSet o = New P\nSet o.Q = New P\nWith o\n  .Q.Q = 5\n"
       "  .Q.Q = .Q.Q + 1\n  Result = .Q.Q\nEnd With",
       "Integer 6"},
  });
}

TEST(LanguageClasses, MethodsRecurseUseArraysAndTakeReferences) {
  const std::string box =
      "Class Box\n  Public Data()\n  Function Fact(n)\n    If n <= 1 Then Fact = 1 Else Fact = n * Fact(n - 1)\n"
      "  End Function\n  Sub Fill(n)\n    Dim i\n    ReDim Data(n)\n    For i = 0 To n\n      Data(i) = i * i\n"
      "    Next\n  End Sub\n  Sub Inc(n)\n    n = n + 1\n  End Sub\n  Sub Keep(ByVal n)\n    n = 0\n  End Sub\n"
      "  Function IncTwice(n)\n    Inc n\n    Me.Inc n\n    IncTwice = n\n  End Function\nEnd Class\nSet o = New Box\n";
  ExpectScripts({
      {box + "Result = o.Fact(6)", "Integer 720"},
      {box + "o.Fill 4\nResult = o.Data(3) & UBound(o.Data)", "String 94"},
      {box + "x = 1\no.Inc x\no.Keep x\nResult = x", "Integer 2"},
      {box + "Dim a(1)\na(1) = 5\no.Inc a(1)\nResult = a(1)", "Integer 6"},
      {box + "x = 1\nResult = o.IncTwice(x) & x", "String 33"},
  });
}

TEST(LanguageClasses, InitializeAndTerminate) {
  const std::string tracked =
      "Dim Log\nClass Tracked\n  Public Name\n  Sub Class_Initialize\n    Log = Log & \"+\"\n  End Sub\n"
      "  Sub Class_Terminate\n    Log = Log & \"-\" & Name\n  End Sub\nEnd Class\n";
  ExpectScripts({
      {tracked + "Set a = New Tracked\na.Name = \"a\"\nSet a = Nothing\nResult = Log", "String +-a"},
      // The last reference decides; a local object goes when its procedure returns.
      {tracked + "Set a = New Tracked\na.Name = \"a\"\nSet b = a\nSet a = Nothing\nLog = Log & \"|\"\nSet b = Nothing\n"
                 "Result = Log",
       "String +|-a"},
      {tracked + "Sub Use\n  Dim t\n  Set t = New Tracked\n  t.Name = \"t\"\nEnd Sub\nUse\nResult = Log", "String +-t"},
      // Errors in Class_Terminate go nowhere.
      {"Class Bad\n  Sub Class_Terminate\n    x = 1 / 0\n  End Sub\nEnd Class\nSet b = New Bad\nSet b = Nothing\nResult = 1",
       "Integer 1"},
  });
}

TEST(LanguageClasses, DeclarationErrors) {
  ExpectScripts({
      {"Class A\n  Sub X\n  End Sub\n  Sub X\n  End Sub\nEnd Class", "error 1041 at line 4"},
      {"Class A\n  Sub Class_Initialize(a)\n  End Sub\nEnd Class", "error 1053 at line 2"},
      {"Class A\nEnd Class\nClass A\nEnd Class", "error 1041 at line 3"},
      {"Class A\nEnd Class\nA = 1", "error 500 at line 3"},  // a class name is not a variable
      {"Class A\nEnd Class\nSet x = New A\nResult = TypeName(x)", "String A"},
  });
}

TEST(LanguageClasses, EngineLifetimes) {
  // Classes of later code; cycles freed at Reset (LeakSanitizer checks); objects outliving a
  // Reset fail cleanly.
  Engine sc;
  ASSERT_TRUE(sc.AddCode("Function Make()\n  Set Make = New Later\nEnd Function\n"));
  ASSERT_TRUE(sc.AddCode("Class Later\n  Public V\n  Sub Class_Initialize\n    V = 3\n  End Sub\nEnd Class\n"));
  EXPECT_EQ(EvalIn(sc, "Make().V"), "Integer 3");
  EXPECT_EQ(EvalIn(sc, "New Missing"), "error 506");
  ASSERT_TRUE(sc.AddCode("Class Peer\n  Public Other\n  Dim big(1000)\nEnd Class\n"
                         "For i = 1 To 100\n  Set a = New Peer\n  Set b = New Peer\n  Set a.Other = b\n  Set b.Other = a\nNext\n"
                         "Set obj = New Later\n"));
  Variant kept = sc.Eval("obj");
  ASSERT_TRUE(kept.isObject());
  sc.Reset();
  EXPECT_EQ(EvalIn(sc, "1"), "Integer 1");
  Variant result;
  EXPECT_THROW(kept.obj()->invoke(0, InvokeKind::Get, nullptr, 0, result), ScriptError);
  kept.clear();
}

}  // namespace
}  // namespace lumetrix::vbs::testing
