// The main window over its viewer: window sizes, what its menus and the parameters window show
// of the viewer, input on the drawing area while the volume turns, scripts, and unloading.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QSlider>
#include <QSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>
#include <fstream>

#include "core/view_value.h"
#include "scripting/frm_parameters.h"
#include "scripting/frm_vb_editor.h"
#include "tests/viewer/viewer_fixture.h"
#include "viewer_ui/frm_3d.h"
#include "viewer_ui/frm_set_window.h"
#include "viewer_ui/gl_view.h"
#include "viewer_ui/series_chooser.h"
#include "viewer_ui/time_player.h"
#include "widgets/frm_help.h"

namespace lumetrix {
namespace {

using test_support::TempDir;

QAction* Item(frm3D& w, const char* name) {
  QAction* a = w.findChild<QAction*>(name);
  EXPECT_NE(a, nullptr) << name;
  return a;
}

// Answers the modal size dialog with the given texts, or closes it.
void AnswerSizeDialog(const QString& width, const QString& height, bool ok) {
  QTimer::singleShot(0, [=] {
    auto* dialog = qobject_cast<frmSetWindow*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    if (!ok) return dialog->reject();
    dialog->txtW()->setText(width);
    dialog->txtH()->setText(height);
    dialog->findChild<QPushButton*>("OKButton")->click();
  });
}

TEST(MainWindow, DrawingAreaSizesFromTheStartThePresetsAndTheSizeDialog) {
  QSettings("Lumetrix", "Lumetrix").remove("WindowSize");
  frm3D w;
  w.show();
  QApplication::processEvents();
  Viewer& v = w.TheViewer();
  auto size = [&] { return std::pair(v.ScaleWidth(), v.ScaleHeight()); };
  EXPECT_EQ(size(), std::pair(400, 400));
  w.showMaximized();
  QApplication::processEvents();
  Item(w, "mnuWindow320x240")->trigger();  // restores the maximised window first
  QApplication::processEvents();
  EXPECT_FALSE(w.isMaximized());
  EXPECT_EQ(size(), std::pair(320, 240));
  EXPECT_EQ(frmSetWindow().txtW()->text(), "400");  // nothing stored yet
  AnswerSizeDialog("500", "300px", true);
  Item(w, "mnuWindowSet")->trigger();
  EXPECT_EQ(size(), std::pair(500, 300));
  EXPECT_EQ(QSettings("Lumetrix", "Lumetrix").value("WindowSize/H").toString(), "300px");
  AnswerSizeDialog("0", "abc", true);  // stored, but not applied
  Item(w, "mnuWindowSet")->trigger();
  EXPECT_EQ(QSettings("Lumetrix", "Lumetrix").value("WindowSize/W").toString(), "0");
  AnswerSizeDialog({}, {}, false);  // applies what is stored: still nothing
  Item(w, "mnuWindowSet")->trigger();
  EXPECT_EQ(size(), std::pair(500, 300));
  QSettings("Lumetrix", "Lumetrix").remove("WindowSize");
}

TEST(MainWindow, TheParametersWindowAndThePaletteMenuFollowTheViewer) {
  TempDir dir;
  frm3D w;
  w.show();
  Item(w, "mnuControlShowParameters")->trigger();
  frmParameters* p = w.Parameters();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->ValueLabel(ViewField::PosZ)->text(), "-3.00");  // filled at once
  w.TheViewer().SetZ(-4.5f);
  EXPECT_EQ(p->ValueLabel(ViewField::PosZ)->text(), "-4.50");
  Item(w, "mnuResetParameters")->trigger();
  EXPECT_EQ(p->ValueLabel(ViewField::PosZ)->text(), "-3.00");
  QString answer = "7", shown;
  p->SetInputBox([&](const QString&, const QString&, const QString&) { return std::optional<QString>(answer); });
  p->SetMessageBox([&](const QString& text) { shown = text; });
  p->ChangeParameter(ViewField::Red);
  EXPECT_EQ(w.TheViewer().View().Color[0], 1.0f);  // clamped
  answer = "1e999";
  p->ChangeParameter(ViewField::XRot);
  EXPECT_EQ(shown, kNotAViewValue);
  EXPECT_EQ(w.TheViewer().View().XRot, 0);
  QMenu* menu = w.PaletteMenu();
  EXPECT_FALSE(menu->menuAction()->isVisible());
  ASSERT_GE(menu->actions().size(), 8);
  EXPECT_TRUE(menu->actions()[0]->isChecked());
  ASSERT_TRUE(w.OpenAtStart(testing::Stack(dir, "grey.tif", 2)));
  EXPECT_TRUE(menu->menuAction()->isVisible());
  menu->actions()[4]->trigger();
  EXPECT_EQ(w.TheViewer().PaletteIndex(), 4);
  w.TheViewer().SetPalette("red");
  QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
  Item(w, "mnuToolsPalEdit1")->trigger();  // the palettes are read again after the editor
  EXPECT_TRUE(menu->actions()[2]->isChecked());
  EXPECT_FALSE(menu->actions()[4]->isChecked());
  menu->actions()[0]->trigger();
  EXPECT_EQ(w.TheViewer().PaletteIndex(), 0);
  EXPECT_EQ(Item(w, "mnuMRUFiles0")->text().toStdString(), dir.File("grey.tif"));
}

// A stack beyond the memory budget and without a pyramid: the window shows its preview at once
// and, once the pyramid built on another thread is there, the streamed volume in its place.
TEST(MainWindow, APreviewGivesWayToTheStreamedVolumeWhenItsPyramidIsBuilt) {
  TempDir dir;
  frm3D w;
  w.show();
  w.TheViewer().SetMemoryBudget({uint64_t{16} << 20, uint64_t{16} << 20});
  ASSERT_TRUE(w.OpenAtStart(testing::Stack(dir, "big.tif", 80, 512, 512)));  // 20 MB
  EXPECT_EQ(w.TheViewer().Volume().Pyramid, nullptr);
  EXPECT_NE(w.TheViewer().Volume().Note.find("a preview of every 2nd plane"), std::string::npos);
  // Waits for the window's own polling (a build that never ends hangs the test until the run's
  // time limit fails it).
  while (w.TheViewer().BuildingPyramid()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  EXPECT_NE(w.TheViewer().Volume().Pyramid, nullptr);
  EXPECT_EQ(w.TheViewer().Volume().Width, 256);
  EXPECT_EQ(w.TheViewer().LastFile(), dir.File("big.tif"));
}

// F1 shows the manual inside the program; the search field narrows its contents, an entry
// scrolls the page to its section, and F1 again brings back the same window.
TEST(MainWindow, F1ShowsTheManualWithContentsAndSearch) {
  frm3D w;
  w.show();
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w, 60000));
  QTest::keyClick(&w, Qt::Key_F1);
  auto* help = w.findChild<widgets::frmHelp*>();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->Page()->documentTitle(), "Lumetrix manual");
  QTreeWidget* contents = help->Contents();
  auto shown = [&] {
    QStringList titles;
    for (QTreeWidgetItemIterator it(contents, QTreeWidgetItemIterator::NotHidden); *it; ++it)
      titles << (*it)->text(0);
    return titles;
  };
  EXPECT_GT(shown().size(), 15);
  QTest::keyClicks(help->SearchField(), "sbatch");
  EXPECT_EQ(shown(), QStringList({"Many stacks at once", "On a cluster as a Slurm job array"}));
  QTest::keyClick(help->SearchField(), Qt::Key_Return);
  EXPECT_EQ(help->Page()->textCursor().selectedText(), "sbatch");
  help->SearchField()->clear();
  const auto keys = contents->findItems("Keys", Qt::MatchExactly);
  ASSERT_EQ(keys.size(), 1);
  help->Page()->verticalScrollBar()->setValue(0);
  emit contents->itemClicked(keys[0], 0);
  EXPECT_GT(help->Page()->verticalScrollBar()->value(), 0);
  help->close();
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w, 60000));
  QTest::keyClick(&w, Qt::Key_F1);
  EXPECT_EQ(w.findChildren<widgets::frmHelp*>().size(), 1);
  EXPECT_TRUE(help->isVisible());
}

TEST(MainWindow, EditScriptShowsTheEditorAndCancellingItsSavePromptKeepsTheProgram) {
  frm3D w;
  w.show();
  ASSERT_NE(w.Editor(), nullptr);
  Item(w, "mnuScriptShow")->trigger();
  EXPECT_TRUE(w.Editor()->isVisible());
  EditorDialogs dialogs;
  int asked = 0;
  scripting::SaveAnswer answer = scripting::SaveAnswer::Cancel;
  dialogs.askSave = [&](const QString&) { return ++asked, answer; };
  w.Editor()->setDialogs(dialogs);
  w.Editor()->SetScriptText("Sub Main\nEnd Sub\n");
  EXPECT_FALSE(w.close());
  EXPECT_FALSE(w.TheViewer().QuitRequested());
  EXPECT_TRUE(w.isVisible());
  answer = scripting::SaveAnswer::No;
  bool unloading = false;
  QObject::connect(&w, &frm3D::Unloading, [&] { unloading = true; });
  EXPECT_TRUE(w.close());
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(w.TheViewer().QuitRequested() && w.TheViewer().ViewerDone() && unloading);
}

// A shown window turning a volume; frames are counted as the viewer reports them.
class ShownVolume : public ::testing::Test {
 protected:
  void SetUp() override {
    w_.show();
    ASSERT_TRUE(w_.OpenAtStart(testing::Stack(dir_, "v.tif", 4, 32, 32)));
    gl_ = w_.findChild<GlView*>();
    ASSERT_NE(gl_, nullptr);
    v().Observe([this](ViewerChange c) {
      if (c == ViewerChange::FrameDrawn && ++frames_ == stop_at_) v().ResetSpeedParameters();
    });
  }
  Viewer& v() { return w_.TheViewer(); }
  // Lets the render loop draw at least n more frames (a loop that stopped hangs the test until the
  // run's time limit fails it: no clock decides here).
  void Frames(int n) {
    for (const int until = frames_ + n; frames_ < until;) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  TempDir dir_;
  frm3D w_;
  GlView* gl_ = nullptr;
  int frames_ = 0, stop_at_ = -1;
};

// Frames follow each other only while the view moves: once stopped, however many times the event
// queue runs, nothing is drawn; a view change draws once; while another volume opens, no frame.
TEST_F(ShownVolume, TheViewTurnsAtItsSpeedUntilStopMotionAndAStillViewDrawsNothing) {
  auto drawn = [this] { return gl_->Renderer().FramesDrawn(); };
  auto idle = [] {
    for (int i = 0; i < 300; ++i) QApplication::processEvents();
  };
  v().SetYRotSpeed(1);
  frames_ = 0;
  stop_at_ = 5;  // Stop Motion right after the fifth frame
  Frames(5);
  idle();
  EXPECT_EQ(v().View().YRot, 5);
  EXPECT_EQ(v().View().YSpeed, 0);
  const int64_t still = drawn();
  idle();
  EXPECT_EQ(drawn(), still);
  v().SetXRot(20);
  idle();
  EXPECT_GE(drawn(), still + 1);
  EXPECT_LE(drawn(), still + 2);
  v().SetYRotSpeed(1);
  Frames(2);
  const int64_t before_open = drawn();
  ASSERT_TRUE(w_.OpenAtStart(testing::Stack(dir_, "w.tif", 40, 64, 64)));
  EXPECT_EQ(drawn(), before_open);
  Frames(2);  // the new volume turns on
}

TEST_F(ShownVolume, AHeldArrowKeySpeedsUpEveryFrameUntilReleasedAndSpaceStops) {
  // Frames are reported here as the widget reports a shown frame, with no event in between: a
  // window of another test taking the keyboard would release the keys.
  auto frames = [this](int n) {
    for (int i = 0; i < n; ++i) gl_->OnFrameDrawn();
  };
  QTest::keyPress(gl_, Qt::Key_Right);
  frames(10);
  QTest::keyRelease(gl_, Qt::Key_Right);
  EXPECT_NEAR(v().View().YSpeed, 0.3, 1e-5);
  frames(3);
  EXPECT_NEAR(v().View().YSpeed, 0.3, 1e-5);
  QTest::keyPress(gl_, Qt::Key_Space);
  frames(1);
  QTest::keyRelease(gl_, Qt::Key_Space);
  EXPECT_EQ(v().View().YSpeed, 0);
}

// Keys the view does not use, and keys whose key-up goes to a menu, leave no frames running.
TEST_F(ShownVolume, MenusFromTheKeyboardLeaveNoKeyHeldAndAStillPictureDrawsNothing) {
  auto drawn = [this] { return gl_->Renderer().FramesDrawn(); };
  auto idle = [] {
    for (int i = 0; i < 300; ++i) QApplication::processEvents();
  };
  idle();
  const int64_t still = drawn();
  QTest::keyPress(gl_, Qt::Key_Alt);  // Alt held alone, as before a menu's letter
  idle();
  EXPECT_EQ(drawn(), still);
  QTest::keyPress(gl_, Qt::Key_X);  // held: the view deepens every frame...
  gl_->OnFrameDrawn();
  const float deeper = v().View().ScaleZ;
  EXPECT_GT(deeper, 100);
  emit w_.findChild<QMenu*>()->aboutToShow();  // ...until a menu opens and takes its key-up
  idle();
  EXPECT_EQ(v().View().ScaleZ, deeper);
  const int64_t menu_open = drawn();
  idle();
  EXPECT_EQ(drawn(), menu_open);
  w_.menuBar()->setFocus();  // letters typed in the menu bar are not the view's
  idle();
  const int64_t in_bar = drawn();
  QTest::keyPress(w_.menuBar(), Qt::Key_X);
  idle();
  EXPECT_EQ(v().View().ScaleZ, deeper);
  EXPECT_EQ(drawn(), in_bar);
  gl_->setFocus();
}

TEST_F(ShownVolume, DragsTurnAndTheWheelZoomsInNotches) {
  QTest::mousePress(gl_, Qt::LeftButton, {}, QPoint(100, 100));
  QTest::mouseMove(gl_, QPoint(110, 100));
  QTest::mouseRelease(gl_, Qt::LeftButton, {}, QPoint(110, 100));
  EXPECT_EQ(v().View().YRot, 10);
  auto wheel = [this](int delta) {
    QWheelEvent e(QPointF(50, 50), gl_->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(gl_, &e);
    return v().View().PosZ;
  };
  EXPECT_NEAR(wheel(-120), -2.85, 1e-5);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(wheel(30), -2.85, 1e-5);  // touchpad steps add up to a notch
  EXPECT_NEAR(wheel(30), -3.0, 1e-5);
  // The preference of most other viewers: a turn away (+120) brings the volume nearer; it is
  // remembered for the next window.
  QAction* away = Item(w_, "mnuControlWheelAwayZoomsIn");
  ASSERT_FALSE(away->isChecked());
  away->trigger();
  EXPECT_NEAR(wheel(120), -2.85, 1e-5);
  EXPECT_NEAR(wheel(-120), -3.0, 1e-5);
  {
    frm3D next;
    EXPECT_TRUE(Item(next, "mnuControlWheelAwayZoomsIn")->isChecked());
    EXPECT_TRUE(next.TheViewer().WheelAwayZoomsIn());
  }
  away->trigger();  // off again, for the windows of the tests after this one
  EXPECT_NEAR(wheel(-120), -2.85, 1e-5);
}

// Undo and redo go by the steps a person names: a drag, a burst of wheel notches, a changed
// gamma, a reset; a new change after undoing drops the steps that could be redone.
TEST_F(ShownVolume, CtrlZAndCtrlShiftZUndoAndRedoTheViewStepByStep) {
  w_.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w_, 60000));
  auto wheel = [this] {
    QWheelEvent e(QPointF(50, 50), gl_->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(gl_, &e);
  };
  auto drag = [this](int dx) {
    QTest::mousePress(gl_, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(gl_, QPoint(100 + dx, 100));
    QTest::mouseRelease(gl_, Qt::LeftButton, {}, QPoint(100 + dx, 100));
  };
  // Shortcuts reach only the active window, and the tests run beside others on one X display:
  // the window is made active again before each key.
  auto key = [this](Qt::Key k, Qt::KeyboardModifiers m) {
    w_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w_, 60000));
    QTest::keyClick(&w_, k, m);
  };
  auto undo = [&] { key(Qt::Key_Z, Qt::ControlModifier); };
  auto redo = [&] { key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); };
  struct Seen {
    float yrot, posz, gamma;
  };
  auto seen = [this] { return Seen{v().View().YRot, v().View().PosZ, static_cast<float>(v().Display().Channels.at(0).Gamma)}; };
  auto expect = [&](Seen want, const char* when) {
    const Seen got = seen();
    EXPECT_EQ(got.yrot, want.yrot) << when;
    EXPECT_NEAR(got.posz, want.posz, 1e-5) << when;
    EXPECT_FLOAT_EQ(got.gamma, want.gamma) << when;
  };
  EXPECT_FALSE(Item(w_, "mnuControlUndo")->isEnabled());
  drag(10);                                 // turned 10 degrees
  for (int i = 0; i < 3; ++i) wheel();      // -3 nearer by 3 x 0.15
  QTest::mouseClick(gl_, Qt::RightButton);  // ends the burst of notches
  v().SetGamma(1, 2);                       // as the Display window sets it
  key(Qt::Key_R, Qt::ControlModifier);  // Reset Parameters
  const Seen start{0, -3, 1}, turned{10, -3, 1}, zoomed{10, -2.55f, 1}, gamma{10, -2.55f, 2};
  expect({0, -3, 2}, "after the reset");
  const std::pair<Seen, const char*> back[] = {{gamma, "undo the reset"}, {zoomed, "undo the gamma"},
                                               {turned, "undo the three notches at once"}, {start, "undo the drag"},
                                               {start, "nothing left to undo"}};
  for (const auto& [want, when] : back) {
    undo();
    expect(want, when);
  }
  EXPECT_FALSE(Item(w_, "mnuControlUndo")->isEnabled());
  EXPECT_TRUE(Item(w_, "mnuControlRedo")->isEnabled());
  redo();
  expect(turned, "redo the drag");
  redo();
  expect(zoomed, "redo the notches");
  drag(-5);  // a new step: what was undone cannot come back
  EXPECT_FALSE(Item(w_, "mnuControlRedo")->isEnabled());
  redo();
  v().RedoView();  // not through the menu either
  expect({5, -2.55f, 1}, "redo after a new step");
  undo();
  expect(zoomed, "undo the new drag");
  // Another file starts a history of its own.
  ASSERT_TRUE(w_.OpenAtStart(testing::Stack(dir_, "other.tif", 4, 32, 32)));
  EXPECT_FALSE(Item(w_, "mnuControlUndo")->isEnabled());
}

TEST_F(ShownVolume, TheEditorsScriptRunsFromTheMenuAndStopScriptEndsIt) {
  QAction* stop = Item(w_, "mnuScriptStop");
  EXPECT_FALSE(stop->isEnabled());
  w_.Editor()->SetScriptText("Sub Main\n  Do\n    SetXRotSpeed 1\n    DrawImage\n  Loop\nEnd Sub\n");
  bool stopped = false, enabled_while_running = false;
  QString title_while_running;
  v().Observe([&](ViewerChange c) {
    if (c != ViewerChange::View || !v().ScriptRunning() || v().View().XRot < 3 || stopped) return;
    stopped = true;
    enabled_while_running = stop->isEnabled();
    title_while_running = w_.windowTitle();
    v().StopScript();  // what the enabled menu item does
  });
  Item(w_, "mnuScriptRun")->trigger();
  EXPECT_TRUE(enabled_while_running);
  EXPECT_TRUE(title_while_running.startsWith("Running - Untitled.scp (Start: "));
  EXPECT_FALSE(v().ScriptRunning());
  EXPECT_FALSE(stop->isEnabled());
  EXPECT_TRUE(w_.Editor()->txtOut()->toPlainText().contains(" stopped at: "));
  EXPECT_EQ(w_.windowTitle(), "3D Image Viewer - Stopped - v.tif");
  auto* hint = w_.findChild<QLabel*>("lblEmptyHint");
  ASSERT_NE(hint, nullptr);
  EXPECT_FALSE(hint->isVisible());
  Item(w_, "mnuFileClose")->trigger();
  EXPECT_TRUE(v().ViewerDone());
  EXPECT_TRUE(hint->isVisible());  // a black window says what to do
  EXPECT_TRUE(hint->text().contains("Open Image"));
}

// Whatever leaves the volume on screen must leave its input working: a drag turns it, a held key
// speeds it up, and the title still names it.
TEST_F(ShownVolume, OpensThatChangeNothingKeepTheVolumeAndItsInput) {
  const std::string other = testing::Stack(dir_, "other.tif", 40);
  auto drop = [this](const std::string& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&w_, &enter);  // the window takes the drop only when it accepts the drag
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&w_, &drop);
  };
  const std::function<void()> unchanging[] = {
      [this] {  // File > Open Image, cancelled
        QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
        Item(w_, "mnuFileOpen")->trigger();
      },
      [this] { Item(w_, "mnuMRUFiles0")->trigger(); },  // the file on screen again
      [&] { drop(dir_.File("v.tif")); },
      [&] {  // another file, whose reading is cancelled
        QTimer::singleShot(0, [this] { w_.findChild<QPushButton*>("cmdCancelProgress")->click(); });
        drop(other);
      }};
  for (const auto& act : unchanging) {
    v().ResetParameters();
    act();
    EXPECT_TRUE(v().VolumeLoaded() && v().LastFile() == dir_.File("v.tif") && v().Volume().Depth == 4);
    EXPECT_TRUE(w_.windowTitle().endsWith(" - v.tif")) << w_.windowTitle().toStdString();
    QTest::mousePress(gl_, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(gl_, QPoint(110, 100));
    QTest::mouseRelease(gl_, Qt::LeftButton, {}, QPoint(110, 100));
    EXPECT_EQ(v().View().YRot, 10);
    QTest::keyPress(gl_, Qt::Key_Right);
    gl_->OnFrameDrawn();  // a held key speeds the turn up
    EXPECT_GT(v().View().YSpeed, 0);
    QTest::keyRelease(gl_, Qt::Key_Right);
  }
  drop(other);  // a dropped TIFF file opens
  EXPECT_EQ(std::pair(v().LastFile(), v().Volume().Depth), std::pair(other, 40));
  EXPECT_TRUE(w_.windowTitle().endsWith(" - other.tif"));
}

// A file of several series asks which to open (the first row chosen at first): Open opens the
// chosen series, Cancel nothing; a script's opening takes the first series without asking.
TEST(MainWindow, AFileOfSeveralSeriesAsksWhichSeriesToOpen) {
  TempDir dir;
  const std::string make = "/usr/bin/python3 " LUMETRIX_TESTS_DIR "/imaging/make_ome_files.py " + dir.path().string();
  ASSERT_EQ(std::system(make.c_str()), 0);
  frm3D w;
  w.show();
  const struct {
    const char* file;
    int row;
    bool open;
    QStringList rows;
  } cases[] = {
      {"two_images.ome.tif", 1, true, {"1: 16 x 12 x 3, 2 channels, 1 time point, \"main\"", "2: 8 x 6 x 1, 2 channels, 1 time point, \"overview\""}},
      {"thumb.tif", 0, false, {"1: 16 x 12 x 3, 1 channel, 1 time point", "2: 4 x 3 x 1, 1 channel, 1 time point, reduced resolution"}},
  };
  for (const auto& c : cases) {
    QStringList rows;
    int first = -1;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<SeriesChooser*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      for (int i = 0; i < dialog->list()->count(); ++i) rows << dialog->list()->item(i)->text();
      first = dialog->list()->currentRow();
      dialog->list()->setCurrentRow(c.row);
      dialog->findChild<QPushButton*>(c.open ? "cmdOpen" : "cmdCancel")->click();
    });
    w.TheViewer().OpenVolume(dir.File(c.file));
    EXPECT_EQ(rows, c.rows);
    EXPECT_EQ(first, 0);
  }
  // two_images' series 2 (8 x 6) is shown; thumb was cancelled.
  EXPECT_EQ(w.TheViewer().LastFile(), dir.File("two_images.ome.tif"));
  EXPECT_EQ(std::pair(w.TheViewer().Volume().Width, w.TheViewer().Volume().FileChannels), std::pair(8, 2));
  std::string reason;
  ASSERT_TRUE(w.TheViewer().OpenImage(dir.File("thumb.tif"), reason)) << reason;  // as scripts do: no dialog
  EXPECT_EQ(w.TheViewer().Volume().Width, 16);
}

// The progress box stands opaque over the black drawing area, in the window's colours, with figures.
TEST(MainWindow, TheProgressBoxIsOpaqueAndCounts) {
  frm3D w;
  w.show();
  w.ShowProgress("Reading Image", 0, 200);
  w.SetProgress(40);
  auto* box = w.findChild<QWidget*>("frmProgress");
  QImage over[2] = {QImage(box->size(), QImage::Format_RGB32), QImage(box->size(), QImage::Format_RGB32)};
  over[0].fill(Qt::black), over[1].fill(Qt::white);
  for (QImage& image : over) box->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  EXPECT_EQ(over[0], over[1]);  // nothing of the background shows through
  EXPECT_EQ(w.findChild<QProgressBar*>("pBar")->text(), "40 of 200");  // no volume is read: no page
  w.HideProgress();
}

}  // namespace
}  // namespace lumetrix

namespace lumetrix {
namespace {

// P plays and pauses the time points, as the Display window's play button does; Space keeps stopping the
// motion and leaves playback alone.
TEST_F(ShownVolume, PPlaysTheTimePointsAndSpaceStillStopsTheMotion) {
  const std::string path = dir_.File("t3.tif");
  ASSERT_EQ(std::system(("/usr/bin/python3 -c \"import numpy as np, tifffile; tifffile.imwrite('" + path +
                         "', np.arange(3*2*8*8, dtype='u1').reshape(3, 2, 8, 8), imagej=True,"
                         " metadata={'axes': 'TZYX'})\"").c_str()),
            0);
  ASSERT_TRUE(w_.OpenAtStart(path));
  ASSERT_EQ(v().TimePointCount(), 3);
  const TimePlayback& playback = TimePlayer::For(v())->Model();
  v().SetYRotSpeed(1);
  QTest::keyClick(&w_, Qt::Key_P);
  EXPECT_TRUE(playback.Playing());
  QTest::keyPress(gl_, Qt::Key_Space);
  gl_->OnFrameDrawn();
  QTest::keyRelease(gl_, Qt::Key_Space);
  EXPECT_EQ(std::pair(v().View().YSpeed, playback.Playing()), std::pair(0.0f, true));
  QTest::keyClick(&w_, Qt::Key_P);
  EXPECT_FALSE(playback.Playing());
  // The Display window's time row is the same playback, labelled "t of T".
  Item(w_, "mnuControlDisplay")->trigger();
  auto* display = w_.findChild<QDialog*>("frmDisplay");
  ASSERT_NE(display, nullptr);
  EXPECT_EQ(display->findChild<QLabel*>("lblTime")->text(), "1 of 3");
  display->findChild<QAbstractButton*>("btnPlay")->click();
  EXPECT_TRUE(playback.Playing());
}

// The Display window hides a channel; sets the range from its typed fields and, for this small
// stack, while a slider is still held; types the gamma; resets the channel.
TEST_F(ShownVolume, TheDisplayWindowChangesTheChannelsOfTheShownVolume) {
  Item(w_, "mnuControlDisplay")->trigger();
  auto* display = w_.findChild<QDialog*>("frmDisplay");
  ASSERT_NE(display, nullptr);
  const auto find = [display](const char* name) { return display->findChild<QWidget*>(name); };
  const ChannelDisplay& c = v().Volume().Display.Channels.at(0);
  qobject_cast<QCheckBox*>(find("chkVisible1"))->click();
  EXPECT_FALSE(c.Visible);
  EXPECT_EQ(std::count(v().Volume().Samples.begin(), v().Volume().Samples.end(), 0), 32 * 32 * 4);
  QApplication::processEvents();  // the old rows go
  auto* min = qobject_cast<QSlider*>(find("sldMin1"));
  auto* typed_min = qobject_cast<QDoubleSpinBox*>(find("txtMin1"));
  auto* typed_max = qobject_cast<QDoubleSpinBox*>(find("txtMax1"));
  const auto type = [](QAbstractSpinBox* box, const QString& text) {
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
  };
  type(typed_max, "100");
  EXPECT_EQ(std::tuple(c.Min, c.Max, qobject_cast<QSlider*>(find("sldMax1"))->value()), std::tuple(0.0, 100.0, 100));
  min->setSliderDown(true);  // a drag: the field follows at once, the picture once the events queued are handled
  min->setValue(20);
  min->setValue(30);
  EXPECT_EQ(std::pair(typed_min->value(), c.Min), std::pair(30.0, 0.0));
  QApplication::processEvents();
  EXPECT_TRUE(min->isSliderDown());
  EXPECT_EQ(c.Min, 30.0);
  min->setSliderDown(false);
  type(typed_min, "150");  // above the maximum: the maximum moves one step above it
  EXPECT_EQ(std::tuple(c.Min, c.Max, typed_max->value()), std::tuple(150.0, 151.0, 151));
  auto* gamma = qobject_cast<QDoubleSpinBox*>(find("txtGamma1"));
  type(gamma, "2.5");
  EXPECT_EQ(c.Gamma, 2.5);
  v().SetGamma(1, 0.333);
  emit gamma->editingFinished();  // left as shown ("0.33"): the gamma keeps its digits
  EXPECT_EQ(c.Gamma, 0.333);
  qobject_cast<QPushButton*>(find("cmdReset1"))->click();
  EXPECT_TRUE(c.Visible);
  EXPECT_EQ(std::tuple(c.Min, c.Max, c.Gamma, typed_max->value()), std::tuple(0.0, 255.0, 1.0, 255));
}

template <typename T>
T* In(QWidget* window, const char* name) {
  T* found = window->findChild<T*>(name);
  EXPECT_NE(found, nullptr) << name;
  return found;
}

// A 2-channel 16-bit hyperstack of 3 time points and 2400 samples per channel and time point:
// 0.35 % is 8.4, so Auto cuts 8 samples at each end (numpy sorts them); Reset returns to the
// range the file opened with (Auto's of time point 1), even when time point 2 is shown. An 8-bit
// file's ImageJ ranges are its opening ranges. An int16 file's ranges and fields are its stored
// values; its sliders run over the held ones (stored + 32768).
TEST(MainWindow, TheDisplayWindowsAutoResetAndTimePoints) {
  TempDir dir;
  const std::string stack = dir.File("hyper.tif"), ranges = dir.File("ranges.tif"), signed16 = dir.File("i2.tif");
  ASSERT_EQ(std::system(("/usr/bin/python3 -c \"import numpy as np, tifffile\n"
                         "d = np.random.default_rng(3).gamma(2.0, 400.0, (3, 4, 2, 20, 30)).astype('u2')\n"
                         "tifffile.imwrite('" + stack + "', d, imagej=True, metadata={'axes': 'TZCYX'})\n"
                         "tifffile.imwrite('" + ranges + "', d[0, :, :, :4, :5].astype('u1'), imagej=True,"
                         " metadata={'axes': 'ZCYX', 'Ranges': (3.0, 100.0, 5.0, 200.0)})\n"
                         "i2 = (d[0, :, 0].astype('i4') - 1500).astype('i2')\n"
                         "tifffile.imwrite('" + signed16 + "', i2, imagej=True, metadata={'axes': 'ZYX'})\n"
                         "def auto(a):\n  s = np.sort(a, None); k = s.size * 35 // 10000\n"
                         "  return '%d %d ' % (s[k], s[-1 - k])\n"
                         "open('" + stack + ".txt', 'w').write(auto(d[0, :, 0]) + auto(d[0, :, 1]) + auto(d[1, :, 1]) + auto(i2))\"")
                            .c_str()),
            0);
  std::ifstream numpy(stack + ".txt");
  double want[8];  // channel 1 and 2 at time point 1, channel 2 at time point 2, the int16 file
  for (double& x : want) numpy >> x;
  frm3D w;
  w.show();
  ASSERT_TRUE(w.OpenAtStart(stack));
  Viewer& v = w.TheViewer();
  Item(w, "mnuControlDisplay")->trigger();
  auto* display = w.findChild<QDialog*>("frmDisplay");
  const auto range = [&v](int n) {
    const ChannelDisplay& c = v.Volume().Display.Channels.at(static_cast<size_t>(n - 1));
    return std::pair(c.Min, c.Max);
  };
  EXPECT_EQ(range(1), std::pair(want[0], want[1]));
  EXPECT_EQ(range(2), std::pair(want[2], want[3]));
  EXPECT_EQ(std::pair(In<QDoubleSpinBox>(display, "txtMin2")->value(), In<QDoubleSpinBox>(display, "txtMax2")->value()),
            std::pair(want[2], want[3]));
  EXPECT_EQ(In<QLabel>(display, "lblTime")->text(), "1 of 3");
  In<QSlider>(display, "sldTime")->setValue(2);  // from the keyboard: at once
  EXPECT_EQ(std::pair(v.TimePoint(), In<QLabel>(display, "lblTime")->text()), std::pair(2, QString("2 of 3")));
  v.SetDisplayRange(2, 1, 2);
  In<QPushButton>(display, "cmdAuto2")->click();
  EXPECT_EQ(range(2), std::pair(want[4], want[5]));
  In<QPushButton>(display, "cmdReset2")->click();
  EXPECT_EQ(range(2), std::pair(want[2], want[3]));
  ASSERT_TRUE(v.OpenVolume(ranges));
  v.SetDisplayRange(2, 50, 60);
  In<QPushButton>(display, "cmdReset2")->click();
  EXPECT_EQ(std::pair(range(1), range(2)), std::pair(std::pair(3.0, 100.0), std::pair(5.0, 200.0)));
  EXPECT_EQ(display->findChild<QSlider*>("sldTime"), nullptr);  // one time point: no slider
  ASSERT_TRUE(v.OpenVolume(signed16));
  In<QPushButton>(display, "cmdReset1")->click();  // the window follows: one row now
  auto* typed = In<QDoubleSpinBox>(display, "txtMin1");
  EXPECT_EQ(std::tuple(range(1), typed->value()), std::tuple(std::pair(want[6], want[7]), want[6]));
  typed->setValue(-700);
  emit typed->editingFinished();
  EXPECT_EQ(std::pair(range(1).first, In<QSlider>(display, "sldMin1")->value()), std::pair(-700.0, 32068));
}

// Changes made by a script move the open window's widgets in place, without new rows.
TEST_F(ShownVolume, TheDisplayWindowFollowsChannelChangesMadeElsewhere) {
  Item(w_, "mnuControlDisplay")->trigger();
  auto* display = w_.findChild<QDialog*>("frmDisplay");
  auto* visible = display->findChild<QCheckBox*>("chkVisible1");
  auto* max = display->findChild<QSlider*>("sldMax1");
  EXPECT_EQ(v().Volume().Stack, nullptr);  // the histogram was counted without copying the planes
  const ChannelHistogram plain = v().Histogram(1);
  v().SetChannel(1, false);
  const ChannelHistogram kept = v().Histogram(1);
  EXPECT_EQ(std::tuple(plain.Low, plain.High, plain.Counts), std::tuple(kept.Low, kept.High, kept.Counts));
  v().SetDisplayRange(1, 20, 120);
  EXPECT_FALSE(visible->isChecked());
  EXPECT_EQ(std::pair(display->findChild<QSlider*>("sldMin1")->value(), max->value()), std::pair(20, 120));
  EXPECT_EQ(display->findChild<QSlider*>("sldMax1"), max);
}

}  // namespace
}  // namespace lumetrix
