#include "export/avi2gif_ui/preview_canvas.h"

#include <QPainter>
#include <algorithm>

namespace lumetrix::avi2gif {
namespace {

// The tiling brush behind the picture: 8-pixel grey squares.
QBrush TileBrush() {
  QImage tile(16, 16, QImage::Format_RGB32);
  tile.fill(QColor(204, 204, 204));
  QPainter p(&tile);
  p.fillRect(0, 0, 8, 8, QColor(153, 153, 153));
  p.fillRect(8, 8, 8, 8, QColor(153, 153, 153));
  return QBrush(tile);
}

}  // namespace

PreviewCanvas::PreviewCanvas(QWidget* parent) : QWidget(parent) {
  setObjectName("ucCanvas");
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewCanvas::SetPicture(const QImage& picture) {
  const bool resized = picture.size() != picture_.size();
  picture_ = picture;
  if (resized) Resize();
  update();
}

void PreviewCanvas::SetZoom(int zoom) {
  zoom_ = std::clamp(zoom, 1, 16);
  Resize();
  update();
}

void PreviewCanvas::Clear() { SetPicture(QImage()); }

QSize PreviewCanvas::sizeHint() const {
  if (picture_.isNull()) return QSize(160, 120);
  return picture_.size() * zoom_;
}

void PreviewCanvas::Resize() {
  setMinimumSize(sizeHint());
  resize(sizeHint());
  updateGeometry();
}

void PreviewCanvas::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), TileBrush());
  if (picture_.isNull()) return;
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.drawImage(QRect(QPoint(0, 0), picture_.size() * zoom_), picture_);
}

}  // namespace lumetrix::avi2gif
