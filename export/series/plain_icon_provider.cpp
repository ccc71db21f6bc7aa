#include "export/series/plain_icon_provider.h"

#include <QFileInfo>

namespace lumetrix::series {

PlainIconProvider::PlainIconProvider(QIcon folder, QIcon file) : folder_(std::move(folder)), file_(std::move(file)) {
  setOptions(DontUseCustomDirectoryIcons);
}

QIcon PlainIconProvider::icon(IconType type) const { return type == File ? file_ : folder_; }

QIcon PlainIconProvider::icon(const QFileInfo& info) const { return info.isDir() ? folder_ : file_; }

QString PlainIconProvider::type(const QFileInfo& info) const {
  return info.isDir() ? QStringLiteral("Folder") : QStringLiteral("File");
}

}  // namespace lumetrix::series
