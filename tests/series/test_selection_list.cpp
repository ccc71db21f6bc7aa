// The list operations of the series import.

#include <gtest/gtest.h>

#include "export/series/selection_list.h"

namespace lumetrix::series {
namespace {

using Names = std::vector<std::string>;

SelectionList ListOf(Names names) {
  SelectionList list;
  list.SetItems(std::move(names));
  return list;
}

std::vector<bool> Selection(const SelectionList& list) {
  std::vector<bool> out;
  for (size_t i = 0; i < list.Count(); ++i) out.push_back(list.IsSelected(i));
  return out;
}

TEST(MoveFld, UpOnTheFirstAndDownOnTheLastChangeNothing) {
  SelectionList list = ListOf({"a", "b", "c"});
  list.SetCurrentIndex(0);
  list.SetSelected(0, true);
  MoveFldUp(list);
  EXPECT_EQ(list.Items(), (Names{"a", "b", "c"}));
  EXPECT_EQ(list.CurrentIndex(), 0);
  EXPECT_TRUE(list.IsSelected(0));
  list.SetCurrentIndex(2);
  MoveFldDown(list);
  EXPECT_EQ(list.Items(), (Names{"a", "b", "c"}));
  EXPECT_EQ(list.CurrentIndex(), 2);
}

TEST(MoveFld, UpSwapsWithTheItemAboveAndMovesTheSelection) {
  SelectionList list = ListOf({"a", "b", "c"});
  list.SetCurrentIndex(2);
  list.SetSelected(2, true);
  list.SetSelected(0, true);
  MoveFldUp(list);
  EXPECT_EQ(list.Items(), (Names{"a", "c", "b"}));
  EXPECT_EQ(list.CurrentIndex(), 1);
  EXPECT_EQ(Selection(list), (std::vector<bool>{true, true, false}));
  MoveFldUp(list);
  EXPECT_EQ(list.Items(), (Names{"c", "a", "b"}));
  EXPECT_EQ(list.CurrentIndex(), 0);
  EXPECT_EQ(Selection(list), (std::vector<bool>{true, false, false}));
}

TEST(MoveFld, DownSwapsWithTheItemBelow) {
  SelectionList list = ListOf({"a", "b", "c"});
  list.SetCurrentIndex(0);
  MoveFldDown(list);
  EXPECT_EQ(list.Items(), (Names{"b", "a", "c"}));
  EXPECT_EQ(list.CurrentIndex(), 1);
  EXPECT_EQ(Selection(list), (std::vector<bool>{false, true, false}));
}

TEST(MoveFld, WithoutACurrentItemOrItemsNothingHappens) {
  SelectionList empty;
  MoveFldUp(empty);
  MoveFldDown(empty);
  EXPECT_TRUE(empty.empty());
  SelectionList list = ListOf({"a", "b"});
  ASSERT_EQ(list.CurrentIndex(), -1);
  MoveFldUp(list);
  MoveFldDown(list);
  EXPECT_EQ(list.Items(), (Names{"a", "b"}));
  list.SetCurrentIndex(7);
  EXPECT_EQ(list.CurrentIndex(), -1);
}

TEST(RemoveSelected, AdjacentSelectedItemsAllGo) {
  SelectionList list = ListOf({"a", "b", "c", "d", "e"});
  list.SetSelected(1, true);
  list.SetSelected(2, true);
  list.SetSelected(3, true);
  list.RemoveSelected();
  EXPECT_EQ(list.Items(), (Names{"a", "e"}));
  EXPECT_EQ(Selection(list), (std::vector<bool>{false, false}));
}

TEST(RemoveSelected, EverythingOrNothingSelected) {
  SelectionList list = ListOf({"a", "a", "b"});
  list.RemoveSelected();
  EXPECT_EQ(list.Count(), 3u);
  list.SelectAll();
  list.SetCurrentIndex(2);
  list.RemoveSelected();
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.CurrentIndex(), -1);
}

TEST(RemoveSelected, CurrentItemFallsBackToTheLast) {
  SelectionList list = ListOf({"a", "b", "c"});
  list.SetCurrentIndex(2);
  list.SetSelected(2, true);
  list.RemoveSelected();
  EXPECT_EQ(list.CurrentIndex(), 1);
}

TEST(CopySelected, AppendsInSourceOrderAndAgainOnASecondCopy) {
  SelectionList source = ListOf({"s1.tif", "s2.tif", "s3.tif"});
  SelectionList series;
  source.SetSelected(2, true);
  source.SetSelected(0, true);
  CopySelected(source, series);
  EXPECT_EQ(series.Items(), (Names{"s1.tif", "s3.tif"}));
  EXPECT_EQ(Selection(source), (std::vector<bool>{false, false, false}));
  source.SetSelected(0, true);
  source.SetSelected(2, true);
  CopySelected(source, series);
  EXPECT_EQ(series.Items(), (Names{"s1.tif", "s3.tif", "s1.tif", "s3.tif"}));
  CopySelected(source, series);  // nothing selected any more
  EXPECT_EQ(series.Count(), 4u);
}

TEST(Selections, SelectAllClearAndFirstSelected) {
  SelectionList list = ListOf({"a", "b", "c"});
  EXPECT_FALSE(list.FirstSelected());
  list.SelectAll();
  EXPECT_EQ(list.SelectedItems(), (Names{"a", "b", "c"}));
  list.ClearSelections();
  EXPECT_TRUE(list.SelectedItems().empty());
  list.SetSelected(1, true);
  EXPECT_EQ(list.FirstSelected(), 1u);
  list.SetItems({"x"});
  EXPECT_FALSE(list.IsSelected(0));
  EXPECT_THROW(list.IsSelected(1), std::out_of_range);
}

}  // namespace
}  // namespace lumetrix::series
