#include "export/series/image_preview.h"

#include <QPixmap>
#include <QResizeEvent>

#include "imaging/image_box.h"

namespace lumetrix::series {

ImagePreview::ImagePreview(QWidget* parent) : QLabel(parent) {
  setAlignment(Qt::AlignCenter);
  setMinimumSize(96, 96);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setFrameShape(QFrame::StyledPanel);
}

void ImagePreview::ShowImage(const imaging::ImageBox& box) {
  const int w = box.ImageWidth(), h = box.ImageHeight();
  const std::vector<uint8_t>& bytes = box.PixelBytes();
  const size_t pixels = static_cast<size_t>(w > 0 ? w : 0) * static_cast<size_t>(h > 0 ? h : 0);
  if (pixels == 0) {
    ClearImage();
    return;
  }
  // Palette images come as one index byte per pixel; grey is the honest reading of them here.
  if (bytes.size() == pixels * 3) {
    image_ = QImage(bytes.data(), w, h, static_cast<qsizetype>(w) * 3, QImage::Format_BGR888).copy();
  } else if (bytes.size() == pixels) {
    image_ = QImage(bytes.data(), w, h, w, QImage::Format_Grayscale8).copy();
  } else {
    image_ = QImage();
  }
  Rescale();
}

void ImagePreview::ClearImage() {
  image_ = QImage();
  clear();
}

void ImagePreview::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Rescale();
}

void ImagePreview::Rescale() {
  if (image_.isNull()) {
    clear();
    return;
  }
  const QSize room = contentsRect().size().boundedTo(image_.size());
  setPixmap(QPixmap::fromImage(image_.scaled(room.expandedTo(QSize(1, 1)), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

}  // namespace lumetrix::series
