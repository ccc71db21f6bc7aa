#pragma once
// The Display window's "Clip" group: the crop box's six limits in voxels (a slider and a spin box
// each; a first limit pushes its second along) with Reset, and the free clipping plane (on or
// off, the azimuth and elevation of its normal, its position along the normal from the volume's
// centre). A thin view over the viewer's SetCrop, SetClipPlane and ClearClipPlane that follows
// the view; while a crop slider is dragged the crop box's outline is drawn.

#include <QGroupBox>
#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QSlider;
class QSpinBox;

namespace lumetrix {

class Viewer;

class ClipPanel : public QGroupBox {
  Q_OBJECT
 public:
  explicit ClipPanel(Viewer& viewer, QWidget* parent = nullptr);
  // Shows the view's crop box and plane (the plane's widgets keep their values while it is off).
  void Refresh();

 private:
  void Apply(const std::function<void()>& change);
  void MoveLimit(int index, int value);
  // The plane from the widgets: a new normal from the angles, or the stored normal at a new
  // position.
  void ApplyPlane(bool new_normal);

  Viewer& viewer_;
  std::array<QSlider*, 6> limits_{};
  std::array<QSpinBox*, 6> limit_boxes_{};
  QCheckBox* plane_on_ = nullptr;
  QSpinBox* azimuth_ = nullptr;
  QSpinBox* elevation_ = nullptr;
  QSlider* position_ = nullptr;
  QLabel* position_shown_ = nullptr;
};

}  // namespace lumetrix
