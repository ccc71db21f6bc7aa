#pragma once
// The Display window: per channel a colour swatch, visible, minimum and maximum sliders under
// the channel's histogram, gamma,
// Auto and Reset, and the time point when there are several. A thin view over the viewer's
// channel setters; the slices are rebuilt when a slider is let go.

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
  std::tuple<int, int> built_{-2, -2};
  std::vector<Row> rows_;
  QSlider* time_ = nullptr;
  QLabel* time_shown_ = nullptr;
  int32_t histogram_time_ = 0;  // the time point the histograms show
};

}  // namespace lumetrix
