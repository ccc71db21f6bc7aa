// Inputs the fuzzers (scripting/vbscript/fuzz) found, minimised. Each script first runs in a
// child process, so an engine crash fails the one test instead of the whole test program;
// then its outcome is checked in-process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "vbscript/script_control.h"

namespace lumetrix::vbs {
namespace {

struct Outcome {
  bool added = false;
  ErrorInfo error;
  Variant result;  // value of the global `Result` afterwards
};

Outcome RunScript(const std::string& source) {
  ScriptControl sc;
  sc.SetTimeout(2000);
  Outcome out;
  out.added = sc.AddCode(source);
  out.error = sc.Error();
  if (out.added) out.result = sc.Eval("Result");
  return out;
}

// True when running `source` neither crashes nor hangs the engine.
bool RunsWithoutCrashing(const std::string& source) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  bool ok = true;
  EXPECT_EXIT(
      {
        RunScript(source);
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(0), "")
      << "the engine crashed on:\n" << source;
  if (::testing::Test::HasFailure()) ok = false;
  return ok;
}

// Found by fuzz_run: an error in a For Each header trapped by On Error Resume Next went on
// into the loop step with no array to step through (null dereference in ForEachNext).
TEST(FuzzFindings, TrappedErrorInForEachHeaderDoesNotCrash) {
  const std::string source =
      "On Error Resume Next\n"
      "For Each v In b\n"
      "Next\n"
      "Result = 1\n";
  ASSERT_TRUE(RunsWithoutCrashing(source));
  Outcome out = RunScript(source);
  EXPECT_TRUE(out.added) << out.error.Description;
  EXPECT_EQ(out.error.Number, 0) << out.error.Description;
  EXPECT_EQ(ToLong(out.result), 1);
}

// The same with a collection that is not one (a number), inside a procedure.
TEST(FuzzFindings, TrappedErrorInForEachOverANumberDoesNotCrash) {
  const std::string source =
      "Function F()\n"
      "  On Error Resume Next\n"
      "  Dim v, n\n"
      "  For Each v In 42\n"
      "    n = n + 1\n"
      "  Next\n"
      "  F = \"after\"\n"
      "End Function\n"
      "Result = F()\n";
  ASSERT_TRUE(RunsWithoutCrashing(source));
  Outcome out = RunScript(source);
  EXPECT_EQ(out.error.Number, 0) << out.error.Description;
  EXPECT_EQ(ToString(out.result), "after");
}

}  // namespace
}  // namespace lumetrix::vbs
