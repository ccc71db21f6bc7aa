#include "scripting/frm_date_time.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "scripting/date_time_formats.h"

namespace lumetrix {

frmDateTime::frmDateTime(const QDateTime& now, const QLocale& locale, std::function<void(const QString&)> insert,
                         QWidget* parent)
    : QDialog(parent), insert_(std::move(insert)) {
  setObjectName(QStringLiteral("frmDateTime"));
  setWindowTitle(QStringLiteral("Penwright- Date / Time"));
  setModal(true);
  fraFormats = new QGroupBox(QStringLiteral("Formats"));
  lstDateTime = new QListWidget;
  lstDateTime->setObjectName(QStringLiteral("lstDateTime"));
  lstDateTime->addItems(scripting::DateTimeTexts(now, locale));
  lstDateTime->setCurrentRow(-1);
  // All fourteen entries in view at once.
  lstDateTime->setMinimumSize(lstDateTime->sizeHintForColumn(0) + 2 * lstDateTime->frameWidth() + 24,
                              lstDateTime->sizeHintForRow(0) * lstDateTime->count() + 2 * lstDateTime->frameWidth() + 4);
  auto* frame = new QVBoxLayout(fraFormats);
  frame->addWidget(lstDateTime);
  cmdOk = new QPushButton(QStringLiteral("&Insert"));
  cmdOk->setObjectName(QStringLiteral("cmdOk"));
  cmdOk->setDefault(true);
  cmdCancel = new QPushButton(QStringLiteral("&Cancel"));
  cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(cmdOk);
  buttons->addWidget(cmdCancel);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(fraFormats, 1);
  layout->addLayout(buttons);
  connect(cmdOk, &QPushButton::clicked, this, &frmDateTime::cmdOk_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &frmDateTime::cmdCancel_Click);
  connect(lstDateTime, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { cmdOk_Click(); });

  adjustSize();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frameRect = frameGeometry();
    frameRect.moveCenter(screen->availableGeometry().center());
    move(frameRect.topLeft());
  }
}

void frmDateTime::cmdOk_Click() {
  // With no entry chosen nothing is inserted: inserting an empty text would delete the
  // selection the user had made.
  if (const QListWidgetItem* item = lstDateTime->currentItem(); item && item->isSelected() && insert_)
    insert_(item->text());
  accept();
}

void frmDateTime::cmdCancel_Click() { reject(); }

}  // namespace lumetrix
