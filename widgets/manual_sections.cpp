#include "widgets/manual_sections.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace lumetrix::widgets {
namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Tags removed, the entities the manual uses decoded, runs of white space made one space.
std::string PlainText(std::string_view html) {
  static const std::pair<std::string_view, std::string_view> kEntities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&nbsp;", " "}};
  std::string out;
  bool inTag = false;
  for (std::size_t i = 0; i < html.size(); ++i) {
    const char c = html[i];
    if (inTag) {
      inTag = c != '>';
      if (!inTag) out += ' ';
      continue;
    }
    if (c == '<') {
      inTag = true;
      continue;
    }
    if (c == '&') {
      const auto entity = std::find_if(std::begin(kEntities), std::end(kEntities),
                                       [&](const auto& e) { return html.substr(i, e.first.size()) == e.first; });
      if (entity != std::end(kEntities)) {
        out += entity->second;
        i += entity->first.size() - 1;
        continue;
      }
    }
    out += c;
  }
  std::string squeezed;
  for (char ch : out) {
    const bool space = std::isspace(static_cast<unsigned char>(ch)) != 0;
    if (space && (squeezed.empty() || squeezed.back() == ' ')) continue;
    squeezed += space ? ' ' : ch;
  }
  while (!squeezed.empty() && squeezed.back() == ' ') squeezed.pop_back();
  return squeezed;
}

std::string IdOf(std::string_view openingTag) {
  for (const char quote : {'"', '\''}) {
    const std::string key = std::string("id=") + quote;
    const auto start = Lower(openingTag).find(key);
    if (start == std::string::npos) continue;
    const auto end = openingTag.find(quote, start + key.size());
    if (end != std::string_view::npos)
      return std::string(openingTag.substr(start + key.size(), end - start - key.size()));
  }
  return {};
}

struct Heading {
  std::size_t begin, end;  // the whole element, <hN ...> to </hN>
  ManualSection section;
};

std::vector<Heading> FindHeadings(std::string_view html) {
  const std::string lower = Lower(html);
  std::vector<Heading> headings;
  for (std::size_t at = lower.find("<h"); at != std::string::npos; at = lower.find("<h", at + 2)) {
    const char digit = at + 2 < lower.size() ? lower[at + 2] : '\0';
    if (digit != '2' && digit != '3') continue;
    const auto tagEnd = lower.find('>', at);
    const auto close = lower.find(std::string("</h") + digit, at);
    if (tagEnd == std::string::npos || close == std::string::npos || close < tagEnd) continue;
    Heading h{at, lower.find('>', close), {}};
    h.end = h.end == std::string::npos ? lower.size() : h.end + 1;
    h.section.level = digit - '0';
    h.section.anchor = IdOf(html.substr(at, tagEnd - at));
    h.section.title = PlainText(html.substr(tagEnd + 1, close - tagEnd - 1));
    at = h.end - 2;
    headings.push_back(std::move(h));
  }
  return headings;
}

}  // namespace

std::vector<ManualSection> SplitManual(std::string_view html) {
  auto headings = FindHeadings(html);
  std::vector<ManualSection> sections;
  for (std::size_t i = 0; i < headings.size(); ++i) {
    const std::size_t bodyEnd = i + 1 < headings.size() ? headings[i + 1].begin : html.size();
    headings[i].section.text = PlainText(html.substr(headings[i].end, bodyEnd - headings[i].end));
    sections.push_back(std::move(headings[i].section));
  }
  return sections;
}

std::vector<std::size_t> SectionsMatching(const std::vector<ManualSection>& sections, std::string_view query) {
  std::vector<std::string> words;
  std::istringstream in{Lower(query)};
  for (std::string word; in >> word;) words.push_back(word);
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const std::string haystack = Lower(sections[i].title) + ' ' + Lower(sections[i].text);
    const auto holds = [&](const std::string& word) { return haystack.find(word) != std::string::npos; };
    if (std::all_of(words.begin(), words.end(), holds)) found.push_back(i);
  }
  return found;
}

}  // namespace lumetrix::widgets
