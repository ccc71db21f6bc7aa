#include "viewer_ui/app_paths.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "core/data_folder.h"

namespace lumetrix {

QString BundledDataDir() {
  const auto folder = DataFolder(QCoreApplication::applicationDirPath().toStdString());
  return QString::fromStdString(folder.string());
}

QString HelpIndexPath() {
  const QString page = BundledDataDir() + "/help/index.html";
  return QFileInfo(page).isFile() ? page : QString();
}

}  // namespace lumetrix
