#include "widgets/frm_help.h"

#include <algorithm>

#include <QFile>
#include <QTreeWidgetItemIterator>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSplitter>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace lumetrix::widgets {

frmHelp::frmHelp(const QString& page, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("frmHelp");
  setWindowTitle("Lumetrix Help");
  resize(900, 650);

  auto* back = new QToolButton(this);
  back->setText("Back");
  back->setEnabled(false);
  auto* forward = new QToolButton(this);
  forward->setText("Forward");
  forward->setEnabled(false);
  search_ = new QLineEdit(this);
  search_->setObjectName("txtSearch");
  search_->setPlaceholderText("Search (Return finds the next match)");
  search_->setClearButtonEnabled(true);
  auto* bar = new QHBoxLayout;
  bar->addWidget(back);
  bar->addWidget(forward);
  bar->addWidget(search_, 1);

  contents_ = new QTreeWidget(this);
  contents_->setObjectName("tvwContents");
  contents_->setHeaderHidden(true);
  page_ = new QTextBrowser(this);
  page_->setObjectName("txtPage");
  page_->setOpenExternalLinks(true);  // web links go to the desktop; the manual's own stay here
  auto* split = new QSplitter(this);
  split->addWidget(contents_);
  split->addWidget(page_);
  split->setStretchFactor(1, 1);
  split->setSizes({220, 680});

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(bar);
  layout->addWidget(split, 1);

  connect(back, &QToolButton::clicked, page_, &QTextBrowser::backward);
  connect(forward, &QToolButton::clicked, page_, &QTextBrowser::forward);
  connect(page_, &QTextBrowser::backwardAvailable, back, &QToolButton::setEnabled);
  connect(page_, &QTextBrowser::forwardAvailable, forward, &QToolButton::setEnabled);
  connect(search_, &QLineEdit::textChanged, this, &frmHelp::FilterContents);
  connect(search_, &QLineEdit::returnPressed, this, &frmHelp::FindNext);
  connect(contents_, &QTreeWidget::itemActivated, this,
          [this](QTreeWidgetItem* item) { ShowSection(item->data(0, Qt::UserRole).toInt()); });
  connect(contents_, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { ShowSection(item->data(0, Qt::UserRole).toInt()); });

  page_->setSource(QUrl::fromLocalFile(page));
  FillContents(page);
}

void frmHelp::FillContents(const QString& page) {
  QFile file(page);
  if (file.open(QIODevice::ReadOnly)) sections_ = SplitManual(file.readAll().toStdString());
  QTreeWidgetItem* chapter = nullptr;
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    const QString title = QString::fromStdString(sections_[i].title);
    auto* item = sections_[i].level == 3 && chapter ? new QTreeWidgetItem(chapter, {title})
                                                    : new QTreeWidgetItem(contents_, {title});
    if (sections_[i].level == 2) chapter = item;
    item->setData(0, Qt::UserRole, static_cast<int>(i));
  }
  contents_->expandAll();
}

void frmHelp::FilterContents(const QString& query) {
  const auto matching = SectionsMatching(sections_, query.toStdString());
  // A chapter stays listed while one of its sections matches, so the match keeps its place.
  for (QTreeWidgetItemIterator it(contents_); *it; ++it) (*it)->setHidden(true);
  for (QTreeWidgetItemIterator it(contents_); *it; ++it) {
    const auto index = static_cast<std::size_t>((*it)->data(0, Qt::UserRole).toInt());
    if (std::find(matching.begin(), matching.end(), index) == matching.end()) continue;
    for (QTreeWidgetItem* item = *it; item; item = item->parent()) item->setHidden(false);
  }
}

void frmHelp::FindNext() {
  const QString query = search_->text().trimmed();
  if (query.isEmpty()) return;
  if (page_->find(query)) return;
  page_->moveCursor(QTextCursor::Start);  // wrap around to the top
  page_->find(query);
}

void frmHelp::ShowSection(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= sections_.size()) return;
  const auto& section = sections_[static_cast<std::size_t>(index)];
  if (!section.anchor.empty()) {
    page_->scrollToAnchor(QString::fromStdString(section.anchor));
    return;
  }
  page_->moveCursor(QTextCursor::Start);
  page_->find(QString::fromStdString(section.title));
}

bool DesktopCanOpenWebPages() {
  if (!qEnvironmentVariableIsEmpty("BROWSER")) return true;
  return !QStandardPaths::findExecutable("xdg-open").isEmpty();
}

}  // namespace lumetrix::widgets
