#include "widgets/uc_progress.h"

#include <QMouseEvent>
#include <QPainter>

namespace lumetrix::widgets {

ucProgress::ucProgress(QWidget* parent) : QFrame(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  ApplyBorder();
}

void ucProgress::ApplyBorder() {
  switch (borderStyle_) {
    case kBorderNone:
      setFrameStyle(QFrame::NoFrame);
      break;
    case kBorderThin:
      setFrameStyle(QFrame::Box | QFrame::Plain);
      setLineWidth(1);
      break;
    default:
      setFrameStyle(QFrame::WinPanel | QFrame::Sunken);  // two pixels, like a client edge
      break;
  }
  SyncClientSize();
}

void ucProgress::SyncClientSize() {
  const QRect client = contentsRect();
  fill_.SetClientSize(client.width(), client.height());
  fill_.Recompute();
}

void ucProgress::SetOrientation(int orientation) {
  if (orientation == fill_.Orientation()) return;
  if (!fill_.SetOrientation(orientation)) return;
  resize(height(), width());
  SyncClientSize();
  update();
}

void ucProgress::SetBorderStyle(int style) {
  if (style < kBorderNone || style > kBorderSunken) return;
  borderStyle_ = style;
  ApplyBorder();
  update();
}

QColor ucProgress::BackColor() const { return backRole_ ? palette().color(*backRole_) : backColor_; }

void ucProgress::SetBackColor(const QColor& colour) {
  backColor_ = colour;
  backRole_.reset();
  update();
}

void ucProgress::SetBackColorRole(QPalette::ColorRole role) {
  backRole_ = role;
  update();
}

QColor ucProgress::ForeColor() const { return foreRole_ ? palette().color(*foreRole_) : foreColor_; }

void ucProgress::SetForeColor(const QColor& colour) {
  foreColor_ = colour;
  foreRole_.reset();
  update();
}

void ucProgress::SetForeColorRole(QPalette::ColorRole role) {
  foreRole_ = role;
  update();
}

void ucProgress::SetValue(int value) {
  // A hidden widget gets its resize event only when shown: follow its size here too.
  const QRect client = contentsRect();
  if (client.width() != fill_.ClientWidth() || client.height() != fill_.ClientHeight()) {
    fill_.SetClientSize(client.width(), client.height());
    fill_.SetValue(value);
    update();
    return;
  }
  if (fill_.SetValue(value)) update();
}

QRect ucProgress::ToWidget(const PixelRect& r) const {
  const QPoint origin = contentsRect().topLeft();
  return QRect(origin.x() + r.left, origin.y() + r.top, r.Width(), r.Height());
}

QRect ucProgress::BarRect() const { return ToWidget(fill_.BarRect()); }
QRect ucProgress::RestRect() const { return ToWidget(fill_.RestRect()); }

void ucProgress::paintEvent(QPaintEvent*) {
  const QRect client = contentsRect();
  if (client.width() != fill_.ClientWidth() || client.height() != fill_.ClientHeight()) SyncClientSize();
  QPainter painter(this);
  painter.fillRect(BarRect(), ForeColor());
  painter.fillRect(RestRect(), BackColor());
  drawFrame(&painter);
}

void ucProgress::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  SyncClientSize();
  update();
}

void ucProgress::mousePressEvent(QMouseEvent* event) {
  pressed_ = true;
  const QPoint at = event->position().toPoint();
  emit MouseDown(event->button(), event->modifiers(), at.x(), at.y());
}

void ucProgress::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  emit MouseMove(event->buttons(), event->modifiers(), at.x(), at.y());
}

void ucProgress::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  emit MouseUp(event->button(), event->modifiers(), at.x(), at.y());
  if (pressed_ && rect().contains(at)) emit Click();
  pressed_ = false;
}

}  // namespace lumetrix::widgets
