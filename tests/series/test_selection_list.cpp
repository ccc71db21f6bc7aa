// The list operations of the series import: moving, removing, copying and selecting.

#include <gtest/gtest.h>

#include "export/series/selection_list.h"

namespace lumetrix::series {
namespace {

using Names = std::vector<std::string>;

// A list of these names with these items selected and this current item.
SelectionList ListOf(Names names, std::initializer_list<size_t> selected = {}, int32_t current = -1) {
  SelectionList list;
  list.SetItems(std::move(names));
  for (size_t i : selected) list.SetSelected(i, true);
  list.SetCurrentIndex(current);
  return list;
}

std::vector<bool> Selection(const SelectionList& list) {
  std::vector<bool> out;
  for (size_t i = 0; i < list.Count(); ++i) out.push_back(list.IsSelected(i));
  return out;
}

// The moved item becomes current and selected, its old place deselected; up on the first, down
// on the last and without a current item nothing changes.
TEST(MoveFld, UpAndDownSwapWithTheNeighbourAndMoveTheSelection) {
  SelectionList list = ListOf({"a", "b", "c"}, {0, 2}, 2);
  MoveFldUp(list);
  EXPECT_EQ(std::tuple(list.Items(), list.CurrentIndex(), Selection(list)),
            std::tuple(Names{"a", "c", "b"}, 1, std::vector<bool>{true, true, false}));
  MoveFldUp(list);
  EXPECT_EQ(std::tuple(list.Items(), list.CurrentIndex(), Selection(list)),
            std::tuple(Names{"c", "a", "b"}, 0, std::vector<bool>{true, false, false}));
  MoveFldUp(list);
  EXPECT_EQ(std::tuple(list.Items(), list.CurrentIndex(), Selection(list)),
            std::tuple(Names{"c", "a", "b"}, 0, std::vector<bool>{true, false, false}));
  list = ListOf({"a", "b", "c"}, {}, 0);
  MoveFldDown(list);
  EXPECT_EQ(std::tuple(list.Items(), list.CurrentIndex(), Selection(list)),
            std::tuple(Names{"b", "a", "c"}, 1, std::vector<bool>{false, true, false}));
  list.SetCurrentIndex(2);
  MoveFldDown(list);
  EXPECT_EQ(std::tuple(list.Items(), list.CurrentIndex()), std::tuple(Names{"b", "a", "c"}, 2));
  list.SetCurrentIndex(7);  // out of range: no current item
  EXPECT_EQ(list.CurrentIndex(), -1);
  MoveFldUp(list);
  MoveFldDown(list);
  EXPECT_EQ(list.Items(), (Names{"b", "a", "c"}));
  SelectionList empty;
  MoveFldUp(empty);
  MoveFldDown(empty);
  EXPECT_TRUE(empty.empty());
}

TEST(RemoveSelected, AdjacentSelectedItemsAllGoAndTheCurrentItemFallsBackToTheLast) {
  SelectionList list = ListOf({"a", "b", "c", "d", "e"}, {1, 2, 3});
  list.RemoveSelected();
  EXPECT_EQ(std::tuple(list.Items(), Selection(list)), std::tuple(Names{"a", "e"}, std::vector<bool>{false, false}));
  list = ListOf({"a", "b", "c"}, {2}, 2);
  list.RemoveSelected();
  EXPECT_EQ(std::tuple(list.Items(), list.CurrentIndex()), std::tuple(Names{"a", "b"}, 1));
  list = ListOf({"a", "a", "b"});
  list.RemoveSelected();
  EXPECT_EQ(list.Count(), 3u);
  list.SelectAll();
  list.SetCurrentIndex(2);
  list.RemoveSelected();
  EXPECT_EQ(std::tuple(list.empty(), list.CurrentIndex()), std::tuple(true, -1));
}

TEST(CopySelected, AppendsInSourceOrderAndAgainOnASecondCopy) {
  SelectionList source = ListOf({"s1.tif", "s2.tif", "s3.tif"}, {2, 0}), series;
  CopySelected(source, series);
  EXPECT_EQ(std::tuple(series.Items(), Selection(source)),
            std::tuple(Names{"s1.tif", "s3.tif"}, std::vector<bool>{false, false, false}));
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
