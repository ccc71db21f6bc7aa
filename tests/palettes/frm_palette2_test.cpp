#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include "palettes/pal_file.h"
#include "palettes/ui/curve_area.h"
#include "palettes/ui/frm_palette2.h"
#include "default_curve_file.h"
#include "editor_window_fixture.h"
#include "temp_folder.h"
#include "ui_test_support.h"

namespace lumetrix {
namespace {

using palettes::testing::FolderContents;
using palettes::testing::kDefaultCurveFile;
using palettes::testing::ReadBytes;
using palettes::testing::ReadText;
using palettes::testing::WriteText;
using testing::Click;
using testing::Items;
using testing::MessageRecorder;

// Presses the left button at `from` inside the handle and moves the pointer to `to` (both in
// the handle's coordinates at press time).
void DragHandle(QWidget* handle, QPointF from, QPointF to) {
  QMouseEvent press(QEvent::MouseButtonPress, from, handle->mapToGlobal(from), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(handle, &press);
  QMouseEvent move(QEvent::MouseMove, to, handle->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(handle, &move);
  QMouseEvent release(QEvent::MouseButtonRelease, to, handle->mapToGlobal(to), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(handle, &release);
}

bool AllBlack(const QImage& image) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y) != QColor(0, 0, 0)) return false;
  return true;
}

class FrmPalette2Test : public testing::EditorWindowTest<frmPalette2> {
 protected:
  FrmPalette2Test() : EditorWindowTest("user") {}

  std::vector<bool> VisibleHandles() const {
    std::vector<bool> v;
    for (int i = 0; i < 9; ++i) v.push_back(!window_->handle(i)->isHidden());
    return v;
  }
};

TEST_F(FrmPalette2Test, OpensWithBlackDefaultsAndRedSelected) {
  EXPECT_EQ(window_->windowTitle(), "Create Your Own Color Palette");
  EXPECT_TRUE(window_->isModal());
  EXPECT_TRUE(window_->channelOption(0)->isChecked());
  EXPECT_EQ(window_->maker().CurrentChannel(), 0);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(window_->pointScroll(c)->value(), 2);
    EXPECT_EQ(window_->pointScroll(c)->minimum(), 1);
    EXPECT_EQ(window_->pointScroll(c)->maximum(), 4);
    EXPECT_EQ(window_->pointCountLabel(c)->text(), "3");
  }
  EXPECT_EQ(window_->channelLabel(1)->text(), "Green");
  EXPECT_EQ(VisibleHandles(), (std::vector<bool>{true, false, false, false, true, false, false, false, true}));
  EXPECT_EQ(window_->handle(4)->pos(), QPoint(128, 255));
  EXPECT_EQ(window_->handle(8)->pos(), QPoint(255, 255));
  EXPECT_EQ(window_->valueLabel(4)->text(), "0");
  const QImage preview = window_->previewImage();
  EXPECT_EQ(preview.width(), 256);
  EXPECT_TRUE(AllBlack(preview));
}

TEST_F(FrmPalette2Test, DraggingAHandleShapesTheCurve) {
  DragHandle(window_->handle(4), QPointF(6, 6), QPointF(6 + 3.4, 6 - 100));
  EXPECT_EQ(window_->maker().Curves().pointY[0][4], 155);
  EXPECT_EQ(window_->maker().Curves().pointX[0][4], 131);
  EXPECT_EQ(window_->handle(4)->pos(), QPoint(131, 155));
  EXPECT_EQ(window_->valueLabel(4)->text(), "100");
  EXPECT_EQ(window_->previewImage().pixelColor(131, 5), QColor(100, 0, 0));
  // Beyond the top: row 0; beyond the right neighbour: its x.
  DragHandle(window_->handle(4), QPointF(2, 2), QPointF(500, -900));
  EXPECT_EQ(window_->handle(4)->pos(), QPoint(255, 0));
  EXPECT_EQ(window_->valueLabel(4)->text(), "255");
  // The end points only move up and down.
  DragHandle(window_->handle(0), QPointF(6, 6), QPointF(80, 1000));
  EXPECT_EQ(window_->handle(0)->pos(), QPoint(0, 255));
}

TEST_F(FrmPalette2Test, TwoPointsAtTheTopGiveFullRed) {
  window_->pointScroll(0)->setValue(1);
  EXPECT_EQ(window_->pointCountLabel(0)->text(), "2");
  EXPECT_EQ(VisibleHandles(), (std::vector<bool>{true, false, false, false, false, false, false, false, true}));
  DragHandle(window_->handle(0), QPointF(6, 6), QPointF(6, -300));
  DragHandle(window_->handle(8), QPointF(6, 6), QPointF(6, -300));
  const QImage preview = window_->previewImage();
  for (int e = 0; e < 256; ++e) ASSERT_EQ(preview.pixelColor(e, 0), QColor(255, 0, 0)) << e;
}

TEST_F(FrmPalette2Test, ChannelSelectionByOptionAndLabel) {
  window_->channelOption(2)->click();
  EXPECT_EQ(window_->maker().CurrentChannel(), 2);
  QTest::mouseClick(window_->channelLabel(1), Qt::LeftButton);
  EXPECT_EQ(window_->maker().CurrentChannel(), 1);
  EXPECT_TRUE(window_->channelOption(1)->isChecked());
  DragHandle(window_->handle(4), QPointF(6, 6), QPointF(6, -249));
  EXPECT_EQ(window_->maker().Curves().pointY[1][4], 0);
  EXPECT_EQ(window_->maker().Curves().pointY[0][4], 255);
  EXPECT_EQ(window_->previewImage().pixelColor(128, 0), QColor(0, 255, 0));
  // Five points bring back points 2 and 6 at their stored positions.
  window_->pointScroll(1)->setValue(3);
  EXPECT_EQ(VisibleHandles(), (std::vector<bool>{true, false, true, false, true, false, true, false, true}));
  EXPECT_EQ(window_->handle(2)->pos(), QPoint(64, 255));
  EXPECT_EQ(window_->handle(6)->pos(), QPoint(192, 255));
  EXPECT_EQ(window_->handle(4)->pos(), QPoint(128, 0));
}

TEST_F(FrmPalette2Test, ResetRestoresDefaultsAndCaption) {
  window_->pointScroll(2)->setValue(4);
  window_->channelOption(2)->click();
  DragHandle(window_->handle(3), QPointF(6, 6), QPointF(6, -200));
  EXPECT_FALSE(AllBlack(window_->previewImage()));
  Click(window_.get(), "cmdDefault");
  EXPECT_EQ(window_->windowTitle(), "  Palette maker");
  EXPECT_EQ(window_->maker().Curves(), palettes::CurveSet::Defaults());
  EXPECT_EQ(window_->maker().CurrentChannel(), 0);
  EXPECT_TRUE(window_->channelOption(0)->isChecked());
  for (int c = 0; c < 3; ++c) EXPECT_EQ(window_->pointScroll(c)->value(), 2);
  EXPECT_TRUE(AllBlack(window_->previewImage()));
}

TEST_F(FrmPalette2Test, SavingTheDefaultsWritesTheSevenLinesAndABlackPalette) {
  SetName("Night");
  Click(window_.get(), "cmdSave");
  ASSERT_TRUE(recorder_.messages.empty()) << recorder_.messages[0].text.toStdString();
  EXPECT_EQ(FolderContents(folders_.writable), (std::vector<std::string>{"Night.pal", "Night.pl2"}));
  EXPECT_EQ(ReadText(folders_.writable / "Night.pl2"), kDefaultCurveFile);
  const auto pal = ReadBytes(folders_.writable / "Night.pal");
  ASSERT_EQ(pal.size(), 1048u);
  for (std::size_t i = 24; i < pal.size(); ++i) ASSERT_EQ(pal[i], 0);
  EXPECT_EQ(Items(window_->nameBox()), QStringList{"Night"});
  EXPECT_EQ(window_->nameBox()->currentIndex(), 0);
}

TEST_F(FrmPalette2Test, SaveAndLoadRoundTrip) {
  window_->pointScroll(0)->setValue(3);
  DragHandle(window_->handle(2), QPointF(6, 6), QPointF(10, -60));
  window_->channelOption(2)->click();
  DragHandle(window_->handle(8), QPointF(6, 6), QPointF(6, -200));
  SetName("Shape");
  Click(window_.get(), "cmdSave");
  const QImage preview = window_->previewImage();
  const auto lut = palettes::ReadPalFile(folders_.writable / "Shape.pal");
  ASSERT_TRUE(lut.has_value());
  for (int e = 0; e < 256; ++e) {
    const QColor c = preview.pixelColor(e, 0);
    ASSERT_EQ(QColor(lut->Red(e), lut->Green(e), lut->Blue(e)), c) << e;
  }

  frmPalette2 other(nullptr, folders_);
  MessageRecorder otherMessages;
  other.setMessageHandler(otherMessages.Handler());
  other.nameBox()->setEditText("Shape");
  Click(&other, "cmdLoad");
  EXPECT_TRUE(otherMessages.messages.empty());
  EXPECT_EQ(other.maker().Curves(), window_->maker().Curves());
  EXPECT_EQ(other.previewImage(), preview);
  EXPECT_EQ(other.pointScroll(0)->value(), 3);
  EXPECT_EQ(other.pointCountLabel(0)->text(), "5");
  EXPECT_EQ(other.maker().CurrentChannel(), 0);
}

TEST_F(FrmPalette2Test, LoadRecoversUnsupportedCounts) {
  std::filesystem::create_directories(folders_.writable);
  WriteText(folders_.writable / "odd.pl2", std::string("4,6,7\r\n") + std::string(kDefaultCurveFile).substr(7));
  SetName("odd");
  Click(window_.get(), "cmdLoad");
  EXPECT_TRUE(recorder_.messages.empty());
  EXPECT_EQ(window_->pointCountLabel(0)->text(), "5");
  EXPECT_EQ(window_->pointCountLabel(1)->text(), "5");
  EXPECT_EQ(window_->pointCountLabel(2)->text(), "9");
  EXPECT_EQ(window_->pointScroll(2)->value(), 4);
}

TEST_F(FrmPalette2Test, BadFilesAndNamesKeepTheWindowAsItWas) {
  std::filesystem::create_directories(folders_.writable);
  DragHandle(window_->handle(4), QPointF(6, 6), QPointF(6, -50));
  ASSERT_EQ(window_->handle(4)->pos(), QPoint(128, 199));
  const palettes::CurveSet before = window_->maker().Curves();
  const QImage preview = window_->previewImage();
  const std::string rest = std::string(kDefaultCurveFile).substr(7);
  WriteText(folders_.writable / "missing numbers.pl2", "3,3,3\r\n0,32\r\n");
  WriteText(folders_.writable / "too many.pl2", "3,3,10\r\n" + rest);
  WriteText(folders_.writable / "too few.pl2", "1,3,3\r\n" + rest);
  std::string far = kDefaultCurveFile;
  far.replace(far.find("224,255"), 7, "224,256");
  WriteText(folders_.writable / "far.pl2", far);
  WriteText(folders_.writable / "words.pl2", "three,3,3\r\n" + rest);
  for (const char* name : {"missing numbers", "too many", "too few", "far", "words", "absent", "../far", ""}) {
    recorder_.messages.clear();
    SetName(QString::fromUtf8(name));
    Click(window_.get(), "cmdLoad");
    ASSERT_EQ(recorder_.messages.size(), 1) << name;
    EXPECT_EQ(recorder_.messages[0].title, "Lumetrix");
  }
  EXPECT_EQ(window_->maker().Curves(), before);
  EXPECT_EQ(window_->previewImage(), preview);
  EXPECT_EQ(window_->handle(4)->pos(), QPoint(128, 199));

  const auto contents = FolderContents(folders_.writable);
  for (const char* name : {"../escape", "a/b", "c\\d", "..", "star*", "pipe|", "end."}) {
    recorder_.messages.clear();
    SetName(QString::fromUtf8(name));
    Click(window_.get(), "cmdSave");
    ASSERT_EQ(recorder_.messages.size(), 1) << name;
  }
  EXPECT_EQ(FolderContents(folders_.writable), contents);
  EXPECT_EQ(FolderContents(root_.Path()), (std::vector<std::string>{"bundled", "user"}));
}

}  // namespace
}  // namespace lumetrix
