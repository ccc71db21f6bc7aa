#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

#include "viewer/frm_3d.h"
#include "viewer/frm_set_window.h"

namespace lumetrix {
namespace {

struct Item {
  QString name, caption, shortcut;
  bool visible;
};

std::vector<Item> MenuItems(QMenu* menu) {
  std::vector<Item> out;
  for (QAction* a : menu->actions())
    out.push_back({a->objectName(), a->isSeparator() ? "-" : a->text(), a->shortcut().toString(), a->isVisible()});
  return out;
}

QMenu* TopMenu(frm3D& w, const char* name) { return w.menuBar()->findChild<QMenu*>(name); }

TEST(MainWindow, MenuBarInOrderWithCaptionsShortcutsAndHiddenItems) {
  frm3D w;
  QStringList tops;
  for (QAction* a : w.menuBar()->actions()) tops << a->text();
  EXPECT_EQ(tops, (QStringList{"&File", "&Control", "&Script", "&Tools", "&Palette", "&Window", "&Help"}));

  const auto file = MenuItems(TopMenu(w, "MnuFile"));
  ASSERT_GE(file.size(), 14u);
  EXPECT_EQ(file[0].caption, "&Open Image");
  EXPECT_EQ(file[1].caption, "-");
  EXPECT_EQ(file[2].caption, "&Save BMP Image");
  EXPECT_EQ(file[3].caption, "Save &JPG Image");
  for (int i = 5; i < 10; ++i) {
    EXPECT_EQ(file[i].caption, "..");
    EXPECT_FALSE(file[i].visible);
  }
  EXPECT_EQ(file[11].caption, "&Close Image");
  EXPECT_EQ(file[13].caption, "&Exit");

  const auto control = MenuItems(TopMenu(w, "mnuControl"));
  EXPECT_EQ(control[0].shortcut, "Ctrl+P");
  EXPECT_EQ(control[1].caption, "&Hide Parameters");
  EXPECT_FALSE(control[1].visible);
  EXPECT_EQ(control[3].caption, "Stop &Motion");
  EXPECT_EQ(control[3].shortcut, "Ctrl+S");
  EXPECT_EQ(control[5].caption, "&Reset Parameters");

  const auto tools = MenuItems(TopMenu(w, "mnuTools"));
  EXPECT_EQ(tools[6].caption, "AVI  to Animated &GIF");
  EXPECT_EQ(tools[7].caption, "&(Re)compress AVI");
  EXPECT_FALSE(tools[7].visible);

  EXPECT_FALSE(w.PaletteMenu()->menuAction()->isVisible());
  const auto window = MenuItems(TopMenu(w, "mnuWindow"));
  EXPECT_EQ(window[0].shortcut, "Ctrl+F12");
  EXPECT_EQ(window[2].caption, "Set to &320x240");
  EXPECT_EQ(window[5].shortcut, "Ctrl+F4");
  const auto help = MenuItems(TopMenu(w, "mnuHelp"));
  EXPECT_EQ(help[0].shortcut, "F1");
  EXPECT_EQ(help[2].caption, "&About");
}

TEST(MainWindow, StartsWithItsFlagsAndAFourHundredPixelArea) {
  frm3D w;
  w.show();
  QApplication::processEvents();
  EXPECT_FALSE(w.VolumeLoaded);
  EXPECT_FALSE(w.QuitRequested);
  EXPECT_EQ(w.SliceStep, 4);
  EXPECT_EQ(w.ScaleWidth(), 400);
  EXPECT_EQ(w.ScaleHeight(), 400);
  EXPECT_EQ(w.View().PosZ, -3.0f);
}

TEST(MainWindow, SizePresetsRestoreAMaximisedWindowFirst) {
  frm3D w;
  w.show();
  w.showMaximized();
  QApplication::processEvents();
  w.findChild<QAction*>("mnuWindow320x240")->trigger();
  QApplication::processEvents();
  EXPECT_FALSE(w.isMaximized());
  EXPECT_EQ(w.ScaleWidth(), 320);
  EXPECT_EQ(w.ScaleHeight(), 240);
  w.findChild<QAction*>("mnuWindow800x600")->trigger();
  EXPECT_EQ(w.ScaleWidth(), 800);
  EXPECT_EQ(w.ScaleHeight(), 600);
}

// Answers the modal size dialog with the given texts.
void AnswerSizeDialog(const QString& width, const QString& height, bool ok) {
  QTimer::singleShot(0, [=] {
    auto* dialog = qobject_cast<frmSetWindow*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    if (!ok) {
      dialog->reject();
      return;
    }
    dialog->txtW()->setText(width);
    dialog->txtH()->setText(height);
    dialog->findChild<QPushButton*>("OKButton")->click();
  });
}

TEST(MainWindow, CustomSizeStoresTheTextsAndAppliesOnlyPositiveNumbers) {
  QSettings("Lumetrix", "Lumetrix").remove("WindowSize");
  frm3D w;
  w.show();
  QApplication::processEvents();
  {
    frmSetWindow dialog;
    EXPECT_EQ(dialog.txtW()->text(), "400");
    EXPECT_EQ(dialog.txtH()->text(), "400");
  }
  AnswerSizeDialog("500", "300px", true);
  w.findChild<QAction*>("mnuWindowSet")->trigger();
  EXPECT_EQ(w.ScaleWidth(), 500);
  EXPECT_EQ(w.ScaleHeight(), 300);
  EXPECT_EQ(QSettings("Lumetrix", "Lumetrix").value("WindowSize/H").toString(), "300px");

  AnswerSizeDialog("0", "abc", true);
  w.findChild<QAction*>("mnuWindowSet")->trigger();
  EXPECT_EQ(w.ScaleWidth(), 500);
  EXPECT_EQ(QSettings("Lumetrix", "Lumetrix").value("WindowSize/W").toString(), "0");

  // Closing the dialog without OK applies what is stored (still 0 x abc: nothing changes).
  AnswerSizeDialog({}, {}, false);
  w.findChild<QAction*>("mnuWindowSet")->trigger();
  EXPECT_EQ(w.ScaleWidth(), 500);
  QSettings("Lumetrix", "Lumetrix").remove("WindowSize");
}

TEST(MainWindow, ProgressFrameShowsTheCaptionAndCountsItsValue) {
  frm3D w;
  w.show();
  auto* frame = w.findChild<QGroupBox*>("frmProgress");
  ASSERT_NE(frame, nullptr);
  EXPECT_FALSE(frame->isVisible());
  w.ShowProgress("Reading Image", 0, 30);
  EXPECT_TRUE(frame->isVisible());
  EXPECT_EQ(frame->title(), "Reading Image");
  w.SetProgress(12);
  EXPECT_EQ(w.GetProgress(), 12);
  w.HideProgress();
  EXPECT_FALSE(frame->isVisible());
  EXPECT_EQ(w.GetProgress(), 0);
}

TEST(MainWindow, SettersStoreValuesUnclampedAndResetsRestore) {
  frm3D w;
  w.SetTransparency(2);
  w.SetColor(-1, 0, 0);
  w.SetLight(1, 0, 0);
  w.SetXYRot(10, 20);
  w.SetXRotSpeed(3);
  EXPECT_EQ(w.View().Transparency, 2);
  EXPECT_EQ(w.View().Color[0], -1);
  EXPECT_EQ(w.View().LightColor[3], 1.0f);
  w.ResetSpeedParameters();
  EXPECT_EQ(w.View().XSpeed, 0);
  EXPECT_EQ(w.View().XRot, 10);
  w.findChild<QAction*>("mnuResetParameters")->trigger();
  EXPECT_EQ(w.View().Transparency, 0.3f);
  EXPECT_EQ(w.View().XRot, 0);
}

TEST(MainWindow, ExitUnloadsAndSetsQuitRequested) {
  frm3D w;
  w.show();
  bool unloading = false;
  QObject::connect(&w, &frm3D::Unloading, [&] { unloading = true; });
  w.findChild<QAction*>("mnuFileExit")->trigger();
  EXPECT_TRUE(w.QuitRequested);
  EXPECT_TRUE(w.ViewerDone);
  EXPECT_TRUE(unloading);
  EXPECT_FALSE(w.isVisible());
}

}  // namespace
}  // namespace lumetrix

#include <QLabel>

#include "scripting/frm_parameters.h"
#include "scripting/frm_vb_editor.h"

namespace lumetrix {
namespace {

TEST(MainWindowScripting, EditScriptShowsTheEditorThatWasLoadedHidden) {
  frm3D w;
  ASSERT_NE(w.Editor(), nullptr);
  EXPECT_FALSE(w.Editor()->isVisible());
  w.findChild<QAction*>("mnuScriptShow")->trigger();
  EXPECT_TRUE(w.Editor()->isVisible());
  w.Editor()->close();  // only hides while the program runs
  EXPECT_FALSE(w.Editor()->isVisible());
  EXPECT_NE(w.Editor(), nullptr);
}

TEST(MainWindowScripting, ShowParametersFollowsTheViewState) {
  frm3D w;
  w.show();
  w.findChild<QAction*>("mnuControlShowParameters")->trigger();
  ASSERT_NE(w.Parameters(), nullptr);
  EXPECT_TRUE(w.Parameters()->isVisible());
  w.SetZ(-4.5f);
  w.Parameters()->Refresh();
  EXPECT_EQ(w.Parameters()->ValueLabel(scripting::ParameterId::Z)->text(), "-4.50");
}

TEST(MainWindowScripting, CancellingTheSavePromptAtExitKeepsTheProgramRunning) {
  frm3D w;
  w.show();
  EditorDialogs dialogs;
  int asked = 0;
  dialogs.askSave = [&](const QString&) {
    ++asked;
    return scripting::SaveAnswer::Cancel;
  };
  w.Editor()->setDialogs(dialogs);
  w.Editor()->SetScriptText("Sub Main\nEnd Sub\n");
  EXPECT_FALSE(w.close());
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(w.QuitRequested);
  EXPECT_TRUE(w.isVisible());
  dialogs.askSave = [&](const QString&) {
    ++asked;
    return scripting::SaveAnswer::No;
  };
  w.Editor()->setDialogs(dialogs);
  EXPECT_TRUE(w.close());
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(w.QuitRequested);
}

}  // namespace
}  // namespace lumetrix
