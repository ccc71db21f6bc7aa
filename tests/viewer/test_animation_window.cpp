// The Animation window over the main window: keyframes taken from the view on screen keep their
// views and pictures when their frame numbers are typed over or they are moved.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include "tests/viewer/viewer_fixture.h"
#include "viewer_ui/frm_3d.h"
#include "viewer_ui/frm_animation.h"

namespace lumetrix {
namespace {

void Click(QWidget& window, const QString& caption) {
  for (QPushButton* b : window.findChildren<QPushButton*>())
    if (b->text() == caption) return b->click();
  ADD_FAILURE() << caption.toStdString();
}

TEST(AnimationWindow, KeyframesKeepTheirViewsWhenRenumberedOrMoved) {
  test_support::TempDir dir;
  frm3D w;
  w.show();
  ASSERT_TRUE(w.OpenAtStart(testing::Stack(dir, "stack.tif", 8)));
  w.findChild<QAction*>("mnuScriptAnimation")->trigger();
  auto* window = w.findChild<frmAnimation*>();
  ASSERT_NE(window, nullptr);
  auto* list = window->findChild<QTableWidget*>("lstKeyframes");
  auto yrots = [&] {
    std::vector<std::pair<int, float>> out;
    for (const auto& k : window->Track().Keys) out.emplace_back(k.Frame, k.View.YRot);
    return out;
  };
  for (float yrot : {10.0f, 90.0f, 200.0f}) {
    w.TheViewer().SetYRot(yrot);
    w.TheViewer().SetGamma(1, yrot / 100);  // the channel's look is part of the keyframe
    QApplication::processEvents();
    Click(*window, "&Add keyframe");
  }
  using Keys = std::vector<std::pair<int, float>>;
  EXPECT_EQ(yrots(), (Keys{{0, 10}, {50, 90}, {100, 200}}));
  list->item(0, 0)->setText("75");
  QApplication::processEvents();
  EXPECT_EQ(yrots(), (Keys{{50, 90}, {75, 10}, {100, 200}}));
  QTimer::singleShot(0, [] {  // answers the message that refuses a taken frame
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  list->item(0, 0)->setText("100");
  QApplication::processEvents();
  EXPECT_EQ(yrots(), (Keys{{50, 90}, {75, 10}, {100, 200}}));
  list->selectRow(2);
  Click(*window, "Up");
  EXPECT_EQ(yrots(), (Keys{{50, 90}, {75, 200}, {100, 10}}));
  EXPECT_EQ(list->currentRow(), 1);
  for (int r = 0; r < 3; ++r) EXPECT_FALSE(list->item(r, 1)->icon().isNull()) << r;
  // "Go to" shows a keyframe's view and channel look again.
  list->selectRow(0);
  Click(*window, "&Go to");
  EXPECT_EQ(w.TheViewer().View().YRot, 90);
  EXPECT_FLOAT_EQ(w.TheViewer().Display().Channels.at(0).Gamma, 0.9f);
}

}  // namespace
}  // namespace lumetrix
