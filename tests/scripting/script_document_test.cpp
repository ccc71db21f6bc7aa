#include "scripting/script_document.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <deque>

namespace lumetrix::scripting {
namespace {

// The editing control and the dialogs, scripted by each test.
struct FakeEditor {
  QString text;
  std::deque<SaveAnswer> answers;  // for the save prompt
  std::deque<QString> openPaths;   // answers of the open dialog
  std::deque<QString> savePaths;   // answers of the save dialog
  QStringList prompts;
  QStringList errors;
  QString lastSaveInitial;
  QString lastOpenStart;
  int mruChanges = 0;
  ScriptDocument* doc = nullptr;

  DocumentHooks Hooks() {
    DocumentHooks h;
    h.getText = [this] { return text; };
    h.setText = [this](const QString& t) {
      // Putting text in raises the control's change notifications, as a real control does.
      text.clear();
      if (doc) doc->TextChanged();
      text = t;
      if (doc) doc->TextChanged();
    };
    h.askSave = [this](const QString& message) {
      prompts << message;
      EXPECT_FALSE(answers.empty()) << "unexpected save prompt";
      if (answers.empty()) return SaveAnswer::Cancel;
      const SaveAnswer a = answers.front();
      answers.pop_front();
      return a;
    };
    h.chooseOpenPath = [this](const QString& start) {
      lastOpenStart = start;
      if (openPaths.empty()) return QString();
      const QString p = openPaths.front();
      openPaths.pop_front();
      return p;
    };
    h.chooseSavePath = [this](const QString& initial) {
      lastSaveInitial = initial;
      if (savePaths.empty()) return QString();
      const QString p = savePaths.front();
      savePaths.pop_front();
      return p;
    };
    h.showError = [this](const QString& message) { errors << message; };
    h.mruChanged = [this] { ++mruChanges; };
    return h;
  }

  void Type(const QString& more) {
    text += more;
    doc->TextChanged();
  }
};

class ScriptDocumentTest : public ::testing::Test {
 protected:
  ScriptDocumentTest() : doc(editor.Hooks()) {
    editor.doc = &doc;
    doc.SetDefaultFolder(dir.path());
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

  QTemporaryDir dir;
  FakeEditor editor;
  ScriptDocument doc;
};

TEST_F(ScriptDocumentTest, StartsUntitledAndUnchanged) {
  EXPECT_EQ(doc.Caption(), "Untitled.scp");
  EXPECT_TRUE(doc.IsUntitled());
  EXPECT_FALSE(doc.ScriptModified());
}

TEST_F(ScriptDocumentTest, TypingMarksModifiedAndNewAsksFirst) {
  editor.Type("Sub Main");
  EXPECT_TRUE(doc.ScriptModified());
  editor.answers = {SaveAnswer::Cancel};
  EXPECT_FALSE(doc.New());
  EXPECT_EQ(editor.prompts, QStringList{"Untitled.scp has been changed. Do you wish to save?"});
  EXPECT_EQ(editor.text, "Sub Main");
  EXPECT_TRUE(doc.ScriptModified());

  editor.answers = {SaveAnswer::No};
  EXPECT_TRUE(doc.New());
  EXPECT_EQ(editor.text, "");
  EXPECT_EQ(doc.Caption(), "Untitled.scp");
  EXPECT_FALSE(doc.ScriptModified());
  // Unchanged: no question.
  EXPECT_TRUE(doc.New());
  EXPECT_EQ(editor.prompts.size(), 2);
}

TEST_F(ScriptDocumentTest, SaveOfAnUntitledScriptIsSaveAs) {
  editor.Type("Sub Main\nEnd Sub\n");
  const QString path = dir.filePath("spin.scp");
  editor.savePaths = {path};
  EXPECT_TRUE(doc.Save());
  EXPECT_EQ(editor.lastSaveInitial, QDir(dir.path()).filePath("Untitled.scp"));
  EXPECT_EQ(Read(path), "Sub Main\nEnd Sub\n");
  EXPECT_EQ(doc.Caption(), path);
  EXPECT_FALSE(doc.IsUntitled());
  EXPECT_FALSE(doc.ScriptModified());
  EXPECT_EQ(doc.Mru().Entry(0), path);
  EXPECT_EQ(editor.mruChanges, 1);

  // Titled and changed, then Save writes to the same file without a dialog.
  editor.Type("' more\n");
  EXPECT_TRUE(doc.ScriptModified());
  EXPECT_TRUE(doc.Save());
  EXPECT_EQ(Read(path), "Sub Main\nEnd Sub\n' more\n");
  EXPECT_FALSE(doc.ScriptModified());
  EXPECT_EQ(editor.mruChanges, 1);  // Save does not touch the list
}

TEST_F(ScriptDocumentTest, SaveAsOffersTheCaptionAndCancelChangesNothing) {
  const QString a = File("a.scp", "x");
  editor.openPaths = {a};
  ASSERT_TRUE(doc.Open());
  editor.Type("y");
  EXPECT_FALSE(doc.SaveAs());  // dialog cancelled
  EXPECT_EQ(editor.lastSaveInitial, a);
  EXPECT_TRUE(doc.ScriptModified());
  EXPECT_EQ(doc.Caption(), a);
  EXPECT_EQ(Read(a), "x");
}

TEST_F(ScriptDocumentTest, OpenReplacesTheTextWithoutMarkingItModified) {
  const QString a = File("a.scp", "Sub Main\r\nEnd Sub\r\n");
  editor.openPaths = {a};
  EXPECT_TRUE(doc.Open());
  EXPECT_EQ(editor.text, "Sub Main\r\nEnd Sub\r\n");
  EXPECT_EQ(doc.Caption(), a);
  EXPECT_EQ(doc.DialogFileName(), a);
  EXPECT_FALSE(doc.ScriptModified());
  EXPECT_FALSE(doc.LoadingScript());
  // The first keystroke after the load counts, also after an empty file.
  editor.Type("x");
  EXPECT_TRUE(doc.ScriptModified());
  editor.answers = {SaveAnswer::No};
  editor.openPaths = {File("empty.scp", "")};
  EXPECT_TRUE(doc.Open());
  EXPECT_FALSE(doc.ScriptModified());
  editor.Type("y");
  EXPECT_TRUE(doc.ScriptModified());
}

TEST_F(ScriptDocumentTest, OpenStartsInTheDefaultFolderThenAtTheCurrentFile) {
  EXPECT_FALSE(doc.Open());  // cancelled
  EXPECT_EQ(editor.lastOpenStart, QDir(dir.path()).filePath("Untitled.scp"));
  const QString a = File("a.scp", "x");
  editor.openPaths = {a};
  ASSERT_TRUE(doc.Open());
  EXPECT_FALSE(doc.Open());
  EXPECT_EQ(editor.lastOpenStart, a);
}

TEST_F(ScriptDocumentTest, OpenOfAChangedScriptAsksAndCancelKeepsEverything) {
  editor.Type("work");
  editor.openPaths = {File("a.scp", "other")};
  editor.answers = {SaveAnswer::Cancel};
  EXPECT_FALSE(doc.Open());
  EXPECT_EQ(editor.text, "work");
  EXPECT_EQ(doc.Caption(), "Untitled.scp");
  EXPECT_TRUE(doc.ScriptModified());
  EXPECT_TRUE(doc.Mru().Entry(0).isEmpty());
}

TEST_F(ScriptDocumentTest, YesSavesBeforeOpeningAndACancelledSaveStopsTheOpen) {
  editor.Type("work");
  const QString a = File("a.scp", "other");
  // Yes, but the Save As dialog is cancelled: nothing would keep the work, so nothing opens.
  editor.openPaths = {a};
  editor.answers = {SaveAnswer::Yes};
  EXPECT_FALSE(doc.Open());
  EXPECT_EQ(editor.text, "work");
  EXPECT_TRUE(doc.ScriptModified());
  // Yes and a file name: the work is saved, then the file opens.
  const QString saved = dir.filePath("work.scp");
  editor.openPaths = {a};
  editor.answers = {SaveAnswer::Yes};
  editor.savePaths = {saved};
  EXPECT_TRUE(doc.Open());
  EXPECT_EQ(Read(saved), "work");
  EXPECT_EQ(editor.text, "other");
  EXPECT_EQ(doc.Caption(), a);
  EXPECT_EQ(doc.Mru().Entry(0), saved);
  EXPECT_EQ(doc.Mru().Entry(1), a);
}

TEST_F(ScriptDocumentTest, RefusedFilesLeaveTheScriptAlone) {
  editor.Type("work");
  editor.openPaths = {File("volume.tif", QByteArray("II*\0", 4))};
  EXPECT_FALSE(doc.Open());
  ASSERT_EQ(editor.errors.size(), 1);
  EXPECT_TRUE(editor.errors[0].contains("not a text file"));
  EXPECT_TRUE(editor.prompts.isEmpty());  // refused before asking
  EXPECT_EQ(editor.text, "work");
  EXPECT_TRUE(doc.ScriptModified());
  EXPECT_TRUE(doc.Mru().Entry(0).isEmpty());
}

TEST_F(ScriptDocumentTest, ALatin1FileOpensAndIsSavedAsUtf8) {
  const QString a = File("old.scp", "' M\xFCller\n");
  editor.openPaths = {a};
  ASSERT_TRUE(doc.Open());
  EXPECT_EQ(doc.LastEncoding(), ScriptEncoding::Latin1);
  EXPECT_EQ(editor.text, QString::fromUtf8("' M\xC3\xBCller\n"));
  editor.Type("x");
  ASSERT_TRUE(doc.Save());
  EXPECT_EQ(Read(a), "' M\xC3\xBCller\nx");
  EXPECT_EQ(doc.LastEncoding(), ScriptEncoding::Utf8);
}

TEST_F(ScriptDocumentTest, AFailedSaveKeepsTheScriptModified) {
  editor.Type("work");
  editor.savePaths = {dir.filePath("no/such/folder/x.scp")};
  EXPECT_FALSE(doc.Save());
  EXPECT_EQ(editor.errors.size(), 1);
  EXPECT_TRUE(editor.errors[0].startsWith("Cannot save"));
  EXPECT_TRUE(doc.ScriptModified());
  EXPECT_EQ(doc.Caption(), "Untitled.scp");
  EXPECT_TRUE(doc.Mru().Entry(0).isEmpty());
}

TEST_F(ScriptDocumentTest, RecentFilesFollowTheListRules) {
  QStringList paths;
  for (const char* n : {"A", "B", "C", "D", "E", "F"}) paths << File(QString::fromLatin1(n) + ".scp", n);
  for (const QString& p : paths) {
    editor.openPaths = {p};
    ASSERT_TRUE(doc.Open());
  }
  // Opening fills the list in order of first use.
  for (int i = 0; i < 6; ++i) EXPECT_EQ(doc.Mru().Entry(i), paths[i]);
  ASSERT_TRUE(doc.OpenRecent(0));  // A again: order kept
  EXPECT_EQ(doc.Mru().Entry(0), paths[0]);
  EXPECT_EQ(doc.Mru().Entry(1), paths[1]);
  ASSERT_TRUE(doc.OpenRecent(3));  // D
  EXPECT_EQ(editor.text, "D");
  EXPECT_EQ(doc.Caption(), paths[3]);
  const QStringList expected{paths[3], paths[0], paths[1], paths[2], paths[4], paths[5]};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(doc.Mru().Entry(i), expected[i]);
  // Saving a new file G puts it in front; F drops out.
  editor.answers = {SaveAnswer::No};
  editor.Type("changed");
  ASSERT_TRUE(doc.New());
  editor.savePaths = {dir.filePath("G.scp")};
  ASSERT_TRUE(doc.SaveAs());
  EXPECT_EQ(doc.Mru().Entry(0), dir.filePath("G.scp"));
  EXPECT_EQ(doc.Mru().Entry(1), paths[3]);
  EXPECT_EQ(doc.Mru().Entry(5), paths[4]);
  EXPECT_FALSE(doc.OpenRecent(6));
  EXPECT_FALSE(doc.OpenRecent(-1));
}

TEST_F(ScriptDocumentTest, AMissingRecentFileIsReported) {
  doc.Mru().Add(dir.filePath("gone.scp"));
  EXPECT_FALSE(doc.OpenRecent(0));
  ASSERT_EQ(editor.errors.size(), 1);
  EXPECT_TRUE(editor.errors[0].contains("does not exist"));
}

TEST_F(ScriptDocumentTest, ConfirmCloseAsksOnlyWhenModified) {
  EXPECT_TRUE(doc.ConfirmClose());
  EXPECT_TRUE(editor.prompts.isEmpty());
  editor.Type("x");
  editor.answers = {SaveAnswer::Cancel};
  EXPECT_FALSE(doc.ConfirmClose());
  editor.answers = {SaveAnswer::No};
  EXPECT_TRUE(doc.ConfirmClose());
  editor.answers = {SaveAnswer::Yes};
  editor.savePaths = {dir.filePath("end.scp")};
  EXPECT_TRUE(doc.ConfirmClose());
  EXPECT_EQ(Read(dir.filePath("end.scp")), "x");
}

TEST_F(ScriptDocumentTest, UntitledMeansTheCaptionStartsWithUntitled) {
  const QString path = File("Untitled.scp", "x");  // a real file of that name is titled
  editor.openPaths = {path};
  ASSERT_TRUE(doc.Open());
  EXPECT_FALSE(doc.IsUntitled());
}

}  // namespace
}  // namespace lumetrix::scripting
