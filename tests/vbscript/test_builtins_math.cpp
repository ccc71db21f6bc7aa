// Abs Atn Cos Exp Fix Int Log Rnd Randomize Round Sgn Sin Sqr Tan RGB.
#include "vbs_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(BuiltinMath, AbsIntFixKeepTheSubtypeAndPassNull) {
  ExpectEvals({
      {"Abs(-5)", "Integer 5"}, {"Abs(-70000)", "Long 70000"},
      {"Abs(-32767)", "Integer 32767"}, {"Abs(-32768)", "Long 32768"},  // no longer fits an Integer
      {"Abs(-2.5)", "Double 2.5"}, {"Abs(CSng(-1.5))", "Single 1.5"}, {"Abs(CByte(7))", "Byte 7"},
      {"Abs(True)", "Integer 1"}, {"Abs(Empty)", "Integer 0"}, {"Abs(\"-3\")", "Double 3"}, {"Int(-2.5)", "Double -3"},
      {"Fix(-2.5)", "Double -2"}, {"Int(2.99)", "Double 2"}, {"Fix(2.99)", "Double 2"}, {"Int(CSng(2.7))", "Single 2"},
      {"Int(7)", "Integer 7"}, {"Int(\"-7.5\")", "Double -8"}, {"Fix(\"-7.5\")", "Double -7"},
      {"Int(#12/7/2026 3:00:00 PM#)", "Date 12/7/2026"}, {"Int(True)", "Integer -1"}, {"Abs(Null)", "Null"},
      {"Int(Null)", "Null"}, {"Fix(Null)", "Null"}, {"Sqr(Null)", "Null"}, {"Sin(Null)", "Null"},
      {"Round(Null)", "Null"}, {"Sgn(Null)", "error 94"},
  });
}

TEST(BuiltinMath, RealFunctionsAndTheirDomains) {
  ExpectEvals({
      {"Sqr(16)", "Double 4"}, {"Sqr(0)", "Double 0"}, {"Exp(0)", "Double 1"}, {"Exp(1)", "Double 2.71828182845905"},
      {"Log(Exp(2))", "Double 2"}, {"Atn(1) * 4", "Double 3.14159265358979"}, {"Cos(0)", "Double 1"},
      {"Sin(0)", "Double 0"}, {"Tan(0)", "Double 0"}, {"Exp(-1000)", "Double 0"}, {"Sqr(\"9\")", "Double 3"},
      {"Sgn(-3.2)", "Integer -1"}, {"Sgn(0)", "Integer 0"}, {"Sgn(\"12\")", "Integer 1"}, {"Sgn(Empty)", "Integer 0"},
      {"Sqr(-1)", "error 5"}, {"Log(0)", "error 5"}, {"Log(-1)", "error 5"}, {"Exp(710)", "error 6"},
      {"Abs(\"x\")", "error 13"}, {"Int(\"x\")", "error 13"}, {"Sin(\"x\")", "error 13"}, {"Abs(Array(1))", "error 13"},
      {"Sgn(\"\")", "error 13"}, {"Abs()", "error 450"}, {"Abs(1, 2)", "error 450"}, {"Rnd(1, 2)", "error 450"},
      {"Round(1, 2, 3)", "error 450"}, {"Sqr()", "error 450"},
  });
}

TEST(BuiltinMath, RoundHalfToEvenAndRgb) {
  ExpectEvals({
      {"Round(2.5)", "Double 2"}, {"Round(3.5)", "Double 4"}, {"Round(-2.5)", "Double -2"}, {"Round(0.5)", "Double 0"},
      {"Round(1.5)", "Double 2"}, {"Round(2.25, 1)", "Double 2.2"}, {"Round(2.75, 1)", "Double 2.8"},
      {"Round(0.125, 2)", "Double 0.12"}, {"Round(0.375, 2)", "Double 0.38"}, {"Round(1.2345, 2)", "Double 1.23"},
      {"Round(-1.2366, 3)", "Double -1.237"}, {"Round(12, 1)", "Integer 12"}, {"Round(70000)", "Long 70000"},
      {"Round(CSng(2.5))", "Single 2"}, {"Round(\"2.5\")", "Double 2"}, {"Round(Empty)", "Integer 0"},
      {"Round(1.5, 400)", "Double 1.5"}, {"Round(1E+20, 2)", "Double 1E+20"}, {"Round(1.5, -1)", "error 5"},
      {"Round(\"abc\")", "error 13"},
      // The same halves below zero (0.125, 0.375, 2.25 and 2.75 are exact in binary).
      {"Round(-1.5)", "Double -2"}, {"Round(-3.5)", "Double -4"}, {"Round(-2.25, 1)", "Double -2.2"},
      {"Round(-2.75, 1)", "Double -2.8"}, {"Round(-0.125, 2)", "Double -0.12"}, {"Round(-0.375, 2)", "Double -0.38"},
      {"Round(CSng(-2.5))", "Single -2"}, {"Round(-2.51)", "Double -3"},
      // RGB packs red in the low byte.
      {"RGB(255, 0, 0)", "Long 255"}, {"RGB(0, 255, 0)", "Long 65280"}, {"RGB(0, 0, 255)", "Long 16711680"},
      {"RGB(300, 0, 0)", "Long 255"}, {"RGB(-1, 0, 0)", "error 5"},
  });
}

// The generator is VBScript's: scripts that seed it get the sequences they got before.
TEST(BuiltinMath, RndRepeatsVBScriptsSequences) {
  ExpectScripts({
      {"Result = Rnd", "Single 0.7055475"},
      {"x = Rnd : Result = Rnd", "Single 0.533424"},
      {"Result = Rnd(-1)", "Single 0.224007"},
      // Zero repeats the last number; a negative argument restarts the same sequence.
      {"a = Rnd : b = Rnd(0) : c = Rnd(0) : Result = (a = b) And (b = c)", "Boolean True"},
      {"a = Rnd : b = Rnd : Result = (a <> b)", "Boolean True"},
      {"a = Rnd(-5) : a2 = Rnd : b = Rnd(-5) : b2 = Rnd : Result = (a = b) And (a2 = b2) And (a <> a2)", "Boolean True"},
      {"Result = (Rnd(-1) <> Rnd(-2))", "Boolean True"},
      {"Rnd -1 : Randomize 42 : a = Rnd : Rnd -1 : Randomize 42 : b = Rnd : Result = (a = b)", "Boolean True"},
      {"Rnd -1 : Randomize 42 : a = Rnd : Rnd -1 : Randomize 43 : b = Rnd : Result = (a <> b)", "Boolean True"},
      {"Randomize : Result = TypeName(Rnd)", "String Single"},
      {"Randomize 7\nResult = True\nFor i = 1 To 5000\n  r = Rnd\n  If r < 0 Or r >= 1 Then Result = r\nNext", "Boolean True"},
      {"Result = Rnd(\"x\")", "error 13 at line 1"},
      {"Result = Rnd(Null)", "error 94 at line 1"},
  });
}

}  // namespace
}  // namespace lumetrix::vbs::testing
