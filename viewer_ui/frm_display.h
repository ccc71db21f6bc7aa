#pragma once
// The Display window: per channel a colour swatch, visible, minimum and maximum sliders under
// the channel's histogram with their values as fields to type in, gamma, Auto and Reset, and
// the time controls (play, "t of T", frames per second, loop) when there are several time points. A thin view over the viewer's setters.
// A dragged slider shows its value at once; the picture follows it during the drag when the
// volume rebuilds fast (PreviewWhileDragging), otherwise when the slider is let go.

#include <QDialog>
#include <functional>
#include <tuple>
#include <vector>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSlider;

namespace lumetrix {

class HistogramStrip;
class TimeControls;
class Viewer;

class frmDisplay : public QDialog {
  Q_OBJECT
 public:
  frmDisplay(Viewer& viewer, QWidget* parent = nullptr);
  // Follows the viewer: the values in place (safe inside the window's own signals), new rows only
  // when the channels or time points came or went.
  void Refresh();

 private:
  struct Row {
    QPushButton* swatch;
    QCheckBox* visible;
    HistogramStrip* histogram;
    QSlider* ends[2];
    QDoubleSpinBox* typed[2];  // in the file's stored values; the sliders run over held values
    QDoubleSpinBox* gamma;
    uint32_t low, high;  // the histogram's span
    double shown[2];     // the ends as last shown: a field left unchanged changes nothing
    double shown_gamma;
  };
  // Channels that can be set (0: none, -1: a volume whose channels cannot be set) and time points.
  std::tuple<int, int> Shape() const;
  void Build();
  static QPushButton* Button(const QString& text, const QString& name);
  void Update();
  void Apply(const std::function<void()>& change);
  // A slider's value while it moves: shown in its field and on the histogram; applied at once
  // when set from the keyboard, during a drag only when the preview is live.
  void SliderMoved(int n, int end);
  // Channel n's range with end `end` set to stored value `value`; a minimum at or above the
  // maximum pushes the other end one step along.
  void SetEnd(int n, int end, double value);
  // Coalesces the changes of a drag: at most one waits, the latest, run once the events queued
  // before it are handled; the release runs its own change and drops the waiting one.
  void Defer(std::function<void()> change);
  Viewer& viewer_;
  QWidget* page_ = nullptr;
  std::tuple<int, int> built_{-2, -2};
  std::vector<Row> rows_;
  TimeControls* time_ = nullptr;
  int32_t histogram_time_ = 0;  // the time point the histograms show
  int top_value_ = 255;         // the largest held value
  bool live_ = false;           // the picture follows a dragged slider
  std::function<void()> pending_;
};

}  // namespace lumetrix
