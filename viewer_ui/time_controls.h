#pragma once
// Time-lapse controls: play/pause, the time point slider with "t of T", frames per second and
// loop. Hidden for a volume of one time point. Every set of controls of a viewer drives the same
// TimePlayer, so the View panel's and the Display window's agree.

#include <QWidget>
#include <memory>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QSlider;
class QToolButton;

namespace lumetrix {

class TimePlayer;
class Viewer;

class TimeControls : public QWidget {
  Q_OBJECT
 public:
  TimeControls(Viewer& viewer, QWidget* parent = nullptr);
  ~TimeControls() override;
  // Follows the viewer: the time points there are and the one shown.
  void Refresh();
  TimePlayer& Player() { return *player_; }

 private:
  void ShowTimePoint(int t);

  Viewer& viewer_;
  std::shared_ptr<TimePlayer> player_;
  QToolButton* play_ = nullptr;
  QSlider* time_ = nullptr;
  QLabel* shown_ = nullptr;
  QDoubleSpinBox* fps_ = nullptr;
  QCheckBox* loop_ = nullptr;
};

// The caption of the time label: "2 of 3".
QString TimeOfCount(int t, int count);

}  // namespace lumetrix
