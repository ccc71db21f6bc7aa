// The Animation window over the main window: keyframes taken from the view on screen keep their
// views and pictures when their frame numbers are typed over or they are moved.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include "tests/viewer/viewer_fixture.h"
#include "viewer/animation/keyframe_file.h"
#include "viewer/frame_bmp.h"
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

  // Saved and opened again, the keyframes come back with their pictures drawn anew, and the view
  // shown stays; a list changed since its last save is replaced only when the user says so.
  auto pictures = [&] {
    std::vector<QImage> out;
    for (int r = 0; r < list->rowCount(); ++r) out.push_back(list->item(r, 1)->icon().pixmap(64, 64).toImage());
    return out;
  };
  const QString path = QString::fromStdString(dir.File("keys.lkf"));
  ASSERT_EQ(animation::SaveKeyframes(path.toStdString(), window->Track()), "");
  // Answers the question asked next with `button`; an unasked question is a failure too.
  auto answer = [](QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [button] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      box->button(button)->click();
    });
  };
  answer(QMessageBox::Discard);  // the list was changed since it was saved
  EXPECT_TRUE(window->KeyframesMayGo());
  w.TheViewer().SetYRot(33);
  ASSERT_TRUE(window->OpenKeyframeFile(path));
  EXPECT_EQ(yrots(), (Keys{{50, 90}, {75, 200}, {100, 10}}));
  EXPECT_EQ(w.TheViewer().View().YRot, 33);
  EXPECT_FLOAT_EQ(w.TheViewer().Display().Channels.at(0).Gamma, 0.9f);
  // Each picture is the keyframe's view and look as the window draws it after "Go to".
  const std::vector<QImage> drawn = pictures();
  ASSERT_EQ(drawn.size(), 3u);
  for (int r = 0; r < 3; ++r) {
    list->selectRow(r);
    Click(*window, "&Go to");
    Viewer& v = w.TheViewer();
    v.DrawImage();
    const CapturedFrame f = v.Surface().CaptureFrame(0, 0, v.ScaleWidth(), v.ScaleHeight());
    const QImage shown = QImage(f.Pixels.data(), f.Width, f.Height, FrameRowStride(f.Width), QImage::Format_BGR888)
                             .mirrored()
                             .scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(drawn[r].format());
    EXPECT_EQ(drawn[r], shown) << r;
  }
  EXPECT_TRUE(drawn[0] != drawn[1] && drawn[1] != drawn[2]);  // the pictures differ with the view
  EXPECT_TRUE(window->KeyframesMayGo());  // just opened: nothing to ask
  Click(*window, "&Add keyframe");
  answer(QMessageBox::Cancel);
  EXPECT_FALSE(window->KeyframesMayGo());
  EXPECT_EQ(window->Track().Keys.size(), 4u);
}

}  // namespace
}  // namespace lumetrix
