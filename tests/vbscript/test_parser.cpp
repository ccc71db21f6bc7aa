// Parser: forms only the parser sees, and hostile nesting that must end in "Out of stack space"
// (never a crash) while the deepest nesting it accepts still compiles and runs.
#include <string>

#include "vbs_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

constexpr int kHuge = 30'000;

TEST(Parser, AcceptedForms) {
  for (const std::string& source : std::initializer_list<std::string>{
           "x = o.End + o.Next",  // keywords as member names
           "For i = 1 To 2\n  Do\n    Exit For\n  Loop\nNext", "Do\n  For i = 1 To 2\n    Exit Do\n  Next\nLoop",
           "Sub S\n  If x Then Exit Sub\nEnd Sub", "Class C\n  Function F\n    Exit Function\n  End Function\nEnd Class",
           "Class C\n  Public Property Get Length()\n  End Property\n  Private Sub Class_Initialize()\n"
           "    Set Me.Self = Me\n  End Sub\nEnd Class",
           "If a Then b = 1 End If",  // tolerated like VBScript
           "x = 1" + Repeat(" + 1", 500), "x = f(1" + Repeat(", 1", kHuge) + ")",  // wide, not deep
           "x = " + Repeat("(", 60) + "1" + Repeat(")", 60), "x = " + Repeat("f(", 40) + "1" + Repeat(")", 40),
           "Sub S\n" + Repeat("If a Then\n", 40) + Repeat("End If\n", 40) + "End Sub",
           Repeat("For i = 1 To 2\n", 40) + Repeat("Next\n", 40), Repeat("If a Then ", 30) + "x = 1",
           Repeat("x = x + 1\n", kHuge), Repeat("x = 1 : ", kHuge), Repeat(":", kHuge) + "\n" + Repeat("\n", kHuge),
           "s = \"" + std::string(4'000'000, 'a') + "\""})
    EXPECT_EQ(ParseOutcome(source), "parsed") << source.substr(0, 200);
  std::string subs;
  for (int i = 0; i < 10'000; ++i) subs += "Sub S" + std::to_string(i) + "(a)\n  a = a + 1\nEnd Sub\n";
  EXPECT_EQ(Parse(subs)->procedures.size(), 10'000u);
}

TEST(Parser, DeepNestingIsOutOfStackSpace) {
  const std::string stack = std::to_string(err::OutOfStack) + " at ";
  for (const std::string& source : std::initializer_list<std::string>{
           "x = " + Repeat("(", kHuge) + "1" + Repeat(")", kHuge), "x = " + Repeat("(", kHuge),
           "x = " + Repeat("-", kHuge) + "1", "x = " + Repeat("Not ", kHuge) + "1",
           "x = " + Repeat("- Not + ", kHuge) + "1", "x = 2" + Repeat(" ^ -2", kHuge),
           "x = " + Repeat("f(", kHuge) + "1" + Repeat(")", kHuge), "x = a" + Repeat("(1)", kHuge),
           "x = a" + Repeat(".b", kHuge), "Foo " + Repeat("(", kHuge), "Dim a(" + Repeat("(", kHuge) + ")",
           // A left-deep tree this tall would make every later tree walk recurse too deep.
           "x = 1" + Repeat(" + 1", kHuge), "x = a" + Repeat(" & a", kHuge), "x = a" + Repeat(" = a", kHuge),
           Repeat("If a Then\n", kHuge) + Repeat("End If\n", kHuge), Repeat("If a Then ", kHuge) + "x = 1",
           Repeat("For i = 1 To 2\n", kHuge) + Repeat("Next\n", kHuge), Repeat("For Each v In a\n", kHuge),
           Repeat("Do\n", kHuge) + Repeat("Loop\n", kHuge), Repeat("While 1\n", kHuge), Repeat("With o\n", kHuge),
           Repeat("Select Case 1\nCase 1\n", kHuge), "Sub S\n" + Repeat("If a Then\nElseIf b Then\n", kHuge),
           Repeat("If a Then\nElse\n", kHuge)})
    EXPECT_EQ(ParseOutcome(source).substr(0, stack.size()), stack) << source.substr(0, 100);
  EXPECT_EQ(ParseOutcome("x = " + Repeat("(", kHuge) + "1").substr(0, stack.size() + 2), stack + "1:");
  // Reported where the nesting became too deep, with VBScript's text and the source line.
  Engine sc;
  EXPECT_FALSE(sc.AddCode("Sub Main\n\n" + Repeat("If a Then\n", kHuge)));
  EXPECT_EQ(sc.Error().Description, "Out of stack space");
  EXPECT_GT(sc.Error().Line, 3);
  EXPECT_EQ(sc.Error().Text, "If a Then");
}

// Any outcome but a crash will do; a failure is a VBScript syntax error with a position.
TEST(Parser, GarbageFailsCleanly) {
  for (const std::string& s : {std::string("\0\0\0", 3), std::string("x = \0 1", 7), std::string("\xff\xfe\x00\x00", 4),
                               std::string("\xef\xbb\xbf\xef\xbb\xbf"), std::string("x = \"\xff\""), std::string(")))((("),
                               std::string("If If If"), std::string("End End End"), std::string("Sub Sub"),
                               std::string("x = = = 1"), std::string("Class"),
                               std::string("Class C\nPublic Default Default Sub S\nEnd Sub\nEnd Class"),
                               std::string("Select Case\nCase"), std::string("For Each\nNext"), std::string("_"),
                               std::string("x _"), std::string("#"), std::string("["), std::string("&"), std::string("&H"),
                               std::string("\""), std::string(1, '\x1a')}) {
    std::string outcome = ParseOutcome(s);
    if (outcome == "parsed") continue;
    int32_t number = std::stoi(outcome);
    EXPECT_TRUE(IsSyntaxError(number) || number == err::OutOfStack || number == err::InvalidReference) << outcome;
    EXPECT_EQ(outcome.find(" at 0"), std::string::npos) << outcome;
    EXPECT_EQ(outcome.find(":0"), std::string::npos) << outcome;
  }
}

// The deepest trees the parser lets through also compile and run (the compiler walks them
// recursively).
TEST(Parser, DeepestAcceptedNestingCompilesAndRuns) {
  int parens = 0, ifs = 0;
  while (ParseOutcome("x = " + Repeat("(", parens + 1) + "1" + Repeat(")", parens + 1)) == "parsed") ++parens;
  while (ParseOutcome("Sub S\n" + Repeat("If True Then\n", ifs + 1) + Repeat("End If\n", ifs + 1) + "End Sub") == "parsed")
    ++ifs;
  ASSERT_GT(parens, 50);
  ASSERT_GT(ifs, 30);
  Engine sc;
  ASSERT_TRUE(sc.AddCode("Function Chain()\n  Chain = 1" + Repeat(" + 1", 990) + "\nEnd Function\n" +
                         "Function Parens()\n  Parens = " + Repeat("(", parens) + "2" + Repeat(")", parens) +
                         "\nEnd Function\nFunction Ifs()\n" + Repeat("If True Then\n", ifs) + "Ifs = 3\n" +
                         Repeat("End If\n", ifs) + "End Function\n"))
      << Report(sc.Error());
  EXPECT_EQ(Describe(sc.Run("Chain")), "Integer 991");
  EXPECT_EQ(Describe(sc.Run("Parens")), "Integer 2");
  EXPECT_EQ(Describe(sc.Run("Ifs")), "Integer 3");
}

}  // namespace
}  // namespace lumetrix::vbs::testing
