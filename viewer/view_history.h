#pragma once
// Undo and redo of view changes in the steps a person would name: a drag, a burst of wheel
// notches, a typed value, a reset. The window marks where steps end (a button or key going down
// or up); whatever changed since the last mark is one step. Without clocks or hooks in every
// setter, a step is simply the difference between two settled states.

#include <cstddef>
#include <deque>
#include <optional>

#include "core/view_state.h"
#include "viewer/channel_display.h"

namespace lumetrix {

// What an undo puts back: the view and the channels' look (the time point is not a view change).
struct ViewSnapshot {
  ViewState View;
  DisplaySettings Display;

  friend bool operator==(const ViewSnapshot&, const ViewSnapshot&) = default;
};

class ViewHistory {
 public:
  explicit ViewHistory(size_t limit = 100) : limit_(limit) {}

  // Forgets every step; `now` is where the next one starts (another volume is shown).
  void Restart(const ViewSnapshot& now);
  // A step ends: what changed since the last settled state becomes one undo step (and the redo
  // steps are gone, as in every editor).
  void Settle(const ViewSnapshot& now);
  bool CanUndo(const ViewSnapshot& now) const { return !undo_.empty() || !(now == settled_); }
  bool CanRedo(const ViewSnapshot& now) const { return !redo_.empty() && now == settled_; }
  // The state to show for Undo / Redo, `now` settled first; nothing when there is no step.
  std::optional<ViewSnapshot> Undo(const ViewSnapshot& now);
  std::optional<ViewSnapshot> Redo(const ViewSnapshot& now);

 private:
  // Undo and Redo are mirror images: the settled state goes to `to`, the last of `from` is shown.
  std::optional<ViewSnapshot> StepBack(std::deque<ViewSnapshot>& from, std::deque<ViewSnapshot>& to,
                                       const ViewSnapshot& now);

  std::deque<ViewSnapshot> undo_, redo_;
  ViewSnapshot settled_;
  size_t limit_;
};

}  // namespace lumetrix
