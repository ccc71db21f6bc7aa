#pragma once
// What the AVI import reports to: the window's progress bar (maximum = the frame count, one
// step per frame, back to 0 at the end) and a way to stop between frames.

#include "export/gif/progress_sink.h"

namespace lumetrix::avi2gif {

class ImportProgress : public gif::ProgressSink {
 public:
  // Asked after every frame; the window lets pending events run in SetValue, so a click on
  // "Exit" or a closed window shows up here.
  virtual bool Cancelled() const { return false; }
};

}  // namespace lumetrix::avi2gif
