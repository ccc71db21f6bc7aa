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
      if (answers.empty()) {
        ADD_FAILURE() << "unexpected save prompt";
        return scripting::SaveAnswer::Cancel;
      }
      const auto a = answers.front();
      answers.pop_front();
      return a;
    };
    d.chooseOpenPath = [this](const QString&) { return Next(openPaths); };
    d.chooseSavePath = [this](const QString&) { return Next(savePaths); };
    d.showMessage = [this](const QString& message) { messages << message; };
    editor->setDialogs(d);
  }

  static QString Next(std::deque<QString>& q) {
    if (q.empty()) return {};
    QString s = q.front();
    q.pop_front();
    return s;
  }

  QString File(const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
  }

  QByteArray Read(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
  }

  scripting::ScriptView* View() const { return editor->rtfText(); }

  QTemporaryDir dir;
  scripting::testing::TempSettings settings;
  std::unique_ptr<frmVBEditor> editor;
  std::deque<scripting::SaveAnswer> answers;
  std::deque<QString> openPaths, savePaths;
  QStringList prompts, messages;
};

}  // namespace lumetrix::testing
