#pragma once
// The contents and search of the help window, read from the manual's HTML: its <h2> and <h3>
// headings become contents entries, each holding the plain text up to the next heading.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lumetrix::widgets {

struct ManualSection {
  int level = 2;       // 2 or 3
  std::string anchor;  // the heading's id; empty when it has none
  std::string title;   // the heading's text
  std::string text;    // the section's text without tags, entities decoded
};

std::vector<ManualSection> SplitManual(std::string_view html);

// Indices of the sections whose title or text holds every word of query, ignoring ASCII case;
// every section when the query has no words.
std::vector<std::size_t> SectionsMatching(const std::vector<ManualSection>& sections, std::string_view query);

}  // namespace lumetrix::widgets
