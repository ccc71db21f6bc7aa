#include "viewer_ui/clip_panel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <cmath>
#include <stdexcept>

#include "viewer/clip_plane_geometry.h"
#include "viewer/crop_limits.h"
#include "viewer/viewer.h"

namespace lumetrix {
namespace {

constexpr const char* kLimitNames[6] = {"X0", "X1", "Y0", "Y1", "Z0", "Z1"};

VoxelCounts VoxelsOf(const Viewer& viewer) {
  const std::array<int32_t, 3> n = viewer.Volume().ViewVoxels();
  return {std::max(n[0], 1), std::max(n[1], 1), std::max(n[2], 1)};
}

std::array<double, 6> Doubles(const CropBox& crop) {
  std::array<double, 6> limits{};
  for (size_t i = 0; i < 6; ++i) limits[i] = crop.Limits[i];
  return limits;
}

}  // namespace

ClipPanel::ClipPanel(Viewer& viewer, QWidget* parent) : QGroupBox("Clip", parent), viewer_(viewer) {
  setObjectName("grpClip");
  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(1, 1);
  for (int i = 0; i < 6; ++i) {
    grid->addWidget(new QLabel(QString(kLimitNames[i]).toLower()), i, 0);
    auto* slider = limits_[static_cast<size_t>(i)] = new QSlider(Qt::Horizontal);
    slider->setObjectName(QString("sldCrop%1").arg(kLimitNames[i]));
    auto* box = limit_boxes_[static_cast<size_t>(i)] = new QSpinBox;
    box->setObjectName(QString("txtCrop%1").arg(kLimitNames[i]));
    connect(slider, &QSlider::valueChanged, this, [this, i](int v) { MoveLimit(i, v); });
    connect(box, &QSpinBox::valueChanged, this, [this, i](int v) { MoveLimit(i, v); });
    // The outline shows only while a slider is held.
    connect(slider, &QSlider::sliderPressed, this, [this] { viewer_.ShowCropOutline(true); });
    connect(slider, &QSlider::sliderReleased, this, [this] { viewer_.ShowCropOutline(false); });
    grid->addWidget(slider, i, 1);
    grid->addWidget(box, i, 2);
  }
  auto* reset = new QPushButton("Reset");
  reset->setObjectName("cmdCropReset");
  connect(reset, &QPushButton::clicked, this, [this] {
    Apply([&] { viewer_.SetCrop(Doubles(CropBox{})); });
  });
  grid->addWidget(reset, 6, 2);

  plane_on_ = new QCheckBox("Clipping plane");
  plane_on_->setObjectName("chkClipPlane");
  connect(plane_on_, &QCheckBox::toggled, this, [this](bool on) {
    if (on)
      ApplyPlane(true);
    else
      Apply([&] { viewer_.ClearClipPlane(); });
  });
  grid->addWidget(plane_on_, 7, 0, 1, 3);
  auto angle = [&](const char* name, const char* label, int row, int limit) {
    auto* box = new QSpinBox;
    box->setObjectName(name);
    box->setRange(-limit, limit);
    box->setSuffix("\u00b0");
    connect(box, &QSpinBox::valueChanged, this, [this] { ApplyPlane(true); });
    grid->addWidget(new QLabel(label), row, 0);
    grid->addWidget(box, row, 2);
    return box;
  };
  azimuth_ = angle("txtClipAzimuth", "Azimuth", 8, 180);
  azimuth_->setWrapping(true);
  elevation_ = angle("txtClipElevation", "Elevation", 9, 90);
  grid->addWidget(new QLabel("Position"), 10, 0);
  position_ = new QSlider(Qt::Horizontal);
  position_->setObjectName("sldClipPosition");
  position_shown_ = new QLabel("0");
  connect(position_, &QSlider::valueChanged, this, [this](int v) {
    position_shown_->setNum(v);
    ApplyPlane(false);
  });
  grid->addWidget(position_, 10, 1);
  grid->addWidget(position_shown_, 10, 2);
  Refresh();
}

void ClipPanel::Apply(const std::function<void()>& change) {
  try {
    change();
  } catch (const std::invalid_argument& e) {
    QMessageBox::warning(this, "Clip", QString::fromStdString(e.what()));
  }
  Refresh();  // a refused change puts the widgets back
}

void ClipPanel::MoveLimit(int index, int value) {
  Apply([&] { viewer_.SetCrop(Doubles(MoveCropLimit(viewer_.View().Crop, index, value, VoxelsOf(viewer_)))); });
}

void ClipPanel::ApplyPlane(bool new_normal) {
  if (!plane_on_->isChecked()) return;  // the widgets wait for the plane to be switched on
  const ClipPlane& now = viewer_.View().Clip;
  const std::array<double, 3> normal =
      new_normal || !now.On ? NormalFromAngles(azimuth_->value(), elevation_->value())
                            : std::array<double, 3>{now.Plane[0], now.Plane[1], now.Plane[2]};
  const ClipPlane plane = PlaneAt(normal, position_->value(), VoxelsOf(viewer_));
  Apply([&] { viewer_.SetClipPlane(plane.Plane[0], plane.Plane[1], plane.Plane[2], plane.Plane[3]); });
}

void ClipPanel::Refresh() {
  setEnabled(viewer_.VolumeShown());
  const VoxelCounts voxels = VoxelsOf(viewer_);
  const std::array<int32_t, 6> values = CropSliderValues(viewer_.View().Crop, voxels);
  for (size_t i = 0; i < 6; ++i) {
    const QSignalBlocker quiet(limits_[i]), quiet_box(limit_boxes_[i]);
    limits_[i]->setRange(0, voxels[i / 2] - 1);
    limit_boxes_[i]->setRange(0, voxels[i / 2] - 1);
    limits_[i]->setValue(values[i]);
    limit_boxes_[i]->setValue(values[i]);
  }
  const ClipPlane& clip = viewer_.View().Clip;
  const QSignalBlocker quiet(plane_on_), quiet_a(azimuth_), quiet_e(elevation_), quiet_p(position_);
  const int reach = static_cast<int>(std::ceil(HalfDiagonal(voxels)));
  position_->setRange(-reach, reach);
  plane_on_->setChecked(clip.On);
  if (clip.On) {
    const std::array<double, 2> angles = AnglesOf(clip);
    azimuth_->setValue(static_cast<int>(std::lround(angles[0])));
    elevation_->setValue(static_cast<int>(std::lround(angles[1])));
    position_->setValue(static_cast<int>(std::lround(PlanePosition(clip, voxels))));
  }
  position_shown_->setNum(position_->value());
}

}  // namespace lumetrix
