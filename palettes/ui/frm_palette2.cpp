#include "palettes/ui/frm_palette2.h"

#include <algorithm>

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "palettes/ui/curve_area.h"
#include "palettes/ui/editor_button.h"
#include "palettes/ui/image_strip.h"

namespace lumetrix {
namespace {

const QColor kChannelColour[3] = {QColor(255, 0, 0), QColor(0, 128, 0), QColor(0, 0, 255)};
const char* const kChannelName[3] = {"Red", "Green", "Blue"};
constexpr int kPreviewHeight = 24;
constexpr int kValueRowHeight = 16;

}  // namespace

frmPalette2::frmPalette2(QWidget* parent, palettes::PaletteFolders folders)
    : QDialog(parent), folders_(std::move(folders)) {
  setModal(true);
  setWindowTitle(QStringLiteral("Create Your Own Color Palette"));
  message_ = MessageBoxHandler(this);

  auto* layout = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;

  // Value labels above the curve area, each standing over its point.
  valueRow_ = new QWidget(this);
  valueRow_->setFixedSize(256 + CurveHandle::kSize, kValueRowHeight);
  for (int i = 0; i < 9; ++i) {
    auto* l = new QLabel(valueRow_);
    l->setObjectName(QStringLiteral("LabR%1").arg(i));
    l->setAlignment(Qt::AlignCenter);
    l->setFixedSize(24, kValueRowHeight);
    labR_[static_cast<std::size_t>(i)] = l;
  }
  left->addWidget(valueRow_, 0, Qt::AlignHCenter);

  pic_ = new CurveArea(this);
  pic_->setObjectName(QStringLiteral("PIC"));
  for (int i = 0; i < 9; ++i) {
    CurveHandle* h = pic_->handle(i);
    h->setObjectName(QStringLiteral("PR%1").arg(i));
    connect(h, &CurveHandle::grabbed, this, &frmPalette2::OnGrab);
    connect(h, &CurveHandle::dragged, this, &frmPalette2::OnDrag);
  }
  left->addWidget(pic_, 0, Qt::AlignHCenter);
  picPal_ = new ImageStrip(QSize(256, kPreviewHeight), this);
  picPal_->setObjectName(QStringLiteral("PICPAL"));
  left->addWidget(picPal_, 0, Qt::AlignHCenter);
  layout->addLayout(left);

  auto* right = new QVBoxLayout;
  auto* buttons = new QGroupBox(QStringLiteral("Buttons"), this);
  buttons->setObjectName(QStringLiteral("Buttons"));
  auto* grid = new QGridLayout(buttons);
  for (int c = 0; c < 3; ++c) {
    const auto cc = static_cast<std::size_t>(c);
    QPalette coloured = palette();
    coloured.setColor(QPalette::WindowText, kChannelColour[c]);
    coloured.setColor(QPalette::ButtonText, kChannelColour[c]);

    auto* opt = new QRadioButton(buttons);
    opt->setObjectName(QStringLiteral("optCul%1").arg(c));
    opt->setPalette(coloured);
    connect(opt, &QRadioButton::clicked, this, [this, c] { SelectChannel(c); });
    optCul_[cc] = opt;

    auto* lab = new QLabel(QString::fromLatin1(kChannelName[c]), buttons);
    lab->setObjectName(QStringLiteral("LabC%1").arg(c));
    lab->setPalette(coloured);
    lab->installEventFilter(this);
    labC_[cc] = lab;

    auto* scroll = new QScrollBar(Qt::Horizontal, buttons);
    scroll->setObjectName(QStringLiteral("HSNButtons%1").arg(c));
    scroll->setRange(1, 4);
    scroll->setPageStep(1);
    scroll->setMinimumWidth(80);
    connect(scroll, &QScrollBar::valueChanged, this, [this, c] { HSNButtons_Change(c); });
    hsnButtons_[cc] = scroll;

    auto* nb = new QLabel(buttons);
    nb->setObjectName(QStringLiteral("LabNB%1").arg(c));
    nb->setMinimumWidth(16);
    labNB_[cc] = nb;

    grid->addWidget(opt, c, 0);
    grid->addWidget(lab, c, 1);
    grid->addWidget(scroll, c, 2);
    grid->addWidget(nb, c, 3);
  }
  right->addWidget(buttons);

  right->addWidget(new QLabel(QStringLiteral("Choose existing or type new name:"), this));
  fileBox_ = std::make_unique<PaletteFileBox>(this, ".pl2");
  right->addWidget(fileBox_->box());
  right->addWidget(EditorButton(this, "cmdLoad", QStringLiteral("&Load"), this, &frmPalette2::cmdLoad_Click));
  right->addWidget(EditorButton(this, "cmdSave", QStringLiteral("&Save"), this, &frmPalette2::cmdSave_Click));
  right->addWidget(EditorButton(this, "cmdDefault", QStringLiteral("Reset"), this, &frmPalette2::cmdDefault_Click));
  right->addWidget(EditorButton(this, "cmdClose", QStringLiteral("&Close"), this, &frmPalette2::cmdClose_Click));
  right->addStretch(1);
  layout->addLayout(right);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  ShowScrollBars();
  SelectChannel(0);
  FillFileList();
}

CurveHandle* frmPalette2::handle(int i) const { return pic_->handle(i); }

QImage frmPalette2::previewImage() const { return picPal_->image(); }

bool frmPalette2::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    for (int c = 0; c < 3; ++c) {
      if (watched == labC_[static_cast<std::size_t>(c)]) {
        SelectChannel(c);
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

void frmPalette2::ShowScrollBars() {
  for (int c = 0; c < 3; ++c) {
    const auto cc = static_cast<std::size_t>(c);
    const QSignalBlocker block(hsnButtons_[cc]);
    hsnButtons_[cc]->setValue(maker_.ScrollValue(c));
    labNB_[cc]->setText(QString::number(maker_.Curves().pointCount[cc]));
  }
}

void frmPalette2::SelectChannel(int c) {
  if (c < 0 || c > 2) return;
  maker_.SelectChannel(c);
  {
    const QSignalBlocker block(optCul_[static_cast<std::size_t>(c)]);
    optCul_[static_cast<std::size_t>(c)]->setChecked(true);
  }
  for (int i = 0; i < 9; ++i) pic_->handle(i)->setArrowColour(kChannelColour[c]);
  RefreshChannel();
}

void frmPalette2::HSNButtons_Change(int c) {
  const auto cc = static_cast<std::size_t>(c);
  maker_.SetScrollValue(c, hsnButtons_[cc]->value());
  labNB_[cc]->setText(QString::number(maker_.Curves().pointCount[cc]));
  if (c == maker_.CurrentChannel()) RefreshChannel();
  else DrawPalette();  // the other channel was recomputed too
}

void frmPalette2::RefreshChannel() {
  const int c = maker_.CurrentChannel();
  for (int i = 0; i < 9; ++i) {
    const bool active = maker_.IsActive(c, i);
    pic_->handle(i)->setVisible(active);
    labR_[static_cast<std::size_t>(i)]->setVisible(active);
  }
  PlaceHandles();
  DrawCurve();
  DrawPalette();
}

void frmPalette2::PlaceHandles() {
  const auto c = static_cast<std::size_t>(maker_.CurrentChannel());
  const auto& curves = maker_.Curves();
  for (int i = 0; i < 9; ++i) {
    const auto ii = static_cast<std::size_t>(i);
    pic_->handle(i)->move(curves.pointX[c][ii], curves.pointY[c][ii]);
    QLabel* label = labR_[ii];
    label->setText(QString::number(255 - curves.pointY[c][ii]));
    const int centre = curves.pointX[c][ii] + CurveHandle::kSize / 2;
    label->move(std::clamp(centre - label->width() / 2, 0, valueRow_->width() - label->width()), 0);
  }
}

void frmPalette2::DrawCurve() {
  const int c = maker_.CurrentChannel();
  const auto cc = static_cast<std::size_t>(c);
  QVector<QPoint> points;
  for (int i : maker_.ActivePoints(c))
    points.append(QPoint(maker_.Curves().pointX[cc][static_cast<std::size_t>(i)],
                         maker_.Curves().pointY[cc][static_cast<std::size_t>(i)]));
  pic_->setCurve(points, kChannelColour[c]);
}

void frmPalette2::DrawPalette() {
  QImage strip(256, kPreviewHeight, QImage::Format_RGB888);
  const auto& v = maker_.Values();
  for (int e = 0; e < 256; ++e) {
    const auto ee = static_cast<std::size_t>(e);
    const QColor colour(std::clamp(v[0][ee], 0, 255), std::clamp(v[1][ee], 0, 255), std::clamp(v[2][ee], 0, 255));
    for (int y = 0; y < kPreviewHeight; ++y) strip.setPixelColor(e, y, colour);
  }
  picPal_->setImage(strip);
}

void frmPalette2::OnGrab(int, QPointF at) { grab_ = at; }

void frmPalette2::OnDrag(int index, QPointF at) {
  CurveHandle* h = pic_->handle(index);
  const double row = at.y() - grab_.y() + h->y();
  const double x = at.x() - grab_.x() + h->x();
  maker_.Drag(index, row, x);
  PlaceHandles();
  DrawCurve();
  DrawPalette();
}

void frmPalette2::cmdDefault_Click() {
  maker_.Reset();
  ShowScrollBars();
  SelectChannel(0);
  setWindowTitle(QStringLiteral("  Palette maker"));
}

void frmPalette2::cmdSave_Click() {
  fileBox_->Save(message_, folders_, [this](const std::string& name) { maker_.Save(folders_, name); });
}

void frmPalette2::cmdLoad_Click() {
  if (!fileBox_->Load(message_, [this](const std::string& name) { maker_.Load(folders_, name); })) return;
  ShowScrollBars();
  SelectChannel(0);
}

void frmPalette2::cmdClose_Click() { accept(); }

void frmPalette2::FillFileList() { fileBox_->Fill(folders_); }

}  // namespace lumetrix
