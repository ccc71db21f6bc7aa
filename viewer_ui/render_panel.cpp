#include "viewer_ui/render_panel.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QSignalBlocker>
#include <algorithm>
#include <stdexcept>

#include "viewer/render_options.h"
#include "viewer/viewer.h"

namespace lumetrix {

RenderPanel::RenderPanel(Viewer& viewer, QWidget* parent) : QGroupBox("Rendering", parent), viewer_(viewer) {
  setObjectName("grpRendering");
  auto* form = new QFormLayout(this);  // one setting a row, narrow enough for a side panel
  mode_ = new QComboBox;
  mode_->setObjectName("cboRenderMode");
  for (int m = 0; m <= static_cast<int>(RenderMode::Iso); ++m) mode_->addItem(RenderModeName(static_cast<RenderMode>(m)));
  connect(mode_, &QComboBox::activated, this, [this](int index) {
    Apply([&] {
      std::string why;
      if (!viewer_.SetRenderMode(mode_->itemText(index).toStdString(), why)) throw std::invalid_argument(why);
    });
  });
  projection_ = new QComboBox;
  projection_->setObjectName("cboProjection");
  for (Projection p : {Projection::Perspective, Projection::Orthographic}) projection_->addItem(ProjectionName(p));
  connect(projection_, &QComboBox::activated, this,
          [this](int index) { Apply([&] { viewer_.SetProjection(projection_->itemText(index).toStdString()); }); });
  attenuation_label_ = new QLabel("Attenuation");
  attenuation_ = new QDoubleSpinBox;
  attenuation_->setObjectName("txtAttenuation");
  attenuation_->setRange(0, 100), attenuation_->setDecimals(3), attenuation_->setSingleStep(0.01);
  connect(attenuation_, &QDoubleSpinBox::editingFinished, this,
          [this] { Apply([&] { viewer_.SetAttenuation(attenuation_->value()); }); });
  iso_row_ = new QWidget;
  new QHBoxLayout(iso_row_);
  iso_row_->layout()->setContentsMargins(0, 0, 0, 0);
  form->addRow("Mode", mode_);
  form->addRow("Projection", projection_);
  form->addRow(attenuation_label_, attenuation_);
  form->addRow(iso_row_);
  Refresh();
}

void RenderPanel::Apply(const std::function<void()>& change) {
  try {
    change();
  } catch (const std::invalid_argument& e) {
    QMessageBox::warning(this, "Rendering", QString::fromStdString(e.what()));
  }
  Refresh();
}

void RenderPanel::BuildIsoLevels(int channels) {
  for (QDoubleSpinBox* box : iso_) delete box;
  iso_.clear();
  auto* layout = static_cast<QHBoxLayout*>(iso_row_->layout());
  if (layout->count() == 0) layout->addWidget(new QLabel("Iso level"));
  for (int n = 1; n <= channels; ++n) {
    auto* box = new QDoubleSpinBox;
    box->setObjectName(QString("txtIsoLevel%1").arg(n));
    box->setRange(kIsoMiddle, 65535), box->setDecimals(1);
    box->setSpecialValueText("middle");  // kIsoMiddle: the middle of the display range
    box->setToolTip(QString("Channel %1").arg(n));
    connect(box, &QDoubleSpinBox::editingFinished, this, [this, n, box] {
      Apply([&] { viewer_.SetIsoLevel(n, box->value() < 0 ? kIsoMiddle : box->value()); });
    });
    layout->addWidget(box);
    iso_.push_back(box);
  }
}

void RenderPanel::Refresh() {
  const ViewState& v = viewer_.View();
  const int channels = std::clamp(viewer_.ChannelCount(), 1, kIsoChannels);
  if (static_cast<int>(iso_.size()) != channels) BuildIsoLevels(channels);
  const QSignalBlocker quiet(mode_), quiet_p(projection_), quiet_a(attenuation_);
  mode_->setCurrentIndex(static_cast<int>(v.Mode));
  projection_->setCurrentIndex(v.Proj == Projection::Orthographic ? 1 : 0);
  attenuation_->setValue(v.Attenuation);
  attenuation_label_->setVisible(v.Mode == RenderMode::Attenuated);
  attenuation_->setVisible(v.Mode == RenderMode::Attenuated);
  iso_row_->setVisible(v.Mode == RenderMode::Iso);
  for (size_t i = 0; i < iso_.size(); ++i) {
    const QSignalBlocker quiet_iso(iso_[i]);
    iso_[i]->setValue(v.IsoLevel[i] < 0 ? kIsoMiddle : v.IsoLevel[i]);
  }
}

}  // namespace lumetrix
