#include "export/series/md_browse.h"

#include <QFileDialog>

namespace lumetrix::series {

QString BrowseForFolder(QWidget* owner, const QString& initial, const QString& title, bool include_files, bool, bool,
                        bool, bool) {
  QFileDialog::Options options;
  if (!include_files) options |= QFileDialog::ShowDirsOnly;
  return QFileDialog::getExistingDirectory(owner, title, initial, options);
}

}  // namespace lumetrix::series
