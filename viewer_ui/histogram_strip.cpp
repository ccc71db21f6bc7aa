#include "viewer_ui/histogram_strip.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace lumetrix {

HistogramStrip::HistogramStrip(QWidget* parent) : QWidget(parent) { setMinimumHeight(32); }

void HistogramStrip::Show(const ChannelHistogram& histogram) {
  histogram_ = histogram;
  update();
}

void HistogramStrip::SetAxis(double from, double to) {
  from_ = from, to_ = to;
  update();
}

void HistogramStrip::SetMarks(double min, double max) {
  min_ = min, max_ = max;
  update();
}

double HistogramStrip::X(double value) const {
  // The axis holds the whole values from..to, each as wide as the next.
  return (value - from_) * width() / std::max(1.0, to_ - from_ + 1);
}

void HistogramStrip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(32, 32, 32));
  const uint64_t most = *std::max_element(histogram_.Counts.begin(), histogram_.Counts.end());
  // Log counts: a dark background of millions of voxels leaves the few bright ones visible.
  const double scale = most ? (height() - 1) / std::log1p(static_cast<double>(most)) : 0;
  const double span = static_cast<double>(histogram_.High) - histogram_.Low + 1;
  for (size_t b = 0; b < histogram_.Counts.size(); ++b) {
    if (!histogram_.Counts[b]) continue;
    const double x0 = X(histogram_.Low + b * span / 256), x1 = X(histogram_.Low + (b + 1) * span / 256);
    const double bar = std::log1p(static_cast<double>(histogram_.Counts[b])) * scale;
    p.fillRect(QRectF(x0, height() - bar, std::max(1.0, x1 - x0), bar), QColor(190, 190, 190));
  }
  p.setPen(QPen(QColor(255, 200, 0), 1));
  for (double mark : {min_, max_}) {
    const double x = std::clamp(X(mark), 0.0, width() - 1.0);
    p.drawLine(QPointF(x, 0), QPointF(x, height()));
  }
}

}  // namespace lumetrix
