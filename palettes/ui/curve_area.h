#pragma once
// The palette maker's curve area: 256 x 256 positions plus one handle in each direction, the
// current channel's polyline, and nine draggable handles (12 x 12, white, with the channel's
// arrow) whose top-left corner stands at the point.

#include <QColor>
#include <QPoint>
#include <QVector>
#include <QWidget>
#include <array>

namespace lumetrix {

class CurveHandle : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kSize = 12;
  CurveHandle(int index, QWidget* parent);
  void setArrowColour(const QColor& c);

 signals:
  // Positions inside the handle.
  void grabbed(int index, QPointF at);
  void dragged(int index, QPointF at);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  int index_;
  QColor arrow_ = Qt::red;
};

class CurveArea : public QWidget {
  Q_OBJECT
 public:
  explicit CurveArea(QWidget* parent);

  CurveHandle* handle(int i) const { return handles_[static_cast<std::size_t>(i)]; }
  // The polyline through the given points (table position, row), drawn in colour.
  void setCurve(const QVector<QPoint>& points, const QColor& colour);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  std::array<CurveHandle*, 9> handles_{};
  QVector<QPoint> points_;
  QColor colour_;
};

}  // namespace lumetrix
