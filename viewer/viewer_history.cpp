// Undo and redo of the view on screen: the history belongs to the file shown and starts afresh
// with every other file.
#include <stdexcept>

#include "viewer/viewer.h"

namespace lumetrix {

ViewSnapshot Viewer::Snapshot() const {
  ViewSnapshot now{view_, Display()};
  now.Display.TimePoint = 0;  // playing or stepping through time is not undone
  return now;
}

bool Viewer::HistoryFollowsFile() {
  if (script_running_) return false;  // a script's changes are one step, settled after it
  const std::string file = VolumeShown() ? last_file_ : std::string();
  if (file != history_file_) {
    history_file_ = file;
    history_.Restart(Snapshot());
  }
  return !file.empty();
}

void Viewer::SettleViewStep() {
  if (HistoryFollowsFile()) history_.Settle(Snapshot());
}

bool Viewer::CanUndoView() {
  return HistoryFollowsFile() && history_.CanUndo(Snapshot());
}

bool Viewer::CanRedoView() {
  return HistoryFollowsFile() && history_.CanRedo(Snapshot());
}

void Viewer::UndoView() {
  if (!HistoryFollowsFile()) return;
  if (const auto state = history_.Undo(Snapshot())) ShowSnapshot(*state);
}

void Viewer::RedoView() {
  if (!HistoryFollowsFile()) return;
  if (const auto state = history_.Redo(Snapshot())) ShowSnapshot(*state);
}

void Viewer::ShowSnapshot(const ViewSnapshot& state) {
  ShowView(state.View);
  DisplaySettings display = state.Display;
  display.TimePoint = volume_.Display.TimePoint;
  try {
    ShowDisplaySettings(display);
  } catch (const std::invalid_argument&) {
    // A volume whose channels cannot be set keeps its look; the view is back all the same.
  }
}

}  // namespace lumetrix
