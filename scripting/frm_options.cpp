#include "scripting/frm_options.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QStyle>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

#include "scripting/color_value.h"

namespace lumetrix {

using namespace scripting;

namespace {

QCheckBox* Check(const char* name, const char* caption) {
  auto* box = new QCheckBox(QStringLiteral("   ") + QString::fromLatin1(caption));
  box->setObjectName(QString::fromLatin1(name));
  return box;
}

}  // namespace

frmOptions::frmOptions(ColorTable* table, SettingsFactory settings, std::function<void()> apply, QWidget* parent)
    : QDialog(parent), table_(table), settings_(std::move(settings)), apply_(std::move(apply)) {
  setObjectName(QStringLiteral("frmOptions"));
  setWindowTitle(QStringLiteral("Preferences"));
  setModal(true);
  picker_ = [this](const QColor& initial) -> std::optional<QColor> {
    const QColor chosen = QColorDialog::getColor(initial.isValid() ? initial : QColor(Qt::white), this);
    if (!chosen.isValid()) return std::nullopt;
    return chosen;
  };

  tbrOptions = new QTabBar;
  tbrOptions->setObjectName(QStringLiteral("tbrOptions"));
  tbrOptions->addTab(QStringLiteral("&Editor"));
  tbrOptions->setTabData(0, QStringLiteral("Misc"));
  tbrOptions->setTabToolTip(0, QStringLiteral("Editor Options"));
  tbrOptions->addTab(QStringLiteral("&Color"));
  tbrOptions->setTabData(1, QStringLiteral("Color"));
  tbrOptions->setTabToolTip(1, QStringLiteral("Color Options"));

  // Editor page.
  pageEditor = new QWidget;
  chkHSplit = Check("chkHSplit", "Allow Horizontal Splitting");
  chkVSplit = Check("chkVSplit", "Allow Vertical Splitting");
  chkLTooltips = Check("chkLTooltips", "Line Tooltips on Scroll");
  chkCase = Check("chkCase", "Fix Case While Typing Languages");
  chkLineNo = Check("chkLineNo", "Line Numbering");
  chkWhiteSpaces = Check("chkWhiteSpaces", "Display White Spaces");
  fraLineNo = new QGroupBox(QStringLiteral("Line Numbering"));
  fraLineNo->setObjectName(QStringLiteral("fraLineNo"));
  lblLStyle = new QLabel(QStringLiteral("Style"));
  cmbLStyle = new QComboBox;
  cmbLStyle->setObjectName(QStringLiteral("cmbLStyle"));
  cmbLStyle->addItems({QStringLiteral("Binary"), QStringLiteral("Decimal"), QStringLiteral("Hexadecimal"),
                       QStringLiteral("Octal")});
  auto* frameLayout = new QHBoxLayout(fraLineNo);
  frameLayout->addWidget(lblLStyle);
  frameLayout->addWidget(cmbLStyle, 1);
  auto* editorLayout = new QVBoxLayout(pageEditor);
  for (QCheckBox* box : {chkHSplit, chkVSplit, chkLTooltips, chkCase, chkLineNo, chkWhiteSpaces})
    editorLayout->addWidget(box);
  editorLayout->addWidget(fraLineNo);
  editorLayout->addStretch();

  // Color page.
  pageColor = new QWidget;
  lstColor = new QListWidget;
  lstColor->setObjectName(QStringLiteral("lstColor"));
  for (int i = 1; i < ColorTable::kSize; ++i) lstColor->addItem(ColorTable::ItemName(i));
  lstColor->setMinimumWidth(lstColor->sizeHintForColumn(0) + 2 * lstColor->frameWidth() +
                            lstColor->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8);
  cmdTextColor = new QPushButton(QStringLiteral("Text Color"));
  cmdTextColor->setObjectName(QStringLiteral("cmdTextColor"));
  cmdBackground = new QPushButton(QStringLiteral("Background"));
  cmdBackground->setObjectName(QStringLiteral("cmdBackground"));
  lblTextColor = new QLabel;
  lblTextColor->setObjectName(QStringLiteral("lblTextColor"));
  lblBackGround = new QLabel;
  lblBackGround->setObjectName(QStringLiteral("lblBackGround"));
  for (QLabel* swatch : {lblTextColor, lblBackGround}) {
    swatch->setFixedSize(40, 20);
    swatch->setFrameShape(QFrame::Box);
    swatch->setAutoFillBackground(true);
  }
  lblStyle = new QLabel(QStringLiteral("Text Style"));
  cmbStyle = new QComboBox;
  cmbStyle->setObjectName(QStringLiteral("cmbStyle"));
  cmbStyle->addItems({QStringLiteral("Normal"), QStringLiteral("Bold"), QStringLiteral("Italic"),
                      QStringLiteral("Bold + Italic"), QStringLiteral("Underline")});
  auto* controls = new QGridLayout;
  controls->addWidget(cmdTextColor, 0, 0);
  controls->addWidget(lblTextColor, 0, 1);
  controls->addWidget(cmdBackground, 1, 0);
  controls->addWidget(lblBackGround, 1, 1);
  controls->addWidget(lblStyle, 2, 0, 1, 2);
  controls->addWidget(cmbStyle, 3, 0, 1, 2);
  controls->setRowStretch(4, 1);
  auto* colorLayout = new QHBoxLayout(pageColor);
  colorLayout->addWidget(lstColor, 1);
  colorLayout->addLayout(controls);

  cmdOk = new QPushButton(QStringLiteral("&OK"));
  cmdOk->setObjectName(QStringLiteral("cmdOk"));
  cmdApply = new QPushButton(QStringLiteral("&Apply"));
  cmdApply->setObjectName(QStringLiteral("cmdApply"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdOk);
  buttons->addWidget(cmdApply);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tbrOptions);
  // Stacked, the pages share the size of the larger one: the window does not grow on the first
  // switch to the Color page.
  pages_ = new QStackedWidget;
  pages_->addWidget(pageEditor);
  pages_->addWidget(pageColor);
  layout->addWidget(pages_, 1);
  layout->addLayout(buttons);

  connect(tbrOptions, &QTabBar::currentChanged, this, &frmOptions::ShowPage);
  connect(chkLineNo, &QCheckBox::toggled, this, &frmOptions::UpdateLineNumberFrame);
  connect(lstColor, &QListWidget::currentRowChanged, this, [this](int row) {
    WhoIsVisible(row);
    ShowItem();
  });
  connect(cmdTextColor, &QPushButton::clicked, this, &frmOptions::cmdTextColor_Click);
  connect(cmdBackground, &QPushButton::clicked, this, &frmOptions::cmdBackground_Click);
  connect(cmbStyle, &QComboBox::activated, this, [this](int index) { table_->Item(SelectedItem()).style = index; });
  connect(cmdOk, &QPushButton::clicked, this, &frmOptions::cmdOk_Click);
  connect(cmdApply, &QPushButton::clicked, this, &frmOptions::cmdApply_Click);

  // Load: the stored switches (defaults where missing) into the controls.
  auto store = settings_();
  const EditorPreferences p = EditorPreferences::Load(*store);
  chkHSplit->setChecked(p.HSplit);
  chkVSplit->setChecked(p.VSplit);
  chkLTooltips->setChecked(p.LToolTips);
  chkCase->setChecked(p.lineCase);
  chkLineNo->setChecked(p.LineNum);
  chkWhiteSpaces->setChecked(p.WhiteSpace);
  cmbLStyle->setCurrentText(RadixName(p.LineNumStyle));
  ShowPage(tbrOptions->currentIndex());
  UpdateLineNumberFrame();
  WhoIsVisible(lstColor->currentRow());
  ShowItem();
}

void frmOptions::ShowPage(int tab) {
  const bool misc = tbrOptions->tabData(tab).toString() == QLatin1String("Misc");
  pages_->setCurrentWidget(misc ? pageEditor : pageColor);
}

void frmOptions::UpdateLineNumberFrame() {
  const bool on = chkLineNo->isChecked();
  fraLineNo->setEnabled(on);
  cmbLStyle->setEnabled(on);
  lblLStyle->setEnabled(on);
}

int frmOptions::SelectedItem() const {
  const int item = lstColor->currentRow() + 1;
  return item >= 0 && item < ColorTable::kSize ? item : 0;
}

void frmOptions::WhoIsVisible(int listPosition) {
  switch (ColorTable::ControlsOf(listPosition + 1 >= 0 && listPosition + 1 < ColorTable::kSize ? listPosition + 1 : 0)) {
    case ColorControls::TextOnly: One(); break;
    case ColorControls::TextAndBackground: Two(); break;
    case ColorControls::All: Three(); break;
  }
}

void frmOptions::One() {
  cmdTextColor->setVisible(true);
  lblTextColor->setVisible(true);
  cmdBackground->setVisible(false);
  lblBackGround->setVisible(false);
  lblStyle->setVisible(false);
  cmbStyle->setVisible(false);
}

void frmOptions::Two() {
  One();
  cmdBackground->setVisible(true);
  lblBackGround->setVisible(true);
}

void frmOptions::Three() {
  Two();
  lblStyle->setVisible(true);
  cmbStyle->setVisible(true);
}

void frmOptions::Swatch(QLabel* label, int32_t color) {
  QPalette palette = label->palette();
  const QColor c = ColorFromBgr(color);
  palette.setColor(QPalette::Window, c.isValid() ? c : QDialog::palette().color(QPalette::Window));
  label->setPalette(palette);
}

void frmOptions::ShowItem() {
  const ColorItem& item = table_->Item(SelectedItem());
  Swatch(lblTextColor, item.text);
  Swatch(lblBackGround, item.background);
  cmbStyle->setCurrentIndex(static_cast<int>(FontStyleOf(item.style)));
}

void frmOptions::cmdTextColor_Click() {
  ColorItem& item = table_->Item(SelectedItem());
  const std::optional<QColor> chosen = picker_(ColorFromBgr(item.text));
  if (!chosen) return;
  item.text = BgrFromColor(*chosen);
  Swatch(lblTextColor, item.text);
}

void frmOptions::cmdBackground_Click() {
  ColorItem& item = table_->Item(SelectedItem());
  const std::optional<QColor> chosen = picker_(ColorFromBgr(item.background));
  if (!chosen) return;
  item.background = BgrFromColor(*chosen);
  Swatch(lblBackGround, item.background);
}

void frmOptions::cmdApply_Click() {
  EditorPreferences p;
  p.HSplit = chkHSplit->isChecked();
  p.VSplit = chkVSplit->isChecked();
  p.LToolTips = chkLTooltips->isChecked();
  p.lineCase = chkCase->isChecked();
  p.LineNum = chkLineNo->isChecked();
  p.WhiteSpace = chkWhiteSpaces->isChecked();
  p.LineNumStyle = RadixOfName(cmbLStyle->currentText());
  {
    auto store = settings_();
    p.Save(*store);
    table_->Save(*store);
    store->sync();
  }
  if (apply_) apply_();
}

void frmOptions::cmdOk_Click() { accept(); }

}  // namespace lumetrix
