#include "export/series/conversion_progress.h"

#include <QApplication>
#include <QCoreApplication>
#include <QProgressDialog>

namespace lumetrix::series {

ConversionProgress::ConversionProgress(QWidget* owner, const QString& label)
    : dialog_(std::make_unique<QProgressDialog>(label, "Cancel", 0, 1, owner)) {
  dialog_->setObjectName("ConversionProgress");
  dialog_->setWindowModality(Qt::WindowModal);
  dialog_->setMinimumDuration(400);
  dialog_->setAutoClose(false);
  dialog_->setAutoReset(false);
  dialog_->setValue(0);
}

ConversionProgress::~ConversionProgress() = default;

void ConversionProgress::SetLabel(const QString& label) {
  dialog_->setLabelText(label);
  dialog_->setValue(0);
}

void ConversionProgress::ShowProgress(const std::string&, int32_t start, int32_t maximum) {
  dialog_->setMaximum(maximum);
  dialog_->setValue(start);
}

void ConversionProgress::SetProgress(int32_t value) {
  dialog_->setValue(value);
  QCoreApplication::processEvents();
}

bool ConversionProgress::Cancelled() const { return dialog_->wasCanceled(); }

BusyCursor::BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
BusyCursor::~BusyCursor() { QApplication::restoreOverrideCursor(); }

}  // namespace lumetrix::series
