#include "export/series/selection_list.h"

#include <algorithm>
#include <utility>

namespace lumetrix::series {

void SelectionList::SetItems(std::vector<std::string> items) {
  items_ = std::move(items);
  selected_.assign(items_.size(), 0);
  current_ = -1;
}

void SelectionList::Append(std::string item) {
  items_.push_back(std::move(item));
  selected_.push_back(0);
}

void SelectionList::SelectAll() { std::fill(selected_.begin(), selected_.end(), 1); }
void SelectionList::ClearSelections() { std::fill(selected_.begin(), selected_.end(), 0); }

std::vector<std::string> SelectionList::SelectedItems() const {
  std::vector<std::string> out;
  for (size_t i = 0; i < items_.size(); ++i)
    if (selected_[i]) out.push_back(items_[i]);
  return out;
}

std::optional<size_t> SelectionList::FirstSelected() const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (selected_[i]) return i;
  return std::nullopt;
}

void SelectionList::SetCurrentIndex(int32_t i) {
  current_ = (i >= 0 && static_cast<size_t>(i) < items_.size()) ? i : -1;
}

void SelectionList::RemoveSelected() {
  size_t i = 0;
  while (i < items_.size()) {
    if (selected_[i]) {
      items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
      selected_.erase(selected_.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
  if (current_ >= static_cast<int32_t>(items_.size())) current_ = static_cast<int32_t>(items_.size()) - 1;
}

void SelectionList::Swap(size_t a, size_t b) { std::swap(items_.at(a), items_.at(b)); }

void MoveFldUp(SelectionList& list) {
  if (list.empty()) return;
  const int32_t i = list.CurrentIndex();
  if (i < 1 || static_cast<size_t>(i) >= list.Count()) return;
  const size_t at = static_cast<size_t>(i);
  list.Swap(at - 1, at);
  list.SetCurrentIndex(i - 1);
  list.SetSelected(at - 1, true);
  list.SetSelected(at, false);
}

void MoveFldDown(SelectionList& list) {
  if (list.empty()) return;
  const int32_t i = list.CurrentIndex();
  if (i < 0 || static_cast<size_t>(i) + 1 >= list.Count()) return;
  const size_t at = static_cast<size_t>(i);
  list.Swap(at, at + 1);
  list.SetCurrentIndex(i + 1);
  list.SetSelected(at + 1, true);
  list.SetSelected(at, false);
}

void CopySelected(SelectionList& from, SelectionList& to) {
  for (const std::string& name : from.SelectedItems()) to.Append(name);
  from.ClearSelections();
}

}  // namespace lumetrix::series
