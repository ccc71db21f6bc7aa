#pragma once
// Plays a viewer's time points: the playback model driven by a timer. The next time point is
// prepared on worker threads while the current one shows; a tick whose time point is not ready
// yet waits for it (polling) rather than stacking up. One player per viewer, shared by every
// set of time controls and the main window's play action.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>

#include "viewer/time_playback.h"

namespace lumetrix {

class Viewer;

class TimePlayer : public QObject {
  Q_OBJECT
 public:
  // The player of `viewer`, made on first use; it lives while someone holds it.
  static std::shared_ptr<TimePlayer> For(Viewer& viewer);
  explicit TimePlayer(Viewer& viewer);
  ~TimePlayer() override;

  const TimePlayback& Model() const { return model_; }
  void Play();
  void Pause();
  void Toggle();
  // Throws InvalidViewValue outside 0.5..60 (see TimePlayback).
  void SetFramesPerSecond(double fps);
  void SetLoop(bool on);
  // What the timer does: shows the next time point when it is ready, else checks again soon.
  void Step();

 signals:
  // Playing or paused, the speed, loop, or the time point shown by a step.
  void changed();

 private:
  void PrepareUpcoming();

  Viewer& viewer_;
  TimePlayback model_;
  QTimer timer_;
  QElapsedTimer shown_;
};

}  // namespace lumetrix
