// Runaway and hostile scripts end in VBScript errors, never in a crash or a hang. Nothing here
// waits for the clock: stopping is asked for through the engine's interrupt, and the time limit
// is checked with a limit that has already passed when the run starts.
#include <memory>
#include <string>

#include "vbs_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(Limits, DeepRecursionIsOutOfStackSpaceAndLeavesTheEngineWhole) {
  Engine sc;
  EXPECT_FALSE(sc.AddCode("Function Down(n)\n  Down = Down(n + 1)\nEnd Function\nx = Down(0)\n"));
  EXPECT_EQ(Report(sc.Error()), "28 at 2:3 Out of stack space");
  ASSERT_TRUE(sc.AddCode("Function Up(n)\n  If n = 0 Then Up = 0 Else Up = 1 + Up(n - 1)\nEnd Function\n"));
  EXPECT_EQ(Describe(sc.Run("Up", {Variant(int16_t(2000))})), "Integer 2000");
  EXPECT_FALSE(sc.AddCode("Sub Ping\n  Pong\nEnd Sub\nSub Pong\n  Ping\nEnd Sub\nPing\n"));
  EXPECT_EQ(sc.Error().Number, 28);
  ExpectScripts({{"Sub Forever\n  Forever\nEnd Sub\nOn Error Resume Next\nForever\nResult = Err.Number", "Long 28"}});
}

TEST(Limits, HugeStringsAndArraysAreOutOfMemory) {
  // Strings stop at 2^27 characters: the doubling fails on its first step.
  for (const char* source : {"s = Space(70000000)\nDo\n  s = s & s\nLoop\n", "s = Space(70000000)\nDo\n  s = s + s\nLoop\n",
                             "s = Space(70000000)\nx = 1\nx = s & 1 & s\n"}) {
    ErrorInfo e = ErrorOf(source);
    EXPECT_TRUE(e.Number == err::OutOfMemory || e.Number == err::OutOfStringSpace) << e.Number;
    EXPECT_EQ(e.Line, 3) << source;
  }
  ExpectScripts({
      // Trapped, the script goes on with the string it had.
      {"On Error Resume Next\ns = Space(50000000)\nFor i = 1 To 3\n  s = s & s\nNext\n"
       "Result = Err.Number <> 0 And Len(s) = 100000000",
       "Boolean True"},
      {"ReDim a(2000000000)", "error 7 at line 1"}, {"ReDim a(100000, 100000)", "error 7 at line 1"},
      {"ReDim a(10)\nReDim Preserve a(2000000000)", "error 7 at line 2"}, {"ReDim a(-5)", "error 9 at line 1"},
      {"Class Huge\n  Dim a(100000000)\nEnd Class\nSet h = New Huge", "error 7 at line 4"},
  });
}

TEST(Limits, TheTimeLimitStopsLoopsAndCallsUntrappably) {
  Engine sc;
  sc.SetTimeout(0);
  EXPECT_FALSE(sc.AddCode("On Error Resume Next\nDo\n  n = n + 1\nLoop\n"));
  EXPECT_EQ(sc.Error().Number, err::ScriptTimeout);
  EXPECT_EQ(sc.Error().Description, "Script timed out");
  ASSERT_TRUE(sc.AddCode("Sub Nop\nEnd Sub\nSub Spin\n  On Error Resume Next\n  Do\n    Nop\n  Loop\nEnd Sub\n"));
  sc.Run("Spin");
  EXPECT_EQ(sc.Error().Number, err::ScriptTimeout);
  // Each run takes the limit anew.
  sc.SetTimeout(-1);
  EXPECT_TRUE(sc.AddCode("For i = 1 To 100000\nNext\n"));
  EXPECT_EQ(ScriptControl().Timeout(), 10000);
}

// A host object whose method asks the engine to stop, as a window's Stop button would from an
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
  Engine sc;
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
  EXPECT_EQ(EvalIn(sc, "IsEmpty(r)"), "Boolean True");
  // The request is forgotten when the next run starts.
  sc.RequestInterrupt();
  EXPECT_TRUE(sc.AddCode("For i = 1 To 10\nNext\n"));
}

TEST(Limits, MalformedSourceIsASyntaxErrorAndLongChainsRun) {
  Engine sc;
  std::string nested;
  for (int i = 0; i < 5000; ++i) nested += "If x Then\n";
  for (const std::string& source : {"x = " + std::string(100000, '(') + "1", nested, std::string("\0\xff\xfe garbage", 12)}) {
    EXPECT_FALSE(sc.AddCode(source));
    EXPECT_TRUE(IsSyntaxError(sc.Error().Number) || sc.Error().Number == err::OutOfStack) << sc.Error().Number;
  }
  EXPECT_EQ(EvalIn(sc, "2 * 21"), "Integer 42");  // still usable
  ExpectScripts({{"x = 0" + Repeat(" + 1", 900) + "\nResult = x", "Integer 900"}});
}

}  // namespace
}  // namespace lumetrix::vbs::testing
