#pragma once
// A multi-selection list of names with a current item: the state behind the source and series
// lists of the series import, kept apart from any widget.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumetrix::series {

class SelectionList {
 public:
  // Replaces every item; nothing selected, no current item.
  void SetItems(std::vector<std::string> items);
  void Clear() { SetItems({}); }
  void Append(std::string item);

  size_t Count() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  const std::vector<std::string>& Items() const { return items_; }
  const std::string& Item(size_t i) const { return items_.at(i); }

  bool IsSelected(size_t i) const { return selected_.at(i) != 0; }
  void SetSelected(size_t i, bool on) { selected_.at(i) = on ? 1 : 0; }
  void SelectAll();
  void ClearSelections();
  std::vector<std::string> SelectedItems() const;
  std::optional<size_t> FirstSelected() const;

  // -1 when there is no current item.
  int32_t CurrentIndex() const { return current_; }
  // Out-of-range values clear the current item.
  void SetCurrentIndex(int32_t i);

  // Removes every selected item; a removal does not advance the index, so runs of adjacent
  // selected items all go. The current item stays where it was, or on the last item.
  void RemoveSelected();
  // Swaps the texts of two items (selection and current index stay with the positions).
  void Swap(size_t a, size_t b);

 private:
  std::vector<std::string> items_;
  std::vector<uint8_t> selected_;
  int32_t current_ = -1;
};

// Moves the current item one place up: only when 1 <= current < count. The moved item becomes
// current and selected; its old place is deselected.
void MoveFldUp(SelectionList& list);
// The same downwards: only when 0 <= current < count - 1.
void MoveFldDown(SelectionList& list);

// Appends the selected items of `from`, first to last, to `to` (again if they are there
// already), then deselects every item of `from`.
void CopySelected(SelectionList& from, SelectionList& to);

}  // namespace lumetrix::series
