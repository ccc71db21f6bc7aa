#include "scripting/frm_vb_editor.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>

#include "scripting/frm_date_time.h"
#include "scripting/vb_lexer.h"
#include "tests/scripting/editor_fixture.h"

namespace lumetrix {
namespace {

using scripting::SaveAnswer;

class VBEditorTest : public testing::EditorTest {
 protected:
  // The named action; a missing one fails the test.
  QAction* Act(const char* name) const {
    QAction* a = editor->Action(QString::fromLatin1(name));
    if (!a) throw std::runtime_error(std::string("no action ") + name);
    return a;
  }
  std::pair<int, int> Caret() const {
    int line = 0, index = 0;
    View()->getCursorPosition(&line, &index);
    return {line, index};
  }
};

TEST_F(VBEditorTest, KeysReachTheirCommandsAndViewSwitchesActOnTheWindowOnly) {
  const std::pair<const char*, const char*> keys[] = {
      {"mnuEditUndo", "Ctrl+Z"}, {"mnuEditCut", "Ctrl+X"},  {"mnuEditCopy", "Ctrl+C"}, {"mnuEditPaste", "Ctrl+V"},
      {"mnuEditSelectAll", "Ctrl+A"}, {"mnuEditFind", "Ctrl+F"}, {"mnuEditFindNext", "F3"}, {"mnuEditReplace", "Ctrl+H"},
      {"mnuEditGoTo", "Ctrl+G"}, {"mnuRunScript", "F5"}, {"mnuViewWhiteSpaces", "Ctrl+W"},
      {"mnuViewLineNumber", "Ctrl+R"}, {"mnuToolsDateTime", "Ctrl+T"}, {"mnuFileNew", "Ctrl+N"},
      {"mnuFileOpen", "Ctrl+O"}, {"mnuFileSave", "Ctrl+S"}, {"mnuFileSaveAs", "Ctrl+Shift+S"},
      {"mnuFilePrint", "Ctrl+P"}, {"mnuEditRedo", "Ctrl+Shift+Z"}};
  for (const auto& [name, key] : keys) EXPECT_EQ(Act(name)->shortcut(), QKeySequence(key)) << name;
  QSignalSpy run(editor.get(), &frmVBEditor::runScriptRequested);
  Act("mnuRunScript")->trigger();
  Act("tbRun")->trigger();
  EXPECT_EQ(run.count(), 2);
  // Ctrl+R in the text switches the line numbers and types nothing.
  editor->show();
  editor->activateWindow();
  QCoreApplication::processEvents();
  ASSERT_TRUE(editor->isActiveWindow());
  View()->setFocus();
  QTest::keyClick(View(), Qt::Key_R, Qt::ControlModifier);
  EXPECT_FALSE(Act("mnuViewLineNumber")->isChecked());
  EXPECT_TRUE(View()->text().isEmpty());
  // The view switches act on the window only; nothing is stored.
  Act("mnuViewToolbar")->trigger();
  EXPECT_FALSE(editor->findChild<QToolBar*>("tb")->isVisible());
  Act("mnuViewStatusBar")->trigger();
  EXPECT_FALSE(editor->statusBar()->isVisible());
  Act("mnuViewWhiteSpaces")->trigger();
  EXPECT_EQ(View()->whitespaceVisibility(), QsciScintilla::WsVisible);
  EXPECT_TRUE(editor->SplitView(1)->Options().whiteSpace);
  EXPECT_EQ(View()->marginWidth(scripting::ScriptView::kNumberMargin), 0);  // switched off by Ctrl+R
  Act("mnuViewLineNumber")->trigger();
  EXPECT_GT(View()->marginWidth(scripting::ScriptView::kNumberMargin), 0);
  EXPECT_FALSE(settings.Get("Settings", "WhiteSpace").isValid() || settings.Get("Settings", "LineNum").isValid());
}

// Open starts in the example scripts installed with the program until the user goes elsewhere;
// that folder is kept for the next window. Ctrl+O in the text opens, and types nothing.
TEST_F(VBEditorTest, OpenStartsInTheExamplesUntilTheUserPicksAnotherFolder) {
  ASSERT_TRUE(QDir(dir.path()).mkpath("data/scripts") && QDir(dir.path()).mkpath("mine"));
  qputenv("LUMETRIX_DATA_DIR", dir.filePath("data").toLocal8Bit());
  Create();
  qunsetenv("LUMETRIX_DATA_DIR");
  editor->show();
  editor->activateWindow();
  QCoreApplication::processEvents();
  View()->setFocus();
  QTest::keyClick(View(), Qt::Key_O, Qt::ControlModifier);  // cancelled
  ASSERT_EQ(openStarts.size(), 1);
  EXPECT_EQ(QFileInfo(openStarts[0]).absolutePath(), QFileInfo(dir.filePath("data/scripts")).absoluteFilePath());
  EXPECT_TRUE(View()->text().isEmpty());
  openPaths = {File("mine/c.scp", "Sub Main\nEnd Sub\n")};
  ASSERT_TRUE(editor->OpenScript());
  Create();
  editor->OpenScript();
  ASSERT_EQ(openStarts.size(), 3);
  EXPECT_EQ(QFileInfo(openStarts[2]).absolutePath(), QFileInfo(dir.filePath("mine")).absoluteFilePath());
}

TEST_F(VBEditorTest, TheTextIsColouredByCategoryFromTheStoredTable) {
  settings.Put("Colors", "clr9fr", "123");  // operators
  Create();
  editor->SetScriptText("Sub Main ' spin\n  x = \"a\" + 12\nEnd Sub\n");
  auto style = [this](int message, long arg) { return View()->SendScintilla(message, static_cast<unsigned long>(arg)); };
  View()->SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0L, -1L);
  for (const auto& [pos, kind] : {std::pair{0, scripting::kVbKeyword2}, {10, scripting::kVbComment},
                                  {22, scripting::kVbString}, {26, scripting::kVbOperator}, {28, scripting::kVbNumber}})
    EXPECT_EQ(style(QsciScintillaBase::SCI_GETSTYLEAT, pos), kind) << pos;
  EXPECT_EQ(style(QsciScintillaBase::SCI_STYLEGETFORE, scripting::kVbOperator), 123);
  EXPECT_EQ(style(QsciScintillaBase::SCI_STYLEGETITALIC, scripting::kVbComment), 1);
}

TEST_F(VBEditorTest, ShowSynAppendsWithTheAttributesSetBeforeAndCutsALongPane) {
  editor->SetOutputEmphasis(true);
  editor->showSyn("Script a.scp");
  editor->SetOutputEmphasis(false);
  editor->SetOutputColor(QColor(255, 0, 0));
  editor->showSyn(" stopped\r\n");
  EXPECT_EQ(editor->txtOut()->toPlainText(), "Script a.scp stopped\n");
  QTextCursor c(editor->txtOut()->document());
  auto at = [&](int pos) { return c.setPosition(pos), std::pair(c.charFormat().fontWeight() == QFont::Bold, c.charFormat().foreground().color()); };
  EXPECT_EQ(at(3), std::pair(true, QColor(0, 0, 0)));
  EXPECT_EQ(at(15), std::pair(false, QColor(255, 0, 0)));
  editor->txtOut()->clear();
  QString text;
  for (int i = 0; i < 30000; ++i) text += QChar('a' + i % 26);
  editor->showSyn(text);  // 30000: not longer than 30000
  editor->showSyn("X");   // 30000 before: no cut yet
  EXPECT_EQ(editor->txtOut()->toPlainText().size(), 30001);
  editor->showSyn("YZ");  // 30001 before: cut to its last 15000, then append
  const QString pane = editor->txtOut()->toPlainText();
  ASSERT_EQ(pane.size(), 15002);
  EXPECT_EQ(pane, (text + "X").right(15000) + "YZ");
}

TEST_F(VBEditorTest, TypingSaveAsAndOpenShowInTheCaptionAndTheRecentFiles) {
  EXPECT_EQ(editor->windowTitle(), "Untitled.scp");
  QTest::keyClicks(View(), "x = 1");
  EXPECT_TRUE(editor->ScriptModified());
  const QString path = dir.filePath("a&b.scp");
  savePaths = {path};
  ASSERT_TRUE(editor->mnuFileSaveAs_Click());
  EXPECT_EQ(editor->windowTitle(), path);
  EXPECT_EQ(Read(path), "x = 1");
  const QString b = File("b.scp", "Sub Main\r\nEnd Sub\r\n");
  openPaths = {b};
  ASSERT_TRUE(editor->OpenScript());
  EXPECT_FALSE(editor->ScriptModified());
  EXPECT_EQ(Act("mnuFileMRU0")->text(), QString(path).replace("&", "&&"));
  EXPECT_EQ(Act("mnuFileMRU1")->text(), b);
  EXPECT_FALSE(Act("mnuFileMRU2")->isVisible());
  Act("mnuFileMRU0")->trigger();
  EXPECT_EQ(editor->ScriptText(), "x = 1");
  Create();  // a new window reads the same list
  EXPECT_EQ(Act("mnuFileMRU1")->text(), b);
  // A Windows file keeps its line ends.
  ASSERT_TRUE(editor->OpenScriptFile(b));
  View()->setCursorPosition(0, 8);
  QTest::keyClick(View(), Qt::Key_Return);
  EXPECT_EQ(editor->ScriptText(), "Sub Main\r\n\r\nEnd Sub\r\n");
  ASSERT_TRUE(editor->mnuFileSave_Click());
  Act("mnuEditUndo")->trigger();  // undoing after a save is a change again
  EXPECT_TRUE(editor->ScriptModified());
  EXPECT_EQ(editor->ScriptText(), "Sub Main\r\nEnd Sub\r\n");
  Act("mnuEditRedo")->trigger();
  EXPECT_EQ(editor->ScriptText(), "Sub Main\r\n\r\nEnd Sub\r\n");
}

TEST_F(VBEditorTest, ClosingHidesWhileTheProgramRunsAndOffersTheWorkAtItsEnd) {
  editor->show();
  editor->move(60, 70);
  editor->resize(520, 480);
  QTest::keyClicks(View(), "work");
  EXPECT_FALSE(editor->close());  // only hidden, without asking
  EXPECT_FALSE(editor->isVisible());
  EXPECT_TRUE(prompts.isEmpty() && editor->ScriptModified());
  editor->show();
  editor->setQuitRequested(true);
  answers = {SaveAnswer::Cancel};
  EXPECT_FALSE(editor->close());
  EXPECT_TRUE(editor->isVisible());
  EXPECT_FALSE(settings.Get("Settings", "ScriptWidth").isValid());
  answers = {SaveAnswer::Yes};  // and the Save As dialog is cancelled: the window stays
  EXPECT_FALSE(editor->close());
  answers = {SaveAnswer::Yes};
  savePaths = {dir.filePath("end.scp")};
  EXPECT_TRUE(editor->close());
  EXPECT_EQ(Read(dir.filePath("end.scp")), "work");
  for (const auto& [key, value] : {std::pair{"ScriptWidth", "520"}, {"ScriptHeight", "480"}, {"LineNumStyle", "10"}})
    EXPECT_EQ(settings.Get("Settings", key).toString(), value) << key;  // the placement and the preferences
}

TEST_F(VBEditorTest, LineNumbersInEachRadixFollowTheText) {
  editor->show();
  editor->resize(500, 600);
  editor->SetScriptText(QString("x\n").repeated(30));
  QCoreApplication::processEvents();
  EXPECT_EQ(View()->LineNumberShown(9), "10");
  const std::pair<const char*, QString> radixes[] = {{"2", "1010"}, {"8", "12"}, {"16", "A"}};
  for (const auto& [radix, tenth] : radixes) {
    settings.Put("Settings", "LineNumStyle", radix);
    editor->initRTF();
    EXPECT_EQ(View()->LineNumberShown(9), tenth) << radix;
  }
  // New lines at the top renumber the lines below them.
  View()->setCursorPosition(0, 0);
  for (int i = 0; i < 6; ++i) QTest::keyClick(View(), Qt::Key_Return);
  QCoreApplication::processEvents();
  EXPECT_EQ(View()->LineNumberShown(15), "10");
  // The margin grows with the widest number, and the numbers follow scrolling.
  editor->SetScriptText(QString("x\n").repeated(500));
  View()->setFirstVisibleLine(300);
  QCoreApplication::processEvents();
  EXPECT_EQ(View()->LineNumberShown(302), "12F");
  const int hexWidth = View()->marginWidth(0);
  settings.Put("Settings", "LineNumStyle", "2");
  editor->initRTF();
  EXPECT_GT(View()->marginWidth(0), hexWidth);
}

TEST_F(VBEditorTest, SplitViewsShowTheSameDocumentAndKeywordsAreCasedWhileTyping) {
  editor->SetScriptText("Sub Main\nEnd Sub\n");
  EXPECT_EQ(editor->SplitView(2)->text(), editor->ScriptText());
  editor->SplitView(2)->append("' more\n");
  EXPECT_EQ(editor->ScriptText(), "Sub Main\nEnd Sub\n' more\n");
  settings.Put("Settings", "HSplit", "0");  // a disallowed split folds its view away
  editor->initRTF();
  editor->show();
  EXPECT_FALSE(editor->SplitView(2)->isVisible());
  EXPECT_TRUE(editor->SplitView(1)->isVisibleTo(editor.get()));
  editor->SetScriptText("");
  for (const char* line : {"sub main", "  setyrotspeed 2 ' end ", "msgbox \"end if\""}) {
    QTest::keyClicks(View(), line);
    QTest::keyClick(View(), Qt::Key_Return);
  }
  QTest::keyClicks(View(), "end sub ");
  EXPECT_EQ(editor->ScriptText(), "Sub main\n  SetYRotSpeed 2 ' end \nMsgBox \"end if\"\nEnd Sub ");
  settings.Put("Settings", "lineCase", "0");
  editor->initRTF();
  QTest::keyClicks(View(), "dim ");
  EXPECT_TRUE(editor->ScriptText().endsWith("dim "));
}

TEST_F(VBEditorTest, FindForwardBackwardAndReplace) {
  editor->SetScriptText("DrawImage\nx = 1\nDrawImage\n");
  View()->setCursorPosition(0, 0);
  EXPECT_FALSE(editor->FindNextMatch());  // nothing to find yet
  EXPECT_TRUE(editor->FindText({"drawimage", false, false, false}));
  EXPECT_TRUE(Act("mnuEditFindNext")->isEnabled() && Caret().first == 0);
  EXPECT_TRUE(editor->FindNextMatch() && Caret().first == 2 && View()->selectedText() == "DrawImage");
  EXPECT_TRUE(editor->FindNextMatch() && Caret().first == 0);  // wraps around
  EXPECT_FALSE(editor->FindText({"drawimage", true, false, false}));  // case must match
  EXPECT_FALSE(editor->FindText({"Draw", false, true, false}));       // whole words only
  editor->SetScriptText("a1 a2 a3");
  View()->setCursorPosition(0, 8);
  ASSERT_TRUE(editor->FindText({"a", false, false, true}));  // backwards
  ASSERT_TRUE(editor->FindNextMatch());
  EXPECT_EQ(Caret(), std::pair(0, 4));  // "a" at column 3 selected, after the one at 6
  editor->SetScriptText("SetXRot 1\nsetxrot 2\nSetXRotSpeed 3\n");
  EXPECT_EQ(editor->ReplaceAll({"SetXRot", false, true, false}, "SetXRot SetXRot"), 2);
  EXPECT_EQ(editor->ScriptText(), "SetXRot SetXRot 1\nSetXRot SetXRot 2\nSetXRotSpeed 3\n");
  Act("mnuEditUndo")->trigger();  // one step undoes all
  EXPECT_EQ(editor->ScriptText(), "SetXRot 1\nsetxrot 2\nSetXRotSpeed 3\n");
  View()->setCursorPosition(0, 0);
  ASSERT_TRUE(editor->FindText({"2", false, false, false}));
  EXPECT_TRUE(editor->ReplaceCurrent({"2", false, false, false}, "20"));
  EXPECT_EQ(editor->ScriptText(), "SetXRot 1\nsetxrot 20\nSetXRotSpeed 3\n");
  EXPECT_FALSE(editor->ReplaceCurrent({"zz", false, false, false}, "y"));  // the selection is no match
  EXPECT_EQ(editor->ReplaceAll({"", false, false, false}, "y"), 0);
}

TEST_F(VBEditorTest, GoToLineKeepsWithinTheTextAndCutCopyFollowTheSelection) {
  editor->SetScriptText("a\nb\nc\nd\n");
  for (const auto& [asked, line] : {std::pair{3, 2}, {99, 4}, {-5, 0}}) {
    editor->GoToLine(asked);
    EXPECT_EQ(Caret().first, line) << asked;
  }
  editor->SetScriptText("abc");
  editor->setMenu();
  EXPECT_FALSE(Act("mnuEditCut")->isEnabled() || Act("mnuEditCopy")->isEnabled() || Act("tbCut")->isEnabled());
  EXPECT_TRUE(Act("mnuEditPaste")->isEnabled());
  View()->setSelection(0, 0, 0, 2);
  EXPECT_TRUE(Act("mnuEditCut")->isEnabled() && Act("tbCopy")->isEnabled());
  Act("mnuEditCut")->trigger();
  EXPECT_EQ(editor->ScriptText(), "c");
  EXPECT_FALSE(Act("mnuEditCut")->isEnabled());
  Act("mnuEditPaste")->trigger();
  EXPECT_EQ(editor->ScriptText(), "abc");
}

TEST_F(VBEditorTest, AnErrorLineIsMarkedAndTheDateTimeWindowReplacesTheSelection) {
  ASSERT_TRUE(editor->OpenScriptFile(File("err.scp", "Sub Main\n  x = \nEnd Sub\n")));
  editor->HighlightErrorLine(2);
  EXPECT_EQ(editor->HighlightedErrorLine(), 2);
  EXPECT_EQ(Caret().first, 1);
  EXPECT_FALSE(editor->ScriptModified());
  editor->HighlightErrorLine(400);  // past the end: the last line
  EXPECT_EQ(editor->HighlightedErrorLine(), 4);
  ASSERT_TRUE(editor->NewScript());
  EXPECT_EQ(editor->HighlightedErrorLine(), 0);
  // The date and time window replaces the selection.
  editor->SetScriptText("x = [here]");
  View()->setSelection(0, 4, 0, 10);
  std::unique_ptr<frmDateTime> window(editor->CreateDateTimeWindow());
  window->lstDateTime->setCurrentRow(10);  // "dd"
  window->cmdOk->click();
  EXPECT_EQ(editor->ScriptText(), "x = " + QDate::currentDate().toString("dd"));
  EXPECT_TRUE(editor->ScriptModified());
  window.reset(editor->CreateDateTimeWindow());  // a double click inserts too; Cancel does not
  window->lstDateTime->setCurrentRow(10);
  emit window->lstDateTime->itemDoubleClicked(window->lstDateTime->item(10));
  window.reset(editor->CreateDateTimeWindow());
  window->lstDateTime->setCurrentRow(10);
  window->cmdCancel->click();
  EXPECT_EQ(editor->ScriptText(), "x = " + QDate::currentDate().toString("dd").repeated(2));
}

// At the default size every toolbar button shows, as a picture only (the words are tooltips).
TEST_F(VBEditorTest, TheToolbarFitsTheDefaultWindowWithPicturesOnly) {
  editor->show();
  QApplication::processEvents();
  auto* toolbar = editor->findChild<QToolBar*>("tb");
  ASSERT_EQ(toolbar->actions().last()->objectName(), "tbRun");
  for (QAction* action : toolbar->actions()) {
    const QWidget* button = toolbar->widgetForAction(action);
    if (action->isSeparator()) continue;
    EXPECT_TRUE(button->isVisible() && toolbar->rect().contains(button->geometry()));  // not behind the chevron
    EXPECT_TRUE(!action->icon().isNull() && button->width() <= button->height() + 8) << action->toolTip().toStdString();
  }
}

}  // namespace
}  // namespace lumetrix
