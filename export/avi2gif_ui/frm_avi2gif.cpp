#include "export/avi2gif_ui/frm_avi2gif.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <cstring>

#include "export/avi2gif/avi2gif_messages.h"
#include "export/avi2gif/gif_figures.h"
#include "export/avi2gif/reduction_choice.h"
#include "export/avi2gif_ui/preview_canvas.h"
#include "widgets/message_box_icon.h"
#include "widgets/uc_progress.h"

namespace lumetrix::avi2gif {
namespace {

QImage ToImage(const gif::cDIB& dib, QImage::Format format) {
  if (dib.IsEmpty() || dib.BitsPerPixel() != 32) return QImage();
  QImage image(dib.Width(), dib.Height(), format);
  if (image.isNull()) return image;
  const size_t rowBytes = static_cast<size_t>(dib.Width()) * 4;
  for (int32_t y = 0; y < dib.Height(); ++y) std::memcpy(image.scanLine(y), dib.Row(y), rowBytes);
  return image;
}

}  // namespace

// The import's progress on the window's bar; every step lets pending events run, so that the
// window stays live and "Exit" can stop the import.
class AVI2GIF::Progress : public ProgressSink {
 public:
  explicit Progress(AVI2GIF& window) : window_(window) {}
  void ShowProgress(const std::string&, int32_t, int32_t maximum) override { window_.ucProgress_->SetMax(maximum); }
  void SetProgress(int32_t value) override {
    window_.ucProgress_->SetValue(value);
    QCoreApplication::processEvents();
  }
  void HideProgress() override { SetProgress(0); }
  bool Cancelled() const override { return window_.cancel_; }

 private:
  AVI2GIF& window_;
};

AVI2GIF::AVI2GIF(QWidget* owner) : QWidget(owner, Qt::Window), converter_(*this) {
  setObjectName("AVI2GIF");
  setWindowTitle(kCaption);
  setAttribute(Qt::WA_DeleteOnClose);
  BuildControls();
  RefreshFigures();
  iPalette_->setPixmap(QPixmap::fromImage(ToImage(RenderPaletteGrid(converter_.Document()), QImage::Format_RGB32)));
}

AVI2GIF::~AVI2GIF() { player_.Reset(nullptr, false); }

void AVI2GIF::BuildControls() {
  auto* outer = new QHBoxLayout(this);

  auto* left = new QVBoxLayout;
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName("scrCanvas");
  scroll->setMinimumSize(340, 260);
  scroll->setAlignment(Qt::AlignCenter);
  ucCanvas_ = new PreviewCanvas;
  scroll->setWidget(ucCanvas_);
  scroll->setWidgetResizable(false);
  left->addWidget(scroll, 1);
  auto* zoomRow = new QHBoxLayout;
  auto* zoomLabel = new QLabel("Zoom:", this);
  zoomLabel->setObjectName("lblZoom");
  zoomRow->addWidget(zoomLabel);
  ucSlider1_ = new QSlider(Qt::Horizontal, this);
  ucSlider1_->setObjectName("ucSlider1");
  ucSlider1_->setRange(1, 8);
  ucSlider1_->setValue(1);
  ucSlider1_->setPageStep(1);
  zoomRow->addWidget(ucSlider1_, 1);
  left->addLayout(zoomRow);
  outer->addLayout(left, 1);

  auto* right = new QVBoxLayout;
  auto radioGroup = [this](const char* title, const char* boxName, const char* prefix,
                           const std::array<const char*, 3>& captions, std::array<QRadioButton*, 3>& buttons,
                           int checked, void (AVI2GIF::*handler)(int)) {
    auto* box = new QGroupBox(title, this);
    box->setObjectName(boxName);
    auto* layout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (int k = 0; k < 3; ++k) {
      auto* b = new QRadioButton(captions[static_cast<size_t>(k)], box);
      b->setObjectName(QString("%1%2").arg(prefix).arg(k));
      group->addButton(b, k);
      layout->addWidget(b);
      buttons[static_cast<size_t>(k)] = b;
    }
    buttons[static_cast<size_t>(checked)]->setChecked(true);
    connect(group, &QButtonGroup::idToggled, this, [this, handler](int id, bool on) {
      if (on) (this->*handler)(id);
    });
    return box;
  };
  right->addWidget(radioGroup("Palette", "fraPalette", "optPallette", {"GrayScale", "Optimal", "Web Safe"},
                              optPallette_, PaletteButtonForMode(converter_.PaletteMode()),
                              &AVI2GIF::optPallette_Click));
  right->addWidget(radioGroup("Dither", "fraDither", "optDither", {"None", "Ordered", "Floyd Steinberg"}, optDither_,
                              DitherButtonForMode(converter_.DitherMode()), &AVI2GIF::optDither_Click));

  chkSwap_ = new QCheckBox("SwapRG", this);
  chkSwap_->setObjectName("chkSwap");
  connect(chkSwap_, &QCheckBox::clicked, this, [this] { chkSwap_Click(); });
  right->addWidget(chkSwap_);
  chkOptimize_ = new QCheckBox("Use Optimization", this);
  chkOptimize_->setObjectName("chkOptimize");
  connect(chkOptimize_, &QCheckBox::toggled, this, [this](bool on) { converter_.SetOptimize(on); });
  right->addWidget(chkOptimize_);
  // In place of the palette option: a palette from all frames, exact nearest colours, dithered as
  // the dither option says.
  chkBest_ = new QCheckBox("Best quality", this);
  chkBest_->setObjectName("chkBest");
  connect(chkBest_, &QCheckBox::clicked, this, [this] {
    converter_.SetBestQuality(chkBest_->isChecked());
    ReimportForPreview();
  });
  right->addWidget(chkBest_);

  auto* info = new QGroupBox("GIF info:", this);
  info->setObjectName("fraInfo");
  auto* grid = new QGridLayout(info);
  auto value = [this, grid](int row, const char* caption, const char* name) {
    if (caption) {
      auto* l = new QLabel(caption, this);
      l->setObjectName(QString(name).chopped(1));  // lblScreen for lblScreenV
      grid->addWidget(l, row, 0);
    }
    auto* v = new QLabel(this);
    v->setObjectName(name);
    grid->addWidget(v, row, 1);
    return v;
  };
  lblScreenV_ = value(0, "Screen:", "lblScreenV");
  lblFramesV_ = value(1, "Frames:", "lblFramesV");
  lblPaletteV_ = value(2, "Palette:", "lblPaletteV");
  lblEntriesV_ = value(3, nullptr, "lblEntriesV");
  iPalette_ = new QLabel(this);
  iPalette_->setObjectName("iPalette");
  iPalette_->setFixedSize(kGridSide, kGridSide);
  grid->addWidget(iPalette_, 4, 0, 1, 2, Qt::AlignCenter);
  right->addWidget(info);

  ucProgress_ = new widgets::ucProgress(this);
  ucProgress_->setObjectName("ucProgress");
  ucProgress_->setFixedHeight(16);
  right->addWidget(ucProgress_);

  Command1_ = new QPushButton("Save Animated GIF", this);
  Command1_->setObjectName("Command1");
  connect(Command1_, &QPushButton::clicked, this, [this] { Command1_Click(); });
  right->addWidget(Command1_);
  cmdExit_ = new QPushButton("Exit", this);
  cmdExit_->setObjectName("cmdExit");
  connect(cmdExit_, &QPushButton::clicked, this, &QWidget::close);
  right->addWidget(cmdExit_);
  right->addStretch(1);
  outer->addLayout(right);

  tmrDelay_ = new QTimer(this);
  tmrDelay_->setObjectName("tmrDelay");
  connect(tmrDelay_, &QTimer::timeout, this, [this] { tmrDelay_Timer(); });
  connect(ucSlider1_, &QSlider::valueChanged, this, [this](int zoom) { ucCanvas_->SetZoom(zoom); });
}

void AVI2GIF::ShowMessage(const std::string& text, MessageIcon icon) {
  if (cursor_busy_) {
    QApplication::restoreOverrideCursor();
    cursor_busy_ = false;
  }
  const QString message = QString::fromStdString(text);
  if (message_hook_) {
    message_hook_(message, MessageBoxIcon(icon));
    return;
  }
  QMessageBox box(MessageBoxIcon(icon), "Lumetrix", message, QMessageBox::Ok, this);
  box.exec();
}

void AVI2GIF::SetControlsEnabled(bool enabled) {
  for (QRadioButton* b : optPallette_) b->setEnabled(enabled);
  for (QRadioButton* b : optDither_) b->setEnabled(enabled);
  chkSwap_->setEnabled(enabled);
  chkOptimize_->setEnabled(enabled);
  chkBest_->setEnabled(enabled);
  Command1_->setEnabled(enabled);
}

bool AVI2GIF::OpenAvi(const QString& path, bool flip) {
  if (path.isEmpty()) return false;
  if (busy_) {
    // One movie at a time: the running import keeps the document until it ends.
    QApplication::beep();
    return false;
  }
  tmrDelay_->stop();
  ++busy_;  // a close while events run below waits for the import to unwind
  cancel_ = false;
  SetControlsEnabled(false);
  ResetPreview();
  RefreshFigures();
  QCoreApplication::processEvents();
  Progress progress(*this);
  const ImportStatus status =
      cancel_ ? ImportStatus::Cancelled : converter_.OpenAvi(path.toStdString(), flip, &progress);
  SetControlsEnabled(true);
  --busy_;
  if (status == ImportStatus::Ok)
    BuildPreview();
  else
    ResetPreview();
  RefreshFigures();
  if (close_pending_) close();
  return status == ImportStatus::Ok;
}

void AVI2GIF::ReimportForPreview() {
  if (!converter_.AviPath().empty()) OpenAvi(QString::fromStdString(converter_.AviPath()), false);
}

void AVI2GIF::optPallette_Click(int index) {
  converter_.SetPaletteMode(PaletteModeForButton(index));
  ReimportForPreview();
}

void AVI2GIF::optDither_Click(int index) {
  converter_.SetDitherMode(DitherModeForButton(index));
  ReimportForPreview();
}

void AVI2GIF::chkSwap_Click() {
  converter_.SetSwapRG(chkSwap_->isChecked());
  ReimportForPreview();
}

void AVI2GIF::Command1_Click() {
  if (busy_) return;
  if (!converter_.CheckSomethingToSave()) return;
  const QString name = save_chooser_ ? save_chooser_() : AskSaveFile(this);
  if (name.isEmpty()) return;
  tmrDelay_->stop();
  ResetPreview();
  ++busy_;
  cancel_ = false;
  SetControlsEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  cursor_busy_ = true;
  Progress progress(*this);
  converter_.SaveAnimatedGif(name.toStdString(), &progress, true);
  if (cursor_busy_) {
    QApplication::restoreOverrideCursor();
    cursor_busy_ = false;
  }
  SetControlsEnabled(true);
  --busy_;
  if (converter_.Document().FramesCount() > 0)
    BuildPreview();
  else
    ResetPreview();
  RefreshFigures();
  if (close_pending_) close();
}

void AVI2GIF::BuildPreview() {
  iPalette_->setPixmap(QPixmap::fromImage(ToImage(RenderPaletteGrid(converter_.Document()), QImage::Format_RGB32)));
  player_.Reset(&converter_.Document(), converter_.RowsBottomUp());
  ShowScreen();
  if (!player_.Empty()) {
    tmrDelay_->setInterval(player_.IntervalMs());
    tmrDelay_->start();
  }
}

void AVI2GIF::ResetPreview() {
  tmrDelay_->stop();
  player_.Reset(nullptr, false);
  ucCanvas_->Clear();
  iPalette_->setPixmap(QPixmap::fromImage(ToImage(RenderPaletteGrid(gif::cGIF{}), QImage::Format_RGB32)));
}

void AVI2GIF::ShowScreen() {
  if (player_.Empty()) {
    ucCanvas_->Clear();
    return;
  }
  ucCanvas_->SetPicture(ToImage(player_.Screen(), QImage::Format_ARGB32));
}

void AVI2GIF::tmrDelay_Timer() {
  if (player_.Empty()) {
    tmrDelay_->stop();
    return;
  }
  player_.Advance();
  ShowScreen();
  tmrDelay_->setInterval(player_.IntervalMs());
}

void AVI2GIF::RefreshFigures() {
  const GifFigures f = FiguresOf(converter_.Document());
  lblScreenV_->setText(QString::fromStdString(f.Screen));
  lblFramesV_->setText(QString::fromStdString(f.Frames));
  lblPaletteV_->setText(QString::fromStdString(f.Palette));
  lblEntriesV_->setText(QString::fromStdString(f.Entries));
}

void AVI2GIF::closeEvent(QCloseEvent* event) {
  if (busy_) {
    // The import is inside this window's call stack: stop it and close when it has unwound.
    cancel_ = true;
    close_pending_ = true;
    event->ignore();
    return;
  }
  ResetPreview();
  event->accept();
}

QString AVI2GIF::AskSaveFile(QWidget* owner) {
  QFileDialog dialog(owner, "Save GIF File", QString(), "GIF Files (*.gif)");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix("gif");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().first();
}

QString AskAviToConvert(QWidget* owner) {
  QFileDialog dialog(owner, "Select AVI File to Convert to Animated GIF", QString(), "AVI Files (*.avi)");
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix("avi");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().first();
}

AVI2GIF* mnuGIF_Click(QWidget* owner, QPointer<AVI2GIF>& window, const std::function<QString()>& chooser) {
  const QString path = chooser ? chooser() : AskAviToConvert(owner);
  if (path.isEmpty()) return nullptr;
  if (!window) window = new AVI2GIF(owner);
  window->show();
  window->raise();
  window->activateWindow();
  window->OpenAvi(path, false);
  return window;
}

}  // namespace lumetrix::avi2gif
