#include "palettes/ui/dialog_services.h"

#include <QColorDialog>
#include <QPointer>

namespace lumetrix {

MessageHandler MessageBoxHandler(QWidget* parent) {
  QPointer<QWidget> owner(parent);
  return [owner](QMessageBox::Icon icon, const QString& title, const QString& text) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, owner.data());
    box.exec();
  };
}

ColorChooser ColorDialogChooser(QWidget* parent) {
  QPointer<QWidget> owner(parent);
  return [owner](const QColor& initial) { return QColorDialog::getColor(initial, owner.data()); };
}

}  // namespace lumetrix
