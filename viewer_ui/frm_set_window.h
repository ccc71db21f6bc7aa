#pragma once
// frmSetWindow: the custom drawing-area size, stored as typed in "WindowSize"/"W" and "H".

#include <QDialog>

class QLineEdit;

namespace lumetrix {

class frmSetWindow : public QDialog {
  Q_OBJECT
 public:
  explicit frmSetWindow(QWidget* parent = nullptr);
  QLineEdit* txtW() const { return txtW_; }
  QLineEdit* txtH() const { return txtH_; }

  // The stored size ("400" when absent), as the leading number of each text (0 when none).
  static int16_t StoredWidth();
  static int16_t StoredHeight();

 private:
  void OKButton_Click();
  QLineEdit* txtW_;
  QLineEdit* txtH_;
};

// The numeric value of a text: its leading number ("640px" gives 640, "abc" gives 0), as a
// 16-bit integer (values beyond the range give 0).
int16_t LeadingNumber16(const QString& text);

}  // namespace lumetrix
