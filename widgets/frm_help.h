#pragma once
// The help window: the manual in a browser pane, its contents beside it (filtered by a search
// field that also finds the words in the page), and back/forward through followed links.

#include <QWidget>
#include <vector>

#include "widgets/manual_sections.h"

class QLineEdit;
class QTextBrowser;
class QTreeWidget;

namespace lumetrix::widgets {

class frmHelp : public QWidget {
  Q_OBJECT
 public:
  // page: the manual's first page (a local HTML file).
  explicit frmHelp(const QString& page, QWidget* parent = nullptr);

  QTreeWidget* Contents() const { return contents_; }
  QLineEdit* SearchField() const { return search_; }
  QTextBrowser* Page() const { return page_; }

 private:
  void FillContents(const QString& page);
  void FilterContents(const QString& query);
  void FindNext();
  void ShowSection(int index);

  std::vector<ManualSection> sections_;
  QTreeWidget* contents_ = nullptr;
  QLineEdit* search_ = nullptr;
  QTextBrowser* page_ = nullptr;
};

// Whether the desktop has a way to open a web page (xdg-open, or a browser named in BROWSER).
bool DesktopCanOpenWebPages();

}  // namespace lumetrix::widgets
