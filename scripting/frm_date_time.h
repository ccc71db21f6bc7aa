#pragma once
// "Penwright- Date / Time": the current date and time in fourteen formats; the chosen one is
// inserted into the script at the caret.

#include <QDateTime>
#include <QDialog>
#include <QLocale>

#include <functional>

class QGroupBox;
class QListWidget;
class QPushButton;

namespace lumetrix {

class frmDateTime : public QDialog {
  Q_OBJECT
 public:
  // `insert` replaces the editor's selection (or inserts at the caret) with a text.
  frmDateTime(const QDateTime& now, const QLocale& locale, std::function<void(const QString&)> insert,
              QWidget* parent = nullptr);

  void cmdOk_Click();
  void cmdCancel_Click();

  QGroupBox* fraFormats = nullptr;
  QListWidget* lstDateTime = nullptr;
  QPushButton* cmdOk = nullptr;
  QPushButton* cmdCancel = nullptr;

 private:
  std::function<void(const QString&)> insert_;
};

}  // namespace lumetrix
