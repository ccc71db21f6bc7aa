#pragma once
// The console of a script file run without a window: the pane's lines are dropped; the error
// line is kept by the script host.

#include <QString>
#include <cstdio>

#include "scripting/script_console.h"

namespace lumetrix {

class FileConsole : public ScriptConsole {
 public:
  FileConsole(QString path, QString text) : path_(std::move(path)), text_(std::move(text)) {}
  QString ScriptText() const override { return text_; }
  QString Caption() const override { return path_; }
  void showSyn(const QString&) override {}
  void Report(const QString& line) override { std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData()); }
  void SetOutputEmphasis(bool) override {}
  void SetOutputColor(const QColor&) override {}
  void HighlightErrorLine(int) override {}

 private:
  QString path_, text_;
};

}  // namespace lumetrix
