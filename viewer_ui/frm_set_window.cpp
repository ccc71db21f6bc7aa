#include "viewer_ui/frm_set_window.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include "core/rounding.h"
#include "core/text_number.h"

namespace lumetrix {
namespace {

QString Stored(const char* key) {
  QSettings settings("Lumetrix", "Lumetrix");
  const QVariant v = settings.value(QString("WindowSize/") + key, "400");
  return v.canConvert<QString>() ? v.toString() : QString("400");
}

}  // namespace

int16_t LeadingNumber16(const QString& text) {
  const double v = LeadingNumber(text.toStdString());
  if (!(v > -32768.5 && v < 32767.5)) return 0;
  return CInt(v);
}

int16_t frmSetWindow::StoredWidth() { return LeadingNumber16(Stored("W")); }
int16_t frmSetWindow::StoredHeight() { return LeadingNumber16(Stored("H")); }

frmSetWindow::frmSetWindow(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Set Window Size");
  auto* frame = new QGroupBox(this);
  auto* grid = new QGridLayout(frame);
  txtW_ = new QLineEdit(Stored("W"), frame);
  txtH_ = new QLineEdit(Stored("H"), frame);
  txtW_->setObjectName("txtW");
  txtH_->setObjectName("txtH");
  grid->addWidget(new QLabel("Width", frame), 0, 0);
  grid->addWidget(txtW_, 0, 1);
  grid->addWidget(new QLabel("Pixels", frame), 0, 2);
  grid->addWidget(new QLabel("Height:", frame), 1, 0);
  grid->addWidget(txtH_, 1, 1);
  grid->addWidget(new QLabel("Pixels", frame), 1, 2);
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("OKButton");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &frmSetWindow::OKButton_Click);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frame);
  layout->addWidget(ok, 0, Qt::AlignRight);
}

void frmSetWindow::OKButton_Click() {
  QSettings settings("Lumetrix", "Lumetrix");
  settings.setValue("WindowSize/W", txtW_->text());
  settings.setValue("WindowSize/H", txtH_->text());
  accept();
}

}  // namespace lumetrix
