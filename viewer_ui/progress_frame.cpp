#include "viewer_ui/progress_frame.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace lumetrix {

ProgressFrame::ProgressFrame(QWidget* parent) : QGroupBox("Progress", parent) {
  setObjectName("frmProgress");
  // Opaque in the window's own colours: it stands over the drawing area, which is often black.
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Window);
  auto* inner = new QHBoxLayout(this);
  bar_ = new QProgressBar(this);
  bar_->setObjectName("pBar");
  inner->addWidget(bar_, 1);
  cancel_ = new QPushButton("Cancel", this);
  cancel_->setObjectName("cmdCancelProgress");
  cancel_->setFocusPolicy(Qt::NoFocus);  // the keys stay with the viewer
  connect(cancel_, &QPushButton::clicked, this, [this] { cancel_clicked_ = true; });
  inner->addWidget(cancel_);
  resize(320, sizeHint().height());
  hide();
}

void ProgressFrame::Centre() {
  if (parentWidget()) move(parentWidget()->width() / 2 - width() / 2, parentWidget()->height() / 2 - height() / 2);
}

void ProgressFrame::Start(const std::string& caption, int32_t start, int32_t maximum, bool cancellable, bool pages) {
  setTitle(QString::fromStdString(caption));
  cancel_clicked_ = false;
  cancel_->setVisible(cancellable);
  bar_->setFormat(pages ? "page %v of %m" : "%v of %m");
  Centre();
  show();
  raise();
  bar_->setMinimum(0);
  bar_->setMaximum(std::max(maximum, 0));
  bar_->setMinimum(std::min(start, bar_->maximum()));
  QCoreApplication::processEvents();
}

void ProgressFrame::SetValue(int32_t value) {
  QCoreApplication::processEvents();
  bar_->setValue(std::clamp(value, bar_->minimum(), bar_->maximum()));
  QCoreApplication::processEvents();
}

void ProgressFrame::Stop() {
  hide();
  bar_->setValue(0);
  QCoreApplication::processEvents();
}

int32_t ProgressFrame::Value() const { return bar_->value(); }

}  // namespace lumetrix
