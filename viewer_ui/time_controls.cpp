#include "viewer_ui/time_controls.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QToolButton>

#include "core/view_value.h"
#include "viewer/viewer.h"
#include "viewer_ui/time_player.h"

namespace lumetrix {

QString TimeOfCount(int t, int count) { return QString("%1 of %2").arg(t).arg(count); }

TimeControls::TimeControls(Viewer& viewer, QWidget* parent)
    : QWidget(parent), viewer_(viewer), player_(TimePlayer::For(viewer)) {
  setObjectName("timeControls");
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  play_ = new QToolButton;
  play_->setObjectName("btnPlay");
  play_->setToolTip("Play or pause the time points (P)");
  connect(play_, &QToolButton::clicked, this, [this] { player_->Toggle(); });
  time_ = new QSlider(Qt::Horizontal);
  time_->setObjectName("sldTime");
  time_->setMinimum(1);
  shown_ = new QLabel;
  shown_->setObjectName("lblTime");
  // The label follows a drag; the time point is shown on release (and at once for keys and clicks).
  connect(time_, &QSlider::valueChanged, this, [this](int t) {
    shown_->setText(TimeOfCount(t, time_->maximum()));
    if (!time_->isSliderDown()) ShowTimePoint(t);
  });
  connect(time_, &QSlider::sliderReleased, this, [this] { ShowTimePoint(time_->value()); });
  fps_ = new QDoubleSpinBox;
  fps_->setObjectName("spnFps");
  fps_->setRange(TimePlayback::kMinFramesPerSecond, TimePlayback::kMaxFramesPerSecond);
  fps_->setDecimals(1);
  fps_->setSuffix(" fps");
  fps_->setToolTip("Time points per second while playing");
  connect(fps_, &QDoubleSpinBox::valueChanged, this, [this](double fps) { player_->SetFramesPerSecond(fps); });
  loop_ = new QCheckBox("Loop");
  loop_->setObjectName("chkLoop");
  connect(loop_, &QCheckBox::toggled, this, [this](bool on) { player_->SetLoop(on); });
  row->addWidget(play_);
  row->addWidget(time_, 1);
  row->addWidget(shown_);
  row->addWidget(fps_);
  row->addWidget(loop_);
  connect(player_.get(), &TimePlayer::changed, this, [this] { Refresh(); });
  Refresh();
}

TimeControls::~TimeControls() = default;

void TimeControls::ShowTimePoint(int t) {
  if (t == viewer_.TimePoint()) return;
  player_->Pause();  // the user took the time point over
  try {
    viewer_.SetTimePoint(t);
  } catch (const InvalidViewValue& e) {
    QMessageBox::warning(this, "Time point", QString::fromStdString(e.what()));
  }
  Refresh();
}

void TimeControls::Refresh() {
  const int count = viewer_.TimePointCount();
  if (count <= 1)
    hide();
  else if (parentWidget())
    show();  // a window of its own is shown by its owner
  const TimePlayback& model = player_->Model();
  const bool playing = model.Playing();
  play_->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
  play_->setText(playing ? "Pause" : "Play");
  const QSignalBlocker quiet_time(time_), quiet_fps(fps_), quiet_loop(loop_);
  if (!time_->isSliderDown()) {
    time_->setMaximum(std::max(count, 1));
    time_->setValue(std::max(viewer_.TimePoint(), 1));
    shown_->setText(TimeOfCount(time_->value(), count));
  }
  fps_->setValue(model.FramesPerSecond());
  loop_->setChecked(model.Loop());
}

}  // namespace lumetrix
