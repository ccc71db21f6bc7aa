#pragma once
// The "View" panel docked beside the drawing area: how the volume is drawn (render mode,
// projection, attenuation, iso levels, ray step), the scale bar, the axes and the light, and the
// crop box and clipping plane; below them a slot for the time controls. A thin view over the
// viewer's setters that follows the view.

#include <QWidget>

class QBoxLayout;
class QCheckBox;
class QDoubleSpinBox;

namespace lumetrix {

class ClipPanel;
class RenderPanel;
class Viewer;

class ViewPanel : public QWidget {
  Q_OBJECT
 public:
  explicit ViewPanel(Viewer& viewer, QWidget* parent = nullptr);
  void Refresh();
  // Empty: the place for the time point controls, under the others.
  QBoxLayout* TimeSlot() const { return time_slot_; }

 private:
  Viewer& viewer_;
  RenderPanel* render_ = nullptr;
  ClipPanel* clip_ = nullptr;
  QDoubleSpinBox* quality_ = nullptr;
  QCheckBox* scale_bar_ = nullptr;
  QCheckBox* axes_ = nullptr;
  QCheckBox* light_ = nullptr;
  QBoxLayout* time_slot_ = nullptr;
};

}  // namespace lumetrix
