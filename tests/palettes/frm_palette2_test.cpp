// The palette maker as its user sees it: handles dragged with the mouse, the preview strip,
// messages, files written.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollBar>

#include "palettes/pal_file.h"
#include "palettes/ui/curve_area.h"
#include "palettes/ui/frm_palette2.h"
#include "tests/palettes/editor_window_fixture.h"

namespace lumetrix {
namespace {

using namespace palettes::testing;

class FrmPalette2Test : public testing::EditorWindowTest<frmPalette2> {
 protected:
  FrmPalette2Test() : EditorWindowTest("user") {}

  // Presses the left button 6 pixels inside handle i and moves the pointer by (dx, dy).
  void Drag(int i, double dx, double dy) {
    QWidget* handle = window_->handle(i);
    const QPointF from(6, 6), to(6 + dx, 6 + dy);
    for (auto [type, at, button, buttons] : {std::tuple{QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton},
                                             {QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton},
                                             {QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton}}) {
      QMouseEvent event(type, at, handle->mapToGlobal(at), button, buttons, Qt::NoModifier);
      QApplication::sendEvent(handle, &event);
    }
  }
  std::vector<int> Shown() const {  // the handles on view
    std::vector<int> v;
    for (int i = 0; i < 9; ++i)
      if (!window_->handle(i)->isHidden()) v.push_back(i);
    return v;
  }
  QColor Preview(int entry) const { return window_->previewImage().pixelColor(entry, 0); }
  bool AllBlack() const {
    QImage black = window_->previewImage();
    black.fill(Qt::black);
    return window_->previewImage() == black;
  }
};

// The opening state, which Reset brings back.
TEST_F(FrmPalette2Test, OpensWithThreeFlatPointsPerChannelAndResetReturnsThere) {
  for (const bool reset : {false, true}) {
    if (reset) {
      window_->pointScroll(2)->setValue(4);
      window_->channelOption(2)->click();
      Drag(3, 0, -200);
      ASSERT_FALSE(AllBlack());
      testing::Click(window_.get(), "cmdDefault");
      EXPECT_EQ(window_->windowTitle(), "  Palette maker");
    }
    EXPECT_TRUE(window_->channelOption(0)->isChecked());
    for (int c = 0; c < 3; ++c)
      EXPECT_TRUE(window_->pointScroll(c)->value() == 2 && window_->pointCountLabel(c)->text() == "3") << c;
    EXPECT_EQ(Shown(), (std::vector<int>{0, 4, 8}));
    EXPECT_EQ(window_->handle(4)->pos(), QPoint(128, 255));
    EXPECT_EQ(window_->valueLabel(4)->text(), "0");
    EXPECT_EQ(window_->maker().Curves(), palettes::CurveSet::Defaults());
    EXPECT_TRUE(AllBlack());
  }
}

TEST_F(FrmPalette2Test, DraggingAHandleShapesTheCurve) {
  Drag(4, 3.4, -100);
  EXPECT_EQ(window_->handle(4)->pos(), QPoint(131, 155));
  EXPECT_EQ(window_->valueLabel(4)->text(), "100");
  EXPECT_EQ(Preview(131), QColor(100, 0, 0));
  // Halves round to even; the top, the bottom and the neighbours' x stop a handle.
  struct Move {
    int handle;
    double dx, dy;
    QPoint to;
  };
  const Move moves[] = {{4, 0, -144.5, {131, 10}}, {4, 0, 1.5, {131, 12}},    {4, -31.5, 0, {100, 12}},
                        {4, 500, -900, {255, 0}},  {4, -999, 999, {0, 255}}, {0, 80, -30, {0, 225}},
                        {8, -80, -30, {255, 225}}};  // the end points only move up and down
  for (const Move& m : moves) {
    Drag(m.handle, m.dx, m.dy);
    EXPECT_EQ(window_->handle(m.handle)->pos(), m.to) << m.handle << " by " << m.dx << ", " << m.dy;
  }
  window_->pointScroll(0)->setValue(3);  // five points: 4 is held between 2 and 6
  Drag(4, 999, 0);
  EXPECT_EQ(window_->handle(4)->x(), 192);
  window_->pointScroll(0)->setValue(1);  // two points, both at the top: full red
  EXPECT_EQ(window_->pointCountLabel(0)->text(), "2");
  EXPECT_EQ(Shown(), (std::vector<int>{0, 8}));
  Drag(0, 0, -300);
  Drag(8, 0, -300);
  for (int e = 0; e < 256; ++e) ASSERT_EQ(Preview(e), QColor(255, 0, 0)) << e;
}

TEST_F(FrmPalette2Test, SavingTheDefaultsWritesTheSevenLinesAndABlackTable) {
  ASSERT_TRUE(Press("cmdSave", "Night").empty());
  EXPECT_EQ(FolderContents(folders_.writable), (std::vector<std::string>{"Night.pal", "Night.pl2"}));
  EXPECT_EQ(palettes::testing::ReadText(folders_.writable / "Night.pl2"), kDefaultCurveFile);
  const auto night = palettes::testing::ReadBytes(folders_.writable / "Night.pal");
  ASSERT_EQ(night.size(), 1048u);
  EXPECT_EQ(std::vector<uint8_t>(night.begin() + 24, night.end()), std::vector<uint8_t>(1024, 0));  // flags 0 too
  EXPECT_EQ(testing::Items(window_->nameBox()), QStringList{"Night"});
}

// Each channel keeps its own curve; what is saved loads back into another window.
TEST_F(FrmPalette2Test, ChannelsChosenByOptionOrLabelAreSavedAndLoaded) {
  window_->channelOption(2)->click();
  Drag(4, 0, -255);  // blue peaks at 128
  EXPECT_EQ(Preview(128), QColor(0, 0, 255));
  QTest::mouseClick(window_->channelLabel(1), Qt::LeftButton);
  EXPECT_TRUE(window_->channelOption(1)->isChecked());
  Drag(4, 0, -255);
  EXPECT_EQ(Preview(128), QColor(0, 255, 255));
  window_->pointScroll(2)->setValue(1);  // another channel's count: blue flat again
  EXPECT_EQ(Preview(128), QColor(0, 255, 0));
  window_->pointScroll(1)->setValue(3);  // five points: 2 and 6 come back where they were
  EXPECT_EQ(Shown(), (std::vector<int>{0, 2, 4, 6, 8}));
  EXPECT_EQ(window_->handle(2)->pos(), QPoint(64, 255));
  EXPECT_EQ(window_->handle(6)->pos(), QPoint(192, 255));
  EXPECT_EQ(window_->handle(4)->pos(), QPoint(128, 0));
  Drag(2, 4, -60);
  ASSERT_TRUE(Press("cmdSave", "Shape").empty());
  const auto lut = palettes::ReadPalFile(folders_.writable / "Shape.pal");
  ASSERT_TRUE(lut.has_value());
  for (int e = 0; e < 256; ++e) ASSERT_EQ(QColor(lut->Red(e), lut->Green(e), lut->Blue(e)), Preview(e)) << e;
  const auto other = Open();
  EXPECT_TRUE(Press("cmdLoad", "Shape", other.get()).empty());
  EXPECT_EQ(other->maker().Curves(), window_->maker().Curves());
  EXPECT_EQ(other->previewImage(), window_->previewImage());
  EXPECT_EQ(other->pointCountLabel(1)->text(), "5");
  EXPECT_TRUE(other->channelOption(0)->isChecked());
}

TEST_F(FrmPalette2Test, BadFilesAndNamesLeaveTheWindowAsItWas) {
  std::filesystem::create_directories(folders_.writable);
  Drag(4, 0, -50);
  const QImage preview = window_->previewImage();
  const std::string good = kDefaultCurveFile, points = good.substr(7);
  std::string far = good, below = good;
  far.replace(far.find("224"), 3, "256");
  below.replace(below.rfind("255"), 3, "-1");
  const std::pair<const char*, std::string> files[] = {
      {"empty", ""}, {"no end", good.substr(0, good.size() - 6)}, {"short", "3,3,3\r\n0,32\r\n"},
      {"two counts", "3,3\r\n" + points}, {"gap", "3,,3\r\n" + points}, {"words", "three,3,3\r\n" + points},
      {"fraction", "3,3.5,3\r\n" + points}, {"overflow", "3,99999999999999999999999,3\r\n" + points},
      {"too few", "1,3,3\r\n" + points}, {"too many", "3,3,10\r\n" + points}, {"negative", "3,3,-3\r\n" + points},
      {"far", far}, {"below", below}, {"huge", std::string(100000, '1')}, {"absent", {}}, {"../far", {}}, {"", {}}};
  for (const auto& [name, text] : files) {
    if (!text.empty() || name == std::string("empty")) WriteText(folders_.writable / (std::string(name) + ".pl2"), text);
    const auto shown = Press("cmdLoad", QString::fromUtf8(name));
    ASSERT_EQ(shown.size(), 1) << name;
    EXPECT_EQ(shown[0].title, "Lumetrix");
  }
  EXPECT_TRUE(Press("cmdLoad", "too many")[0].text.contains("blue"));
  EXPECT_EQ(window_->previewImage(), preview);
  EXPECT_EQ(window_->handle(4)->pos(), QPoint(128, 205));
  const auto contents = FolderContents(folders_.writable);
  for (const char* name : {"", "../escape", "star*"}) {  // the name rules are tested on their own
    const auto shown = Press("cmdSave", name);
    ASSERT_EQ(shown.size(), 1) << name;
    EXPECT_EQ(shown[0].text == "Choose or type a name first", *name == 0) << name;
  }
  EXPECT_EQ(FolderContents(folders_.writable), contents);
  EXPECT_EQ(FolderContents(root_.path()), (std::vector<std::string>{"bundled", "user"}));
}

}  // namespace
}  // namespace lumetrix
