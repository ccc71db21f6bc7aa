#pragma once
// A channel's histogram as bars of log counts over the values from `from` to `to` (the same
// axis as the range sliders below it), with the display range's minimum and maximum marked.

#include <QWidget>

#include "viewer/channel_histogram.h"

namespace lumetrix {

class HistogramStrip : public QWidget {
 public:
  explicit HistogramStrip(QWidget* parent = nullptr);
  void Show(const ChannelHistogram& histogram);
  void SetAxis(double from, double to);
  void SetMarks(double min, double max);
  QSize sizeHint() const override { return {200, 40}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  double X(double value) const;
  ChannelHistogram histogram_;
  double from_ = 0, to_ = 255, min_ = 0, max_ = 255;
};

}  // namespace lumetrix
