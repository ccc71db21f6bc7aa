#include "palettes/ui/standard_palette_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace lumetrix {
namespace {

std::filesystem::path ToPath(const QString& s) { return std::filesystem::path(s.toStdString()); }

}  // namespace

palettes::PaletteFolders StandardPaletteFolders() {
  palettes::PaletteFolders folders;
  const QDir programDir(QCoreApplication::applicationDirPath());
  const QString candidates[] = {programDir.filePath(QStringLiteral("../share/lumetrix/palettes")),
                                programDir.filePath(QStringLiteral("palettes")),
                                QStringLiteral(LUMETRIX_BUNDLED_PALETTES_DIR)};
  folders.bundled = ToPath(QStringLiteral(LUMETRIX_BUNDLED_PALETTES_DIR));
  for (const QString& c : candidates) {
    if (QFileInfo(c).isDir()) {
      folders.bundled = ToPath(QDir::cleanPath(c));
      break;
    }
  }
  const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  if (!data.isEmpty()) folders.writable = ToPath(QDir(data).filePath(QStringLiteral("palettes")));
  return folders;
}

}  // namespace lumetrix
