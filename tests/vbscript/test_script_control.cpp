// ScriptControl as a host program uses it: host objects, Run, Eval, Reset, errors.
#include <memory>
#include <stdexcept>

#include "vbs_test_support.h"
#include "vbscript/host_object.h"

namespace lumetrix::vbs::testing {
namespace {

// A host object that records what scripts do with it.
class Drawing : public HostObject {
 public:
  enum { kSpin, kZoom, kValue, kFail, kSum, kEcho, kCrash, kNext };
  std::vector<std::string> MemberNames() const override {
    return {"Spin", "Zoom", "Value", "Fail", "Sum", "Echo", "Crash", "Next"};
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
        return Variant(std::to_string(static_cast<int>(total)) + "/" + std::to_string(missing));
      }
      case kEcho: {
        std::string s;
        for (const Variant& a : args) s += TypeNameOf(a) + (a.isRef() ? "(ref)" : "") + ",";
        return Variant(s);
      }
      case kCrash: throw std::runtime_error("disk on fire");
      case kNext: return Variant("next");
    }
    return Variant();
  }
  void Assign(int member, std::span<const Variant> args, const Variant& v) override {
    if (member != kValue || !args.empty()) return HostObject::Assign(member, args, v);
    value = ToDouble(v);
  }
  std::string TypeName() const override { return "Drawing"; }

  std::string log;
  double value = 0;
};

struct HostObjects : ::testing::Test {
  Engine sc;
  std::shared_ptr<Drawing> draw = std::make_shared<Drawing>();
  void SetUp() override { sc.AddObject("Draw", draw, true); }
};

TEST_F(HostObjects, CallsPropertiesAndReferences) {
  ASSERT_TRUE(sc.AddCode("Spin 10\nDraw.Spin 20\nCall Draw.Spin(30)\nCall Spin(40)\nDraw.Spin(50)\nSPIN 1\ndraw.spin 2\n"
                         "Draw.Value = 4.5\nDim d\nSet d = Draw\nd.Spin 7\nd.SPIN 8\nr = TypeName(d) & IsObject(d) & (d Is Draw)\n"
                         "Sub Turn(obj, n)\n  obj.Spin n\nEnd Sub\nTurn Draw, 9\nTurn d, 10\n"));
  EXPECT_EQ(draw->log, "Spin 10;Spin 20;Spin 30;Spin 40;Spin 50;Spin 1;Spin 2;Spin 7;Spin 8;Spin 9;Spin 10;");
  EXPECT_EQ(draw->value, 4.5);
  ASSERT_TRUE(sc.AddCode("Value = \"7\"\n"));  // the host converts the text
  EXPECT_EQ(draw->value, 7);
  ASSERT_TRUE(sc.AddCode("With Draw\n  .Spin 11\n  .Value = 3\nEnd With\n"));
  EXPECT_EQ(draw->value, 3);
  ExpectEvalsIn(sc, {
      {"r", "String DrawingTrueTrue"}, {"Draw.Zoom * 2", "Double 5"}, {"Zoom() + 1", "Double 3.5"}, {"Zoom", "Double 2.5"},
      {"Draw.Value", "Double 3"}, {"Draw.Next", "String next"},
      // Arguments arrive as plain values, left-out ones as missing.
      {"Draw.Sum(1, , 3)", "String 4/1"}, {"Sum(1, 2, 3)", "String 6/0"},
      {"Draw.Echo(1, \"s\", Array(1))", "String Integer,String,Variant(),"},
      // To the information functions host objects are objects; they have no value.
      {"IsObject(Draw)", "Boolean True"}, {"TypeName(Draw)", "String Drawing"}, {"VarType(Draw)", "Integer 9"},
      {"IsNumeric(Draw)", "Boolean False"}, {"TypeName(Array(Draw)(0))", "String Drawing"}, {"Len(Draw)", "error 438"},
      {"Join(Array(Draw))", "error 438"}, {"UBound(Draw)", "error 13"}, {"UCase(Draw.Next)", "String NEXT"},
  });
  ASSERT_TRUE(sc.AddCode("x = 5\nr = Draw.Echo(x)\nSub Pass(v)\n  r2 = Draw.Echo(v)\nEnd Sub\nDim r2\nPass 3.5\n"
                         "y = 2\nDim arr(1)\nr3 = d.Echo(y, arr(0))\n"));
  ExpectEvalsIn(sc, {{"r", "String Integer,"}, {"r2", "String Double,"}, {"r3", "String Integer,Empty,"}});
}

TEST_F(HostObjects, UnknownMembersAndHostErrors) {
  for (const Case& c : std::initializer_list<Case>{
           {"Draw.Explode 1", "438 at 1:1 Object doesn't support this property or method: 'Explode'"},
           {"Set d = Draw\nx = d.Nope", "438 at 2:1 Object doesn't support this property or method: 'Nope'"},
           {"x = Draw", "438 at 1:1 Object doesn't support this property or method"},  // no default value
           {"Draw.Zoom = 1", "438 at 1:1 Object doesn't support this property or method"},
           {"x = 1\n  Draw.Fail\n", "5 at 2:3 Angle out of range"},
           {"Spin 1, 2", "450 at 1:1 Wrong number of arguments or invalid property assignment"},
           {"Sub Bad\n  Value = \"fast\"\nEnd Sub\nBad", "13 at 2:3 Type mismatch"}}) {
    EXPECT_FALSE(sc.AddCode(c.input));
    EXPECT_EQ(Report(sc.Error()), c.expected) << c.input;
  }
  EXPECT_FALSE(sc.AddCode("x = 1\n  Draw.Fail\n"));
  EXPECT_EQ(sc.Error().Text, "  Draw.Fail");
  ASSERT_TRUE(sc.AddCode("On Error Resume Next\nDraw.Fail\nr = Err.Number & \" \" & Err.Description\n"));
  EXPECT_EQ(EvalIn(sc, "r"), "String 5 Angle out of range");
  // Other C++ exceptions do not escape the engine.
  EXPECT_FALSE(sc.AddCode("Draw.Crash"));
  EXPECT_NE(sc.Error().Number, 0);
  EXPECT_NE(sc.Error().Description.find("disk on fire"), std::string::npos);
}

TEST_F(HostObjects, WithoutAddMembersOnlyQualifiedCalls) {
  auto other = std::make_shared<Drawing>();
  sc.AddObject("Scene", other, false);
  ASSERT_TRUE(sc.AddCode("Scene.Spin 1\nSpin 2\n"));  // `Spin` still means Draw's member
  EXPECT_EQ(other->log, "Spin 1;");
  EXPECT_EQ(draw->log, "Spin 2;");
  // Names must be identifiers not in use.
  auto d = std::make_shared<Drawing>();
  for (const char* name : {"", "1abc", "two words", "Dim", "draw", "Animate"}) {
    ASSERT_TRUE(sc.AddCode("Sub Animate\nEnd Sub"));
    EXPECT_THROW(sc.AddObject(name, d, false), std::invalid_argument) << name;
    sc.Reset();
    sc.AddObject("Draw", draw, false);
  }
  EXPECT_THROW(sc.AddObject("Other", nullptr, false), std::invalid_argument);
}

TEST(ScriptControl, RunCallsProceduresByName) {
  Engine sc;
  ASSERT_TRUE(sc.AddCode("Function Add(a, b)\n  Add = a + b\nEnd Function\nSub Bump(n)\n  n = n + 1\n  count = count + 1\n"
                         "End Sub\nDim count\nSub Broken()\n  x = 1\n  x = x / 0\nEnd Sub\n"));
  EXPECT_EQ(Describe(sc.Run("Add", {Variant(int16_t(2)), Variant(int16_t(3))})), "Integer 5");
  EXPECT_EQ(Describe(sc.Run("add", {Variant("a"), Variant("b")})), "String ab");
  EXPECT_EQ(Describe(sc.Run("Bump", {Variant(int16_t(1))})), "Empty");
  EXPECT_EQ(sc.Error().Number, 0);
  EXPECT_EQ(EvalIn(sc, "count"), "Integer 1");
  sc.Run("Add", {Variant(int16_t(1))});
  EXPECT_EQ(sc.Error().Number, 450);
  sc.Run("NoSuchProcedure");
  EXPECT_EQ(sc.Error().Number, 35);
  sc.Run("Bump", {Variant(int16_t(1))});
  EXPECT_EQ(sc.Error().Number, 0);  // a successful call clears the previous error
  // Errors carry the position inside the procedure.
  EXPECT_TRUE(sc.Run("Broken").isEmpty());
  EXPECT_EQ(Report(sc.Error()), "11 at 11:3 Division by zero");
  EXPECT_EQ(sc.Error().Text, "  x = x / 0");
  sc.ClearError();
  EXPECT_EQ(sc.Error().Number, 0);
  // Errors in later chunks quote their own lines; what a failed chunk defined stays usable.
  EXPECT_FALSE(sc.AddCode("x = 1\ny = Undefined1(2)\n"));
  EXPECT_EQ(sc.Error().Line, 2);
  EXPECT_EQ(sc.Error().Text, "y = Undefined1(2)");
  EXPECT_FALSE(sc.AddCode("Function Kept()\n  Kept = 42\nEnd Function\nx = 1 / 0\n"));
  EXPECT_EQ(Describe(sc.Run("Kept")), "Integer 42");
  // An empty script has no Main: the error has no source text.
  sc.Reset();
  ASSERT_TRUE(sc.AddCode(""));
  sc.Run("Main");
  EXPECT_EQ(sc.Error().Number, 35);
  EXPECT_EQ(sc.Error().Text, "");
}

TEST(ScriptControl, EvalComputesInTheGlobalScope) {
  Engine sc;
  ASSERT_TRUE(sc.AddCode("Dim g\ng = 10\nFunction Sq(x)\n  Sq = x * x\nEnd Function\n"
                         "Function Bad(): Bad = 1 / 0: End Function\n"));
  ExpectEvalsIn(sc, {{"g + Sq(3)", "Integer 19"}, {"\"a\" & g", "String a10"}, {"g / 0", "error 11"}});
  sc.Eval("1 +");
  EXPECT_EQ(Report(sc.Error()), "1023 at 1:4 Expected expression");
  EXPECT_EQ(sc.Error().Text, "1 +");
  // An error inside a procedure Eval called is reported where it happened.
  sc.Eval("Bad() + 1");
  EXPECT_EQ(Report(sc.Error()), "11 at 6:17 Division by zero");
  EXPECT_EQ(sc.Error().Text, "Function Bad(): Bad = 1 / 0: End Function");
  // Eval leaves no names behind.
  for (int i = 0; i < 100; ++i) sc.Eval("g");
  EXPECT_EQ(EvalIn(sc, "g"), "Integer 10");
}

TEST(ScriptControl, ResetForgetsEverything) {
  Engine sc;
  auto d = std::make_shared<Drawing>();
  sc.AddObject("Draw", d, true);
  ASSERT_TRUE(sc.AddCode("Dim v\nv = 5\nSub P\nEnd Sub\n"));
  EXPECT_FALSE(sc.AddCode("x = 1 / 0"));
  sc.Reset();
  EXPECT_EQ(sc.Error().Number, 0);
  EXPECT_EQ(EvalIn(sc, "v"), "Empty");
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
      throw ScriptError(sc_.Error().Number, "inner: " + sc_.Error().Description);
    }
    sc_.Reset();
    return Variant();
  }

 private:
  ScriptControl& sc_;
};

TEST(ScriptControl, HostsMayCallBackIntoTheEngine) {
  Engine sc;
  sc.AddObject("Host", std::make_shared<Reentrant>(sc), false);
  ASSERT_TRUE(sc.AddCode("Function Inner(x)\n  Inner = x * 10\nEnd Function\nSub Broken()\n  y = 1 / 0\nEnd Sub\n"
                         "Function Outer()\n  Outer = Host.Ask(4) + 1\nEnd Function\n"));
  EXPECT_EQ(Describe(sc.Run("Outer")), "Integer 41");
  ASSERT_TRUE(sc.AddCode("On Error Resume Next\nHost.AskBroken\nr = Err.Number & \" \" & Err.Description\n"));
  EXPECT_EQ(EvalIn(sc, "r"), "String 11 inner: Division by zero");
  // Pulling the engine away under a running script is refused, not a crash.
  EXPECT_FALSE(sc.AddCode("Host.ResetEngine\n"));
  EXPECT_NE(sc.Error().Number, 0);
  EXPECT_EQ(Describe(sc.Run("Inner", {Variant(int16_t(2))})), "Integer 20");
}

TEST(ScriptControl, OnlyVBScript) {
  ScriptControl sc;
  EXPECT_TRUE(sc.SetLanguage("VBScript"));
  EXPECT_TRUE(sc.SetLanguage("vbscript"));
  EXPECT_FALSE(sc.SetLanguage("JScript"));
  EXPECT_EQ(sc.Language(), "VBScript");
  EXPECT_EQ(sc.Timeout(), 10000);
}

}  // namespace
}  // namespace lumetrix::vbs::testing
