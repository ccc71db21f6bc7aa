// The main window over its viewer: window sizes, what its menus and the parameters window show
// of the viewer, input on the drawing area while the volume turns, scripts, and unloading.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include "core/view_value.h"
#include "scripting/frm_parameters.h"
#include "scripting/frm_vb_editor.h"
#include "tests/viewer/viewer_fixture.h"
#include "viewer/frm_3d.h"
#include "viewer/frm_set_window.h"
#include "viewer/gl_view.h"

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
  EXPECT_TRUE(menu->actions()[2]->isChecked());
  EXPECT_FALSE(menu->actions()[4]->isChecked());
  EXPECT_EQ(Item(w, "mnuMRUFiles0")->text().toStdString(), dir.File("grey.tif"));
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
  EXPECT_TRUE(w_.Editor()->txtOut()->toPlainText().contains("stopped with error at: "));
  EXPECT_EQ(w_.windowTitle(), "3D Image Viewer - Stopped - Error in Script");
  Item(w_, "mnuFileClose")->trigger();
  EXPECT_TRUE(v().ViewerDone());
}

}  // namespace
}  // namespace lumetrix
