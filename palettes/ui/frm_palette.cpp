#include "palettes/ui/frm_palette.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "palettes/ui/colour_swatch.h"
#include "palettes/ui/editor_button.h"
#include "palettes/ui/image_strip.h"

namespace lumetrix {
namespace {

using palettes::ColorRef;
using palettes::GradientEditor;

QColor ToQColor(ColorRef c) { return QColor(palettes::RedOf(c), palettes::GreenOf(c), palettes::BlueOf(c)); }
ColorRef ToColorRef(const QColor& c) {
  return palettes::MakeColorRef(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
                                static_cast<uint8_t>(c.blue()));
}

QImage ToQImage(const palettes::RgbImage& img) {
  QImage out(img.Width(), img.Height(), QImage::Format_RGB888);
  for (int32_t y = 0; y < img.Height(); ++y) {
    uchar* row = out.scanLine(y);
    for (int32_t x = 0; x < img.Width(); ++x) {
      const palettes::Rgb c = img.At(x, y);
      row[3 * x] = c.r;
      row[3 * x + 1] = c.g;
      row[3 * x + 2] = c.b;
    }
  }
  return out;
}

}  // namespace

frmPalette::frmPalette(QWidget* parent, palettes::PaletteFolders folders)
    : QDialog(parent), folders_(std::move(folders)) {
  setModal(true);
  setWindowTitle(QStringLiteral("Create Your Own Color Palette"));
  message_ = MessageBoxHandler(this);
  chooseColor_ = ColorDialogChooser(this);

  auto* layout = new QVBoxLayout(this);
  auto* swatchRow = new QHBoxLayout;
  for (int i = 0; i < GradientEditor::kStops; ++i) {
    auto* s = new ColourSwatch(i, this);
    s->setObjectName(QStringLiteral("lblCol%1").arg(i));
    connect(s, &ColourSwatch::pressed, this, &frmPalette::lblCol_MouseDown);
    swatches_[static_cast<std::size_t>(i)] = s;
    swatchRow->addWidget(s);
  }
  layout->addLayout(swatchRow);
  auto* lblCap = new QLabel(QStringLiteral("Left-click to change color   Right-click to de/activate"), this);
  lblCap->setObjectName(QStringLiteral("lblCap"));
  layout->addWidget(lblCap);

  picSel_ = new ImageStrip(QSize(GradientEditor::kStripWidth, GradientEditor::kStripHeight), this);
  picSel_->setObjectName(QStringLiteral("picSel"));
  layout->addWidget(picSel_, 0, Qt::AlignHCenter);

  auto* fraControls = new QGroupBox(this);
  fraControls->setObjectName(QStringLiteral("fraControls"));
  auto* controls = new QVBoxLayout(fraControls);
  controls->addWidget(new QLabel(QStringLiteral("Choose existing or type new name:"), fraControls));
  auto* row = new QHBoxLayout;
  fileBox_ = std::make_unique<PaletteFileBox>(fraControls, ".plt");
  fileBox_->box()->setMinimumWidth(180);
  row->addWidget(fileBox_->box(), 1);
  row->addWidget(EditorButton(fraControls, "cmdLoad", QStringLiteral("&Load"), this, &frmPalette::cmdLoad_Click));
  row->addWidget(EditorButton(fraControls, "cmdSave", QStringLiteral("&Save"), this, &frmPalette::cmdSave_Click));
  row->addWidget(EditorButton(fraControls, "cmdClose", QStringLiteral("&Close"), this, &frmPalette::cmdClose_Click));
  controls->addLayout(row);
  layout->addWidget(fraControls);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  ShowStops();
  ShowStrip();
  FillFileList();
}

QImage frmPalette::stripImage() const { return picSel_->image(); }

void frmPalette::ShowStops() {
  for (int i = 0; i < GradientEditor::kStops; ++i) {
    swatch(i)->setColour(ToQColor(editor_.StopColor(i)));
    swatch(i)->setBordered(editor_.IsActive(i));
  }
}

void frmPalette::ShowStrip() { picSel_->setImage(ToQImage(editor_.Strip())); }

void frmPalette::GradientFailed() {
  if (message_) message_(QMessageBox::Warning, QStringLiteral("Error"), QString::fromUtf8(palettes::kGradientFailed));
}

void frmPalette::lblCol_MouseDown(int index, Qt::MouseButton button) {
  if (index < 0 || index >= GradientEditor::kStops) return;
  bool drawn = true;
  if (button == Qt::LeftButton) {
    const QColor chosen = chooseColor_ ? chooseColor_(ToQColor(editor_.StopColor(index))) : QColor();
    if (!chosen.isValid()) return;  // cancelled: the swatch keeps its colour
    drawn = editor_.SetStopColor(index, ToColorRef(chosen));
  } else {
    drawn = editor_.ToggleActive(index);
  }
  ShowStops();
  if (drawn) ShowStrip();
  else GradientFailed();
}

void frmPalette::cmdSave_Click() {
  fileBox_->Save(message_, folders_, [this](const std::string& name) { editor_.Save(folders_, name); });
}

void frmPalette::cmdLoad_Click() {
  bool drawn = false;
  if (!fileBox_->Load(message_, [&](const std::string& name) { drawn = editor_.Load(folders_, name); })) return;
  ShowStops();
  if (drawn) ShowStrip();
  else GradientFailed();
}

void frmPalette::cmdClose_Click() { accept(); }

void frmPalette::FillFileList() { fileBox_->Fill(folders_); }

}  // namespace lumetrix
