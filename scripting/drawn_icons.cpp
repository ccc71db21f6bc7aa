#include "scripting/drawn_icons.h"

#include <QPainter>
#include <QPixmap>

namespace lumetrix::scripting {

QIcon DrawnIcon(const QString& name, const QColor& ink) {
  const bool known = name == QLatin1String("document-print") || name == QLatin1String("edit-cut") ||
                     name == QLatin1String("edit-copy") || name == QLatin1String("edit-paste");
  if (!known) return {};
  QPixmap pixmap(24, 24);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(ink, 1.5));
  const QColor paper(255, 255, 255);
  if (name == QLatin1String("document-print")) {
    p.setBrush(paper);
    p.drawRect(QRectF(7, 3, 10, 7));   // the sheet going in
    p.setBrush(ink.lighter(170));
    p.drawRoundedRect(QRectF(3, 9, 18, 9), 2, 2);  // the body
    p.setBrush(paper);
    p.drawRect(QRectF(7, 15, 10, 6));  // the sheet coming out
  } else if (name == QLatin1String("edit-cut")) {
    p.drawLine(QPointF(7, 3), QPointF(15, 16));  // blades crossing
    p.drawLine(QPointF(17, 3), QPointF(9, 16));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(7, 18), 3, 3);  // handles
    p.drawEllipse(QPointF(17, 18), 3, 3);
  } else if (name == QLatin1String("edit-copy")) {
    p.setBrush(paper);
    p.drawRect(QRectF(3, 3, 11, 14));
    p.drawRect(QRectF(9, 7, 11, 14));
  } else {
    p.setBrush(ink.lighter(170));
    p.drawRoundedRect(QRectF(4, 4, 14, 17), 2, 2);  // the board
    p.setBrush(ink);
    p.drawRect(QRectF(8, 2, 6, 4));  // its clip
    p.setBrush(paper);
    p.drawRect(QRectF(10, 9, 10, 12));  // the sheet on it
  }
  p.end();
  return QIcon(pixmap);
}

}  // namespace lumetrix::scripting
