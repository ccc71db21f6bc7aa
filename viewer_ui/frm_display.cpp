#include "viewer_ui/frm_display.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>

#include "viewer_ui/clip_panel.h"
#include "viewer_ui/histogram_strip.h"
#include "viewer_ui/render_panel.h"
#include "viewer_ui/time_controls.h"
#include "viewer/viewer.h"

namespace lumetrix {

frmDisplay::frmDisplay(Viewer& viewer, QWidget* parent) : QDialog(parent), viewer_(viewer) {
  setObjectName("frmDisplay");
  setWindowTitle("Display");
  setAttribute(Qt::WA_DeleteOnClose);
  auto* column = new QVBoxLayout(this);
  column->addWidget(render_ = new RenderPanel(viewer_));
  column->addWidget(clip_ = new ClipPanel(viewer_));
  Refresh();
}

void frmDisplay::RefreshView() {
  render_->Refresh();
  clip_->Refresh();
}

void frmDisplay::Apply(const std::function<void()>& change) {
  try {
    change();
  } catch (const std::invalid_argument& e) {
    QMessageBox::warning(this, windowTitle(), QString::fromStdString(e.what()));
  }
  Refresh();  // a refused change puts the widgets back
}

std::tuple<int, int> frmDisplay::Shape() const {
  const int32_t channels = viewer_.ChannelCount();
  const bool settable = viewer_.Volume().Display.Channels.size() == static_cast<size_t>(channels);
  return {channels == 0 || settable ? channels : -1, viewer_.TimePointCount()};
}

void frmDisplay::Refresh() {
  if (Shape() != built_) Build();
  Update();
  RefreshView();
}

void frmDisplay::Update() {
  const DisplaySettings& d = viewer_.Volume().Display;
  if (!rows_.empty() && histogram_time_ != d.TimePoint) {
    histogram_time_ = d.TimePoint;
    for (size_t i = 0; i < rows_.size(); ++i) {
      const ChannelHistogram h = viewer_.Histogram(static_cast<int32_t>(i) + 1);
      rows_[i].histogram->Show(h);
      rows_[i].low = h.Low, rows_[i].high = h.High;
    }
  }
  const bool eight = viewer_.Volume().ChannelBits == 8;
  for (size_t i = 0; i < rows_.size() && i < d.Channels.size(); ++i) {
    const ChannelDisplay& c = d.Channels[i];
    const Row& row = rows_[i];
    // 16-bit sliders run over the samples' span (and the range, when it reaches beyond them).
    const int from = eight ? 0 : static_cast<int>(std::min<double>(row.low, c.Min));
    const int to = eight ? 255 : static_cast<int>(std::max<double>(row.high, std::ceil(c.Max)));
    row.histogram->SetAxis(from, to);
    row.histogram->SetMarks(c.Min, c.Max);
    row.swatch->setStyleSheet(QString("background-color: rgb(%1, %2, %3)").arg(c.Red).arg(c.Green).arg(c.Blue));
    const QSignalBlocker quiet(row.visible), quiet_gamma(row.gamma);
    row.visible->setChecked(c.Visible);
    row.gamma->setValue(c.Gamma);
    for (int e = 0; e < 2; ++e) {
      const QSignalBlocker quiet_end(row.ends[e]);
      row.ends[e]->setRange(from, to);
      row.ends[e]->setValue(static_cast<int>(e ? c.Max : c.Min));
      row.ends[e]->setToolTip(QString::number(row.ends[e]->value()));
    }
  }
  if (time_) time_->Refresh();
}

void frmDisplay::Build() {
  // New rows in a new page; the old page goes once the signal that changed it has returned.
  if (page_) page_->deleteLater();
  page_ = new QWidget(this);
  static_cast<QVBoxLayout*>(layout())->insertWidget(0, page_);
  built_ = Shape();
  rows_.clear();
  time_ = nullptr;
  histogram_time_ = 0;
  auto* grid = new QGridLayout(page_);
  grid->setColumnStretch(3, 1);  // the histogram and range sliders take the width
  const int channels = std::get<0>(built_);
  if (channels <= 0) {
    grid->addWidget(new QLabel(channels == 0 ? "First open image" : "The channels of this volume cannot be set"), 0, 0);
    return;
  }
  int column = 0;
  for (const char* head : {"Channel", "Colour", "Visible", "Range", "Gamma", "", ""})
    grid->addWidget(new QLabel(head), 0, column++);
  for (int32_t n = 1; n <= channels; ++n) {
    Row& row = rows_.emplace_back();
    grid->addWidget(new QLabel(QString::number(n)), n, 0);
    row.swatch = new QPushButton;
    row.swatch->setObjectName(QString("cmdColour%1").arg(n));
    connect(row.swatch, &QPushButton::clicked, this, [this, n] {
      const ChannelDisplay& c = viewer_.Volume().Display.Channels.at(static_cast<size_t>(n - 1));
      const QColor chosen = QColorDialog::getColor(QColor(c.Red, c.Green, c.Blue), this);
      if (chosen.isValid()) Apply([&] { viewer_.SetChannelColor(n, chosen.red(), chosen.green(), chosen.blue()); });
    });
    grid->addWidget(row.swatch, n, 1);
    row.visible = new QCheckBox;
    row.visible->setObjectName(QString("chkVisible%1").arg(n));
    connect(row.visible, &QCheckBox::toggled, this, [this, n](bool on) { Apply([&] { viewer_.SetChannel(n, on); }); });
    grid->addWidget(row.visible, n, 2);
    // The minimum and maximum sliders under the histogram, on the same axis.
    auto* range = new QVBoxLayout;
    range->setSpacing(0);
    range->addWidget(row.histogram = new HistogramStrip);
    for (int e = 0; e < 2; ++e) {
      auto* slider = row.ends[e] = new QSlider(Qt::Horizontal);
      slider->setObjectName(QString(e ? "sldMax%1" : "sldMin%1").arg(n));
      connect(slider, &QSlider::valueChanged, slider, [slider](int value) { slider->setToolTip(QString::number(value)); });
      range->addWidget(slider);
    }
    grid->addLayout(range, n, 3);
    for (QSlider* slider : row.ends) {
      connect(slider, &QSlider::sliderReleased, this, [this, n, lo = row.ends[0], hi = row.ends[1]] {
        Apply([&] { viewer_.SetDisplayRange(n, lo->value(), hi->value()); });
      });
    }
    row.gamma = new QDoubleSpinBox;
    row.gamma->setObjectName(QString("txtGamma%1").arg(n));
    row.gamma->setRange(0.05, 10), row.gamma->setSingleStep(0.1);
    connect(row.gamma, &QDoubleSpinBox::editingFinished, this,
            [this, n, gamma = row.gamma] { Apply([&] { viewer_.SetGamma(n, gamma->value()); }); });
    grid->addWidget(row.gamma, n, 4);
    auto* autoButton = new QPushButton("Auto");
    connect(autoButton, &QPushButton::clicked, this, [this, n] { Apply([&] { viewer_.AutoContrast(n); }); });
    grid->addWidget(autoButton, n, 5);
    auto* reset = new QPushButton("Reset");
    connect(reset, &QPushButton::clicked, this, [this, n] { Apply([&] { viewer_.ResetChannel(n); }); });
    grid->addWidget(reset, n, 6);
  }
  if (std::get<1>(built_) > 1) {
    grid->addWidget(new QLabel("Time point"), channels + 1, 0);
    time_ = new TimeControls(viewer_);
    grid->addWidget(time_, channels + 1, 1, 1, 6);
  }
}

}  // namespace lumetrix
