#include "viewer/frm_display.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <functional>
#include <stdexcept>

#include "viewer/viewer.h"

namespace lumetrix {

frmDisplay::frmDisplay(Viewer& viewer, QWidget* parent) : QDialog(parent), viewer_(viewer) {
  setObjectName("frmDisplay");
  setWindowTitle("Display");
  setAttribute(Qt::WA_DeleteOnClose);
  new QVBoxLayout(this);
  Build();
}

void frmDisplay::Apply(const std::function<void()>& change) {
  try {
    change();
  } catch (const std::invalid_argument& e) {
    QMessageBox::warning(this, windowTitle(), QString::fromStdString(e.what()));
  }
  Build();
}

void frmDisplay::Build() {
  // New rows in a new page; the old page goes once the signal that changed it has returned.
  if (page_) page_->deleteLater();
  page_ = new QWidget(this);
  layout()->addWidget(page_);
  auto* grid = new QGridLayout(page_);
  const VolumeData& v = viewer_.Volume();
  const int32_t channels = viewer_.ChannelCount();
  const int top = v.ChannelBits == 8 ? 255 : 65535;
  if (channels == 0 || v.Display.Channels.size() != static_cast<size_t>(channels)) {
    grid->addWidget(new QLabel(channels == 0 ? "First open image" : "The channels of this volume cannot be set"), 0, 0);
    return;
  }
  int row = 0;
  for (const char* head : {"Channel", "Colour", "Visible", "Minimum", "Maximum", "Gamma", "", ""})
    grid->addWidget(new QLabel(head), 0, row++);
  for (int32_t n = 1; n <= channels; ++n) {
    const ChannelDisplay& c = v.Display.Channels[static_cast<size_t>(n - 1)];
    grid->addWidget(new QLabel(QString::number(n)), n, 0);
    auto* swatch = new QPushButton;
    swatch->setObjectName(QString("cmdColour%1").arg(n));
    swatch->setStyleSheet(QString("background-color: rgb(%1, %2, %3)").arg(c.Red).arg(c.Green).arg(c.Blue));
    connect(swatch, &QPushButton::clicked, this, [this, n, c] {
      const QColor chosen = QColorDialog::getColor(QColor(c.Red, c.Green, c.Blue), this);
      if (chosen.isValid()) Apply([&] { viewer_.SetChannelColor(n, chosen.red(), chosen.green(), chosen.blue()); });
    });
    grid->addWidget(swatch, n, 1);
    auto* visible = new QCheckBox;
    visible->setObjectName(QString("chkVisible%1").arg(n));
    visible->setChecked(c.Visible);
    connect(visible, &QCheckBox::toggled, this, [this, n](bool on) { Apply([&] { viewer_.SetChannel(n, on); }); });
    grid->addWidget(visible, n, 2);
    QSlider* ends[2];
    for (int e = 0; e < 2; ++e) {
      auto* slider = ends[e] = new QSlider(Qt::Horizontal);
      slider->setObjectName(QString(e ? "sldMax%1" : "sldMin%1").arg(n));
      slider->setRange(0, top);
      slider->setValue(static_cast<int>(e ? c.Max : c.Min));
      slider->setToolTip(QString::number(slider->value()));
      connect(slider, &QSlider::valueChanged, slider, [slider](int value) { slider->setToolTip(QString::number(value)); });
      grid->addWidget(slider, n, 3 + e);
    }
    for (QSlider* slider : ends) {
      connect(slider, &QSlider::sliderReleased, this, [this, n, ends] {
        Apply([&] { viewer_.SetDisplayRange(n, ends[0]->value(), ends[1]->value()); });
      });
    }
    auto* gamma = new QDoubleSpinBox;
    gamma->setObjectName(QString("txtGamma%1").arg(n));
    gamma->setRange(0.05, 10), gamma->setSingleStep(0.1), gamma->setValue(c.Gamma);
    connect(gamma, &QDoubleSpinBox::editingFinished, this, [this, n, gamma] { Apply([&] { viewer_.SetGamma(n, gamma->value()); }); });
    grid->addWidget(gamma, n, 5);
    auto* autoButton = new QPushButton("Auto");
    connect(autoButton, &QPushButton::clicked, this, [this, n] { Apply([&] { viewer_.AutoContrast(n); }); });
    grid->addWidget(autoButton, n, 6);
    auto* reset = new QPushButton("Reset");
    connect(reset, &QPushButton::clicked, this, [this, n] { Apply([&] { viewer_.ResetChannel(n); }); });
    grid->addWidget(reset, n, 7);
  }
  if (viewer_.TimePointCount() > 1) {
    grid->addWidget(new QLabel("Time point"), channels + 1, 0);
    auto* time = new QSlider(Qt::Horizontal);
    time->setObjectName("sldTimePoint");
    time->setRange(1, viewer_.TimePointCount());
    time->setValue(v.Display.TimePoint);
    auto* shown = new QLabel(QString::number(v.Display.TimePoint));
    connect(time, &QSlider::valueChanged, shown, [shown](int t) { shown->setNum(t); });
    connect(time, &QSlider::sliderReleased, this, [this, time] { Apply([&] { viewer_.SetTimePoint(time->value()); }); });
    grid->addWidget(time, channels + 1, 1, 1, 6);
    grid->addWidget(shown, channels + 1, 7);
  }
}

}  // namespace lumetrix
