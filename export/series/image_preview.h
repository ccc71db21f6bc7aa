#pragma once
// Shows the current image of an image-file component, scaled to fit, or nothing.

#include <QImage>
#include <QLabel>

namespace lumetrix::imaging {
class ImageBox;
}

namespace lumetrix::series {

class ImagePreview : public QLabel {
  Q_OBJECT
 public:
  explicit ImagePreview(QWidget* parent = nullptr);

  // Copies the box's current image (grey or colour); an empty box shows nothing.
  void ShowImage(const imaging::ImageBox& box);
  void ClearImage();
  bool HasImage() const { return !image_.isNull(); }
  const QImage& Image() const { return image_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Rescale();
  QImage image_;
};

}  // namespace lumetrix::series
