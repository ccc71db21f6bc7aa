// Inputs the fuzzers (scripting/vbscript/fuzz) found, minimised. Each script first runs in a
// child process, so an engine crash fails its own case instead of the whole test program;
// then its outcome is checked in-process.
#include <cstdlib>

#include "vbs_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(FuzzFindings, TrappedErrorsInForEachHeadersDoNotCrash) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const Case findings[] = {
      // fuzz_run: an error in a For Each header trapped by On Error Resume Next went on into the
      // loop step with no array to step through (null dereference in ForEachNext).
      {"On Error Resume Next\nFor Each v In b\nNext\nResult = 1\n", "Integer 1"},
      // The same with a collection that is not one (a number), inside a procedure.
      {"Function F()\n  On Error Resume Next\n  Dim v, n\n  For Each v In 42\n    n = n + 1\n  Next\n  F = \"after\"\n"
       "End Function\nResult = F()\n",
       "String after"},
  };
  for (const Case& c : findings) {
    EXPECT_EXIT(
        {
          Outcome(c.input);
          std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "")
        << "the engine crashed on:\n" << c.input;
    EXPECT_EQ(Outcome(c.input), c.expected);
  }
}

}  // namespace
}  // namespace lumetrix::vbs::testing
