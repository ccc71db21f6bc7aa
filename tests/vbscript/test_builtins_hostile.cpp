// Every built-in with hostile arguments: each call ends with a value or a VBScript error, never
// a crash, a hang or an unknown error.
#include <algorithm>
#include <string>
#include <vector>

#include "vbs_test_support.h"
#include "vbscript/builtins.h"

namespace lumetrix::vbs::testing {
namespace {

struct SilentUi : UiHost {
  int MsgBox(const std::string&, int, const std::string&) override { return 2; }
  std::string InputBox(const std::string&, const std::string&, const std::string&) override { return "typed"; }
};

const std::vector<std::string> kHostile = {
    "Null", "Empty", "Nothing", "\"\"", "\"abc\"", "-1", "0", "1.5", "2147483647", "-2147483648", "1E+300", "-1E+300",
    "True", "\"&HFFFF\"", "#12/31/9999#", "#1/1/100#", "Array(1, 2)", "Array()", "\"12/7/2026\"", "ChrW(&HD800)", "Err",
};

std::string Call(const std::string& name, const std::vector<std::string>& args) {
  std::string s = name + "(";
  for (size_t i = 0; i < args.size(); ++i) s += (i ? ", " : "") + args[i];
  return s + ")";
}

// Sweeps the calls; each gives a usable value or a run-time error VBScript knows. Counts both.
struct Sweep {
  SilentUi ui;
  Engine sc;
  int values = 0, errors = 0;
  Sweep() { sc.SetUiHost(&ui); }
  void check(const std::string& expression) {
    sc.ClearError();
    Variant v = sc.Eval(expression);
    const ErrorInfo& e = sc.Error();
    if (e.Number == 0) {
      ++values;
      (void)Describe(v);
      return;
    }
    ++errors;
    // The call itself is well formed (Eval and Execute compile their argument).
    bool compilesText = expression.rfind("Eval", 0) == 0 || expression.rfind("Execute", 0) == 0;
    EXPECT_FALSE(IsSyntaxError(e.Number) && !compilesText) << expression;
    EXPECT_NE(ErrorText(e.Number), "Unknown runtime error") << expression << ": " << e.Number;
    EXPECT_FALSE(e.Description.empty()) << expression;
  }
};

TEST(BuiltinHostile, EveryBuiltinWithEveryHostileArgument) {
  Sweep sweep;
  for (const Builtin& b : Builtins()) {
    std::string name = b.name;
    for (int n = b.minArgs; n <= std::min(b.maxArgs, 4); ++n) {
      if (n == 0) sweep.check(Call(name, {}));
      // Each position in turn takes every hostile value; the others hold plain ones.
      for (int pos = 0; pos < n; ++pos) {
        for (const std::string& v : kHostile) {
          std::vector<std::string> args(static_cast<size_t>(n), "1");
          if (name.rfind("Date", 0) == 0) args[0] = "\"d\"";
          args[static_cast<size_t>(pos)] = v;
          sweep.check(Call(name, args));
        }
      }
    }
  }
  EXPECT_GT(sweep.values, 1000);
  EXPECT_GT(sweep.errors, 1000);
}

TEST(BuiltinHostile, PairsOfHostileArgumentsForTwoArgumentFunctions) {
  Sweep sweep;
  for (const char* name : {"Left", "Right", "Mid", "InStr", "InStrRev", "Split", "Join", "String", "StrComp",
                           "Filter", "Round", "Weekday", "MonthName", "FormatNumber", "DateValue"}) {
    for (const std::string& a : kHostile)
      for (const std::string& b : kHostile) sweep.check(Call(name, {a, b}));
  }
  EXPECT_GT(sweep.values, 500);
  EXPECT_GT(sweep.errors, 500);
}

TEST(BuiltinHostile, ArgumentsLeftOutArriveAsMissing) {
  ExpectEvals({
      {"InStr(1, \"abc\", \"c\", )", "Long 3"}, {"Mid(\"abc\", 2, )", "String bc"}, {"Split(\"a b\", , 1)(0)", "String a b"},
      {"Replace(\"aaa\", \"a\", \"b\", , 2)", "String bba"}, {"FormatNumber(1.5, , , , )", "String 1.50"},
      {"WeekdayName(1, , vbMonday)", "String Monday"}, {"DateDiff(\"d\", #1/1/2000#, #1/2/2000#, , )", "Long 1"},
      {"Left(, 1)", "error 13"}, {"TypeName(Left(\"a\", 1), )", "error 450"},
  });
}

}  // namespace
}  // namespace lumetrix::vbs::testing
