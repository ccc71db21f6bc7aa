#include "scripting/frm_vb_editor.h"

#include <Qsci/qsciprinter.h>

#include <gtest/gtest.h>

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolBar>

#include "scripting/frm_date_time.h"
#include "scripting/vb_lexer.h"
#include "tests/scripting/editor_fixture.h"

namespace lumetrix {
namespace {

using scripting::FindRequest;
using scripting::SaveAnswer;

class VBEditorTest : public testing::EditorTest {
 protected:
  QAction* Act(const char* name) const {
    QAction* a = editor->Action(QString::fromLatin1(name));
    EXPECT_NE(a, nullptr) << name;
    return a;
  }
};

// ---- menus, toolbar, status bar, layout ---------------------------------------------------------

TEST_F(VBEditorTest, MenusWithTheirCaptionsAndShortcuts) {
  QStringList menus;
  for (QAction* a : editor->menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "&Run", "&View", "&Tools"}));
  struct Row {
    const char* name;
    const char* caption;
    QKeySequence key;
  };
  const Row rows[] = {
      {"mnuFileNew", "&New", {}},
      {"mnuFileOpen", "&Open...", {}},
      {"mnuFileSave", "&Save", {}},
      {"mnuFileSaveAs", "Save &As...", {}},
      {"mnuFilePrint", "&Print", {}},
      {"mnuFileExit", "E&xit", {}},
      {"mnuEditUndo", "&Undo", QKeySequence("Ctrl+Z")},
      {"mnuEditRedo", "&Redo", {}},
      {"mnuEditCut", "Cu&t", QKeySequence("Ctrl+X")},
      {"mnuEditCopy", "&Copy", QKeySequence("Ctrl+C")},
      {"mnuEditPaste", "&Paste", QKeySequence("Ctrl+V")},
      {"mnuEditSelectAll", "Select &All", QKeySequence("Ctrl+A")},
      {"mnuEditFind", "&Find ...", QKeySequence("Ctrl+F")},
      {"mnuEditFindNext", "F&ind Next", QKeySequence("F3")},
      {"mnuEditReplace", "&Replace ...", QKeySequence("Ctrl+H")},
      {"mnuEditGoTo", "Go To ..", QKeySequence("Ctrl+G")},
      {"mnuEditPreferences", "Pr&eferences..", {}},
      {"mnuRunScript", "&Run Script", QKeySequence("F5")},
      {"mnuViewToolbar", "&Toolbar", {}},
      {"mnuViewStatusBar", "Status &Bar", {}},
      {"mnuViewWhiteSpaces", "&White Spaces", QKeySequence("Ctrl+W")},
      {"mnuViewLineNumber", "Line Numbe&r", QKeySequence("Ctrl+R")},
      {"mnuToolsDateTime", "Insert &Time and Date...", QKeySequence("Ctrl+T")},
  };
  for (const Row& r : rows) {
    QAction* a = Act(r.name);
    if (!a) continue;
    EXPECT_EQ(a->text(), r.caption) << r.name;
    EXPECT_EQ(a->shortcut(), r.key) << r.name;
    if (!r.key.isEmpty()) {
      EXPECT_EQ(a->shortcutContext(), Qt::WindowShortcut) << r.name;
    }
  }
  EXPECT_TRUE(Act("mnuViewToolbar")->isChecked());
  EXPECT_TRUE(Act("mnuViewStatusBar")->isChecked());
  EXPECT_FALSE(Act("mnuViewWhiteSpaces")->isChecked());  // "WhiteSpace" default 0
  EXPECT_TRUE(Act("mnuViewLineNumber")->isChecked());    // "LineNum" default 1
  EXPECT_FALSE(Act("mnuEditFindNext")->isEnabled());
}

TEST_F(VBEditorTest, ToolbarButtonsInOrderWithTheirToolTips) {
  QToolBar* tb = editor->findChild<QToolBar*>("tb");
  ASSERT_NE(tb, nullptr);
  QStringList keys, tips;
  int separators = 0;
  for (QAction* a : tb->actions()) {
    if (a->isSeparator()) {
      keys << "|";
      ++separators;
      continue;
    }
    keys << a->text();
    tips << a->toolTip();
  }
  EXPECT_EQ(keys, (QStringList{"New", "Open", "|", "Save", "|", "Print", "|", "Cut", "Copy", "Paste", "|", "Undo",
                               "Redo", "|", "Find", "|", "Run"}));
  EXPECT_EQ(tips, (QStringList{"New Code", "Open Code", "Save", "Print", "Cut", "Copy", "Paste", "Undo", "Redo",
                               "Find", "Run"}));
}

TEST_F(VBEditorTest, StatusBarPanels) {
  EXPECT_EQ(editor->StatusPanel(0)->text(), "VBScript Editor");
  EXPECT_EQ(editor->StatusPanel(1)->text(), "CAPS");
  EXPECT_EQ(editor->StatusPanel(2)->text(), "INS");
  EXPECT_EQ(editor->StatusPanel(3)->text(), "NUM");
  EXPECT_FALSE(editor->StatusPanel(4)->text().isEmpty());
  EXPECT_FALSE(editor->StatusPanel(5)->text().isEmpty());
  EXPECT_TRUE(editor->StatusPanel(2)->isEnabled());  // insert mode
  View()->setOverwriteMode(true);
  editor->UpdateStatusBar();
  EXPECT_FALSE(editor->StatusPanel(2)->isEnabled());
}

TEST_F(VBEditorTest, ViewTogglesActOnTheWindowOnly) {
  editor->show();
  Act("mnuViewToolbar")->trigger();
  EXPECT_FALSE(editor->findChild<QToolBar*>("tb")->isVisible());
  Act("mnuViewStatusBar")->trigger();
  EXPECT_FALSE(editor->statusBar()->isVisible());
  Act("mnuViewWhiteSpaces")->trigger();
  EXPECT_EQ(View()->whitespaceVisibility(), QsciScintilla::WsVisible);
  EXPECT_TRUE(editor->SplitView(1)->Options().whiteSpace);
  Act("mnuViewLineNumber")->trigger();
  EXPECT_EQ(View()->marginWidth(scripting::ScriptView::kNumberMargin), 0);
  EXPECT_FALSE(settings.Get("Settings", "WhiteSpace").isValid());
  EXPECT_FALSE(settings.Get("Settings", "LineNum").isValid());
}

TEST_F(VBEditorTest, CtrlRInTheEditorSwitchesLineNumbers) {
  editor->show();
  editor->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(editor.get()));
  View()->setFocus();
  QTest::keyClick(View(), Qt::Key_R, Qt::ControlModifier);
  EXPECT_FALSE(Act("mnuViewLineNumber")->isChecked());
  QTest::keyClick(View(), Qt::Key_R, Qt::ControlModifier);
  EXPECT_TRUE(Act("mnuViewLineNumber")->isChecked());
  EXPECT_TRUE(View()->text().isEmpty());  // the key did not reach the text
}

TEST_F(VBEditorTest, LayoutMinimumSizeAndOutputPaneHeight) {
  EXPECT_EQ(editor->minimumSize(), QSize(267, 267));
  editor->show();
  editor->resize(100, 100);
  QCoreApplication::processEvents();
  EXPECT_GE(editor->width(), 267);
  EXPECT_GE(editor->height(), 267);
  editor->resize(600, 500);
  QCoreApplication::processEvents();
  EXPECT_EQ(editor->txtOut()->height(), 80);
  EXPECT_TRUE(editor->txtOut()->isReadOnly());
  EXPECT_EQ(editor->txtOut()->width(), View()->parentWidget()->parentWidget()->width());
}

TEST_F(VBEditorTest, PlacementFromTheSettingsKeptOnTheScreen) {
  settings.Put("Settings", "ScriptLeft", "40");
  settings.Put("Settings", "ScriptTop", "50");
  settings.Put("Settings", "ScriptWidth", "500");
  settings.Put("Settings", "ScriptHeight", "garbage");
  Create();
  EXPECT_EQ(editor->pos(), QPoint(40, 50));
  EXPECT_EQ(editor->size(), QSize(500, 433));
  settings.Put("Settings", "ScriptLeft", "99999");
  settings.Put("Settings", "ScriptWidth", "99999");
  Create();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE(editor->width(), screen.width());
  EXPECT_LE(editor->pos().x() + editor->width(), screen.right() + 1);
}

TEST_F(VBEditorTest, ColoursOfTheTableReachTheLexerStyles) {
  auto fore = [this](int style) {
    return View()->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE, static_cast<unsigned long>(style));
  };
  EXPECT_EQ(fore(scripting::kVbKeyword), 16711680);
  EXPECT_EQ(fore(scripting::kVbComment), 32768);
  EXPECT_EQ(fore(scripting::kVbString), 8388736);
  EXPECT_EQ(fore(scripting::kVbOperator), 255);
  EXPECT_EQ(fore(scripting::kVbKeyword2), 16711680);
  EXPECT_EQ(View()->SendScintilla(QsciScintillaBase::SCI_STYLEGETITALIC, static_cast<unsigned long>(scripting::kVbComment)), 1);
  EXPECT_EQ(fore(QsciScintillaBase::STYLE_LINENUMBER), 986895);
  // The text is coloured by category.
  editor->SetScriptText("Sub Main ' spin\n  x = \"a\" + 12\nEnd Sub\n");
  View()->SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0L, -1L);
  auto styleAt = [this](long pos) { return View()->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, static_cast<unsigned long>(pos)); };
  EXPECT_EQ(styleAt(0), scripting::kVbKeyword2);   // Sub
  EXPECT_EQ(styleAt(10), scripting::kVbComment);  // ' spin
  EXPECT_EQ(styleAt(22), scripting::kVbString);   // "a"
  EXPECT_EQ(styleAt(26), scripting::kVbOperator);  // +
  EXPECT_EQ(styleAt(28), scripting::kVbNumber);    // 12
}

TEST_F(VBEditorTest, GarbageColourSettingsFallBackToTheDefaults) {
  settings.Put("Colors", "clr5fr", "not a colour");
  settings.Put("Colors", "clr9fr", "123");
  Create();
  EXPECT_EQ(View()->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE, static_cast<unsigned long>(scripting::kVbKeyword)), 16711680);
  EXPECT_EQ(View()->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE, static_cast<unsigned long>(scripting::kVbOperator)), 123);
}

// ---- output pane --------------------------------------------------------------------------------

TEST_F(VBEditorTest, ShowSynAppendsWithTheEmphasisAndColourSetBefore) {
  editor->SetOutputEmphasis(true);
  editor->showSyn("\r\n");
  editor->showSyn("Script a.scp");
  editor->SetOutputEmphasis(false);
  editor->SetOutputColor(QColor(255, 0, 0));
  editor->showSyn(" stopped\r\n");
  editor->SetOutputColor(QColor(0, 0, 0));
  EXPECT_EQ(editor->txtOut()->toPlainText(), "\nScript a.scp stopped\n");
  QTextCursor c(editor->txtOut()->document());
  c.setPosition(3);
  EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);
  EXPECT_EQ(c.charFormat().foreground().color(), QColor(0, 0, 0));
  c.setPosition(16);
  EXPECT_NE(c.charFormat().fontWeight(), QFont::Bold);
  EXPECT_EQ(c.charFormat().foreground().color(), QColor(255, 0, 0));
  EXPECT_EQ(editor->txtOut()->textCursor().position(), editor->txtOut()->toPlainText().size());
  EXPECT_FALSE(editor->txtOut()->textCursor().hasSelection());
}

TEST_F(VBEditorTest, ShowSynCutsALongPaneToItsLast15000Characters) {
  QString text;
  for (int i = 0; i < 30000; ++i) text += QChar('a' + i % 26);
  editor->showSyn(text);  // 30000: not longer than 30000
  EXPECT_EQ(editor->txtOut()->toPlainText().size(), 30000);
  editor->showSyn("X");  // 30000 before: no cut yet
  EXPECT_EQ(editor->txtOut()->toPlainText().size(), 30001);
  editor->SetOutputColor(QColor(0, 0, 255));
  editor->showSyn("YZ");  // 30001 before: cut to 15000, then append
  const QString pane = editor->txtOut()->toPlainText();
  ASSERT_EQ(pane.size(), 15002);
  EXPECT_EQ(pane.right(3), "XYZ");
  EXPECT_EQ(pane.left(14999), (text + "X").right(15000).left(14999));
  QTextCursor c(editor->txtOut()->document());
  c.setPosition(15001);
  EXPECT_EQ(c.charFormat().foreground().color(), QColor(0, 0, 255));
}

// ---- document states and the save prompt ---------------------------------------------------------

TEST_F(VBEditorTest, TypingNewOpenSaveAsTransitions) {
  EXPECT_EQ(editor->Caption(), "Untitled.scp");
  EXPECT_EQ(editor->windowTitle(), "Untitled.scp");
  EXPECT_FALSE(editor->ScriptModified());
  QTest::keyClicks(View(), "x = 1");
  EXPECT_TRUE(editor->ScriptModified());
  // Save As gives the file's path as caption.
  const QString path = dir.filePath("a.scp");
  savePaths = {path};
  ASSERT_TRUE(editor->mnuFileSaveAs_Click());
  EXPECT_EQ(editor->Caption(), path);
  EXPECT_EQ(editor->windowTitle(), path);
  EXPECT_FALSE(editor->ScriptModified());
  EXPECT_EQ(Read(path), "x = 1");
  QTest::keyClicks(View(), "0");
  EXPECT_TRUE(editor->ScriptModified());
  // New asks; Cancel keeps everything.
  answers = {SaveAnswer::Cancel};
  EXPECT_FALSE(editor->NewScript());
  EXPECT_EQ(prompts.last(), path + " has been changed. Do you wish to save?");
  EXPECT_EQ(editor->ScriptText(), "x = 10");
  // Yes saves to the file, then New clears.
  answers = {SaveAnswer::Yes};
  ASSERT_TRUE(editor->NewScript());
  EXPECT_EQ(Read(path), "x = 10");
  EXPECT_EQ(editor->ScriptText(), "");
  EXPECT_EQ(editor->Caption(), "Untitled.scp");
  EXPECT_FALSE(editor->ScriptModified());
  // Open: titled and unchanged, also after the margins and markers were refreshed.
  openPaths = {path};
  ASSERT_TRUE(editor->OpenScript());
  editor->show();
  QCoreApplication::processEvents();
  editor->HighlightErrorLine(1);
  QCoreApplication::processEvents();
  EXPECT_EQ(editor->ScriptText(), "x = 10");
  EXPECT_EQ(editor->Caption(), path);
  EXPECT_FALSE(editor->ScriptModified());
  EXPECT_EQ(editor->Action("mnuFileMRU0")->text(), path);
  EXPECT_EQ(settings.Get("Settings", "File0").toString(), path);
}

TEST_F(VBEditorTest, UndoOfTypingStillCountsAsAChange) {
  QTest::keyClicks(View(), "ab");
  const QString path = dir.filePath("u.scp");
  savePaths = {path};
  ASSERT_TRUE(editor->mnuFileSave_Click());
  Act("mnuEditUndo")->trigger();
  EXPECT_TRUE(editor->ScriptModified());
  EXPECT_EQ(editor->ScriptText(), "");
  Act("mnuEditRedo")->trigger();
  EXPECT_EQ(editor->ScriptText(), "ab");
}

TEST_F(VBEditorTest, NonTextAndHugeFilesAreRefusedWithAMessage) {
  editor->SetScriptText("keep me");
  openPaths = {File("volume.tif", QByteArray("II*\0\x08\0\0\0", 8))};
  EXPECT_FALSE(editor->OpenScript());
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains("not a text file"));
  EXPECT_EQ(editor->ScriptText(), "keep me");
  const QString huge = dir.filePath("huge.scp");
  {
    QFile f(huge);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(scripting::kMaxScriptFileBytes + 10));
  }
  EXPECT_FALSE(editor->OpenScriptFile(huge));
  ASSERT_EQ(messages.size(), 2);
  EXPECT_TRUE(messages[1].contains("too large"));
  EXPECT_EQ(editor->ScriptText(), "keep me");
  EXPECT_TRUE(editor->Action("mnuFileMRU0")->text().isEmpty());
}

TEST_F(VBEditorTest, ALoadedWindowsFileKeepsItsLineEnds) {
  const QString path = File("crlf.scp", "Sub Main\r\nEnd Sub\r\n");
  ASSERT_TRUE(editor->OpenScriptFile(path));
  EXPECT_EQ(View()->eolMode(), QsciScintilla::EolWindows);
  View()->setCursorPosition(0, 8);
  QTest::keyClick(View(), Qt::Key_Return);
  EXPECT_EQ(editor->ScriptText(), "Sub Main\r\n\r\nEnd Sub\r\n");
}

TEST_F(VBEditorTest, RecentFileMenuShowsOnlyFilledEntries) {
  const QString a = File("a&b.scp", "a");
  const QString b = File("b.scp", "b");
  ASSERT_TRUE(editor->OpenScriptFile(a));
  ASSERT_TRUE(editor->OpenScriptFile(b));
  EXPECT_EQ(Act("mnuFileMRU0")->text(), QString(a).replace("&", "&&"));
  EXPECT_TRUE(Act("mnuFileMRU0")->isVisible());
  EXPECT_EQ(Act("mnuFileMRU1")->text(), b);
  EXPECT_FALSE(Act("mnuFileMRU2")->isVisible());
  Act("mnuFileMRU0")->trigger();
  EXPECT_EQ(editor->ScriptText(), "a");
  EXPECT_EQ(editor->Caption(), a);
  EXPECT_EQ(settings.Get("Settings", "File0").toString(), a);
  EXPECT_EQ(settings.Get("Settings", "File1").toString(), b);
  // A new window reads the same list.
  Create();
  EXPECT_EQ(Act("mnuFileMRU1")->text(), b);
}

// ---- closing --------------------------------------------------------------------------------------

TEST_F(VBEditorTest, ClosingWhileTheProgramRunsOnlyHides) {
  editor->show();
  QTest::keyClicks(View(), "work");
  EXPECT_FALSE(editor->close());
  EXPECT_FALSE(editor->isVisible());
  EXPECT_TRUE(prompts.isEmpty());
  editor->show();
  EXPECT_EQ(editor->ScriptText(), "work");
  EXPECT_EQ(editor->Caption(), "Untitled.scp");
  EXPECT_TRUE(editor->ScriptModified());
  Act("mnuFileExit")->trigger();
  EXPECT_FALSE(editor->isVisible());
}

TEST_F(VBEditorTest, AtProgramEndAChangedScriptIsOfferedForSaving) {
  editor->show();
  editor->move(60, 70);
  editor->resize(520, 480);
  QTest::keyClicks(View(), "work");
  editor->setQuitRequested(true);
  answers = {SaveAnswer::Cancel};
  EXPECT_FALSE(editor->close());
  EXPECT_TRUE(editor->isVisible());
  EXPECT_FALSE(settings.Get("Settings", "ScriptWidth").isValid());
  answers = {SaveAnswer::Yes};
  const QString path = dir.filePath("end.scp");
  savePaths = {path};
  EXPECT_TRUE(editor->close());
  EXPECT_EQ(Read(path), "work");
  EXPECT_EQ(settings.Get("Settings", "ScriptWidth").toString(), "520");
  EXPECT_EQ(settings.Get("Settings", "ScriptHeight").toString(), "480");
  EXPECT_EQ(settings.Get("Settings", "ScriptLeft").toString(), QString::number(editor->pos().x()));
  // saveOptions wrote the seven preferences.
  EXPECT_EQ(settings.Get("Settings", "LineNumStyle").toString(), "10");
  EXPECT_EQ(settings.Get("Settings", "WhiteSpace").toString(), "0");
}

TEST_F(VBEditorTest, AtProgramEndYesWithACancelledSaveAsKeepsTheWindow) {
  QTest::keyClicks(View(), "work");
  editor->setQuitRequested(true);
  answers = {SaveAnswer::Yes};
  EXPECT_FALSE(editor->close());
  answers = {SaveAnswer::No};
  EXPECT_TRUE(editor->close());
}

// ---- line numbers, splitting, case fixing ---------------------------------------------------------

TEST_F(VBEditorTest, LineNumbersInEachRadixFollowTheText) {
  editor->show();
  editor->resize(500, 600);
  editor->SetScriptText(QString("x\n").repeated(30));
  QCoreApplication::processEvents();
  EXPECT_EQ(View()->LineNumberShown(0), "1");
  EXPECT_EQ(View()->LineNumberShown(9), "10");
  settings.Put("Settings", "LineNumStyle", "2");
  editor->initRTF();
  EXPECT_EQ(View()->LineNumberShown(3), "100");
  EXPECT_EQ(View()->LineNumberShown(9), "1010");
  settings.Put("Settings", "LineNumStyle", "8");
  editor->initRTF();
  EXPECT_EQ(View()->LineNumberShown(7), "10");
  settings.Put("Settings", "LineNumStyle", "16");
  editor->initRTF();
  EXPECT_EQ(View()->LineNumberShown(9), "A");
  // New lines at the top renumber the lines below them.
  View()->setCursorPosition(0, 0);
  for (int i = 0; i < 6; ++i) QTest::keyClick(View(), Qt::Key_Return);
  QCoreApplication::processEvents();
  EXPECT_EQ(View()->LineNumberShown(9), "A");
  EXPECT_EQ(View()->LineNumberShown(15), "10");
  // Deleted lines too.
  View()->selectAll(true);
  View()->removeSelectedText();
  QCoreApplication::processEvents();
  EXPECT_EQ(View()->LineNumberShown(0), "1");
  // The margin grows with the widest number: binary needs more room than decimal.
  editor->SetScriptText(QString("x\n").repeated(300));
  QCoreApplication::processEvents();
  const int hexWidth = View()->marginWidth(0);
  settings.Put("Settings", "LineNumStyle", "2");
  editor->initRTF();
  EXPECT_GT(View()->marginWidth(0), hexWidth);
}

TEST_F(VBEditorTest, NumbersFollowScrolling) {
  editor->show();
  editor->resize(500, 400);
  editor->SetScriptText(QString("x\n").repeated(500));
  settings.Put("Settings", "LineNumStyle", "16");
  editor->initRTF();
  View()->setFirstVisibleLine(300);
  QCoreApplication::processEvents();
  EXPECT_EQ(View()->LineNumberShown(300), "12D");
  EXPECT_EQ(View()->LineNumberShown(302), "12F");
}

TEST_F(VBEditorTest, SplitViewsShowTheSameDocument) {
  editor->SetScriptText("Sub Main\nEnd Sub\n");
  EXPECT_EQ(editor->SplitView(1)->text(), editor->ScriptText());
  EXPECT_EQ(editor->SplitView(2)->text(), editor->ScriptText());
  editor->SplitView(2)->append("' more\n");
  EXPECT_EQ(editor->ScriptText(), "Sub Main\nEnd Sub\n' more\n");
  EXPECT_TRUE(editor->ScriptModified());
  // Disallowed splits fold their views away.
  settings.Put("Settings", "HSplit", "0");
  editor->initRTF();
  editor->show();
  EXPECT_FALSE(editor->SplitView(2)->isVisible());
  EXPECT_TRUE(editor->SplitView(1)->isVisibleTo(editor.get()));
}

TEST_F(VBEditorTest, KeywordsAreCasedWhileTyping) {
  QTest::keyClicks(View(), "sub main");
  QTest::keyClick(View(), Qt::Key_Return);
  QTest::keyClicks(View(), "  setyrotspeed 2 ' end ");
  QTest::keyClick(View(), Qt::Key_Return);
  QTest::keyClicks(View(), "msgbox \"end if\"");
  QTest::keyClick(View(), Qt::Key_Return);
  QTest::keyClicks(View(), "end sub ");
  EXPECT_EQ(editor->ScriptText(), "Sub main\n  SetYRotSpeed 2 ' end \nMsgBox \"end if\"\nEnd Sub ");
  settings.Put("Settings", "lineCase", "0");
  editor->initRTF();
  QTest::keyClicks(View(), "dim ");
  EXPECT_TRUE(editor->ScriptText().endsWith("dim "));
}

// ---- edit commands ----------------------------------------------------------------------------------

TEST_F(VBEditorTest, FindThenFindNext) {
  editor->SetScriptText("DrawImage\nx = 1\nDrawImage\n");
  View()->setCursorPosition(0, 0);
  EXPECT_FALSE(editor->FindNextMatch());
  EXPECT_TRUE(editor->FindText({"drawimage", false, false, false}));
  EXPECT_TRUE(Act("mnuEditFindNext")->isEnabled());
  int line = 0, index = 0;
  View()->getCursorPosition(&line, &index);
  EXPECT_EQ(line, 0);
  EXPECT_TRUE(editor->FindNextMatch());
  View()->getCursorPosition(&line, &index);
  EXPECT_EQ(line, 2);
  EXPECT_EQ(View()->selectedText(), "DrawImage");
  EXPECT_TRUE(editor->FindNextMatch());  // wraps around
  View()->getCursorPosition(&line, &index);
  EXPECT_EQ(line, 0);
  EXPECT_FALSE(editor->FindText({"drawimage", true, false, false}));  // case must match
  EXPECT_FALSE(editor->FindText({"Draw", false, true, false}));  // whole words only
}

TEST_F(VBEditorTest, FindBackwards) {
  editor->SetScriptText("a1 a2 a3");
  View()->setCursorPosition(0, 8);
  ASSERT_TRUE(editor->FindText({"a", false, false, true}));
  int line = 0, index = 0, l2 = 0, i2 = 0;
  View()->getSelection(&line, &index, &l2, &i2);
  EXPECT_EQ(index, 6);
  ASSERT_TRUE(editor->FindNextMatch());
  View()->getSelection(&line, &index, &l2, &i2);
  EXPECT_EQ(index, 3);
}

TEST_F(VBEditorTest, ReplaceOneAndAll) {
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

TEST_F(VBEditorTest, GoToLine) {
  editor->SetScriptText("a\nb\nc\nd\n");
  editor->GoToLine(3);
  int line = 0, index = 0;
  View()->getCursorPosition(&line, &index);
  EXPECT_EQ(line, 2);
  editor->GoToLine(99);
  View()->getCursorPosition(&line, &index);
  EXPECT_EQ(line, 4);
  editor->GoToLine(-5);
  View()->getCursorPosition(&line, &index);
  EXPECT_EQ(line, 0);
}

TEST_F(VBEditorTest, CutAndCopyFollowTheSelection) {
  editor->SetScriptText("abc");
  editor->setMenu();
  EXPECT_FALSE(Act("mnuEditCut")->isEnabled());
  EXPECT_FALSE(Act("mnuEditCopy")->isEnabled());
  EXPECT_FALSE(Act("tbCut")->isEnabled());
  EXPECT_TRUE(Act("mnuEditPaste")->isEnabled());
  View()->setSelection(0, 0, 0, 2);
  EXPECT_TRUE(Act("mnuEditCut")->isEnabled());
  EXPECT_TRUE(Act("tbCopy")->isEnabled());
  Act("mnuEditCut")->trigger();
  EXPECT_EQ(editor->ScriptText(), "c");
  EXPECT_FALSE(Act("mnuEditCut")->isEnabled());
  Act("mnuEditPaste")->trigger();
  EXPECT_EQ(editor->ScriptText(), "abc");
  Act("mnuEditSelectAll")->trigger();
  EXPECT_EQ(View()->selectedText(), "abc");
}

TEST_F(VBEditorTest, RightClickPopsUpTheEditMenu) {
  editor->show();
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), View()->mapToGlobal(QPoint(10, 10)));
  QCoreApplication::sendEvent(View()->viewport(), &event);
  EXPECT_TRUE(editor->EditMenu()->isVisible());
  editor->EditMenu()->hide();
}

TEST_F(VBEditorTest, RunCommandsRaiseTheRunSignal) {
  QSignalSpy spy(editor.get(), &frmVBEditor::runScriptRequested);
  Act("mnuRunScript")->trigger();
  Act("tbRun")->trigger();
  EXPECT_EQ(spy.count(), 2);
}

TEST_F(VBEditorTest, ErrorLineIsMarkedAndTheCaretGoesThere) {
  ASSERT_TRUE(editor->OpenScriptFile(File("err.scp", "Sub Main\n  x = \nEnd Sub\n")));
  editor->HighlightErrorLine(2);
  EXPECT_EQ(editor->HighlightedErrorLine(), 2);
  int line = 0, index = 0;
  View()->getCursorPosition(&line, &index);
  EXPECT_EQ(line, 1);
  EXPECT_FALSE(editor->ScriptModified());
  editor->HighlightErrorLine(400);  // past the end: the last line
  EXPECT_EQ(editor->HighlightedErrorLine(), 4);
  editor->ClearErrorHighlight();
  EXPECT_EQ(editor->HighlightedErrorLine(), 0);
  editor->HighlightErrorLine(1);
  ASSERT_TRUE(editor->NewScript());
  EXPECT_EQ(editor->HighlightedErrorLine(), 0);
}

TEST_F(VBEditorTest, DateTimeWindowReplacesTheSelection) {
  editor->SetScriptText("x = [here]");
  View()->setSelection(0, 4, 0, 10);
  std::unique_ptr<frmDateTime> window(editor->CreateDateTimeWindow());
  window->show();
  window->lstDateTime->setCurrentRow(10);  // "dd"
  window->cmdOk->click();
  EXPECT_EQ(editor->ScriptText(), "x = " + QDate::currentDate().toString("dd"));
  EXPECT_TRUE(editor->ScriptModified());
}

TEST_F(VBEditorTest, PrintsTheScriptOrTheSelection) {
  editor->SetScriptText(QString("SetYRot 1\n").repeated(200));
  QsciPrinter printer;
  printer.setOutputFormat(QPrinter::PdfFormat);
  const QString all = dir.filePath("all.pdf");
  printer.setOutputFileName(all);
  ASSERT_TRUE(editor->PrintTo(printer, false));
  View()->setSelection(0, 0, 1, 0);
  QsciPrinter selection;
  selection.setOutputFormat(QPrinter::PdfFormat);
  const QString part = dir.filePath("part.pdf");
  selection.setOutputFileName(part);
  ASSERT_TRUE(editor->PrintTo(selection, true));
  EXPECT_TRUE(Read(all).startsWith("%PDF"));
  EXPECT_GT(QFileInfo(all).size(), QFileInfo(part).size());
}

}  // namespace
}  // namespace lumetrix
