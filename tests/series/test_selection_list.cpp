// The list operations of the series import: moving, removing, copying and selecting.

#include <gtest/gtest.h>

#include <sstream>

#include "export/series/selection_list.h"

namespace lumetrix::series {
namespace {

// A list from its state: names, "*" after a selected one, ">" before the current one.
SelectionList ListOf(const std::string& state) {
  SelectionList list;
  std::vector<std::string> names;
  std::istringstream words(state);
  for (std::string word; words >> word;) names.push_back(word);
  std::vector<std::string> items;
  for (std::string w : names) items.push_back(w.substr(w[0] == '>', w.size() - (w[0] == '>') - (w.back() == '*')));
  list.SetItems(items);
  for (size_t i = 0; i < names.size(); ++i) {
    list.SetSelected(i, names[i].back() == '*');
    if (names[i][0] == '>') list.SetCurrentIndex(static_cast<int32_t>(i));
  }
  return list;
}

std::string State(const SelectionList& list) {
  std::string state;
  for (size_t i = 0; i < list.Count(); ++i) {
    if (i) state.append(" ");
    if (list.CurrentIndex() == static_cast<int32_t>(i)) state.append(">");
    state.append(list.Item(i)).append(list.IsSelected(i) ? "*" : "");
  }
  return state;
}

// The moved item becomes current and selected, its old place deselected; up on the first, down
// on the last and without a current item nothing changes.
TEST(MoveFld, UpAndDownSwapWithTheNeighbourAndMoveTheSelection) {
  const std::tuple<std::string, bool, std::string> cases[] = {
      {"a* b >c*", true, "a* >c* b"}, {"a* >c* b", true, ">c* a b"}, {">c* a b", true, ">c* a b"},
      {">a b c", false, "b >a* c"},   {"b a >c", false, "b a >c"},   {"a b* c", true, "a b* c"},
      {"a b* c", false, "a b* c"},    {"", true, ""}};
  for (const auto& [before, up, after] : cases) {
    SelectionList list = ListOf(before);
    up ? MoveFldUp(list) : MoveFldDown(list);
    EXPECT_EQ(State(list), after) << before << (up ? " up" : " down");
  }
  SelectionList list = ListOf(">a b");
  list.SetCurrentIndex(7);  // out of range: no current item
  EXPECT_EQ(list.CurrentIndex(), -1);
}

// Runs of adjacent selected items all go; the current item stays or falls back to the last.
TEST(RemoveSelected, AdjacentSelectedItemsAllGoAndTheCurrentItemFallsBackToTheLast) {
  for (const auto& [before, after] : {std::pair{"a b* c* d* e", "a e"}, {"a b >c*", "a >b"}, {"a a b", "a a b"},
                                      {"a* a* >b*", ""}, {"a* >b c*", ">b"}}) {
    SelectionList list = ListOf(before);
    list.RemoveSelected();
    EXPECT_EQ(State(list), after) << before;
  }
}

TEST(CopySelected, AppendsInSourceOrderAndAgainOnASecondCopy) {
  SelectionList source = ListOf("s1* s2 s3*"), series;
  CopySelected(source, series);
  EXPECT_EQ(std::tuple(State(series), State(source)), std::tuple("s1 s3", "s1 s2 s3"));
  source.SelectAll();
  CopySelected(source, series);
  EXPECT_EQ(State(series), "s1 s3 s1 s2 s3");
  CopySelected(source, series);  // nothing selected any more
  EXPECT_EQ(series.Count(), 5u);
}

TEST(Selections, SelectAllClearAndFirstSelected) {
  SelectionList list = ListOf("a b c");
  EXPECT_FALSE(list.FirstSelected());
  list.SelectAll();
  EXPECT_EQ(list.SelectedItems(), (std::vector<std::string>{"a", "b", "c"}));
  list.ClearSelections();
  list.SetSelected(1, true);
  EXPECT_EQ(std::tuple(State(list), list.FirstSelected()), std::tuple("a b* c", std::optional<size_t>(1)));
  list.SetItems({"x"});
  EXPECT_EQ(State(list), "x");
  EXPECT_THROW(list.IsSelected(1), std::out_of_range);
}

}  // namespace
}  // namespace lumetrix::series
