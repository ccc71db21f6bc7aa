#pragma once
// Reading and writing script files (".scp", plain text).

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace lumetrix::scripting {

inline constexpr int64_t kMaxScriptFileBytes = 16 * 1024 * 1024;

enum class ScriptEncoding { Utf8, Latin1 };

struct ScriptFileText {
  bool ok = false;
  QString text;
  QString error;  // the message for the user when !ok
  ScriptEncoding encoding = ScriptEncoding::Utf8;
};

// Bytes to text: refused when they hold NUL bytes (not a text file) or are larger than
// kMaxScriptFileBytes; UTF-8 (with or without byte-order mark) when they are valid UTF-8,
// otherwise Latin-1, which maps every byte to a character.
ScriptFileText DecodeScriptBytes(const QByteArray& bytes, const QString& path);

// Reads a script file; the size is checked before anything is read.
ScriptFileText ReadScriptFile(const QString& path);

// Writes the text as UTF-8 through the staged writer (core/staged_file.h), so a full disk
// leaves the old file intact; a link gets its file replaced. Empty on success, else the
// message for the user.
QString WriteScriptFile(const QString& path, const QString& text);

}  // namespace lumetrix::scripting
