#pragma once
// The about box.

#include <QDialog>

namespace lumetrix {

class frmAbout : public QDialog {
  Q_OBJECT
 public:
  explicit frmAbout(QWidget* parent = nullptr);
};

// "1.2.0.12": the program's version, as --version and the package give it.
QString VersionText();

}  // namespace lumetrix
