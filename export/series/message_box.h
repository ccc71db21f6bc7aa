#pragma once
// The plain message box of the series windows: OK button, the application's title.

#include <QMessageBox>
#include <QString>

namespace lumetrix::series {

void ShowMessage(QWidget* owner, const QString& text, QMessageBox::Icon icon = QMessageBox::NoIcon);

}  // namespace lumetrix::series
