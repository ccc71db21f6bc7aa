#include "scripting/script_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace lumetrix::scripting {
namespace {

QString Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
  const QString path = dir.filePath(name);
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
  return path;
}

QByteArray Bytes(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return file.readAll();
}

TEST(ReadScriptFile, Utf8WithOrWithoutAMarkOtherwiseLatin1) {
  QTemporaryDir dir;
  const QByteArray text = "Sub Main\r\n  MsgBox \"gr\xC3\xBC\xC3\x9F dich\"\r\nEnd Sub\r\n";
  for (const QByteArray& bytes : {text, "\xEF\xBB\xBF" + text}) {
    const ScriptFileText r = ReadScriptFile(Write(dir, "a.scp", bytes));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.text, QString::fromUtf8(text));
    EXPECT_EQ(r.encoding, ScriptEncoding::Utf8);
  }
  EXPECT_TRUE(ReadScriptFile(Write(dir, "empty.scp", {})).text.isEmpty());
  // Invalid UTF-8, also a multi-byte sequence cut at the end, is read as Latin-1.
  for (const QByteArray& bytes : {QByteArray("' Gr\xFC\xDF" "e\nSub Main\n"), QByteArray("abc\xE2\x82")}) {
    const ScriptFileText r = ReadScriptFile(Write(dir, "latin.scp", bytes));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.encoding, ScriptEncoding::Latin1);
    EXPECT_EQ(r.text, QString::fromLatin1(bytes));
  }
}

TEST(ReadScriptFile, BinaryHugeMissingAndUnreadableFilesAreRefused) {
  QTemporaryDir dir;
  const QString huge = dir.filePath("huge.scp");
  {
    QFile file(huge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(kMaxScriptFileBytes + 1));  // sparse: costs no disk space
  }
  const std::pair<QString, const char*> refused[] = {
      {Write(dir, "volume.tif", QByteArray("II*\0\x08\0\0\0", 8)), "not a text file"},
      {Write(dir, "wide.scp", QByteArray("S\0u\0b\0", 6)), "not a text file"},  // UTF-16 holds NUL bytes too
      {huge, "too large"}, {dir.filePath("none.scp"), "does not exist"}, {dir.path(), "not a file"}};
  for (const auto& [path, reason] : refused) {
    const ScriptFileText r = ReadScriptFile(path);
    EXPECT_FALSE(r.ok) << reason;
    EXPECT_TRUE(r.error.contains(reason)) << r.error.toStdString();
    EXPECT_TRUE(r.text.isEmpty());
  }
  EXPECT_FALSE(DecodeScriptBytes(QByteArray(kMaxScriptFileBytes + 1, 'a'), "x").ok);
  if (::geteuid() != 0) {  // root reads anything
    const QString path = Write(dir, "locked.scp", "Sub Main\nEnd Sub\n");
    ASSERT_EQ(::chmod(path.toLocal8Bit().constData(), 0), 0);
    EXPECT_TRUE(ReadScriptFile(path).error.startsWith("Cannot open"));
  }
}

TEST(WriteScriptFile, WritesUtf8AndReplacesTheOldFile) {
  QTemporaryDir dir;
  const QString path = Write(dir, "s.scp", "old contents that are longer than the new ones");
  const QString text = QStringLiteral("Sub Main\n  SetYRot 90 ' \u00B0\nEnd Sub\n");
  EXPECT_EQ(WriteScriptFile(path, text), QString());
  EXPECT_EQ(Bytes(path), text.toUtf8());
  // Only the script is left in the folder: no temporary files.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"s.scp"});
}

// Failed saves keep the old file: tests/core/test_staged_file.cpp checks every writer.

TEST(WriteScriptFile, SomethingThatIsNotARegularFileIsNotReplaced) {
  QTemporaryDir dir;
  const QString fifo = dir.filePath("pipe.scp");
  ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
  EXPECT_TRUE(WriteScriptFile(fifo, "x").contains("not a regular file"));
  EXPECT_FALSE(QFileInfo(fifo).isFile());
  EXPECT_TRUE(WriteScriptFile(dir.path(), "x").contains("not a regular file"));
  // A link to a regular file is fine: the file it points to gets the text.
  const QString real = Write(dir, "real.scp", "old");
  const QString link = dir.filePath("link.scp");
  ASSERT_TRUE(QFile::link(real, link));
  EXPECT_EQ(WriteScriptFile(link, "new"), QString());
  EXPECT_EQ(Bytes(real), "new");
  EXPECT_TRUE(QFileInfo(link).isSymLink());
}

}  // namespace
}  // namespace lumetrix::scripting
