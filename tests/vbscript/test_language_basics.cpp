// Variables, assignment and the simplest statements.
#include "script_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(LanguageBasics, EvalArithmetic) {
  EXPECT_EQ(EvalOutcome("1+2"), "Integer 3");
  EXPECT_EQ(EvalOutcome("2 * 3 + 4"), "Integer 10");
  EXPECT_EQ(EvalOutcome("\"a\" & 1"), "String a1");
}

TEST(LanguageBasics, SubWithLoop) {
  EXPECT_EQ(Outcome("Dim Result\n"
                    "Sub Fill(n)\n"
                    "  Dim i\n"
                    "  For i = 1 To n\n"
                    "    Result = Result + i\n"
                    "  Next\n"
                    "End Sub\n"
                    "Fill 10\n"),
            "Integer 55");
}

}  // namespace
}  // namespace lumetrix::vbs::testing
