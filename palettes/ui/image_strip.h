#pragma once
// A sunken picture box that shows an image stretched over its drawing surface: the gradient
// strip and the palette maker's preview.

#include <QFrame>
#include <QImage>

namespace lumetrix {

class ImageStrip : public QFrame {
  Q_OBJECT
 public:
  // surface: the size of the drawing surface inside the 2-pixel border.
  ImageStrip(QSize surface, QWidget* parent);

  void setImage(const QImage& image);
  const QImage& image() const { return image_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
};

}  // namespace lumetrix
