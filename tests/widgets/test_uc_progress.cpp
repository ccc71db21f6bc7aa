// The progress bar control drawn off screen: pixels of the grabbed picture and paint counts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include "widgets/uc_progress.h"

namespace lumetrix::widgets {
namespace {

const QColor kFore(200, 10, 20), kBack(10, 20, 200);

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

TEST_F(UcProgressTest, DefaultsAreASunkenBarInTheSystemColours) {
  ucProgress fresh;
  EXPECT_EQ(fresh.BorderStyle(), ucProgress::kBorderSunken);
  EXPECT_EQ(fresh.BackColor(), fresh.palette().color(QPalette::Button));
  EXPECT_EQ(fresh.ForeColor(), fresh.palette().color(QPalette::Highlight));
}

TEST_F(UcProgressTest, FillsFromTheLeftOrWhenTurnedFromTheBottom) {
  bar.SetValue(50);
  for (const auto& [x, y, colour] : {std::tuple{0, 0, kFore}, {99, 19, kFore}, {100, 0, kBack}, {199, 19, kBack}})
    EXPECT_EQ(Picture().pixelColor(x, y), colour) << x;
  bar.move(5, 7);
  bar.SetOrientation(1);  // swaps width and height where it stands
  bar.SetOrientation(2);  // ignored
  EXPECT_EQ(bar.geometry(), QRect(5, 7, 20, 200));
  bar.SetValue(25);
  for (const auto& [x, y, colour] : {std::tuple{10, 199, kFore}, {10, 150, kFore}, {10, 149, kBack}, {0, 0, kBack}})
    EXPECT_EQ(Picture().pixelColor(x, y), colour) << y;
}

TEST_F(UcProgressTest, TheFillStaysInsideTheBorder) {
  bar.SetBorderStyle(ucProgress::kBorderThin);
  bar.SetValue(500);  // past the end
  const QImage thin = Picture();
  const QColor line = thin.pixelColor(0, 0);
  EXPECT_TRUE(line != kFore && line != kBack);
  for (const auto& [x, y, colour] : {std::tuple{1, 1, kFore}, {198, 18, kFore}, {199, 10, line}, {100, 19, line}})
    EXPECT_EQ(thin.pixelColor(x, y), colour) << x << "," << y;
  bar.SetBorderStyle(ucProgress::kBorderSunken);  // two pixels
  bar.SetValue(100);
  for (const QPoint& p : {QPoint(2, 2), QPoint(197, 17)}) EXPECT_EQ(Picture().pixelColor(p), kFore) << p.x();
  for (const QPoint& p : {QPoint(1, 1), QPoint(198, 17)}) EXPECT_NE(Picture().pixelColor(p), kFore) << p.x();
  bar.SetBorderStyle(7);  // ignored
  EXPECT_EQ(bar.BorderStyle(), ucProgress::kBorderSunken);
}

struct PaintCounter : QObject {
  bool eventFilter(QObject*, QEvent* event) override {
    paints += event->type() == QEvent::Paint;
    return false;
  }
  int paints = 0;
};

TEST_F(UcProgressTest, RepaintsOnlyWhenTheFillLengthChanges) {
  PaintCounter counter;
  bar.installEventFilter(&counter);
  bar.SetMax(1000);
  bar.show();
  // The offscreen platform shows the window at once: count event rounds, not time.
  for (int round = 0; round < 100 && counter.paints == 0; ++round) QApplication::processEvents();
  ASSERT_GT(counter.paints, 0);
  const int start = counter.paints;
  for (const auto& [value, paints] : {std::pair{5, 1}, {9, 1}, {10, 2}}) {  // 1, 1 and 2 pixels
    bar.SetValue(value);
    QApplication::processEvents();
    EXPECT_EQ(counter.paints - start, paints) << value;
  }
}

TEST_F(UcProgressTest, MouseEventsAreForwarded) {
  QSignalSpy down(&bar, &ucProgress::MouseDown), up(&bar, &ucProgress::MouseUp), click(&bar, &ucProgress::Click);
  QTest::mouseClick(&bar, Qt::LeftButton, Qt::ShiftModifier, QPoint(30, 5));
  ASSERT_EQ(down.count(), 1);
  EXPECT_EQ(down.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
  EXPECT_EQ(down.at(0).at(1).value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
  EXPECT_EQ(QPoint(down.at(0).at(2).toInt(), down.at(0).at(3).toInt()), QPoint(30, 5));
  EXPECT_TRUE(up.count() == 1 && click.count() == 1);
}

}  // namespace
}  // namespace lumetrix::widgets

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
