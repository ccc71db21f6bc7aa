#pragma once
// An editor window on a settings file of its own, with scripted answers to its questions.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <deque>
#include <memory>

#include "scripting/frm_vb_editor.h"
#include "scripting/script_view.h"
#include "tests/scripting/temp_settings.h"

namespace lumetrix::testing {

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override { Create(); }
  void Create() {
    editor.reset();
    editor = std::make_unique<frmVBEditor>(nullptr, [this] { return settings.Open(); });
    EditorDialogs d;
    d.askSave = [this](const QString& message) {
      prompts << message;
      EXPECT_FALSE(answers.empty()) << "unexpected save prompt";
      return Next(answers, scripting::SaveAnswer::Cancel);
    };
    d.chooseOpenPath = [this](const QString& start) {
      openStarts << start;
      return Next(openPaths, QString());
    };
    d.chooseSavePath = [this](const QString&) { return Next(savePaths, QString()); };
    d.showMessage = [this](const QString& message) { messages << message; };
    editor->setDialogs(d);
  }
  // The next scripted answer; `none` when there is none left.
  template <typename T>
  static T Next(std::deque<T>& answers, T none) {
    if (answers.empty()) return none;
    T a = answers.front();
    answers.pop_front();
    return a;
  }
  QString File(const QString& name, const QByteArray& bytes) {
    QFile f(dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return dir.filePath(name);
  }
  QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
  }
  scripting::ScriptView* View() const { return editor->rtfText(); }
  QTemporaryDir dir;
  scripting::testing::TempSettings settings;
  std::unique_ptr<frmVBEditor> editor;
  std::deque<scripting::SaveAnswer> answers;
  std::deque<QString> openPaths, savePaths;
  QStringList prompts, messages, openStarts;
};

}  // namespace lumetrix::testing
