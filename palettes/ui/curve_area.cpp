#include "palettes/ui/curve_area.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

namespace lumetrix {

CurveHandle::CurveHandle(int index, QWidget* parent) : QWidget(parent), index_(index) {
  setFixedSize(kSize, kSize);
  setCursor(Qt::SizeAllCursor);
}

void CurveHandle::setArrowColour(const QColor& c) {
  arrow_ = c;
  update();
}

void CurveHandle::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  // An up-down arrow: the handle moves the value.
  p.setPen(QPen(arrow_, 1));
  p.setBrush(arrow_);
  p.drawLine(6, 3, 6, 8);
  p.drawPolygon(QPolygon({QPoint(3, 4), QPoint(6, 1), QPoint(9, 4)}));
  p.drawPolygon(QPolygon({QPoint(3, 8), QPoint(6, 11), QPoint(9, 8)}));
}

void CurveHandle::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit grabbed(index_, event->position());
}

void CurveHandle::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) emit dragged(index_, event->position());
}

CurveArea::CurveArea(QWidget* parent) : QWidget(parent) {
  setFixedSize(256 + CurveHandle::kSize, 256 + CurveHandle::kSize);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
  for (int i = 0; i < 9; ++i) handles_[static_cast<std::size_t>(i)] = new CurveHandle(i, this);
}

void CurveArea::setCurve(const QVector<QPoint>& points, const QColor& colour) {
  points_ = points;
  colour_ = colour;
  update();
}

void CurveArea::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(QPen(QColor(220, 220, 220), 1, Qt::DotLine));
  const int h = CurveHandle::kSize / 2;
  for (int v = 0; v <= 256; v += 64) {
    p.drawLine(h + v, h, h + v, h + 255);
    p.drawLine(h, h + v, h + 255, h + v);
  }
  p.setPen(QPen(colour_, 1));
  for (int i = 1; i < points_.size(); ++i)
    p.drawLine(points_[i - 1] + QPoint(h, h), points_[i] + QPoint(h, h));
}

}  // namespace lumetrix
