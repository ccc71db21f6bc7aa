#include "viewer_ui/frm_display.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <utility>

#include "viewer_ui/histogram_strip.h"
#include "viewer_ui/time_controls.h"
#include "viewer/live_preview.h"
#include "viewer/viewer.h"

namespace lumetrix {
frmDisplay::frmDisplay(Viewer& viewer, QWidget* parent) : QDialog(parent), viewer_(viewer) {
  setObjectName("frmDisplay");
  setWindowTitle("Display");
  setAttribute(Qt::WA_DeleteOnClose);
  new QVBoxLayout(this);
  Refresh();
}

// Enter in a typed field applies the field; a dialog would also press its default button (the
// first colour swatch, opening the colour chooser), so no button here is one.
QPushButton* frmDisplay::Button(const QString& text, const QString& name) {
  auto* button = new QPushButton(text);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

void frmDisplay::Apply(const std::function<void()>& change) {
  try {
    change();
  } catch (const std::invalid_argument& e) {
    QMessageBox::warning(this, windowTitle(), QString::fromStdString(e.what()));
  }
  Refresh();  // a refused change puts the widgets back
}

void frmDisplay::Defer(std::function<void()> change) {
  const bool waiting = static_cast<bool>(pending_);
  pending_ = std::move(change);
  if (!waiting) {
    QTimer::singleShot(0, this, [this] {
      if (const auto change = std::exchange(pending_, nullptr)) change();
    });
  }
}

std::tuple<int, int> frmDisplay::Shape() const {
  const int32_t channels = viewer_.ChannelCount();
  const bool settable = viewer_.Volume().Display.Channels.size() == static_cast<size_t>(channels);
  return {channels == 0 || settable ? channels : -1, viewer_.TimePointCount()};
}

void frmDisplay::Refresh() {
  if (Shape() != built_) Build();
  Update();
}

void frmDisplay::SliderMoved(int n, int end) {
  const Row& row = rows_.at(static_cast<size_t>(n - 1));
  QSlider* slider = row.ends[end];
  const QSignalBlocker quiet(row.typed[end]);
  const imaging::StoredValues& values = viewer_.Volume().Values;
  row.typed[end]->setValue(values.Stored(slider->value()));
  row.histogram->SetMarks(row.ends[0]->value(), row.ends[1]->value());
  if (!slider->isSliderDown()) return SetEnd(n, end, values.Stored(slider->value()));  // keys or a click beside the handle
  if (live_) Defer([this, n, end, s = QPointer<QSlider>(slider)] {
    if (s) SetEnd(n, end, viewer_.Volume().Values.Stored(s->value()));
  });
}

void frmDisplay::SetEnd(int n, int end, double value) {
  const ChannelDisplay& c = viewer_.Volume().Display.Channels.at(static_cast<size_t>(n - 1));
  const imaging::StoredValues& values = viewer_.Volume().Values;
  double range[2] = {c.Min, c.Max};  // the other end as it is, fractions kept
  range[end] = value;
  if (!(range[1] > range[0])) {  // one held value's step apart
    if (end == 0) range[0] = std::min(value, values.Stored(top_value_ - 1)), range[1] = range[0] + values.scale;
    else range[1] = std::max(value, values.Stored(1)), range[0] = range[1] - values.scale;
  }
  Apply([&] { viewer_.SetDisplayRange(n, range[0], range[1]); });
}

void frmDisplay::Update() {
  const VolumeData& volume = viewer_.Volume();
  const DisplaySettings& d = volume.Display;
  live_ = PreviewWhileDragging(volume.Width, volume.Height, volume.Depth, volume.FileChannels);
  if (!rows_.empty() && histogram_time_ != d.TimePoint) {
    histogram_time_ = d.TimePoint;
    for (size_t i = 0; i < rows_.size(); ++i) {
      const ChannelHistogram h = viewer_.Histogram(static_cast<int32_t>(i) + 1);
      rows_[i].histogram->Show(h);
      rows_[i].low = h.Low, rows_[i].high = h.High;
    }
  }
  const bool eight = volume.ChannelBits == 8;
  top_value_ = eight ? 255 : 65535;
  const imaging::StoredValues& values = volume.Values;
  // The sliders and the histogram's axis in held values; a range far outside them stops at 2^30.
  const auto held = [&](double stored) { return std::clamp(values.Internal(stored), -1e9, 1e9); };
  for (size_t i = 0; i < rows_.size() && i < d.Channels.size(); ++i) {
    const ChannelDisplay& c = d.Channels[i];
    Row& row = rows_[i];
    // 16-bit sliders run over the samples' span (and the range, when it reaches beyond them).
    const int from = eight ? 0 : static_cast<int>(std::min<double>(row.low, std::floor(held(c.Min))));
    const int to = eight ? 255 : static_cast<int>(std::max<double>(row.high, std::ceil(held(c.Max))));
    row.histogram->SetAxis(from, to);
    row.histogram->SetMarks(held(c.Min), held(c.Max));
    row.swatch->setStyleSheet(QString("background-color: rgb(%1, %2, %3)").arg(c.Red).arg(c.Green).arg(c.Blue));
    const QSignalBlocker quiet(row.visible), quiet_gamma(row.gamma);
    row.visible->setChecked(c.Visible);
    row.gamma->setValue(c.Gamma);
    row.shown_gamma = row.gamma->value();
    for (int e = 0; e < 2; ++e) {
      const QSignalBlocker quiet_end(row.ends[e]), quiet_typed(row.typed[e]);
      const double value = e ? c.Max : c.Min;
      row.ends[e]->setRange(from, to);
      row.ends[e]->setValue(static_cast<int>(std::lround(held(value))));
      // Whole numbers for integer files; for rescaled ones enough decimals to tell held values apart.
      row.typed[e]->setDecimals(values.WholeSteps() ? 0 : std::clamp(static_cast<int>(std::ceil(-std::log10(values.scale))), 0, 12));
      row.typed[e]->setRange(std::min(values.Stored(std::min(0, from)), value),
                             std::max(values.Stored(std::max(top_value_, to)), value));
      row.typed[e]->setValue(value);
      row.shown[e] = row.typed[e]->value();
    }
  }
  if (time_) time_->Refresh();
}

void frmDisplay::Build() {
  // New rows in a new page; the old page leaves the window now and is deleted once the signal
  // that changed it has returned.
  if (page_) page_->hide(), page_->setParent(nullptr), page_->deleteLater();
  page_ = new QWidget(this);
  static_cast<QVBoxLayout*>(layout())->insertWidget(0, page_);
  built_ = Shape();
  rows_.clear();
  pending_ = nullptr;
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
    row.swatch = Button({}, QString("cmdColour%1").arg(n));
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
    // The minimum and maximum sliders under the histogram, on the same axis, each with its field.
    auto* range = new QGridLayout;
    range->setVerticalSpacing(0);
    range->setColumnStretch(1, 1);
    range->addWidget(row.histogram = new HistogramStrip, 0, 1);
    for (int e = 0; e < 2; ++e) {
      auto* slider = row.ends[e] = new QSlider(Qt::Horizontal);
      slider->setObjectName(QString(e ? "sldMax%1" : "sldMin%1").arg(n));
      connect(slider, &QSlider::valueChanged, this, [this, n, e] { SliderMoved(n, e); });
      connect(slider, &QSlider::sliderReleased, this, [this, n, e, slider] {
        pending_ = nullptr;
        SetEnd(n, e, slider->value());
      });
      auto* typed = row.typed[e] = new QDoubleSpinBox;
      typed->setObjectName(QString(e ? "txtMax%1" : "txtMin%1").arg(n));
      typed->setKeyboardTracking(false);
      connect(typed, &QDoubleSpinBox::editingFinished, this, [this, n, e, typed] {
        if (typed->value() != rows_.at(static_cast<size_t>(n - 1)).shown[e]) SetEnd(n, e, typed->value());
      });
      range->addWidget(new QLabel(e ? "Max" : "Min"), e + 1, 0);
      range->addWidget(slider, e + 1, 1);
      range->addWidget(typed, e + 1, 2);
    }
    grid->addLayout(range, n, 3);
    row.gamma = new QDoubleSpinBox;
    row.gamma->setObjectName(QString("txtGamma%1").arg(n));
    row.gamma->setRange(0.05, 10), row.gamma->setSingleStep(0.1);
    row.gamma->setKeyboardTracking(false);
    connect(row.gamma, &QDoubleSpinBox::editingFinished, this, [this, n, gamma = row.gamma] {
      if (gamma->value() != rows_.at(static_cast<size_t>(n - 1)).shown_gamma)
        Apply([&] { viewer_.SetGamma(n, gamma->value()); });
    });
    grid->addWidget(row.gamma, n, 4);
    auto* autoButton = Button("Auto", QString("cmdAuto%1").arg(n));
    autoButton->setToolTip("The range that leaves 0.35 % of the channel's samples below it and 0.35 % above");
    connect(autoButton, &QPushButton::clicked, this, [this, n] { Apply([&] { viewer_.AutoContrast(n); }); });
    grid->addWidget(autoButton, n, 5);
    auto* reset = Button("Reset", QString("cmdReset%1").arg(n));
    reset->setToolTip("The colour and range the file opened with");
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
