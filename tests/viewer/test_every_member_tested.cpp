// Every script member and every command-line option is used by some test: a member or option
// added without a test of its own fails here, named. Whether that test checks the effect is for
// the review; this catches the ones nobody calls at all.

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "app/command_line.h"

namespace lumetrix {
namespace {

namespace fs = std::filesystem;
const fs::path kSource = LUMETRIX_SOURCE_DIR;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The test sources (lowercase, since scripts ignore case), this file left out.
const std::string& TestSources() {
  static const std::string all = [] {
    std::string text;
    for (const auto& entry : fs::recursive_directory_iterator(kSource / "tests")) {
      const std::string ext = entry.path().extension().string();
      if (entry.path().filename() == fs::path(__FILE__).filename()) continue;
      if (ext == ".cpp" || ext == ".h" || ext == ".py" || ext == ".cmake") text += Lower(Read(entry.path())) + "\n";
    }
    return text;
  }();
  return all;
}

bool IdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Somewhere `word` stands as a whole word and `before` accepts what precedes it.
bool Mentioned(const std::string& word, bool (*before)(const std::string& text, size_t at)) {
  const std::string& text = TestSources();
  const std::string key = Lower(word);
  for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
    const size_t after = at + key.size();
    if (after < text.size() && (IdentifierChar(text[after]) || text[after] == '-')) continue;
    if (at > 0 && IdentifierChar(text[at - 1])) continue;
    if (before(text, at)) return true;
  }
  return false;
}

// A call in a script: bare ("SetXRot 1") or through the object ("Draw.SetXRot 1"), not a C++ call
// of the viewer's method of the same name ("v.SetXRot(1)").
bool ScriptCall(const std::string& text, size_t at) {
  if (at == 0 || (text[at - 1] != '.' && text[at - 1] != '>')) return true;
  return at >= 5 && text.compare(at - 5, 5, "draw.") == 0;
}
bool MemberCall(const std::string& text, size_t at) { return at > 0 && text[at - 1] == '.'; }
bool Anywhere(const std::string&, size_t) { return true; }

std::vector<std::string> Matches(const std::string& text, const std::regex& pattern) {
  std::vector<std::string> found;
  for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) found.push_back((*it)[1]);
  return found;
}

TEST(EveryMemberTested, TheDrawObjectsMembers) {
  // The member table: {"SetXRot", 1, [](Viewer& v, Args a) ...
  const auto members = Matches(Read(kSource / "viewer/draw_object.cpp"), std::regex(R"re(\{"(\w+)", \d+, \[)re"));
  ASSERT_GE(members.size(), 45u) << "the member table was not read";
  for (const std::string& member : members) EXPECT_TRUE(Mentioned(member, ScriptCall)) << "no test calls " << member;
}

TEST(EveryMemberTested, TheBuiltinObjectsMembers) {
  // Dictionary, FileSystemObject, Folder, Files, TextStream, RegExp, Match, Matches:
  // FindMemberIn(n, {"add", "item", ...})
  std::vector<std::string> members;
  const std::regex list(R"re(FindMemberIn\(n, \{([^}]*)\})re"), name(R"re("(\w+)")re");
  for (const char* file : {"dictionary.cpp", "file_system.cpp", "regexp.cpp"})
    for (const std::string& names : Matches(Read(kSource / "scripting/vbscript" / file), list))
      for (const std::string& member : Matches(names, name)) members.push_back(member);
  ASSERT_GE(members.size(), 40u) << "the member lists were not read";
  for (const std::string& member : members) EXPECT_TRUE(Mentioned(member, MemberCall)) << "no test calls ." << member;
}

TEST(EveryMemberTested, TheCommandLinesCommandsAndOptions) {
  const auto table = CommandTable();
  ASSERT_GE(table.size(), 10u);
  for (const auto& [command, options] : table) {
    EXPECT_TRUE(Mentioned("--" + command, Anywhere)) << "no test runs --" << command;
    for (const std::string& option : options)
      EXPECT_TRUE(Mentioned(option, Anywhere)) << "no test gives " << option << " (--" << command << ")";
  }
}

}  // namespace
}  // namespace lumetrix
