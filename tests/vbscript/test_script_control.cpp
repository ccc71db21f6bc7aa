// ScriptControl as a host program uses it: host objects, Run, Eval, Reset, errors, dialogs.
#include <stdexcept>

#include "script_test_support.h"
#include "vbscript/host_object.h"

namespace lumetrix::vbs::testing {
namespace {

// A host object that records what scripts do with it.
class Drawing : public HostObject {
 public:
  enum { kSpin, kZoom, kValue, kFail, kSum, kStop, kEcho, kCrash, kCount };
  explicit Drawing(ScriptControl* sc = nullptr) : sc_(sc) {}

  std::vector<std::string> MemberNames() const override {
    return {"Spin", "Zoom", "Value", "Fail", "Sum", "Stop", "Echo", "Crash", "Count"};
  }
  Variant Invoke(int member, std::span<const Variant> args) override {
    switch (member) {
      case kSpin:
        if (args.size() != 1) throw ScriptError(err::WrongArgCount);
        log += "Spin " + ToString(args[0]) + ";";
        return Variant();
      case kZoom: return Variant(2.5);
      case kValue: return Variant(value);
      case kFail: throw ScriptError(err::InvalidCall, "Angle out of range");
      case kSum: {
        double total = 0;
        int missing = 0;
        for (const Variant& a : args) {
          if (a.type() == VarType::Error) ++missing;
          else total += ToDouble(a);
        }
        return Variant(ustring(FromAscii(std::to_string(static_cast<int>(total)) + "/" + std::to_string(missing))));
      }
      case kStop:
        ++calls;
        if (sc_ && calls >= 3) sc_->RequestInterrupt();
        return Variant();
      case kEcho: {
        std::string s;
        for (const Variant& a : args) s += TypeNameOf(a) + (a.isRef() ? "(ref)" : "") + ",";
        return Variant(s);
      }
      case kCrash: throw std::runtime_error("disk on fire");
      case kCount: return Variant(static_cast<int32_t>(++calls));
    }
    return Variant();
  }
  void Assign(int member, std::span<const Variant> args, const Variant& v) override {
    if (member != kValue || !args.empty()) {
      HostObject::Assign(member, args, v);
      return;
    }
    value = ToDouble(v);
  }
  std::string TypeName() const override { return "Drawing"; }

  std::string log;
  double value = 0;
  int calls = 0;

 private:
  ScriptControl* sc_;
};

struct Fixture : ::testing::Test {
  ScriptControl sc;
  std::shared_ptr<Drawing> draw = std::make_shared<Drawing>(&sc);
  void SetUp() override { sc.AddObject("Draw", draw, true); }
  std::string eval(const std::string& e) {
    Variant v = sc.Eval(e);
    if (sc.Error().Number) return "error " + std::to_string(sc.Error().Number);
    return Describe(v);
  }
};

using HostObjects = Fixture;

TEST_F(HostObjects, BareAndQualifiedCalls) {
  ASSERT_TRUE(sc.AddCode("Spin 10\nDraw.Spin 20\nCall Draw.Spin(30)\nCall Spin(40)\nDraw.Spin(50)\n"));
  EXPECT_EQ(draw->log, "Spin 10;Spin 20;Spin 30;Spin 40;Spin 50;");
}

TEST_F(HostObjects, NamesIgnoreCase) {
  ASSERT_TRUE(sc.AddCode("SPIN 1\ndraw.spin 2\nDRAW.sPiN 3\n"));
  EXPECT_EQ(draw->log, "Spin 1;Spin 2;Spin 3;");
}

TEST_F(HostObjects, ReturnValuesAndProperties) {
  EXPECT_EQ(eval("Draw.Zoom * 2"), "Double 5");
  EXPECT_EQ(eval("Zoom() + 1"), "Double 3.5");
  EXPECT_EQ(eval("Zoom"), "Double 2.5");
  ASSERT_TRUE(sc.AddCode("Draw.Value = 4.5\n"));
  EXPECT_EQ(draw->value, 4.5);
  ASSERT_TRUE(sc.AddCode("Value = 7\n"));
  EXPECT_EQ(draw->value, 7);
  EXPECT_EQ(eval("Draw.Value"), "Double 7");
  // Assigning a member that cannot be assigned.
  EXPECT_FALSE(sc.AddCode("Draw.Zoom = 1"));
  EXPECT_EQ(sc.Error().Number, 438);
}

TEST_F(HostObjects, ObjectReferencesInVariables) {
  ASSERT_TRUE(sc.AddCode("Dim d\nSet d = Draw\nd.Spin 7\nd.SPIN 8\nr = TypeName(d) & IsObject(d) & (d Is Draw)\n"));
  EXPECT_EQ(draw->log, "Spin 7;Spin 8;");
  EXPECT_EQ(eval("r"), "String DrawingTrueTrue");
  // Passed to a procedure and used there.
  ASSERT_TRUE(sc.AddCode("Sub Turn(obj, n)\n  obj.Spin n\nEnd Sub\nTurn Draw, 9\nTurn d, 10\n"));
  EXPECT_EQ(draw->log, "Spin 7;Spin 8;Spin 9;Spin 10;");
  ASSERT_TRUE(sc.AddCode("With Draw\n  .Spin 11\n  .Value = 3\nEnd With\n"));
  EXPECT_EQ(draw->log, "Spin 7;Spin 8;Spin 9;Spin 10;Spin 11;");
  EXPECT_EQ(draw->value, 3);
}

TEST_F(HostObjects, ArgumentsArriveAsPlainValues) {
  EXPECT_EQ(eval("Draw.Sum(1, , 3)"), "String 4/1");
  EXPECT_EQ(eval("Sum(1, 2, 3)"), "String 6/0");
  ASSERT_TRUE(sc.AddCode("x = 5\nr = Draw.Echo(x, \"s\", Array(1))\n"));
  EXPECT_EQ(eval("r"), "String Integer,String,Variant(),");
  ASSERT_TRUE(sc.AddCode("Sub Pass(v)\n  r2 = Draw.Echo(v)\nEnd Sub\nDim r2\nPass 3.5\n"));
  EXPECT_EQ(eval("r2"), "String Double,");
  // Through a variable holding the object, too.
  ASSERT_TRUE(sc.AddCode("Set d = Draw\ny = 2\nDim arr(1)\nr3 = d.Echo(y, arr(0))\n"));
  EXPECT_EQ(eval("r3"), "String Integer,Empty,");
}

TEST_F(HostObjects, UnknownMembers) {
  EXPECT_FALSE(sc.AddCode("Draw.Explode 1"));
  EXPECT_EQ(sc.Error().Number, 438);
  EXPECT_EQ(sc.Error().Line, 1);
  EXPECT_FALSE(sc.AddCode("Set d = Draw\nx = d.Nope"));
  EXPECT_EQ(sc.Error().Number, 438);
  EXPECT_EQ(sc.Error().Line, 2);
  EXPECT_FALSE(sc.AddCode("x = Draw"));  // no default value
  EXPECT_EQ(sc.Error().Number, 438);
}

TEST_F(HostObjects, HostErrorsAreScriptErrors) {
  EXPECT_FALSE(sc.AddCode("x = 1\nDraw.Fail\n"));
  EXPECT_EQ(sc.Error().Number, 5);
  EXPECT_EQ(sc.Error().Description, "Angle out of range");
  EXPECT_EQ(sc.Error().Line, 2);
  EXPECT_EQ(sc.Error().Text, "Draw.Fail");
  ASSERT_TRUE(sc.AddCode("On Error Resume Next\nDraw.Fail\nr = Err.Number & \" \" & Err.Description\n"));
  EXPECT_EQ(eval("r"), "String 5 Angle out of range");
  // Wrong argument count reported by the host.
  EXPECT_FALSE(sc.AddCode("Spin 1, 2"));
  EXPECT_EQ(sc.Error().Number, 450);
  // Other C++ exceptions do not escape the engine.
  EXPECT_FALSE(sc.AddCode("Draw.Crash"));
  EXPECT_NE(sc.Error().Number, 0);
  EXPECT_NE(sc.Error().Description.find("disk on fire"), std::string::npos);
}

TEST_F(HostObjects, WithoutAddMembersOnlyQualifiedCalls) {
  auto other = std::make_shared<Drawing>();
  sc.AddObject("Scene", other, false);
  ASSERT_TRUE(sc.AddCode("Scene.Spin 1\n"));
  EXPECT_EQ(other->log, "Spin 1;");
  // `Spin` still means Draw's member (added with its members).
  ASSERT_TRUE(sc.AddCode("Spin 2\n"));
  EXPECT_EQ(draw->log, "Spin 2;");
  EXPECT_EQ(other->log, "Spin 1;");
}

TEST(ScriptControlObjects, AddObjectRefusesBadNames) {
  ScriptControl sc;
  auto d = std::make_shared<Drawing>();
  EXPECT_THROW(sc.AddObject("", d, false), std::invalid_argument);
  EXPECT_THROW(sc.AddObject("1abc", d, false), std::invalid_argument);
  EXPECT_THROW(sc.AddObject("two words", d, false), std::invalid_argument);
  EXPECT_THROW(sc.AddObject("Dim", d, false), std::invalid_argument);
  EXPECT_THROW(sc.AddObject("Draw", nullptr, false), std::invalid_argument);
  sc.AddObject("Draw", d, false);
  EXPECT_THROW(sc.AddObject("draw", d, false), std::invalid_argument);
  ASSERT_TRUE(sc.AddCode("Sub Animate\nEnd Sub"));
  EXPECT_THROW(sc.AddObject("Animate", d, false), std::invalid_argument);
}

TEST(ScriptControlRun, ProceduresWithArgumentsAndResults) {
  ScriptControl sc;
  ASSERT_TRUE(sc.AddCode("Function Add(a, b)\n  Add = a + b\nEnd Function\nSub Bump(n)\n  n = n + 1\n  count = count + 1\nEnd Sub\n"
                         "Dim count\n"));
  EXPECT_EQ(Describe(sc.Run("Add", {Variant(int16_t(2)), Variant(int16_t(3))})), "Integer 5");
  EXPECT_EQ(Describe(sc.Run("add", {Variant("a"), Variant("b")})), "String ab");
  EXPECT_EQ(Describe(sc.Run("Bump", {Variant(int16_t(1))})), "Empty");
  EXPECT_EQ(sc.Error().Number, 0);
  EXPECT_EQ(Describe(sc.Eval("count")), "Integer 1");

  sc.Run("Add", {Variant(int16_t(1))});
  EXPECT_EQ(sc.Error().Number, 450);
  sc.Run("NoSuchProcedure");
  EXPECT_EQ(sc.Error().Number, 35);
  // A successful call clears the previous error.
  sc.Run("Bump", {Variant(int16_t(1))});
  EXPECT_EQ(sc.Error().Number, 0);
  // Run errors carry the position inside the procedure.
  ASSERT_TRUE(sc.AddCode("Sub Broken()\n  x = 1\n  x = x / 0\nEnd Sub\n"));
  EXPECT_TRUE(sc.Run("Broken").isEmpty());
  EXPECT_EQ(sc.Error().Number, 11);
  EXPECT_EQ(sc.Error().Line, 3);
  EXPECT_EQ(sc.Error().Column, 3);
  EXPECT_EQ(sc.Error().Text, "  x = x / 0");
  sc.ClearError();
  EXPECT_EQ(sc.Error().Number, 0);
}

TEST(ScriptControlRun, ErrorsInLaterChunksQuoteTheirOwnLines) {
  ScriptControl sc;
  ASSERT_TRUE(sc.AddCode("a = 1\nb = 2\nc = 3\n"));
  EXPECT_FALSE(sc.AddCode("x = 1\ny = Undefined1(2)\n"));
  EXPECT_EQ(sc.Error().Line, 2);
  EXPECT_EQ(sc.Error().Text, "y = Undefined1(2)");
  // The chunk failed at run time, but what it defined stays usable.
  EXPECT_FALSE(sc.AddCode("Function Kept()\n  Kept = 42\nEnd Function\nx = 1 / 0\n"));
  EXPECT_EQ(Describe(sc.Run("Kept")), "Integer 42");
  EXPECT_EQ(Describe(sc.Eval("a + b + c")), "Integer 6");
}

TEST(ScriptControlEval, Expressions) {
  ScriptControl sc;
  ASSERT_TRUE(sc.AddCode("Dim g\ng = 10\nFunction Sq(x)\n  Sq = x * x\nEnd Function\n"));
  EXPECT_EQ(Describe(sc.Eval("g + Sq(3)")), "Integer 19");
  EXPECT_EQ(Describe(sc.Eval("1+2")), "Integer 3");
  EXPECT_EQ(Describe(sc.Eval("\"a\" & g")), "String a10");
  sc.Eval("g / 0");
  EXPECT_EQ(sc.Error().Number, 11);
  sc.Eval("1 +");
  EXPECT_EQ(sc.Error().Number, 1023);
  EXPECT_EQ(sc.Error().Line, 1);
  EXPECT_EQ(sc.Error().Column, 4);
  EXPECT_EQ(sc.Error().Text, "1 +");
  // An error inside a procedure Eval called is reported where it happened.
  ASSERT_TRUE(sc.AddCode("Function Bad(): Bad = 1 / 0: End Function\n"));
  sc.Eval("Bad() + 1");
  EXPECT_EQ(sc.Error().Number, 11);
  EXPECT_EQ(sc.Error().Line, 1);
  EXPECT_EQ(sc.Error().Text, "Function Bad(): Bad = 1 / 0: End Function");
  // Eval leaves no names behind.
  for (int i = 0; i < 100; ++i) sc.Eval("g");
  EXPECT_EQ(Describe(sc.Eval("g")), "Integer 10");
  EXPECT_EQ(sc.Error().Number, 0);
}

TEST(ScriptControlReset, ForgetsEverything) {
  ScriptControl sc;
  auto d = std::make_shared<Drawing>();
  sc.AddObject("Draw", d, true);
  ASSERT_TRUE(sc.AddCode("Dim v\nv = 5\nSub P\nEnd Sub\n"));
  EXPECT_FALSE(sc.AddCode("x = 1 / 0"));
  sc.Reset();
  EXPECT_EQ(sc.Error().Number, 0);
  EXPECT_EQ(Describe(sc.Eval("v")), "Empty");
  sc.Run("P");
  EXPECT_EQ(sc.Error().Number, 35);
  EXPECT_FALSE(sc.AddCode("Draw.Spin 1"));
  EXPECT_EQ(d->log, "");
  // The same names can be used again.
  sc.Reset();
  sc.AddObject("Draw", d, true);
  ASSERT_TRUE(sc.AddCode("Dim v\nv = 6\nSub P\n  Spin v\nEnd Sub\n"));
  sc.Run("P");
  EXPECT_EQ(d->log, "Spin 6;");
}

// A host object that calls back into the engine while the script runs.
class Reentrant : public HostObject {
 public:
  explicit Reentrant(ScriptControl& sc) : sc_(sc) {}
  std::vector<std::string> MemberNames() const override { return {"Ask", "AskBroken", "ResetEngine"}; }
  Variant Invoke(int member, std::span<const Variant> args) override {
    if (member == 0) return sc_.Run("Inner", {args[0]});
    if (member == 1) {
      sc_.Run("Broken");
      ErrorInfo e = sc_.Error();
      throw ScriptError(e.Number, "inner: " + e.Description);
    }
    sc_.Reset();
    return Variant();
  }

 private:
  ScriptControl& sc_;
};

TEST(ScriptControlRun, HostsMayCallBackIntoTheEngine) {
  ScriptControl sc;
  sc.AddObject("Host", std::make_shared<Reentrant>(sc), false);
  ASSERT_TRUE(sc.AddCode("Function Inner(x)\n  Inner = x * 10\nEnd Function\n"
                         "Sub Broken()\n  y = 1 / 0\nEnd Sub\n"
                         "Function Outer()\n  Outer = Host.Ask(4) + 1\nEnd Function\n"));
  EXPECT_EQ(Describe(sc.Run("Outer")), "Integer 41");
  ASSERT_TRUE(sc.AddCode("On Error Resume Next\nHost.AskBroken\nr = Err.Number & \" \" & Err.Description\n"));
  EXPECT_EQ(Describe(sc.Eval("r")), "String 11 inner: Division by zero");
  // Pulling the engine away under a running script is refused, not a crash.
  EXPECT_FALSE(sc.AddCode("Host.ResetEngine\n"));
  EXPECT_NE(sc.Error().Number, 0);
  EXPECT_EQ(Describe(sc.Run("Inner", {Variant(int16_t(2))})), "Integer 20");
}

// The viewer's script object in miniature: setters that take Singles, and DrawImage.
class Viewer : public HostObject {
 public:
  std::vector<std::string> MemberNames() const override { return {"SetYRotSpeed", "DrawImage", "SetXRot"}; }
  Variant Invoke(int member, std::span<const Variant> args) override {
    if (member == 0) ySpeed = ToSingle(args[0]);
    if (member == 1) yRot += ySpeed;
    if (member == 2) xRot = ToSingle(args[0]);
    return Variant();
  }
  float ySpeed = 0, yRot = 0, xRot = 0;
};

TEST(ScriptControlHost, AnimationScriptLikeTheViewerRuns) {
  ScriptControl sc;
  sc.SetTimeout(-1);
  auto viewer = std::make_shared<Viewer>();
  sc.Reset();
  sc.AddObject("Draw", viewer, true);
  ASSERT_TRUE(sc.AddCode("Sub Main\n  Dim i\n  SetYRotSpeed 2\n  For i = 1 To 180\n    DrawImage\n  Next\n"
                         "  Draw.SetXRot \"12.5\"\nEnd Sub\n"));
  sc.Run("Main");
  EXPECT_EQ(sc.Error().Number, 0) << sc.Error().Description;
  EXPECT_FLOAT_EQ(viewer->yRot, 360);
  EXPECT_FLOAT_EQ(viewer->ySpeed, 2);
  EXPECT_FLOAT_EQ(viewer->xRot, 12.5f);
  // A value the host cannot convert is a type mismatch inside the script.
  ASSERT_TRUE(sc.AddCode("Sub Bad\n  SetXRot \"fast\"\nEnd Sub\n"));
  sc.Run("Bad");
  EXPECT_EQ(sc.Error().Number, 13);
  EXPECT_EQ(sc.Error().Line, 2);
  // An empty script has no Main: the error has no source text.
  sc.Reset();
  sc.AddObject("Draw", viewer, true);
  ASSERT_TRUE(sc.AddCode(""));
  sc.Run("Main");
  EXPECT_NE(sc.Error().Number, 0);
  EXPECT_EQ(sc.Error().Text, "");
}

TEST(ScriptControlLanguage, OnlyVBScript) {
  ScriptControl sc;
  EXPECT_TRUE(sc.SetLanguage("VBScript"));
  EXPECT_TRUE(sc.SetLanguage("vbscript"));
  EXPECT_FALSE(sc.SetLanguage("JScript"));
  EXPECT_EQ(sc.Language(), "VBScript");
  EXPECT_EQ(sc.Timeout(), 10000);
}

// Records dialogs instead of showing them.
class RecordingUi : public UiHost {
 public:
  int MsgBox(const std::string& prompt, int buttons, const std::string& title) override {
    log += "[" + prompt + "|" + std::to_string(buttons) + "|" + title + "]";
    return 6;  // vbYes
  }
  std::string InputBox(const std::string& prompt, const std::string&, const std::string&) override {
    log += "<" + prompt + ">";
    return "typed";
  }
  std::string log;
};

TEST(ScriptControlUi, DialogsGoToTheUiHost) {
  ScriptControl sc;
  RecordingUi ui;
  sc.SetUiHost(&ui);
  ASSERT_TRUE(sc.AddCode("r = MsgBox(\"Continue?\", vbYesNo, \"Title\")\nt = InputBox(\"Name\")\n")) << sc.Error().Description;
  EXPECT_EQ(ui.log, "[Continue?|4|Title]<Name>");
  EXPECT_EQ(Describe(sc.Eval("r")), "Integer 6");
  EXPECT_EQ(Describe(sc.Eval("t")), "String typed");
  // The UiHost survives Reset.
  sc.Reset();
  ASSERT_TRUE(sc.AddCode("MsgBox \"again\""));
  EXPECT_NE(ui.log.find("again"), std::string::npos);
}

}  // namespace
}  // namespace lumetrix::vbs::testing
