#include "scripting/script_file.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include "core/staged_file.h"

namespace lumetrix::scripting {

namespace {

QString TooLarge(const QString& path, int64_t size) {
  return QStringLiteral("%1 is too large for a script (%2 MB; at most %3 MB).")
      .arg(path)
      .arg(static_cast<double>(size) / (1024.0 * 1024.0), 0, 'f', 1)
      .arg(kMaxScriptFileBytes / (1024 * 1024));
}

}  // namespace

ScriptFileText DecodeScriptBytes(const QByteArray& bytes, const QString& path) {
  ScriptFileText result;
  if (bytes.size() > kMaxScriptFileBytes) {
    result.error = TooLarge(path, bytes.size());
    return result;
  }
  if (bytes.contains('\0')) {
    result.error = QStringLiteral("%1 is not a text file.").arg(path);
    return result;
  }
  QByteArrayView view(bytes);
  if (view.startsWith("\xEF\xBB\xBF")) view = view.sliced(3);
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(view);
  if (utf8.hasError()) {
    result.text = QString::fromLatin1(bytes);
    result.encoding = ScriptEncoding::Latin1;
  } else {
    result.text = std::move(text);
    result.encoding = ScriptEncoding::Utf8;
  }
  result.ok = true;
  return result;
}

ScriptFileText ReadScriptFile(const QString& path) {
  ScriptFileText result;
  const QFileInfo info(path);
  if (!info.exists()) {
    result.error = QStringLiteral("%1 does not exist.").arg(path);
    return result;
  }
  if (info.isDir() || !info.isFile()) {
    result.error = QStringLiteral("%1 is not a file.").arg(path);
    return result;
  }
  if (info.size() > kMaxScriptFileBytes) {
    result.error = TooLarge(path, info.size());
    return result;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    result.error = QStringLiteral("Cannot open %1: %2").arg(path, file.errorString());
    return result;
  }
  // Read at most one byte beyond the limit: the file may grow after the size check.
  const QByteArray bytes = file.read(kMaxScriptFileBytes + 1);
  if (file.error() != QFileDevice::NoError) {
    result.error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
    return result;
  }
  return DecodeScriptBytes(bytes, path);
}

QString WriteScriptFile(const QString& path, const QString& text) {
  // The save replaces the target by renaming; a device, pipe or folder must not be replaced.
  const QFileInfo target(path);
  if (target.exists() && !target.isFile())
    return QStringLiteral("Cannot save %1: it is not a regular file.").arg(path);
  const QByteArray bytes = text.toUtf8();
  StagedFile file(QFile::encodeName(path).toStdString());
  if (!file.Write(bytes.constData(), static_cast<size_t>(bytes.size())) || !file.Commit())
    return QStringLiteral("Cannot save %1: %2").arg(path, QString::fromStdString(file.Reason()));
  return {};
}

}  // namespace lumetrix::scripting
