#include "export/series/message_box.h"

#include <QApplication>

namespace lumetrix::series {

void ShowMessage(QWidget* owner, const QString& text, QMessageBox::Icon icon) {
  QString title = QApplication::applicationName();
  if (title.isEmpty()) title = "Lumetrix";
  QMessageBox box(icon, title, text, QMessageBox::Ok, owner);
  box.exec();
}

}  // namespace lumetrix::series
