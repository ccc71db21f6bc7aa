#include "scripting/keyword_case.h"

#include <gtest/gtest.h>

#include "scripting/vb_keywords.h"
#include "vbscript/builtins.h"

namespace lumetrix::scripting {
namespace {

std::string Fixed(std::string line) {
  const auto fix = FixCaseBefore(line);
  if (fix) line.replace(fix->offset, fix->replacement.size(), fix->replacement);
  return line;
}

TEST(ProperCase, KnownWordsInAnyCaseAndEachInOneGroup) {
  const std::pair<const char*, const char*> words[] = {
      {"elseif", "ElseIf"}, {"MSGBOX", "MsgBox"}, {"setxrot", "SetXRot"}, {"aviend", "AVIend"}, {"vbcrlf", "vbCrLf"},
      {"nonsense", ""},     {"", ""}};
  for (const auto& [word, proper] : words) EXPECT_EQ(ProperCase(word), proper) << word;
  EXPECT_EQ(GroupOf("drawimage"), WordGroup::ScriptObject);
  for (const vbs::Builtin& b : vbs::Builtins()) EXPECT_EQ(ProperCase(b.name), b.name) << b.name;  // all the engine's
  // Every word belongs to one group only, or the colouring would depend on the list order.
  for (WordGroup a : {WordGroup::Keyword, WordGroup::ScopeKeyword, WordGroup::ScriptObject, WordGroup::BuiltIn})
    for (std::string_view w : WordsOf(a)) EXPECT_EQ(GroupOf(w), a) << w;
  const std::string list = LexerWordList(WordGroup::ScopeKeyword);
  EXPECT_TRUE(list.find("elseif") != std::string::npos && list.find("ElseIf") == std::string::npos);
}

TEST(FixCaseBefore, KeywordsBeforeTheTypedCharacterOutsideStringsAndComments) {
  const std::pair<const char*, const char*> fixed[] = {
      {"sub", "Sub"}, {"  dim", "  Dim"}, {"if x > 1 then", "if x > 1 Then"}, {"x = 3: setyrotspeed", "x = 3: SetYRotSpeed"},
      {"Draw.setxrot", "Draw.SetXRot"}, {"s = \"a\" & lcase", "s = \"a\" & LCase"}, {"rem", "Rem"},
      {"a = \"x\"\"y\" & next", "a = \"x\"\"y\" & Next"}};
  for (const auto& [line, result] : fixed) EXPECT_EQ(Fixed(line), result) << line;
  for (const char* line : {"msgbox \"end", "x = 1 ' end", "rem end", "a = \"\"\"\" & \"next", "counter", "End",
                           "obj.end", "x = 12", "", "   ", "gr\xC3\xBC\xC3\x9F" "end"})
    EXPECT_FALSE(FixCaseBefore(line)) << line;
}

}  // namespace
}  // namespace lumetrix::scripting
