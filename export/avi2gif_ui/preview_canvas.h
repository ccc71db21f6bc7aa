#pragma once
// The preview area (ucCanvas): the current picture of the animation over a tiled
// checkerboard, magnified by a whole-number zoom.

#include <QImage>
#include <QWidget>

namespace lumetrix::avi2gif {

class PreviewCanvas : public QWidget {
  Q_OBJECT
 public:
  explicit PreviewCanvas(QWidget* parent = nullptr);

  // The picture; pixels with alpha 0 let the background show. A null image shows the
  // background alone.
  void SetPicture(const QImage& picture);
  const QImage& Picture() const { return picture_; }
  // 1 … 16; other values are limited to that range. Resizes the canvas to the zoomed picture.
  void SetZoom(int zoom);
  int Zoom() const { return zoom_; }
  // Empty picture, zoom kept.
  void Clear();

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Resize();

  QImage picture_;
  int zoom_ = 1;
};

}  // namespace lumetrix::avi2gif
