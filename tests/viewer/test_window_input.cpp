// Keys and mouse on the shown main window while a volume turns.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include "tests/support/tiff_fixture.h"
#include "viewer/frm_3d.h"
#include "viewer/gl_view.h"
#include "viewer/key_codes.h"
#include "viewer/usage_count.h"

namespace lumetrix {
namespace {

using test_support::TempDir;

class ShownVolume : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::TiffLayout layout;
    layout.width = 32, layout.height = 32, layout.pages = 4;
    test_support::WriteTiff(dir_.File("v.tif"), layout, [](int, int x, int y, int) { return (x + y) * 4; });
    window_.show();
    ASSERT_TRUE(window_.OpenAtStart(dir_.File("v.tif")));
    gl_ = window_.findChild<GlView*>();
    ASSERT_NE(gl_, nullptr);
  }
  // Lets the render loop draw for a while.
  void Run(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  TempDir dir_;
  frm3D window_;
  GlView* gl_ = nullptr;
};

TEST_F(ShownVolume, TheViewTurnsAtItsSpeedFrameAfterFrame) {
  window_.SetYRotSpeed(1);
  Run(300);
  EXPECT_GT(window_.View().YRot, 2);  // several frames were drawn back to back
  window_.findChild<QAction*>("mnuResetSpeedParameters")->trigger();
  const float stopped = window_.View().YRot;
  Run(100);
  EXPECT_EQ(window_.View().YRot, stopped);
}

TEST_F(ShownVolume, AHeldArrowKeySpinsUntilReleasedAndSpaceStops) {
  QTest::keyPress(gl_, Qt::Key_Right);
  Run(300);
  QTest::keyRelease(gl_, Qt::Key_Right);
  const float speed = window_.View().YSpeed;
  EXPECT_GT(speed, 0.05f);
  Run(100);
  EXPECT_EQ(window_.View().YSpeed, speed);
  QTest::keyPress(gl_, Qt::Key_Space);
  Run(100);
  QTest::keyRelease(gl_, Qt::Key_Space);
  EXPECT_EQ(window_.View().YSpeed, 0);
}

TEST_F(ShownVolume, DragsTurnAndMoveAndTheWheelZooms) {
  QTest::mousePress(gl_, Qt::LeftButton, {}, QPoint(100, 100));
  QTest::mouseMove(gl_, QPoint(110, 100));
  QTest::mouseRelease(gl_, Qt::LeftButton, {}, QPoint(110, 100));
  EXPECT_EQ(window_.View().YRot, 10);
  QWheelEvent wheel(QPointF(50, 50), gl_->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(gl_, &wheel);
  EXPECT_NEAR(window_.View().PosZ, -2.85, 1e-5);
  // Touchpads send small steps that add up to a notch.
  for (int i = 0; i < 4; ++i) {
    QWheelEvent small(QPointF(50, 50), gl_->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, 30), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(gl_, &small);
  }
  EXPECT_NEAR(window_.View().PosZ, -3.0, 1e-5);
}

TEST_F(ShownVolume, CloseEndsTheLoopAndKeysAreIgnoredAfterACancelledOpen) {
  window_.findChild<QAction*>("mnuFileClose")->trigger();
  EXPECT_TRUE(window_.ViewerDone);
  window_.VolumeLoaded = false;  // what a cancelled open leaves
  QTest::keyPress(gl_, Qt::Key_Right);
  Run(50);
  QTest::keyRelease(gl_, Qt::Key_Right);
  EXPECT_EQ(window_.View().YSpeed, 0);
}

TEST(KeyCodes, QtKeysMapToTheViewersCodes) {
  auto code = [](int key, Qt::KeyboardModifiers mods = {}) {
    QKeyEvent e(QEvent::KeyPress, key, mods);
    return VirtualKeyOf(e);
  };
  EXPECT_EQ(code(Qt::Key_PageUp), 33);
  EXPECT_EQ(code(Qt::Key_Left), 37);
  EXPECT_EQ(code(Qt::Key_Down), 40);
  EXPECT_EQ(code(Qt::Key_T), 84);
  EXPECT_EQ(code(Qt::Key_Escape), 27);
  EXPECT_EQ(code(Qt::Key_Plus, Qt::KeypadModifier), 107);
  EXPECT_EQ(code(Qt::Key_Minus, Qt::KeypadModifier), 109);
  EXPECT_EQ(code(Qt::Key_Plus), -1);  // the main keyboard's plus is not the keypad's
  EXPECT_EQ(code(Qt::Key_F5), 116);
}

TEST(UsageCount, TheRequestCarriesKeyAppAndVersionInOrder) {
  const QUrl url = UsageCountUrl("https://count.example.org/hit", "k1", "Lumetrix", "1.2");
  EXPECT_EQ(url.toString(), "https://count.example.org/hit?key=k1&app=Lumetrix&version=1.2");
  EXPECT_TRUE(UsageCountUrl("", "k", "a", "v").isEmpty());
  EXPECT_TRUE(UsageCountUrl("file:///etc/passwd", "k", "a", "v").isEmpty());
  EXPECT_TRUE(ConfiguredUsageEndpoint().isEmpty());  // off unless configured
}

}  // namespace
}  // namespace lumetrix
