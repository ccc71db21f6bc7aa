#pragma once
// The main window's status bar: the last message on the left (saved, cancelled, downsampled),
// and two permanent panes on the right, what the shown file holds and the render mode.

#include <string>

class QLabel;
class QStatusBar;

namespace lumetrix {

class Viewer;

class StatusPanes {
 public:
  // Adds the panes to `bar`, which owns them.
  explicit StatusPanes(QStatusBar* bar);
  // Shows the file and render mode of `viewer` (nothing while no file is shown).
  void Follow(const Viewer& viewer);
  // The message area ("" clears it).
  void ShowMessage(const std::string& line);

 private:
  QStatusBar* bar_;
  QLabel* message_;  // a pane of its own rather than the bar's message, which the panes could cover
  QLabel* volume_;
  QLabel* mode_;
};

}  // namespace lumetrix
