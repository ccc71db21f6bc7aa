// The documents of the command line (--help, README, man page, manual) list every command and
// option the parser takes, so they cannot drift from it; the man page points only at sections
// the manual has.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>

#include "app/command_line.h"

namespace lumetrix {
namespace {

std::string ReadSource(const std::string& path) {
  std::ifstream in(std::string(LUMETRIX_SOURCE_DIR) + "/" + path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The man page's escapes, read as the words they print: \- is "-", the font changes print nothing.
std::string ManText(std::string text) {
  for (const auto& [escape, plain] : {std::pair{"\\-", "-"}, {"\\fR", ""}, {"\\fP", ""}, {"\\fI", ""},
                                      {"\\fB", ""}, {"\\&", ""}})
    for (auto at = text.find(escape); at != std::string::npos; at = text.find(escape, at))
      text.replace(at, std::string(escape).size(), plain);
  return text;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// Where a block of the document ends: a blank line, a man page section, the end of an HTML table.
std::size_t BlockEnd(const std::string& text, std::size_t from) {
  std::size_t end = text.size();
  for (const char* mark : {"\n\n", "\n.SH", "</table>"}) end = std::min(end, text.find(mark, from));
  return end;
}

// "--size" as a word of its own (not the start of "--sizes").
bool HasOption(const std::string& text, const std::string& option) {
  for (auto at = text.find(option); at != std::string::npos; at = text.find(option, at + 1)) {
    const std::size_t after = at + option.size();
    if (after == text.size() || !(std::isalnum(static_cast<unsigned char>(text[after])) || text[after] == '-'))
      return true;
  }
  return false;
}

// The synopsis entries of a command: from each "lumetrix --COMMAND" to the next "lumetrix " or the
// end of the block.
std::string Entries(const std::string& text, const std::string& command) {
  const std::string head = "lumetrix --" + command;
  std::string entries;
  for (auto at = text.find(head); at != std::string::npos; at = text.find(head, at + 1)) {
    const std::size_t after = at + head.size();
    if (after < text.size() && (std::isalnum(static_cast<unsigned char>(text[after])) || text[after] == '-')) continue;
    const std::size_t end = std::min(text.find("lumetrix ", after), BlockEnd(text, after));
    entries += text.substr(at, end - at) + "\n";
  }
  return entries;
}

// The block of view options that entries name with "VIEW OPTIONS" (heading "View options of ..."
// or "VIEW OPTIONS:").
std::string ViewOptions(const std::string& text) {
  const std::string lower = Lower(text);
  std::size_t start = std::min(lower.find("view options:"), lower.find("view options of"));
  if (start == std::string::npos) return "";
  return text.substr(start, BlockEnd(text, start) - start);
}

TEST(CommandLineDocuments, ListEveryCommandAndOptionOfTheParser) {
  const std::pair<const char*, std::string> documents[] = {
      {"--help", UsageText()},
      {"README.md", ReadSource("README.md")},
      {"man page", ManText(ReadSource("packaging/lumetrix.1.in"))},
      {"manual", ReadSource("data/help/index.html")},
  };
  const auto table = CommandTable();
  ASSERT_GE(table.size(), 10u);  // info, render, run, movie, recompress, join-tiff, convert-leica, avi2gif, help, version
  for (const auto& [name, text] : documents) {
    ASSERT_GT(text.size(), 500u) << name << " was not read";
    const std::string view = ViewOptions(text);
    for (const auto& [command, options] : table) {
      const std::string entries = Entries(text, command);
      EXPECT_FALSE(entries.empty()) << name << " has no synopsis of --" << command;
      const bool names_view_options = Lower(entries).find("view options") != std::string::npos;
      for (const std::string& option : options)
        EXPECT_TRUE(HasOption(entries, option) || (names_view_options && HasOption(view, option)))
            << name << " does not list " << option << " for --" << command;
    }
  }
}

TEST(CommandLineDocuments, ManPageNamesSectionsOfTheManualAndTheManualSeparatesItsLinks) {
  const std::string manual = ReadSource("data/help/index.html");
  std::vector<std::string> headings;
  const std::regex heading("<h[23][^>]*>([^<]*)</h[23]>");
  for (std::sregex_iterator it(manual.begin(), manual.end(), heading), end; it != end; ++it)
    headings.push_back((*it)[1]);
  ASSERT_GT(headings.size(), 20u);
  // Section names are quoted \(lq ... \(rq in the man page (possibly over a line break).
  const std::string man = ReadSource("packaging/lumetrix.1.in");
  const std::regex quoted(R"(\\\(lq([^\\]*)\\\(rq)");
  int named = 0;
  for (std::sregex_iterator it(man.begin(), man.end(), quoted), end; it != end; ++it, ++named) {
    std::string title = (*it)[1];
    std::replace(title.begin(), title.end(), '\n', ' ');
    EXPECT_NE(std::find(headings.begin(), headings.end(), title), headings.end()) << title;
  }
  EXPECT_GE(named, 1);
  // The help window's browser draws no margins around links: two links with nothing but white
  // space between them read as one.
  EXPECT_FALSE(std::regex_search(manual, std::regex(R"(</a>\s*<a )"))) << "links run together";
}

}  // namespace
}  // namespace lumetrix
