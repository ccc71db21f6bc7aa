// Runaway and hostile scripts end in VBScript errors, never in a crash or a hang.
#include <chrono>
#include <string>

#include "script_test_support.h"
#include "vbscript/host_object.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(Limits, DeepRecursionIsOutOfStackSpace) {
  ScriptControl sc;
  EXPECT_FALSE(sc.AddCode("Function Down(n)\n  Down = Down(n + 1)\nEnd Function\nx = Down(0)\n"));
  EXPECT_EQ(sc.Error().Number, 28);
  EXPECT_EQ(sc.Error().Description, "Out of stack space");
  EXPECT_EQ(sc.Error().Line, 2);
  // The engine is whole afterwards.
  ASSERT_TRUE(sc.AddCode("Function Up(n)\n  If n = 0 Then Up = 0 Else Up = 1 + Up(n - 1)\nEnd Function\n"));
  EXPECT_EQ(Describe(sc.Run("Up", {Variant(int16_t(100))})), "Integer 100");
  // A Sub recursing through another Sub.
  EXPECT_FALSE(sc.AddCode("Sub Ping\n  Pong\nEnd Sub\nSub Pong\n  Ping\nEnd Sub\nPing\n"));
  EXPECT_EQ(sc.Error().Number, 28);
}

TEST(Limits, OutOfStackSpaceCanBeTrapped) {
  EXPECT_EQ(Outcome("Sub Forever\n  Forever\nEnd Sub\nOn Error Resume Next\nForever\nResult = Err.Number"), "Long 28");
}

TEST(Limits, HugeStringsAreOutOfMemory) {
  // Strings stop at 2^27 characters: the doubling fails on its first step.
  ScriptOutcome o = RunScript("s = Space(70000000)\nDo\n  s = s & s\nLoop\n");
  EXPECT_TRUE(o.error.Number == err::OutOfMemory || o.error.Number == err::OutOfStringSpace) << o.error.Number;
  EXPECT_EQ(o.error.Line, 3);
  o = RunScript("s = Space(70000000)\nDo\n  s = s + s\nLoop\n");
  EXPECT_TRUE(o.error.Number == err::OutOfMemory || o.error.Number == err::OutOfStringSpace) << o.error.Number;
  o = RunScript("s = Space(70000000)\nx = s & 1 & s\n");
  EXPECT_TRUE(o.error.Number == err::OutOfMemory || o.error.Number == err::OutOfStringSpace) << o.error.Number;
  // Trapped, the script goes on with the string it had.
  EXPECT_EQ(Outcome("On Error Resume Next\ns = Space(50000000)\nFor i = 1 To 3\n  s = s & s\nNext\n"
                    "Result = Err.Number <> 0 And Len(s) = 100000000"),
            "Boolean True");
}

TEST(Limits, HugeArraysAreOutOfMemory) {
  EXPECT_EQ(Outcome("ReDim a(2000000000)"), "error 7 at line 1");
  EXPECT_EQ(Outcome("ReDim a(100000, 100000)"), "error 7 at line 1");
  EXPECT_EQ(Outcome("ReDim a(10)\nReDim Preserve a(2000000000)"), "error 7 at line 2");
  EXPECT_EQ(Outcome("ReDim a(-5)"), "error 9 at line 1");
}

TEST(Limits, TimeoutStopsEndlessLoops) {
  ScriptControl sc;
  sc.SetTimeout(100);
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(sc.AddCode("On Error Resume Next\nDo\n  n = n + 1\nLoop\n"));
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(sc.Error().Number, err::ScriptTimeout);
  EXPECT_EQ(sc.Error().Description, "Script timed out");
  EXPECT_GE(ms, 90);
  EXPECT_LT(ms, 5000);
  // Endless recursion-free calls in a loop are caught too, inside procedures.
  ASSERT_TRUE(sc.AddCode("Sub Nop\nEnd Sub\nSub Spin\n  Do\n    Nop\n  Loop\nEnd Sub\n"));
  sc.Run("Spin");
  EXPECT_EQ(sc.Error().Number, err::ScriptTimeout);
  // The limit applies to each run: a short run afterwards succeeds.
  EXPECT_EQ(Describe(sc.Eval("1 + 1")), "Integer 2");
  EXPECT_EQ(sc.Error().Number, 0);
  // No limit.
  sc.SetTimeout(-1);
  EXPECT_TRUE(sc.AddCode("For i = 1 To 100000\nNext\n"));
}

// A host object whose method asks the engine to stop, as a GUI's Stop button would from an
// event handler that runs while the script calls the host.
class StopButton : public HostObject {
 public:
  explicit StopButton(ScriptControl& sc) : sc_(sc) {}
  std::vector<std::string> MemberNames() const override { return {"Frame"}; }
  Variant Invoke(int, std::span<const Variant>) override {
    if (++frames == 5) sc_.RequestInterrupt();
    return Variant();
  }
  int frames = 0;

 private:
  ScriptControl& sc_;
};

TEST(Limits, InterruptFromInsideAHostCall) {
  ScriptControl sc;
  sc.SetTimeout(-1);
  auto button = std::make_shared<StopButton>(sc);
  sc.AddObject("View", button, true);
  EXPECT_FALSE(sc.AddCode("On Error Resume Next\nDo\n  View.Frame\nLoop\n"));
  EXPECT_EQ(sc.Error().Number, err::ScriptInterrupted);
  EXPECT_EQ(sc.Error().Description, "Script stopped by the user");
  EXPECT_EQ(button->frames, 5);
  // Calls check too: a script without loops stops at its next call.
  ASSERT_TRUE(sc.AddCode("Sub Step2\nEnd Sub\nSub Once\n  Frame\n  Step2\n  r = \"not reached\"\nEnd Sub\n"));
  button->frames = 4;
  sc.Run("Once");
  EXPECT_EQ(sc.Error().Number, err::ScriptInterrupted);
  EXPECT_TRUE(sc.Eval("IsEmpty(r)").n() != 0);
  // The request is forgotten when the next run starts.
  ASSERT_TRUE(sc.AddCode("x = 1\n"));
  sc.RequestInterrupt();
  EXPECT_TRUE(sc.AddCode("For i = 1 To 10\nNext\n"));
}

TEST(Limits, MalformedSourceIsASyntaxError) {
  ScriptControl sc;
  EXPECT_FALSE(sc.AddCode("x = " + std::string(100000, '(') + "1"));
  EXPECT_NE(sc.Error().Number, 0);
  std::string nested;
  for (int i = 0; i < 5000; ++i) nested += "If x Then\n";
  EXPECT_FALSE(sc.AddCode(nested));
  EXPECT_NE(sc.Error().Number, 0);
  EXPECT_FALSE(sc.AddCode(std::string("\0\xff\xfe garbage", 12)));
  EXPECT_NE(sc.Error().Number, 0);
  // Still usable.
  EXPECT_EQ(Describe(sc.Eval("2 * 21")), "Integer 42");
}

TEST(Limits, LongExpressionChainsDoNotOverflowTheStack) {
  std::string sum = "x = 0";
  for (int i = 0; i < 900; ++i) sum += " + 1";
  EXPECT_EQ(Outcome(sum + "\nResult = x"), "Integer 900");
}

}  // namespace
}  // namespace lumetrix::vbs::testing
