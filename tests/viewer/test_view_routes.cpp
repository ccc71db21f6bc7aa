// The main window as a workbench: every script member that changes the picture has a control in
// the View panel, the Display or Parameters window, or a menu entry with a key; tool windows open
// beside the main window and where they were left; the main window comes back where it was closed.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>

#include "scripting/frm_parameters.h"
#include "tests/support/tiff_fixture.h"
#include "viewer/draw_object.h"
#include "viewer_ui/frm_3d.h"
#include "viewer_ui/gl_view.h"
#include "viewer_ui/tool_window_place.h"
#include "viewer_ui/view_panel.h"

namespace lumetrix {
namespace {

using test_support::TempDir;

// Worked by hand on a 1600 x 1200 screen (and a second one at x 1600): right of the main frame
// when x + w fits, else left of it, else below, else at the screen's right edge; then inside it.
TEST(ToolWindowPlace, BesideTheMainFrameAndInsideTheScreen) {
  const QRect screen(0, 0, 1600, 1200);
  struct Case {
    QRect main;
    QSize tool;
    QRect screen;
    QPoint at;
    bool overlaps = false;
  } cases[] = {
      {{100, 100, 420, 460}, {300, 400}, screen, {520, 100}},     // 100 + 420 = 520; 520 + 300 <= 1600
      {{1200, 100, 420, 460}, {300, 400}, screen, {900, 100}},    // 1620 + 300 > 1600; 1200 - 300 = 900
      {{0, 0, 1500, 500}, {300, 400}, screen, {0, 500}},          // neither side; 500 + 400 <= 1200
      {{0, 0, 1500, 1000}, {300, 400}, screen, {1300, 0}, true},  // no room: 1600 - 300, overlapping
      {{100, 1000, 400, 300}, {300, 400}, screen, {500, 800}},    // right, lifted to 1200 - 400
      {{1700, 50, 400, 400}, {500, 300}, {1600, 0, 1280, 1024}, {2100, 50}},  // 2100 + 500 <= 2880
      {{0, 0, 400, 300}, {900, 700}, {0, 0, 800, 600}, {0, 0}, true},  // larger than the screen: its corner
  };
  for (const Case& c : cases) {
    const QRect placed = PlaceBeside(c.main, c.tool, c.screen);
    EXPECT_EQ(placed, QRect(c.at, c.tool)) << c.main.x() << "," << c.main.y();
    EXPECT_EQ(placed.intersects(c.main), c.overlaps) << c.main.x();
  }
  EXPECT_EQ(KeepOnScreen(QRect(-50, 2000, 300, 200), screen), QPoint(0, 1000));  // 1200 - 200
  EXPECT_EQ(KeepOnScreen(QRect(40, 30, 300, 200), screen), QPoint(40, 30));
}

// A 1-channel 8-bit stack of 2 time points x 4 slices, written by tifffile: palettes apply to it,
// and the Display window has its channel row and a time slider.
std::string TimeStack(const TempDir& dir) {
  const std::string out = dir.File("t.tif"), py = out + ".py";
  std::ofstream(py) << "import numpy as np, tifffile\nt,z,y,x = np.ogrid[0:2,0:4,0:24,0:32]\n"
                       "tifffile.imwrite('" << out << "', ((t*50 + z*7 + y*3 + x) % 251).astype('u1'), imagej=True,"
                       " metadata={'axes':'TZYX'})\n";
  EXPECT_EQ(std::system(("/usr/bin/python3 " + py).c_str()), 0);
  return out;
}

using Act = std::function<void(QObject*)>;
// A number typed into a spin box (its editing finished) or a slider let go at a value.
Act Set(double value) {
  return [value](QObject* o) {
    if (auto* slider = qobject_cast<QSlider*>(o)) {
      slider->setValue(static_cast<int>(value));
      return emit slider->sliderReleased();
    }
    if (auto* box = qobject_cast<QDoubleSpinBox*>(o)) box->setValue(value);
    if (auto* box = qobject_cast<QSpinBox*>(o)) box->setValue(static_cast<int>(value));
    emit qobject_cast<QAbstractSpinBox*>(o)->editingFinished();
  };
}
void Use(QObject* o) {
  if (auto* a = qobject_cast<QAction*>(o)) return a->trigger();
  if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->click();
  QTest::mouseClick(qobject_cast<QWidget*>(o), Qt::LeftButton);  // a value of the Parameters window
}

TEST(ViewRoutes, EveryMemberThatChangesThePictureHasAControlOrAMenuKey) {
  TempDir dir;
  frm3D w;
  w.show();
  ASSERT_TRUE(w.OpenAtStart(TimeStack(dir)));
  Viewer& v = w.TheViewer();
  w.findChild<QAction*>("mnuControlDisplay")->trigger();
  w.findChild<QAction*>("mnuControlShowParameters")->trigger();
  auto* display = w.findChild<QWidget*>("frmDisplay");
  frmParameters* parameters = w.Parameters();
  ASSERT_TRUE(display && parameters);
  QString typed;  // what the Parameters window's input box answers
  parameters->SetInputBox([&](const QString&, const QString&, const QString&) { return std::optional<QString>(typed); });
  auto ask = [&](const char* text) { return [&typed, text](QObject* o) { typed = text, Use(o); }; };
  const ViewState& s = v.View();
  auto channel = [&v] { return v.Volume().Display.Channels.at(0); };
  struct Route {
    const char* member;
    const char* route;  // object name; the Display window's "Auto" button by its caption
    Act act;
    std::function<bool()> done;
  } routes[] = {
      {"SetXRot", "lblXrot", ask("12"), [&] { return s.XRot == 12; }},
      {"SetYRot", "lblYRot", ask("13"), [&] { return s.YRot == 13; }},
      {"SetXYRot", "lblXrot", ask("14"), [&] { return s.XRot == 14; }},
      {"Setx", "lblX", ask("0.5"), [&] { return s.PosX == 0.5f; }},
      {"Sety", "lblY", ask("0.25"), [&] { return s.PosY == 0.25f; }},
      {"SetZ", "lblZ", ask("-4"), [&] { return s.PosZ == -4; }},
      {"SetScaleX", "lblSX", ask("40"), [&] { return s.ScaleX == 40; }},
      {"SetScaleY", "lblSY", ask("41"), [&] { return s.ScaleY == 41; }},
      {"SetScaleZ", "lblSZ", ask("42"), [&] { return s.ScaleZ == 42; }},
      {"SetXRotSpeed", "lblXSpeed", ask("0.5"), [&] { return s.XSpeed == 0.5f; }},
      {"SetYRotSpeed", "lblYSpeed", ask("0.75"), [&] { return s.YSpeed == 0.75f; }},
      {"ResetSpeedParameters", "mnuResetSpeedParameters", Use, [&] { return s.XSpeed == 0 && s.YSpeed == 0; }},
      {"SetColor", "lblRed", ask("0.25"), [&] { return s.Color[0] == 0.25f; }},
      {"SetLight", "lblLRed", ask("0.75"), [&] { return s.LightColor[0] == 0.75f; }},
      {"SetTransparency", "lblTrans", ask("0.5"), [&] { return s.Transparency == 0.5f; }},
      {"SetLightOn", "mnuViewLight", Use, [&] { return s.LightOn; }},
      {"SetLightOff", "chkLight", Use, [&] { return !s.LightOn; }},
      {"SetRenderMode", "mnuViewMaximum", Use, [&] { return s.Mode == RenderMode::Maximum; }},
      {"SetIsoLevel", "txtIsoLevel1", Set(60), [&] { return s.IsoLevel[0] == 60; }},
      {"SetAttenuation", "txtAttenuation", Set(0.5), [&] { return s.Attenuation == 0.5f; }},
      {"SetProjection", "mnuViewOrthographic", Use, [&] { return s.Proj == Projection::Orthographic; }},
      {"SetQuality", "txtQuality", Set(1.25), [&] { return s.Quality == 1.25f; }},
      {"SetScaleBar", "mnuViewScaleBar", Use, [&] { return s.ScaleBar; }},
      {"SetAxes", "chkAxes", Use, [&] { return s.Axes; }},
      {"SetCrop", "txtCropX0", Set(3), [&] { return s.Crop.Limits[0] == 3; }},
      {"SetClipPlane", "chkClipPlane", Use, [&] { return s.Clip.On; }},
      {"ClearClipPlane", "chkClipPlane", Use, [&] { return !s.Clip.On; }},
      {"SetChannel", "chkVisible1", Use, [&] { return !channel().Visible; }},
      {"SetChannelColor", "cmdColour1",
       [](QObject* o) {
         QTimer::singleShot(0, [] {
           auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
           ASSERT_NE(dialog, nullptr);
           dialog->setCurrentColor(QColor(10, 20, 30));
           dialog->accept();
         });
         Use(o);
       },
       [&] { return channel().Red == 10 && channel().Blue == 30; }},
      {"SetDisplayRange", "sldMax1", Set(100), [&] { return channel().Max == 100; }},
      {"SetGamma", "txtGamma1", Set(2), [&] { return channel().Gamma == 2; }},
      {"AutoContrast", "Auto", Use, [&] { return channel().Max > 100; }},  // samples reach 250
      {"SetTimePoint", "sldTime", Set(2), [&] { return v.TimePoint() == 2; }},
      {"SetPalette", "mnuPal4", Use, [&] { return v.PaletteIndex() == 4; }},
      {"ResetParameters", "mnuResetParameters", Use, [&] { return s.PosZ == -3 && s.XRot == 0 && !s.Axes; }},
  };
  // Files, movies, questions and the redraw change no setting of the picture.
  std::set<std::string> other = {"ChannelCount", "TimePointCount", "DrawImage", "SaveBMP",  "SaveJPG", "AVIStart",
                                 "AVIAdd",       "AVIend",         "AVICodec",  "OpenImage", "LoadLuts", "RunVBScript"};
  for (const Route& r : routes) other.insert(r.member);
  for (const std::string& member : MakeDrawObject(v)->MemberNames()) EXPECT_TRUE(other.count(member)) << member;
  for (const Route& r : routes) {
    QObject* found = w.Panel()->findChild<QWidget*>(r.route);
    if (!found) found = w.findChild<QAction*>(r.route);
    if (!found) found = display->findChild<QWidget*>(r.route);
    if (!found) found = parameters->findChild<QWidget*>(r.route);
    for (QPushButton* b : display->findChildren<QPushButton*>())
      if (!found && b->text() == r.route) found = b;
    ASSERT_NE(found, nullptr) << r.member;
    if (auto* a = qobject_cast<QAction*>(found); a && !QString(r.route).startsWith("mnuPal")) {  // tables by name
      EXPECT_FALSE(a->shortcut().isEmpty()) << r.member;
    }
    r.act(found);
    EXPECT_TRUE(r.done()) << r.member;
    QApplication::processEvents();  // rows the Display window replaced go
  }
  // A key a panel control leaves unused is not the view's: a held X does not deepen it.
  auto* axes = w.Panel()->findChild<QWidget*>("chkAxes");
  axes->setFocus();
  const float depth = s.ScaleZ;
  QTest::keyPress(axes, Qt::Key_X);
  w.findChild<GlView*>()->OnFrameDrawn();
  QTest::keyRelease(axes, Qt::Key_X);
  EXPECT_EQ(s.ScaleZ, depth);
}

// The panel is docked right of the drawing area and F9 hides it; the drawing area keeps the size
// asked for either way; the window and the panel's state come back in the next window only after
// a close (a window merely destroyed leaves nothing).
TEST(ViewRoutes, ThePanelTogglesAndTheWindowComesBackWhereItWasClosed) {
  QRect closed_at;
  {
    frm3D dropped;  // were it remembered, the next window would not start at 400 x 400
    dropped.setGeometry(300, 200, 900, 700);
  }
  {
    frm3D w;
    w.show();
    auto* dock = w.findChild<QDockWidget*>("dockView");
    auto* gl = w.findChild<GlView*>();
    ASSERT_TRUE(dock && gl);
    EXPECT_TRUE(dock->isVisible());
    EXPECT_GE(dock->mapTo(&w, QPoint()).x(), gl->mapTo(&w, QPoint()).x() + gl->width());
    EXPECT_EQ(std::pair(w.TheViewer().ScaleWidth(), w.TheViewer().ScaleHeight()), std::pair(400, 400));
    QAction* toggle = w.findChild<QAction*>("mnuWindowViewPanel");
    ASSERT_NE(toggle, nullptr);
    EXPECT_EQ(toggle->shortcut(), QKeySequence(Qt::Key_F9));
    toggle->trigger();
    EXPECT_FALSE(dock->isVisible() || toggle->isChecked());
    w.findChild<QAction*>("mnuWindow640x480")->trigger();
    EXPECT_EQ(std::pair(w.TheViewer().ScaleWidth(), w.TheViewer().ScaleHeight()), std::pair(640, 480));
    w.move(120, 90);
    QApplication::processEvents();
    closed_at = w.geometry();
    EXPECT_TRUE(w.close());
  }
  frm3D next;
  next.show();
  QApplication::processEvents();
  EXPECT_EQ(next.geometry(), closed_at);
  EXPECT_FALSE(next.findChild<QDockWidget*>("dockView")->isVisible());
}

// Each tool window opens clear of the main window's frame, and the next one of its kind opens
// where the last was left.
TEST(ViewRoutes, ToolWindowsOpenBesideTheMainWindowThenWhereTheyWereLeft) {
  frm3D w;
  w.show();
  QApplication::processEvents();
  for (const char* item : {"mnuControlDisplay", "mnuScriptAnimation", "mnuControlShowParameters"}) {
    w.findChild<QAction*>(item)->trigger();
    QWidget* tool = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top != &w && top->isVisible() && top->parentWidget() == &w) tool = top;
    ASSERT_NE(tool, nullptr) << item;
    QApplication::processEvents();
    EXPECT_FALSE(tool->frameGeometry().intersects(w.frameGeometry())) << item;
    tool->move(30, 40);
    QApplication::processEvents();
    const QPoint left_at = tool->pos();
    tool->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    w.findChild<QAction*>(item)->trigger();
    QWidget* again = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top != &w && top->isVisible() && top->parentWidget() == &w) again = top;
    ASSERT_NE(again, nullptr) << item;
    EXPECT_EQ(again->pos(), left_at) << item;
    again->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

}  // namespace
}  // namespace lumetrix
