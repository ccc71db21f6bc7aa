#pragma once
// The about box.

#include <QDialog>

namespace lumetrix {

class frmAbout : public QDialog {
  Q_OBJECT
 public:
  explicit frmAbout(QWidget* parent = nullptr);
};

// "1.2": major and minor of the program's version.
QString VersionText();

}  // namespace lumetrix
