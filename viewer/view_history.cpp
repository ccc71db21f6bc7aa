#include "viewer/view_history.h"

namespace lumetrix {

void ViewHistory::Restart(const ViewSnapshot& now) {
  undo_.clear();
  redo_.clear();
  settled_ = now;
}

void ViewHistory::Settle(const ViewSnapshot& now) {
  if (now == settled_) return;
  undo_.push_back(settled_);
  if (undo_.size() > limit_) undo_.pop_front();
  redo_.clear();
  settled_ = now;
}

std::optional<ViewSnapshot> ViewHistory::Undo(const ViewSnapshot& now) {
  Settle(now);
  if (undo_.empty()) return std::nullopt;
  redo_.push_back(settled_);
  settled_ = undo_.back();
  undo_.pop_back();
  return settled_;
}

std::optional<ViewSnapshot> ViewHistory::Redo(const ViewSnapshot& now) {
  Settle(now);
  if (redo_.empty()) return std::nullopt;
  undo_.push_back(settled_);
  settled_ = redo_.back();
  redo_.pop_back();
  return settled_;
}

}  // namespace lumetrix
