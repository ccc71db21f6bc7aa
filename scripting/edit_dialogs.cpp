#include "scripting/edit_dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace lumetrix::scripting {

FindDialog::FindDialog(const FindRequest& last, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Find"));
  what_ = new QLineEdit(last.text);
  what_->selectAll();
  matchCase_ = new QCheckBox(QStringLiteral("Match &case"));
  matchCase_->setChecked(last.matchCase);
  wholeWord_ = new QCheckBox(QStringLiteral("&Whole word"));
  wholeWord_->setChecked(last.wholeWord);
  backwards_ = new QCheckBox(QStringLiteral("Search &up"));
  backwards_->setChecked(last.backwards);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Fi&nd what:"), what_);
  auto* buttons = new QDialogButtonBox;
  QPushButton* find = buttons->addButton(QStringLiteral("&Find Next"), QDialogButtonBox::AcceptRole);
  find->setDefault(true);
  buttons->addButton(QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(what_, &QLineEdit::textChanged, find, [find](const QString& t) { find->setEnabled(!t.isEmpty()); });
  find->setEnabled(!last.text.isEmpty());
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(matchCase_);
  layout->addWidget(wholeWord_);
  layout->addWidget(backwards_);
  layout->addWidget(buttons);
}

FindRequest FindDialog::Request() const {
  return {what_->text(), matchCase_->isChecked(), wholeWord_->isChecked(), backwards_->isChecked()};
}

ReplaceDialog::ReplaceDialog(const FindRequest& last, const QString& lastReplacement, ReplaceActions actions,
                             QWidget* parent)
    : QDialog(parent), actions_(std::move(actions)) {
  setWindowTitle(QStringLiteral("Replace"));
  what_ = new QLineEdit(last.text);
  with_ = new QLineEdit(lastReplacement);
  matchCase_ = new QCheckBox(QStringLiteral("Match &case"));
  matchCase_->setChecked(last.matchCase);
  wholeWord_ = new QCheckBox(QStringLiteral("&Whole word"));
  wholeWord_->setChecked(last.wholeWord);
  status_ = new QLabel;
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Fi&nd what:"), what_);
  form->addRow(QStringLiteral("Re&place with:"), with_);
  auto* findNext = new QPushButton(QStringLiteral("&Find Next"));
  findNext->setDefault(true);
  auto* replace = new QPushButton(QStringLiteral("&Replace"));
  auto* replaceAll = new QPushButton(QStringLiteral("Replace &All"));
  auto* close = new QPushButton(QStringLiteral("Close"));
  connect(findNext, &QPushButton::clicked, this, &ReplaceDialog::FindNext);
  connect(replace, &QPushButton::clicked, this, &ReplaceDialog::ReplaceOne);
  connect(replaceAll, &QPushButton::clicked, this, &ReplaceDialog::ReplaceEverything);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(findNext);
  buttons->addWidget(replace);
  buttons->addWidget(replaceAll);
  buttons->addWidget(close);
  buttons->addStretch();
  auto* left = new QVBoxLayout;
  left->addLayout(form);
  left->addWidget(matchCase_);
  left->addWidget(wholeWord_);
  left->addWidget(status_);
  left->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addLayout(buttons);
}

FindRequest ReplaceDialog::Request() const {
  return {what_->text(), matchCase_->isChecked(), wholeWord_->isChecked(), false};
}

QString ReplaceDialog::Replacement() const { return with_->text(); }

QString ReplaceDialog::Status() const { return status_->text(); }

void ReplaceDialog::FindNext() {
  const FindRequest request = Request();
  if (request.text.isEmpty()) return;
  status_->setText(actions_.findNext(request) ? QString() : QStringLiteral("Cannot find \"%1\".").arg(request.text));
}

void ReplaceDialog::ReplaceOne() {
  const FindRequest request = Request();
  if (request.text.isEmpty()) return;
  actions_.replaceCurrent(request, with_->text());
  FindNext();
}

void ReplaceDialog::ReplaceEverything() {
  const FindRequest request = Request();
  if (request.text.isEmpty()) return;
  const int count = actions_.replaceAll(request, with_->text());
  status_->setText(count == 1 ? QStringLiteral("1 occurrence replaced.")
                              : QStringLiteral("%1 occurrences replaced.").arg(count));
}

GoToLineDialog::GoToLineDialog(int current, int lineCount, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Go To Line"));
  line_ = new QSpinBox;
  line_->setRange(1, std::max(1, lineCount));
  line_->setValue(std::clamp(current, 1, std::max(1, lineCount)));
  line_->selectAll();
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("&Line number (1 - %1):").arg(std::max(1, lineCount)), line_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

int GoToLineDialog::Line() const { return line_->value(); }

}  // namespace lumetrix::scripting
