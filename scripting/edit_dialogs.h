#pragma once
// The small dialogs of the editor's Edit menu: find, find and replace, go to line.

#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace lumetrix::scripting {

struct FindRequest {
  QString text;
  bool matchCase = false;
  bool wholeWord = false;
  bool backwards = false;
};

class FindDialog : public QDialog {
  Q_OBJECT
 public:
  explicit FindDialog(const FindRequest& last, QWidget* parent = nullptr);
  FindRequest Request() const;

 private:
  QLineEdit* what_;
  QCheckBox* matchCase_;
  QCheckBox* wholeWord_;
  QCheckBox* backwards_;
};

// The replace dialog works on the editor through these operations.
struct ReplaceActions {
  std::function<bool(const FindRequest&)> findNext;  // selects the next match; false: none
  std::function<bool(const FindRequest&, const QString& with)> replaceCurrent;  // replaces the selected match
  std::function<int(const FindRequest&, const QString& with)> replaceAll;  // number replaced
};

class ReplaceDialog : public QDialog {
  Q_OBJECT
 public:
  ReplaceDialog(const FindRequest& last, const QString& lastReplacement, ReplaceActions actions,
                QWidget* parent = nullptr);
  FindRequest Request() const;
  QString Replacement() const;
  // What the dialog's status line shows after the last button.
  QString Status() const;

  void FindNext();
  void ReplaceOne();
  void ReplaceEverything();

 private:
  QLineEdit* what_;
  QLineEdit* with_;
  QCheckBox* matchCase_;
  QCheckBox* wholeWord_;
  QLabel* status_;
  ReplaceActions actions_;
};

class GoToLineDialog : public QDialog {
  Q_OBJECT
 public:
  GoToLineDialog(int current, int lineCount, QWidget* parent = nullptr);
  int Line() const;  // 1-based

 private:
  QSpinBox* line_;
};

}  // namespace lumetrix::scripting
