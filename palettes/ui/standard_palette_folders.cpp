#include "palettes/ui/standard_palette_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include "core/data_folder.h"

namespace lumetrix {
namespace {

std::filesystem::path ToPath(const QString& s) { return std::filesystem::path(s.toStdString()); }

}  // namespace

palettes::PaletteFolders StandardPaletteFolders() {
  palettes::PaletteFolders folders;
  folders.bundled = DataFolder(ToPath(QCoreApplication::applicationDirPath())) / "palettes";
  const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  if (!data.isEmpty()) folders.writable = ToPath(QDir(data).filePath(QStringLiteral("palettes")));
  return folders;
}

}  // namespace lumetrix
