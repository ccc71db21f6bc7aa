// Script classes: fields, methods, properties, Me, New, default members, Initialize/Terminate.
#include "script_test_support.h"
#include "vbscript/object.h"

namespace lumetrix::vbs::testing {
namespace {

const char* kCounter =
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
    "End Class\n";

std::string WithCounter(const std::string& body) { return std::string(kCounter) + body; }

TEST(LanguageClasses, FieldsMethodsAndProperties) {
  EXPECT_EQ(Outcome(WithCounter("Set c = New Counter\nResult = c.Count")), "Integer 10");
  EXPECT_EQ(Outcome(WithCounter("Set c = New Counter\nc.Add 5\nResult = c.Twice()")), "Integer 30");
  EXPECT_EQ(Outcome(WithCounter("Set c = New Counter\nc.Count = 3\nc.Bump\nResult = c.Count")), "Integer 6");
  EXPECT_EQ(Outcome(WithCounter("Set c = New Counter\nc.Label = \"x\"\nResult = c.Label & TypeName(c)")), "String xCounter");
  EXPECT_EQ(Outcome(WithCounter("Set c = New COUNTER\nC.ADD 1\nResult = c.count")), "Integer 11");
}

TEST(LanguageClasses, InstancesAreSeparate) {
  EXPECT_EQ(Outcome(WithCounter("Set a = New Counter\nSet b = New Counter\na.Add 1\nResult = a.Count & \"/\" & b.Count")),
            "String 11/10");
  // Set shares one instance.
  EXPECT_EQ(Outcome(WithCounter("Set a = New Counter\nSet b = a\nb.Add 1\nResult = a.Count & (a Is b)")), "String 11True");
}

TEST(LanguageClasses, PrivateMembersAreHidden) {
  EXPECT_EQ(Outcome(WithCounter("Set c = New Counter\nx = c.mCount")), "error 438 at line 27");
  EXPECT_EQ(Outcome(WithCounter("Set c = New Counter\nc.Class_Initialize")), "error 438 at line 27");
  EXPECT_EQ(Outcome(WithCounter("Set c = New Counter\nc.Nope 1")), "error 438 at line 27");
}

TEST(LanguageClasses, ErrorsInsideMethods) {
  ScriptOutcome o = RunScript(WithCounter("Set c = New Counter\nc.Count = -1"));
  EXPECT_EQ(o.error.Number, 5);
  EXPECT_EQ(o.error.Description, "negative");
  EXPECT_EQ(o.error.Source, "Counter");
  EXPECT_EQ(o.error.Line, 17);
  EXPECT_EQ(Outcome(WithCounter("On Error Resume Next\nSet c = New Counter\nc.Count = -1\nResult = Err.Number & c.Count")),
            "String 510");
  EXPECT_EQ(Outcome(WithCounter("Set c = New Counter\nc.Add")), "error 450 at line 27");
}

TEST(LanguageClasses, DefaultMember) {
  const char* list =
      "Class List\n"
      "  Private items(3)\n"
      "  Public Default Property Get Item(i)\n"
      "    Item = items(i)\n"
      "  End Property\n"
      "  Public Property Let Item(i, v)\n"
      "    items(i) = v\n"
      "  End Property\n"
      "End Class\n";
  EXPECT_EQ(Outcome(std::string(list) + "Set l = New List\nl.Item(2) = \"two\"\nResult = l(2)"), "String two");
  EXPECT_EQ(Outcome(std::string(list) + "Set l = New List\nl(1) = 5\nResult = l.Item(1) + 1"), "Integer 6");
  EXPECT_EQ(Outcome(std::string(list) + "Set l = New List\nx = l(9)"), "error 9 at line 4");
  // Without a default member the object has no value.
  EXPECT_EQ(Outcome(WithCounter("Set c = New Counter\nx = c + 1")), "error 438 at line 27");
}

TEST(LanguageClasses, ObjectFieldsAndLinkedStructures) {
  const char* node =
      "Class Node\n"
      "  Public Value, NextNode\n"
      "End Class\n"
      "Set head = Nothing\n"
      "For i = 1 To 4\n"
      "  Set n = New Node\n"
      "  n.Value = i\n"
      "  Set n.NextNode = head\n"
      "  Set head = n\n"
      "Next\n"
      "Set p = head\n"
      "Do Until p Is Nothing\n"
      "  s = s & p.Value\n"
      "  Set p = p.NextNode\n"
      "Loop\n"
      "Result = s\n";
  EXPECT_EQ(Outcome(node), "String 4321");
}

TEST(LanguageClasses, RecursionAndArraysInMethods) {
  const char* math =
      "Class MathBox\n"
      "  Public Data()\n"
      "  Function Fact(n)\n"
      "    If n <= 1 Then Fact = 1 Else Fact = n * Fact(n - 1)\n"
      "  End Function\n"
      "  Sub Fill(n)\n"
      "    Dim i\n"
      "    ReDim Data(n)\n"
      "    For i = 0 To n\n"
      "      Data(i) = i * i\n"
      "    Next\n"
      "  End Sub\n"
      "End Class\n"
      "Set m = New MathBox\n";
  EXPECT_EQ(Outcome(std::string(math) + "Result = m.Fact(6)"), "Integer 720");
  EXPECT_EQ(Outcome(std::string(math) + "m.Fill 4\nResult = m.Data(3) & UBound(m.Data)"), "String 94");
}

TEST(LanguageClasses, MethodArgumentsByReferenceAndValue) {
  const char* cls =
      "Class Ops\n"
      "  Sub Inc(n)\n"
      "    n = n + 1\n"
      "  End Sub\n"
      "  Sub Keep(ByVal n)\n"
      "    n = 0\n"
      "  End Sub\n"
      "  Function IncTwice(n)\n"
      "    Inc n\n"
      "    Me.Inc n\n"
      "    IncTwice = n\n"
      "  End Function\n"
      "End Class\n"
      "Set o = New Ops\n";
  EXPECT_EQ(Outcome(std::string(cls) + "x = 1\no.Inc x\no.Keep x\nResult = x"), "Integer 2");
  EXPECT_EQ(Outcome(std::string(cls) + "Dim a(1)\na(1) = 5\no.Inc a(1)\nResult = a(1)"), "Integer 6");
  EXPECT_EQ(Outcome(std::string(cls) + "x = 1\nResult = o.IncTwice(x) & x"), "String 33");
}

TEST(LanguageClasses, PropertySetAndObjectValues) {
  const char* cls =
      "Class Holder\n"
      "  Private mChild\n"
      "  Public Property Set Child(c)\n"
      "    Set mChild = c\n"
      "  End Property\n"
      "  Public Property Get Child\n"
      "    Set Child = mChild\n"
      "  End Property\n"
      "End Class\n"
      "Set h = New Holder\n"
      "Set k = New Holder\n";
  EXPECT_EQ(Outcome(std::string(cls) + "Set h.Child = k\nResult = h.Child Is k"), "Boolean True");
  EXPECT_EQ(Outcome(std::string(cls) + "h.Child = 5"), "error 438 at line 12");
  EXPECT_EQ(Outcome(std::string(cls) + "Set h.Child = k\nSet h.Child.Child = h\nResult = k.Child Is h"), "Boolean True");
}

TEST(LanguageClasses, InitializeAndTerminate) {
  const char* tracked =
      "Dim Log\n"
      "Class Tracked\n"
      "  Public Name\n"
      "  Sub Class_Initialize\n"
      "    Log = Log & \"+\"\n"
      "  End Sub\n"
      "  Sub Class_Terminate\n"
      "    Log = Log & \"-\" & Name\n"
      "  End Sub\n"
      "End Class\n";
  EXPECT_EQ(Outcome(std::string(tracked) + "Set a = New Tracked\na.Name = \"a\"\nSet a = Nothing\nResult = Log"), "String +-a");
  // The last reference decides.
  EXPECT_EQ(Outcome(std::string(tracked) +
                    "Set a = New Tracked\na.Name = \"a\"\nSet b = a\nSet a = Nothing\nLog = Log & \"|\"\nSet b = Nothing\nResult = Log"),
            "String +|-a");
  // A local object goes when its procedure returns.
  EXPECT_EQ(Outcome(std::string(tracked) + "Sub Use\n  Dim t\n  Set t = New Tracked\n  t.Name = \"t\"\nEnd Sub\nUse\nResult = Log"),
            "String +-t");
  // Errors in Class_Terminate go nowhere.
  EXPECT_EQ(Outcome("Class Bad\n  Sub Class_Terminate\n    x = 1 / 0\n  End Sub\nEnd Class\nSet b = New Bad\nSet b = Nothing\nResult = 1"),
            "Integer 1");
}

TEST(LanguageClasses, CyclesAreFreedWithTheEngine) {
  // Two objects pointing at each other; the engine frees them at Reset (LeakSanitizer checks).
  ScriptControl sc;
  ASSERT_TRUE(sc.AddCode("Class Peer\n  Public Other\n  Dim big(1000)\nEnd Class\n"
                         "For i = 1 To 100\n  Set a = New Peer\n  Set b = New Peer\n  Set a.Other = b\n  Set b.Other = a\nNext\n"));
  sc.Reset();
  EXPECT_EQ(Describe(sc.Eval("1")), "Integer 1");
  EXPECT_EQ(Outcome("Class Huge\n  Dim a(100000000)\nEnd Class\nSet h = New Huge"), "error 7 at line 4");
}

TEST(LanguageClasses, ClassesOfLaterCode) {
  ScriptControl sc;
  ASSERT_TRUE(sc.AddCode("Function Make()\n  Set Make = New Later\nEnd Function\n"));
  ASSERT_TRUE(sc.AddCode("Class Later\n  Public V\n  Sub Class_Initialize\n    V = 3\n  End Sub\nEnd Class\n"));
  EXPECT_EQ(Describe(sc.Eval("Make().V")), "Integer 3");
  sc.Eval("New Missing");
  EXPECT_EQ(sc.Error().Number, 506);
}

TEST(LanguageClasses, ObjectsOutlivingAResetFailCleanly) {
  ScriptControl sc;
  ASSERT_TRUE(sc.AddCode("Class K\n  Public V\nEnd Class\nSet obj = New K\nobj.V = 1\n"));
  Variant kept = sc.Eval("obj");
  ASSERT_TRUE(kept.isObject());
  sc.Reset();
  Variant result;
  EXPECT_THROW(kept.obj()->invoke(0, InvokeKind::Get, nullptr, 0, result), ScriptError);
  kept.clear();
}

TEST(LanguageClasses, DeclarationErrors) {
  EXPECT_EQ(RunScript("Class A\n  Sub X\n  End Sub\n  Sub X\n  End Sub\nEnd Class").error.Number, 1041);
  EXPECT_EQ(RunScript("Class A\n  Sub Class_Initialize(a)\n  End Sub\nEnd Class").error.Number, 1053);
  EXPECT_EQ(RunScript("Class A\nEnd Class\nClass A\nEnd Class").error.Number, 1041);
  // A class name is not a variable.
  EXPECT_EQ(Outcome("Class A\nEnd Class\nA = 1"), "error 500 at line 3");
  EXPECT_EQ(Outcome("Class A\nEnd Class\nSet x = New A\nResult = TypeName(x)"), "String A");
}

}  // namespace
}  // namespace lumetrix::vbs::testing
