#include "palettes/ui/colour_swatch.h"

#include <QMouseEvent>
#include <QPainter>

namespace lumetrix {

ColourSwatch::ColourSwatch(int index, QWidget* parent) : QWidget(parent), index_(index) {
  setFixedSize(30, 30);
  setCursor(Qt::PointingHandCursor);
}

void ColourSwatch::setColour(const QColor& c) {
  colour_ = c;
  update();
}

void ColourSwatch::setBordered(bool on) {
  bordered_ = on;
  update();
}

void ColourSwatch::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), colour_);
  if (bordered_) {
    p.setPen(QPen(palette().color(QPalette::WindowText), 1));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

void ColourSwatch::mousePressEvent(QMouseEvent* event) { emit pressed(index_, event->button()); }

}  // namespace lumetrix
