#include "viewer_ui/view_panel.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <functional>
#include <stdexcept>

#include "viewer/viewer.h"
#include "viewer_ui/clip_panel.h"
#include "viewer_ui/render_panel.h"

namespace lumetrix {

ViewPanel::ViewPanel(Viewer& viewer, QWidget* parent) : QWidget(parent), viewer_(viewer) {
  setObjectName("ViewPanel");
  auto* column = new QVBoxLayout(this);
  column->addWidget(render_ = new RenderPanel(viewer_));

  auto* shown = new QGroupBox("Picture");
  shown->setObjectName("grpPicture");
  auto* form = new QFormLayout(shown);
  quality_ = new QDoubleSpinBox;
  quality_->setObjectName("txtQuality");
  quality_->setRange(0.01, 4), quality_->setDecimals(2), quality_->setSingleStep(0.05);  // CheckedQuality's range
  quality_->setSuffix(" voxel");
  quality_->setToolTip("The ray-cast modes' step along each ray: smaller is finer and slower");
  connect(quality_, &QDoubleSpinBox::editingFinished, this, [this] {
    try {
      viewer_.SetQuality(quality_->value());
    } catch (const std::invalid_argument& e) {
      QMessageBox::warning(this, "View", QString::fromStdString(e.what()));
    }
    Refresh();
  });
  form->addRow("Ray step", quality_);
  auto check = [&](const char* name, const char* caption, std::function<void(bool)> set) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(name);
    connect(box, &QCheckBox::toggled, this, std::move(set));
    form->addRow(box);
    return box;
  };
  scale_bar_ = check("chkScaleBar", "Scale bar", [this](bool on) { viewer_.SetScaleBar(on); });
  axes_ = check("chkAxes", "Axes", [this](bool on) { viewer_.SetAxes(on); });
  light_ = check("chkLight", "Light", [this](bool on) { viewer_.SwitchLight(on); });
  column->addWidget(shown);

  column->addWidget(clip_ = new ClipPanel(viewer_));
  auto* slot = new QVBoxLayout;
  slot->setObjectName("layTimeSlot");
  column->addLayout(slot);
  time_slot_ = slot;
  column->addStretch(1);
  Refresh();
}

void ViewPanel::Refresh() {
  render_->Refresh();
  clip_->Refresh();
  const ViewState& v = viewer_.View();
  const QSignalBlocker quiet(quality_), quiet_bar(scale_bar_), quiet_axes(axes_), quiet_light(light_);
  quality_->setValue(v.Quality);
  scale_bar_->setChecked(v.ScaleBar);
  axes_->setChecked(v.Axes);
  light_->setChecked(v.LightOn);
}

}  // namespace lumetrix
