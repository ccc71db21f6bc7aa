#include "scripting/keyword_case.h"

#include <gtest/gtest.h>

#include "scripting/vb_keywords.h"

namespace lumetrix::scripting {
namespace {

std::string Fixed(std::string line) {
  const auto fix = FixCaseBefore(line);
  if (fix) line.replace(fix->offset, fix->replacement.size(), fix->replacement);
  return line;
}

TEST(ProperCase, KnownWordsInAnyCase) {
  EXPECT_EQ(ProperCase("elseif"), "ElseIf");
  EXPECT_EQ(ProperCase("MSGBOX"), "MsgBox");
  EXPECT_EQ(ProperCase("setxrot"), "SetXRot");
  EXPECT_EQ(ProperCase("aviend"), "AVIend");
  EXPECT_EQ(ProperCase("vbcrlf"), "vbCrLf");
  EXPECT_EQ(ProperCase("nonsense"), "");
  EXPECT_EQ(ProperCase(""), "");
  EXPECT_EQ(GroupOf("end"), WordGroup::ScopeKeyword);
  EXPECT_EQ(GroupOf("drawimage"), WordGroup::ScriptObject);
  EXPECT_FALSE(GroupOf("xyz").has_value());
}

TEST(LexerWordList, LowerCaseBlankSeparated) {
  const std::string list = LexerWordList(WordGroup::ScopeKeyword);
  EXPECT_NE(list.find("elseif"), std::string::npos);
  EXPECT_EQ(list.find("ElseIf"), std::string::npos);
  EXPECT_EQ(list.find("  "), std::string::npos);
  // Every word belongs to one group only, or the colouring would depend on the list order.
  for (WordGroup a : {WordGroup::Keyword, WordGroup::ScopeKeyword, WordGroup::ScriptObject, WordGroup::BuiltIn})
    for (std::string_view w : WordsOf(a)) EXPECT_EQ(GroupOf(w), a) << w;
}

TEST(FixCaseBefore, KeywordsBeforeTheTypedCharacter) {
  EXPECT_EQ(Fixed("sub"), "Sub");
  EXPECT_EQ(Fixed("  dim"), "  Dim");
  EXPECT_EQ(Fixed("if x > 1 then"), "if x > 1 Then");
  EXPECT_EQ(Fixed("x = 3: setyrotspeed"), "x = 3: SetYRotSpeed");
  EXPECT_EQ(Fixed("Draw.setxrot"), "Draw.SetXRot");
  EXPECT_EQ(Fixed("s = \"a\" & lcase"), "s = \"a\" & LCase");
}

TEST(FixCaseBefore, NothingInsideStringsOrComments) {
  EXPECT_FALSE(FixCaseBefore("msgbox \"end"));
  EXPECT_FALSE(FixCaseBefore("x = 1 ' end"));
  EXPECT_FALSE(FixCaseBefore("rem end"));
  EXPECT_FALSE(FixCaseBefore("a = \"\"\"\" & \"next"));  // doubled quotes inside a string
  EXPECT_TRUE(FixCaseBefore("a = \"x\"\"y\" & next"));
  EXPECT_EQ(Fixed("rem"), "Rem");
}

TEST(FixCaseBefore, UnknownOrAlreadyProperWordsAreLeftAlone) {
  EXPECT_FALSE(FixCaseBefore("counter"));
  EXPECT_FALSE(FixCaseBefore("End"));
  EXPECT_FALSE(FixCaseBefore("obj.end"));  // a member of some other object
  EXPECT_FALSE(FixCaseBefore("x = 12"));
  EXPECT_FALSE(FixCaseBefore(""));
  EXPECT_FALSE(FixCaseBefore("   "));
  EXPECT_FALSE(FixCaseBefore("gr\xC3\xBC\xC3\x9F" "end"));  // one word with non-ASCII letters
}

}  // namespace
}  // namespace lumetrix::scripting
