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

std::optional<ViewSnapshot> ViewHistory::Undo(const ViewSnapshot& now) { return StepBack(undo_, redo_, now); }

std::optional<ViewSnapshot> ViewHistory::Redo(const ViewSnapshot& now) { return StepBack(redo_, undo_, now); }

std::optional<ViewSnapshot> ViewHistory::StepBack(std::deque<ViewSnapshot>& from, std::deque<ViewSnapshot>& to,
                                                  const ViewSnapshot& now) {
  Settle(now);
  if (from.empty()) return std::nullopt;
  to.push_back(settled_);
  settled_ = from.back();
  from.pop_back();
  return settled_;
}

}  // namespace lumetrix
