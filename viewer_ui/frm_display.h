#pragma once
// The Display window: per channel a colour swatch, visible, minimum and maximum sliders under
// the channel's histogram, gamma,
// Auto and Reset, and the time controls (play, "t of T") when there are several time points; under them the render mode and the
// Clip group (crop box and clipping plane). A thin view over the viewer's setters; the slices
// are rebuilt when a range slider is let go.

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

class ClipPanel;
class HistogramStrip;
class RenderPanel;
class TimeControls;
class Viewer;

class frmDisplay : public QDialog {
  Q_OBJECT
 public:
  frmDisplay(Viewer& viewer, QWidget* parent = nullptr);
  // Follows the viewer: the values in place (safe inside the window's own signals), new rows only
  // when the channels or time points came or went.
  void Refresh();
  // Follows a change of the view (crop box, plane, render mode) only.
  void RefreshView();

 private:
  struct Row {
    QPushButton* swatch;
    QCheckBox* visible;
    HistogramStrip* histogram;
    QSlider* ends[2];
    QDoubleSpinBox* gamma;
    uint32_t low, high;  // the histogram's span
  };
  // Channels that can be set (0: none, -1: a volume whose channels cannot be set) and time points.
  std::tuple<int, int> Shape() const;
  void Build();
  void Update();
  void Apply(const std::function<void()>& change);
  Viewer& viewer_;
  QWidget* page_ = nullptr;
  RenderPanel* render_ = nullptr;
  ClipPanel* clip_ = nullptr;
  std::tuple<int, int> built_{-2, -2};
  std::vector<Row> rows_;
  TimeControls* time_ = nullptr;
  int32_t histogram_time_ = 0;  // the time point the histograms show
};

}  // namespace lumetrix
