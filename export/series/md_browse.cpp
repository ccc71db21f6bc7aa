#include "export/series/md_browse.h"

#include <QApplication>
#include <QFileDialog>
#include <QStyle>

#include "export/series/plain_icon_provider.h"

namespace lumetrix::series {

QString BrowseForFolder(QWidget* owner, const QString& initial, const QString& title, bool include_files, bool, bool,
                        bool, bool) {
  // Qt's own dialog looks into files for their icons, which can block on /proc; ours does not.
  // It outlives the dialog, whose folder model uses it until the end.
  const QStyle* style = QApplication::style();
  PlainIconProvider icons(style->standardIcon(QStyle::SP_DirIcon), style->standardIcon(QStyle::SP_FileIcon));
  QFileDialog dialog(owner, title, initial);
  dialog.setFileMode(QFileDialog::Directory);
  if (!include_files) dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setIconProvider(&icons);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

}  // namespace lumetrix::series
