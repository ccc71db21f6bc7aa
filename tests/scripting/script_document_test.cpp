#include "scripting/script_document.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <deque>

namespace lumetrix::scripting {
namespace {

template <typename T>
T Next(std::deque<T>& answers, T none) {
  if (answers.empty()) return none;
  T a = answers.front();
  answers.pop_front();
  return a;
}

// The editing control and the dialogs, scripted by each test.
class ScriptDocumentTest : public ::testing::Test {
 protected:
  ScriptDocumentTest() : doc(Hooks()) { doc.SetDefaultFolder(dir.path()); }
  DocumentHooks Hooks() {
    DocumentHooks h;
    h.getText = [this] { return text; };
    h.setText = [this](const QString& t) {
      // Putting text in raises the control's change notifications, as a real control does.
      text.clear();
      doc.TextChanged();
      text = t;
      doc.TextChanged();
    };
    h.askSave = [this](const QString& message) {
      prompts << message;
      EXPECT_FALSE(answers.empty()) << "unexpected save prompt";
      return Next(answers, SaveAnswer::Cancel);
    };
    h.chooseOpenPath = [this](const QString& start) { return openStart = start, Next(openPaths, QString()); };
    h.chooseSavePath = [this](const QString& initial) { return saveInitial = initial, Next(savePaths, QString()); };
    h.showError = [this](const QString& message) { errors << message; };
    h.mruChanged = [this] { ++mruChanges; };
    return h;
  }
  void Type(const QString& more) {
    text += more;
    doc.TextChanged();
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
  QTemporaryDir dir;
  QString text, openStart, saveInitial;
  std::deque<SaveAnswer> answers;
  std::deque<QString> openPaths, savePaths;
  QStringList prompts, errors;
  int mruChanges = 0;
  ScriptDocument doc;
};

TEST_F(ScriptDocumentTest, TypingMarksModifiedAndNewAsksFirst) {
  EXPECT_EQ(doc.Caption(), "Untitled.scp");
  EXPECT_FALSE(doc.ScriptModified());
  Type("Sub Main");
  EXPECT_TRUE(doc.ScriptModified());
  answers = {SaveAnswer::Cancel};
  EXPECT_FALSE(doc.New());
  EXPECT_EQ(prompts, QStringList{"Untitled.scp has been changed. Do you wish to save?"});
  EXPECT_EQ(text, "Sub Main");
  answers = {SaveAnswer::No};
  EXPECT_TRUE(doc.New());
  EXPECT_EQ(text, "");
  EXPECT_FALSE(doc.ScriptModified());
  EXPECT_TRUE(doc.New());  // unchanged: no question
  EXPECT_EQ(prompts.size(), 2);
}

TEST_F(ScriptDocumentTest, SaveOfAnUntitledScriptIsSaveAsThenSaveWritesTheSameFile) {
  Type("Sub Main\nEnd Sub\n");
  const QString path = dir.filePath("spin.scp");
  savePaths = {path};
  EXPECT_TRUE(doc.Save());
  EXPECT_EQ(saveInitial, QDir(dir.path()).filePath("Untitled.scp"));
  EXPECT_EQ(Read(path), "Sub Main\nEnd Sub\n");
  EXPECT_EQ(doc.Caption(), path);
  EXPECT_FALSE(doc.IsUntitled() || doc.ScriptModified());
  EXPECT_EQ(doc.Mru().Entry(0), path);
  Type("' more\n");
  EXPECT_TRUE(doc.Save());  // no dialog
  EXPECT_EQ(Read(path), "Sub Main\nEnd Sub\n' more\n");
  EXPECT_FALSE(doc.ScriptModified());
  EXPECT_EQ(mruChanges, 1);  // Save does not touch the list
  Type("x");
  EXPECT_FALSE(doc.SaveAs());  // the dialog offers the caption; cancelled, nothing changes
  EXPECT_EQ(saveInitial, path);
  EXPECT_TRUE(doc.ScriptModified());
  EXPECT_EQ(Read(path), "Sub Main\nEnd Sub\n' more\n");
}

TEST_F(ScriptDocumentTest, OpenReplacesTheTextUnmodifiedAndTheNextKeystrokeCounts) {
  EXPECT_FALSE(doc.Open());  // cancelled
  EXPECT_EQ(openStart, QDir(dir.path()).filePath("Untitled.scp"));
  const QString a = File("a.scp", "Sub Main\r\nEnd Sub\r\n");
  openPaths = {a};
  EXPECT_TRUE(doc.Open());
  EXPECT_EQ(text, "Sub Main\r\nEnd Sub\r\n");
  EXPECT_EQ(doc.Caption(), a);
  EXPECT_FALSE(doc.ScriptModified() || doc.LoadingScript());
  Type("x");
  EXPECT_TRUE(doc.ScriptModified());
  answers = {SaveAnswer::No};
  openPaths = {File("empty.scp", "")};
  EXPECT_TRUE(doc.Open());
  EXPECT_EQ(openStart, a);  // the dialog starts at the current file
  EXPECT_FALSE(doc.ScriptModified());
  Type("y");
  EXPECT_TRUE(doc.ScriptModified());
}

TEST_F(ScriptDocumentTest, OpeningOverAChangedScriptKeepsTheWorkUnlessItIsSavedOrDropped) {
  Type("work");
  const QString a = File("a.scp", "other");
  openPaths = {a};
  answers = {SaveAnswer::Cancel};
  EXPECT_FALSE(doc.Open());
  openPaths = {a};
  answers = {SaveAnswer::Yes};  // but the Save As dialog is cancelled: nothing would keep the work
  EXPECT_FALSE(doc.Open());
  EXPECT_EQ(text, "work");
  EXPECT_EQ(doc.Caption(), "Untitled.scp");
  EXPECT_TRUE(doc.ScriptModified());
  EXPECT_TRUE(doc.Mru().Entry(0).isEmpty());
  const QString saved = dir.filePath("work.scp");
  openPaths = {a};
  answers = {SaveAnswer::Yes};
  savePaths = {saved};
  EXPECT_TRUE(doc.Open());
  EXPECT_EQ(Read(saved), "work");
  EXPECT_EQ(text, "other");
  EXPECT_EQ(doc.Mru().Entry(0), saved);
  EXPECT_EQ(doc.Mru().Entry(1), a);
}

TEST_F(ScriptDocumentTest, RefusedFilesAndFailedSavesLeaveTheScriptAsItWas) {
  Type("work");
  openPaths = {File("volume.tif", QByteArray("II*\0", 4))};
  EXPECT_FALSE(doc.Open());
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].contains("not a text file"));
  EXPECT_TRUE(prompts.isEmpty());  // refused before asking
  savePaths = {dir.filePath("no/such/folder/x.scp")};
  EXPECT_FALSE(doc.Save());
  ASSERT_EQ(errors.size(), 2);
  EXPECT_TRUE(errors[1].startsWith("Cannot save"));
  doc.Mru().Add(dir.filePath("gone.scp"));
  EXPECT_FALSE(doc.OpenRecent(0));
  EXPECT_TRUE(errors.value(2).contains("does not exist"));
  EXPECT_EQ(text, "work");
  EXPECT_EQ(doc.Caption(), "Untitled.scp");
  EXPECT_TRUE(doc.ScriptModified());
}

}  // namespace
}  // namespace lumetrix::scripting
