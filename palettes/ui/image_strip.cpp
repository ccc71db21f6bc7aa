#include "palettes/ui/image_strip.h"

#include <QPainter>

namespace lumetrix {

ImageStrip::ImageStrip(QSize surface, QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  setFixedSize(surface + QSize(4, 4));
}

void ImageStrip::setImage(const QImage& image) {
  image_ = image;
  update();
}

void ImageStrip::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  if (image_.isNull()) return;
  QPainter p(this);
  p.drawImage(contentsRect(), image_);
}

}  // namespace lumetrix
