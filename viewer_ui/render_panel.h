#pragma once
// The "Rendering" group of the View panel: the render mode and the projection, with the attenuation
// (shown in the attenuated mode) and each channel's iso level (shown in the iso mode). A thin view
// over the viewer's setters that follows the view.

#include <QGroupBox>
#include <functional>
#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QLabel;

namespace lumetrix {

class Viewer;

class RenderPanel : public QGroupBox {
  Q_OBJECT
 public:
  explicit RenderPanel(Viewer& viewer, QWidget* parent = nullptr);
  void Refresh();

 private:
  void Apply(const std::function<void()>& change);
  void BuildIsoLevels(int channels);

  Viewer& viewer_;
  QComboBox* mode_ = nullptr;
  QComboBox* projection_ = nullptr;
  QLabel* attenuation_label_ = nullptr;
  QDoubleSpinBox* attenuation_ = nullptr;
  QWidget* iso_row_ = nullptr;
  std::vector<QDoubleSpinBox*> iso_;
};

}  // namespace lumetrix
