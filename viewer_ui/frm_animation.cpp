#include "viewer_ui/frm_animation.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>

#include "core/staged_file.h"
#include "export/avi/compression_options.h"
#include "viewer/animation/channel_keys.h"
#include "viewer/animation/keyframe_file.h"
#include "viewer/animation/keyframe_script.h"
#include "viewer/animation/movie_renderer.h"
#include "viewer_ui/offscreen_viewer.h"

namespace lumetrix {

using namespace animation;

namespace {

constexpr int kThumbSide = 64;
enum Column { kFrame, kPicture, kEase, kColumns };

std::string PaletteName(const Viewer& viewer) {
  const auto& entries = viewer.Palettes().Entries();
  const int32_t i = viewer.PaletteIndex();
  return i >= 0 && i < static_cast<int32_t>(entries.size()) ? entries[i].caption : std::string();
}

}  // namespace

frmAnimation::frmAnimation(Viewer& viewer, QWidget* parent) : QDialog(parent), viewer_(viewer) {
  setObjectName("frmAnimation");
  setWindowTitle("Animation");
  auto* layout = new QVBoxLayout(this);
  list_ = new QTableWidget(0, kColumns, this);
  list_->setObjectName("lstKeyframes");
  list_->setHorizontalHeaderLabels({"Frame", "View", "Way in"});
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setIconSize(QSize(kThumbSide, kThumbSide));
  list_->verticalHeader()->setDefaultSectionSize(kThumbSide + 4);
  list_->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(list_);
  connect(list_, &QTableWidget::cellChanged, this, &frmAnimation::FrameEdited);

  auto row = [&](std::initializer_list<std::pair<const char*, std::function<void()>>> buttons) {
    auto* line = new QHBoxLayout;
    for (const auto& [caption, slot] : buttons) {
      auto* b = new QPushButton(caption, this);
      connect(b, &QPushButton::clicked, this, slot);
      line->addWidget(b);
    }
    layout->addLayout(line);
    return line;
  };
  row({{"&Add keyframe", [this] { AddKeyframe(); }},
       {"&Go to", [this] { GoToKeyframe(); }},
       {"&Replace", [this] { ReplaceKeyframe(); }},
       {"&Delete", [this] { DeleteKeyframe(); }},
       {"Up", [this] { MoveKeyframe(-1); }},
       {"Down", [this] { MoveKeyframe(1); }}});

  auto* settings = new QHBoxLayout;
  width_ = new QSpinBox(this);
  height_ = new QSpinBox(this);
  for (QSpinBox* s : {width_, height_}) s->setRange(2, 8192);
  width_->setValue(track_.Width);
  height_->setValue(track_.Height);
  fps_ = new QDoubleSpinBox(this);
  fps_->setRange(1, 120);
  fps_->setValue(track_.Fps);
  format_ = new QComboBox(this);
  format_->addItems({"mp4", "avi", "gif"});
  rate_factor_ = new QDoubleSpinBox(this);
  rate_factor_->setRange(0, avi::kMaxRateFactor);
  rate_factor_->setDecimals(0);
  rate_factor_->setValue(avi::kMp4RateFactor);
  rate_factor_->setToolTip("H.264 constant rate factor: lower is better and larger; 18-23 suits most movies");
  connect(format_, &QComboBox::currentTextChanged, this, [this](const QString& kind) { rate_factor_->setEnabled(kind == "mp4"); });
  settings->addWidget(new QLabel("Size", this));
  settings->addWidget(width_);
  settings->addWidget(new QLabel("x", this));
  settings->addWidget(height_);
  settings->addWidget(new QLabel("Frames per second", this));
  settings->addWidget(fps_);
  settings->addWidget(new QLabel("Format", this));
  settings->addWidget(format_);
  settings->addWidget(new QLabel("Quality (CRF)", this));
  settings->addWidget(rate_factor_);
  layout->addLayout(settings);

  auto* actions = row({{"Save &movie...", [this] { SaveMovie(); }},
                       {"&Open...", [this] { OpenKeys(); }},
                       {"&Save...", [this] { SaveKeys(); }},
                       {"Save as s&cript...", [this] { SaveScript(); }}});
  preview_ = new QPushButton("&Preview", this);
  connect(preview_, &QPushButton::clicked, this, &frmAnimation::TogglePreview);
  actions->insertWidget(0, preview_);
  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, &frmAnimation::PreviewStep);
  resize(560, 480);
}

int frmAnimation::Selected() const {
  const int r = list_->currentRow();
  return r >= 0 && r < static_cast<int>(track_.Keys.size()) ? r : -1;
}

bool frmAnimation::Warn(const std::string& text) {
  QMessageBox::information(this, "Lumetrix", QString::fromStdString(text));
  return false;
}

void frmAnimation::TakeSettings() {
  track_.Width = width_->value();
  track_.Height = height_->value();
  track_.Fps = fps_->value();
}

Keyframe frmAnimation::Capture(int32_t frame) const {
  Keyframe key;
  key.Frame = frame;
  key.View = viewer_.View();
  key.View.ResetSpeedParameters();
  const DisplaySettings shown = viewer_.Display();
  // A palette colours only a volume of one channel; the others take their channels' colours.
  if (shown.Channels.size() <= 1) key.Palette = PaletteName(viewer_);
  key.Channels = ChannelKeysOf(shown);
  if (viewer_.TimePointCount() > 0) key.TimePoint = shown.TimePoint;
  return key;
}

QImage frmAnimation::Thumbnail() const {
  try {
    const CapturedFrame f = viewer_.Surface().CaptureFrame(0, 0, viewer_.ScaleWidth(), viewer_.ScaleHeight());
    const QImage image(f.Pixels.data(), f.Width, f.Height, FrameRowStride(f.Width), QImage::Format_BGR888);
    return image.mirrored().scaled(kThumbSide, kThumbSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  } catch (const std::exception&) {
    return {};
  }
}

void frmAnimation::Refill(int select) {
  filling_ = true;
  list_->setRowCount(static_cast<int>(track_.Keys.size()));
  for (int r = 0; r < list_->rowCount(); ++r) {
    const Keyframe& k = track_.Keys[r];
    list_->setItem(r, kFrame, new QTableWidgetItem(QString::number(k.Frame)));
    auto* picture = new QTableWidgetItem(QIcon(QPixmap::fromImage(thumbs_[r])), "");
    picture->setFlags(picture->flags() & ~Qt::ItemIsEditable);
    list_->setItem(r, kPicture, picture);
    auto* ease = new QComboBox(list_);
    ease->addItems({"linear", "ease in/out", "linear, full turns", "ease in/out, full turns"});
    ease->setCurrentIndex((k.Easing == Ease::InOut ? 1 : 0) + (k.FullTurn ? 2 : 0));
    connect(ease, &QComboBox::currentIndexChanged, this, [this, r](int i) {
      track_.Keys[r].Easing = i % 2 ? Ease::InOut : Ease::Linear;
      track_.Keys[r].FullTurn = i >= 2;
      modified_ = true;
    });
    list_->setCellWidget(r, kEase, ease);
  }
  if (select >= 0) list_->selectRow(select);
  filling_ = false;
}

void frmAnimation::AddKeyframe() {
  const int32_t frame = track_.Keys.empty() ? 0 : track_.Keys.back().Frame + static_cast<int32_t>(std::lround(fps_->value() * 2));
  if (frame > kMaxKeyFrame) return void(Warn("The animation is as long as it can be."));
  track_.Keys.push_back(Capture(frame));
  thumbs_.push_back(Thumbnail());
  modified_ = true;
  Refill(static_cast<int>(track_.Keys.size()) - 1);
}

void frmAnimation::ReplaceKeyframe() {
  const int r = Selected();
  if (r < 0) return;
  const Keyframe old = track_.Keys[r];
  track_.Keys[r] = Capture(old.Frame);
  track_.Keys[r].Easing = old.Easing;
  track_.Keys[r].FullTurn = old.FullTurn;
  thumbs_[r] = Thumbnail();
  modified_ = true;
  Refill(r);
}

void frmAnimation::DeleteKeyframe() {
  const int r = Selected();
  if (r < 0) return;
  track_.Keys.erase(track_.Keys.begin() + r);
  thumbs_.erase(thumbs_.begin() + r);
  modified_ = true;
  Refill(std::min(r, static_cast<int>(track_.Keys.size()) - 1));
}

// Keyframes swap their views; the frame numbers stay in order.
void frmAnimation::MoveKeyframe(int step) {
  const int r = Selected(), other = r + step;
  if (r < 0 || other < 0 || other >= static_cast<int>(track_.Keys.size())) return;
  std::swap(track_.Keys[r].Frame, track_.Keys[other].Frame);
  std::swap(track_.Keys[r], track_.Keys[other]);
  std::swap(thumbs_[r], thumbs_[other]);
  modified_ = true;
  Refill(other);
}

bool frmAnimation::Show(const FrameView& frame) {
  try {
    ShowFrameView(viewer_, frame);
    return true;
  } catch (const std::exception& e) {
    return Warn(e.what());
  }
}

void frmAnimation::GoToKeyframe() {
  const int r = Selected();
  if (r >= 0) Show(track_.At(track_.Keys[r].Frame));
}

void frmAnimation::FrameEdited(int row, int column) {
  if (filling_ || column != kFrame || row >= static_cast<int>(track_.Keys.size())) return;
  bool ok = false;
  const int frame = list_->item(row, kFrame)->text().toInt(&ok);
  const bool taken = std::any_of(track_.Keys.begin(), track_.Keys.end(),
                                 [&](const Keyframe& k) { return &k != &track_.Keys[row] && k.Frame == frame; });
  if (!ok || frame < 0 || frame > kMaxKeyFrame || taken) {
    Warn("A keyframe's frame is a whole number from 0 to " + std::to_string(kMaxKeyFrame) + " that no other keyframe has.");
    return Refill(row);
  }
  track_.Keys[row].Frame = frame;
  modified_ = true;
  // Keep the list in frame order, the thumbnails with their keyframes.
  std::vector<size_t> order(track_.Keys.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return track_.Keys[a].Frame < track_.Keys[b].Frame; });
  std::vector<Keyframe> keys;
  std::vector<QImage> thumbs;
  int moved = 0;
  for (size_t i = 0; i < order.size(); ++i) {
    keys.push_back(track_.Keys[order[i]]);
    thumbs.push_back(thumbs_[order[i]]);
    if (static_cast<int>(order[i]) == row) moved = static_cast<int>(i);
  }
  track_.Keys = std::move(keys);
  thumbs_ = std::move(thumbs);
  QTimer::singleShot(0, this, [this, moved] { Refill(moved); });  // not inside the item's own signal
}

void frmAnimation::TogglePreview() {
  if (timer_->isActive()) {
    timer_->stop();
    preview_->setText("&Preview");
    return;
  }
  if (track_.Keys.empty()) return;
  std::string error;
  const auto track = TrackForVolume(viewer_, track_, error);
  if (!track) return void(Warn(error));
  preview_track_ = *track;
  preview_frame_ = 0;
  preview_->setText("Stop &preview");
  timer_->start(static_cast<int>(std::lround(1000.0 / fps_->value())));
}

void frmAnimation::PreviewStep() {
  if (preview_frame_ >= preview_track_.FrameCount() || !viewer_.VolumeShown() ||
      !Show(preview_track_.At(preview_frame_++)))
    return TogglePreview();
}

void frmAnimation::SaveMovie() {
  TakeSettings();
  if (track_.Keys.empty()) return void(Warn("Add a keyframe first."));
  if (!viewer_.VolumeShown()) return void(Warn(kMsgFirstOpenImage));
  // Checked against the volume on screen first, so that what does not fit (and palette names
  // the Palette menu lacks) is told in this window rather than by the offscreen viewer below.
  std::string unfit;
  if (!TrackForVolume(viewer_, track_, unfit)) return void(Warn(unfit));
  const QString kind = format_->currentText();
  const QString path = QFileDialog::getSaveFileName(this, "Save movie", "movie." + kind, "Movie (*." + kind + ")");
  if (path.isEmpty()) return;
  MovieRequest request;
  request.Path = path.toStdString();
  request.RateFactor = rate_factor_->value();
  if (kind == "avi") {
    const auto options = viewer_.MovieOptions().ChooseOptions(avi::EncoderCatalog::Installed());
    if (!options) return;
    request.AviOptions = *options;
  }
  // Offscreen, at the movie's size, while the main window stays as it is.
  OffscreenViewer offscreen;
  std::string reason;
  if (!offscreen.viewer.OpenImage(viewer_.LastFile(), reason)) return void(Warn(reason));
  try {
    ShowFrameView(offscreen.viewer, {viewer_.View(), PaletteName(viewer_), {}, 0});
    offscreen.viewer.ShowDisplaySettings(viewer_.Display());
  } catch (const std::exception& e) {
    return void(Warn(e.what()));
  }
  QProgressDialog progress("Saving the movie", "Cancel", 0, track_.FrameCount(), this);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  request.Progress = [&](int32_t f, int32_t count) {
    progress.setLabelText(QString("Frame %1 of %2").arg(f + 1).arg(count));
    progress.setValue(f);
    return !progress.wasCanceled();
  };
  const MovieResult result = RenderMovie(offscreen.viewer, track_, request);
  progress.reset();
  if (result.Status == MovieStatus::Failed) Warn(result.Error);
}

void frmAnimation::OpenKeys() {
  if (!KeyframesMayGo()) return;
  const QString path = QFileDialog::getOpenFileName(this, "Open keyframes", {}, "Keyframes (*.lkf)");
  if (!path.isEmpty()) OpenKeyframeFile(path);
}

bool frmAnimation::OpenKeyframeFile(const QString& path) {
  std::string error;
  auto track = LoadKeyframes(path.toStdString(), error);
  if (!track) return Warn(error);
  track_ = *track;
  modified_ = false;
  width_->setValue(track_.Width);
  height_->setValue(track_.Height);
  fps_->setValue(track_.Fps);
  RenderThumbnails();
  Refill(0);
  return true;
}

// Each keyframe drawn once in the main window, which then shows what it showed before.
void frmAnimation::RenderThumbnails() {
  thumbs_.assign(track_.Keys.size(), QImage());
  std::string unfit;
  const auto track = viewer_.VolumeShown() ? TrackForVolume(viewer_, track_, unfit) : std::nullopt;
  if (!track) return;  // no volume, or keyframes for another one: the pictures stay blank
  const FrameView before{viewer_.View(), PaletteName(viewer_), {}, 0};
  const DisplaySettings shown = viewer_.Display();
  try {
    for (size_t i = 0; i < track->Keys.size(); ++i) {
      ShowFrameView(viewer_, track->At(track->Keys[i].Frame));
      viewer_.DrawImage();  // as a script's frame: drawn, shown, then the pending events
      thumbs_[i] = Thumbnail();
    }
  } catch (const std::exception&) {
    // A keyframe the volume cannot show keeps a blank picture; the view comes back below.
  }
  ShowFrameView(viewer_, before);
  viewer_.ShowDisplaySettings(shown);
}

bool frmAnimation::KeyframesMayGo() {
  if (!modified_ || track_.Keys.empty()) return true;
  const auto answer = QMessageBox::question(
      this, "Lumetrix", QString("The %1 keyframes in the list are not saved. Save them first?").arg(track_.Keys.size()),
      QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
  if (answer == QMessageBox::Save) return SaveKeys();
  return answer == QMessageBox::Discard;
}

void frmAnimation::closeEvent(QCloseEvent* event) {
  if (!KeyframesMayGo()) return event->ignore();
  if (timer_->isActive()) TogglePreview();
  QDialog::closeEvent(event);
}

void frmAnimation::reject() {
  if (KeyframesMayGo()) QDialog::reject();  // Esc asks as closing does
}

bool frmAnimation::SaveKeys() {
  TakeSettings();
  const QString path = QFileDialog::getSaveFileName(this, "Save keyframes", "animation.lkf", "Keyframes (*.lkf)");
  if (path.isEmpty()) return false;
  const std::string error = SaveKeyframes(path.toStdString(), track_);
  if (!error.empty()) return Warn(error);
  modified_ = false;
  return true;
}

void frmAnimation::SaveScript() {
  TakeSettings();
  const QString path = QFileDialog::getSaveFileName(this, "Save as script", "animation.scp", "Scripts (*.scp)");
  if (path.isEmpty()) return;
  QString movie = path;
  movie.replace(QRegularExpression("\\.scp$", QRegularExpression::CaseInsensitiveOption), "");
  // With a volume shown, the channel settings the keyframes leave out are those it shows now, as
  // in the movie; without one, the script leaves them as the volume it runs on shows them.
  KeyframeTrack track = track_;
  std::string error;
  if (viewer_.VolumeShown()) {
    const auto resolved = TrackForVolume(viewer_, track_, error);
    if (!resolved) return void(Warn(error));
    track = *resolved;
  }
  const std::string text = KeyframeScript(track, (movie + "." + format_->currentText()).toStdString());
  error = WriteFileStaged(path.toStdString(), std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  if (!error.empty()) Warn(error);
}

}  // namespace lumetrix
