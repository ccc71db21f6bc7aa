#pragma once
// Icons for the series windows' folder trees that never look inside a file. Qt's own provider
// asks the MIME database, which reads the first bytes of files whose names say nothing; on a
// kernel file under /proc such a read can block for good, and with it the whole program.

#include <QAbstractFileIconProvider>
#include <QIcon>

namespace lumetrix::series {

class PlainIconProvider : public QAbstractFileIconProvider {
 public:
  PlainIconProvider(QIcon folder, QIcon file);

  // One icon for folders and one for everything else, decided by the entry's kind alone.
  QIcon icon(IconType type) const override;
  QIcon icon(const QFileInfo& info) const override;
  // "Folder" or "File".
  QString type(const QFileInfo& info) const override;

 private:
  QIcon folder_, file_;
};

}  // namespace lumetrix::series
