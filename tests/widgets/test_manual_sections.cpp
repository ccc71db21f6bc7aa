#include <gtest/gtest.h>

#include "widgets/manual_sections.h"

namespace lumetrix::widgets {
namespace {

const char* kPage =
    "<html><head><title>T</title></head><body><h1>Manual</h1><p>Intro</p>\n"
    "<H2 ID=\"open\">Opening <b>stacks</b></H2><p>Choose File &gt; Open.\n  Pages &amp; slices.</p>\n"
    "<h3>Files <i>read</i></h3><ul><li>LZW</li><li>BigTIFF</li></ul>\n"
    "<h4>not listed</h4><p>Deep &lt;detail&gt;</p>\n"
    "<h2 id='batch'>Many stacks</h2><pre>sbatch --array=1-9 turns.sh</pre></body></html>";

TEST(ManualSections, HeadingsBecomeSectionsHoldingTheirPlainText) {
  const auto s = SplitManual(kPage);
  ASSERT_EQ(s.size(), 3u);
  const struct { int level; const char* anchor; const char* title; const char* text; } expected[] = {
      {2, "open", "Opening stacks", "Choose File > Open. Pages & slices."},
      {3, "", "Files read", "LZW BigTIFF not listed Deep <detail>"},
      {2, "batch", "Many stacks", "sbatch --array=1-9 turns.sh"}};
  for (std::size_t i = 0; i < s.size(); ++i) {
    EXPECT_EQ(s[i].level, expected[i].level) << i;
    EXPECT_EQ(s[i].anchor, expected[i].anchor) << i;
    EXPECT_EQ(s[i].title, expected[i].title) << i;
    EXPECT_EQ(s[i].text, expected[i].text) << i;
  }
  EXPECT_TRUE(SplitManual("<h2 id=\"cut\">No end").empty());
}

TEST(ManualSections, SearchKeepsSectionsHoldingEveryWord) {
  const auto s = SplitManual(kPage);
  const struct { const char* query; std::vector<std::size_t> found; } rows[] = {
      {"", {0, 1, 2}}, {"   ", {0, 1, 2}}, {"STACKS", {0, 2}}, {"bigtiff", {1}}, {"open slices", {0}},
      {"open bigtiff", {}}, {"<detail>", {1}}, {"sbatch turns", {2}}, {"nowhere", {}}};
  for (const auto& r : rows) EXPECT_EQ(SectionsMatching(s, r.query), r.found) << r.query;
}

}  // namespace
}  // namespace lumetrix::widgets
