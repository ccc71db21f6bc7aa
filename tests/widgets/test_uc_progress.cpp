// The progress bar control drawn off screen: pixels of the grabbed picture and paint counts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "widgets/uc_progress.h"

namespace lumetrix::widgets {
namespace {

const QColor kFore(200, 10, 20);
const QColor kBack(10, 20, 200);

struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

struct UcProgressTest : ::testing::Test {
  void SetUp() override {
    bar.SetForeColor(kFore);
    bar.SetBackColor(kBack);
    bar.SetBorderStyle(ucProgress::kBorderNone);
    bar.resize(200, 20);
  }
  QImage Picture() { return bar.grab().toImage(); }
  ucProgress bar;
};

TEST_F(UcProgressTest, DefaultsFollowTheSystemColours) {
  ucProgress fresh;
  EXPECT_EQ(fresh.BorderStyle(), ucProgress::kBorderSunken);
  EXPECT_EQ(fresh.Orientation(), 0);
  EXPECT_EQ(fresh.Max(), 100);
  EXPECT_EQ(fresh.Value(), 0);
  EXPECT_TRUE(fresh.isEnabled());
  EXPECT_EQ(fresh.BackColor(), fresh.palette().color(QPalette::Button));
  EXPECT_EQ(fresh.ForeColor(), fresh.palette().color(QPalette::Highlight));
  fresh.SetForeColorRole(QPalette::Text);
  EXPECT_EQ(fresh.ForeColor(), fresh.palette().color(QPalette::Text));
}

TEST_F(UcProgressTest, HorizontalBarFillsFromTheLeft) {
  bar.SetValue(50);
  EXPECT_EQ(bar.FillLength(), 100);
  const QImage image = Picture();
  ASSERT_EQ(image.width(), 200);
  EXPECT_EQ(image.pixelColor(0, 0), kFore);
  EXPECT_EQ(image.pixelColor(99, 19), kFore);
  EXPECT_EQ(image.pixelColor(100, 0), kBack);
  EXPECT_EQ(image.pixelColor(199, 19), kBack);
  bar.SetValue(51);
  EXPECT_EQ(Picture().pixelColor(101, 10), kFore);
  EXPECT_EQ(Picture().pixelColor(102, 10), kBack);
}

TEST_F(UcProgressTest, VerticalBarFillsFromTheBottomAndSwapsItsSize) {
  bar.move(5, 7);
  bar.SetOrientation(1);
  EXPECT_EQ(bar.size(), QSize(20, 200));
  EXPECT_EQ(bar.pos(), QPoint(5, 7));
  bar.SetValue(25);
  const QImage image = Picture();
  EXPECT_EQ(image.pixelColor(10, 199), kFore);
  EXPECT_EQ(image.pixelColor(10, 150), kFore);
  EXPECT_EQ(image.pixelColor(10, 149), kBack);
  EXPECT_EQ(image.pixelColor(0, 0), kBack);
}

TEST_F(UcProgressTest, ValuesPastTheEndsDrawOnlyInsideTheBorder) {
  bar.SetBorderStyle(ucProgress::kBorderThin);
  const QColor border = Picture().pixelColor(0, 0);
  EXPECT_NE(border, kFore);
  bar.SetValue(500);
  QImage image = Picture();
  EXPECT_EQ(image.pixelColor(198, 10), kFore);
  EXPECT_EQ(image.pixelColor(199, 10), border);
  EXPECT_EQ(image.pixelColor(100, 0), border);
  EXPECT_EQ(bar.BarRect(), QRect(1, 1, 198, 18));
  bar.SetValue(-500);
  image = Picture();
  EXPECT_EQ(image.pixelColor(1, 10), kBack);
  EXPECT_EQ(image.pixelColor(0, 10), border);
}

TEST_F(UcProgressTest, SunkenBorderTakesTwoPixels) {
  bar.SetBorderStyle(ucProgress::kBorderSunken);
  bar.SetValue(100);
  EXPECT_EQ(bar.FillLength(), 196);
  EXPECT_EQ(bar.BarRect(), QRect(2, 2, 196, 16));
  const QImage image = Picture();
  EXPECT_EQ(image.pixelColor(2, 2), kFore);
  EXPECT_NE(image.pixelColor(1, 1), kFore);
  EXPECT_NE(image.pixelColor(198, 17), kFore);
  bar.SetBorderStyle(7);  // ignored
  EXPECT_EQ(bar.BorderStyle(), ucProgress::kBorderSunken);
}

TEST_F(UcProgressTest, RepaintsOnlyWhenTheFillLengthChanges) {
  bar.SetMax(1000);
  PaintCounter counter;
  bar.installEventFilter(&counter);
  bar.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
  QApplication::processEvents();
  const int start = counter.paints;
  bar.SetValue(5);  // 1 pixel
  QApplication::processEvents();
  EXPECT_EQ(counter.paints, start + 1);
  bar.SetValue(9);  // still 1 pixel
  QApplication::processEvents();
  EXPECT_EQ(counter.paints, start + 1);
  bar.SetValue(10);
  QApplication::processEvents();
  EXPECT_EQ(counter.paints, start + 2);
}

TEST_F(UcProgressTest, ColourChangesRepaint) {
  bar.SetValue(50);
  bar.SetForeColor(Qt::green);
  EXPECT_EQ(Picture().pixelColor(10, 10), QColor(Qt::green));
  bar.SetBackColor(Qt::yellow);
  EXPECT_EQ(Picture().pixelColor(150, 10), QColor(Qt::yellow));
}

TEST_F(UcProgressTest, MouseEventsAreForwarded) {
  QSignalSpy down(&bar, &ucProgress::MouseDown);
  QSignalSpy up(&bar, &ucProgress::MouseUp);
  QSignalSpy click(&bar, &ucProgress::Click);
  QTest::mouseClick(&bar, Qt::LeftButton, Qt::ShiftModifier, QPoint(30, 5));
  ASSERT_EQ(down.count(), 1);
  EXPECT_EQ(down.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
  EXPECT_EQ(down.at(0).at(1).value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
  EXPECT_EQ(down.at(0).at(2).toInt(), 30);
  EXPECT_EQ(down.at(0).at(3).toInt(), 5);
  EXPECT_EQ(up.count(), 1);
  EXPECT_EQ(click.count(), 1);
}

}  // namespace
}  // namespace lumetrix::widgets

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
