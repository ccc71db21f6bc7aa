#include "viewer/app_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace lumetrix {

QString BundledDataDir() {
  const QString env = qEnvironmentVariable("LUMETRIX_DATA_DIR");
  if (!env.isEmpty() && QFileInfo(env).isDir()) return QDir(env).absolutePath();
  const QStringList candidates = {QCoreApplication::applicationDirPath() + "/../share/lumetrix",
                                   QStringLiteral(LUMETRIX_SOURCE_DATA_DIR)};
  for (const QString& candidate : candidates)
    if (QFileInfo(candidate + "/help").isDir() || QFileInfo(candidate + "/palettes").isDir())
      return QDir(candidate).absolutePath();
  return QStringLiteral(LUMETRIX_SOURCE_DATA_DIR);
}

QString HelpIndexPath() {
  const QString page = BundledDataDir() + "/help/index.html";
  return QFileInfo(page).isFile() ? page : QString();
}

}  // namespace lumetrix
