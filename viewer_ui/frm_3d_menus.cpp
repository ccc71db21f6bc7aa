// The main window's menus, their names and shortcuts, and what each item does.
#include <QActionGroup>
#include <QMenuBar>
#include <QSettings>
#include <QStyle>
#include <QToolButton>

#include "export/avi2gif_ui/frm_avi2gif.h"
#include "export/series/frm_cnvrt_leica_tiff.h"
#include "export/series/frm_import_tiff_series.h"
#include "scripting/frm_parameters.h"
#include "viewer_ui/frm_3d.h"
#include "viewer_ui/frm_about.h"
#include "viewer_ui/frm_display.h"
#include "viewer_ui/preferences_dialog.h"
#include "viewer/render_options.h"
#include "viewer_ui/recompress_command.h"
#include "viewer_ui/time_player.h"
#include "viewer_ui/tool_window_place.h"
#include "widgets/frm_help.h"

namespace lumetrix {

void frm3D::BuildMenus() {
  auto action = [this](QMenu* menu, const char* name, const QString& caption, auto slot, const char* key = "") {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    a->setShortcut(QKeySequence(key));
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  auto menu = [this](const char* name, const char* caption) {
    QMenu* m = menuBar()->addMenu(caption);
    m->setObjectName(name);
    return m;
  };
  auto separator = [](QMenu* m, const char* name) { m->addSeparator()->setObjectName(name); };

  QMenu* file = menu("MnuFile", "&File");
  action(file, "mnuFileOpen", "&Open Image", [this] { mnuFileOpen_Click(); }, "Ctrl+O");
  separator(file, "MnuFileBar2");
  action(file, "MnuFileSaveBMP", "&Save BMP Image", [this] { mnuFileSaveImage_Click(false); });
  action(file, "MnuFileSaveJPG", "Save &JPG Image", [this] { mnuFileSaveImage_Click(true); });
  separator(file, "mnuFileBar0");
  for (int i = 0; i < 5; ++i) {
    QAction* entry = action(file, "", "..", [this, i] { mnuMRUFiles_Click(i); });
    entry->setObjectName(QString("mnuMRUFiles%1").arg(i));
    entry->setVisible(false);
    mnuMRUFiles_[static_cast<size_t>(i)] = entry;
  }
  separator(file, "MnuFileBar1");
  action(file, "mnuFileClose", "&Close Image", [this] { viewer_->CloseVolume(); });
  separator(file, "MnuFileBar3");
  action(file, "mnuFileExit", "&Exit", [this] { close(); });

  QMenu* control = menu("mnuControl", "&Control");
  action(control, "mnuControlShowParameters", "&Show Parameters", [this] { mnuControlShowParameters_Click(); },
         "Ctrl+P");
  action(control, "mnuControlHideParameters", "&Hide Parameters", [this] {
    if (parameters_) parameters_->hide();
  }, "Ctrl+H")->setVisible(false);
  separator(control, "MnuControlBar0");
  action(control, "mnuResetSpeedParameters", "Stop &Motion", [this] { viewer_->ResetSpeedParameters(); }, "Ctrl+S");
  // P, not Space: Space stops the motion in the view.
  action(control, "mnuControlPlayTime", "&Play/Pause Time Points", [this] { player_->Toggle(); }, "P");
  separator(control, "MnuControlBar1");
  action(control, "mnuResetParameters", "&Reset Parameters", [this] { viewer_->ResetParameters(); }, "Ctrl+R");
  mnuControlUndo_ = action(control, "mnuControlUndo", "&Undo View Change", [this] { viewer_->UndoView(); }, "Ctrl+Z");
  mnuControlRedo_ =
      action(control, "mnuControlRedo", "Red&o View Change", [this] { viewer_->RedoView(); }, "Ctrl+Shift+Z");
  action(control, "mnuControlDisplay", "&Display...", [this] {
    if (!display_) display_ = new frmDisplay(*viewer_, this);
    ShowToolWindow(*display_, *this);
  }, "Ctrl+D");
  separator(control, "MnuControlBar2");
  // The wheel's direction of most other viewers, remembered.
  QAction* wheel = action(control, "mnuControlWheelAwayZoomsIn", "&Wheel Away from Me Zooms In", [this] {
    const bool on = findChild<QAction*>("mnuControlWheelAwayZoomsIn")->isChecked();
    viewer_->SetWheelAwayZoomsIn(on);
    QSettings("Lumetrix", "Lumetrix").setValue("WheelAwayZoomsIn", on);
  });
  wheel->setCheckable(true);

  // How the volume is drawn, each with a key: what scripts can switch, without a script.
  QMenu* view = menu("mnuView", "&View");
  auto* modes = new QActionGroup(view);
  const struct {
    const char* name;
    const char* caption;
    RenderMode mode;
  } mode_items[] = {{"mnuViewAdditive", "&Additive", RenderMode::Additive},
                    {"mnuViewMaximum", "Ma&ximum", RenderMode::Maximum},
                    {"mnuViewVolume", "&Volume", RenderMode::Volume},
                    {"mnuViewMip", "&MIP", RenderMode::Mip},
                    {"mnuViewAttenuated", "A&ttenuated MIP", RenderMode::Attenuated},
                    {"mnuViewMinIP", "Mi&nIP", RenderMode::MinIP},
                    {"mnuViewIso", "&Iso Surface", RenderMode::Iso}};
  int key = 1;
  for (const auto& m : mode_items) {
    const RenderMode mode = m.mode;
    QAction* a = action(view, m.name, m.caption, [this, mode] {
      std::string why;
      if (!viewer_->SetRenderMode(RenderModeName(mode), why)) ShowMessage(why, MessageIcon::Exclamation);
      RefreshViewMenu();  // a refused mode leaves the tick where it was
    }, "");
    a->setShortcut(QKeySequence(QString("Ctrl+%1").arg(key++)));
    a->setCheckable(true);
    modes->addAction(a);
    mnuViewModes_[static_cast<size_t>(mode)] = a;
  }
  separator(view, "mnuViewBar0");
  auto toggle = [&](const char* name, const char* caption, const char* keys, auto set) {
    QAction* a = action(view, name, caption, [this, name, set] { set(findChild<QAction*>(name)->isChecked()); }, keys);
    a->setCheckable(true);
  };
  toggle("mnuViewOrthographic", "&Orthographic Projection", "Ctrl+Shift+O",
         [this](bool on) { viewer_->SetProjection(ProjectionName(on ? Projection::Orthographic : Projection::Perspective)); });
  toggle("mnuViewScaleBar", "Scale &Bar", "Ctrl+B", [this](bool on) { viewer_->SetScaleBar(on); });
  toggle("mnuViewAxes", "Ax&es", "Ctrl+Shift+A", [this](bool on) { viewer_->SetAxes(on); });
  toggle("mnuViewLight", "&Light", "Ctrl+L", [this](bool on) { viewer_->SwitchLight(on); });

  QMenu* script = menu("mnuScript", "&Script");
  action(script, "mnuScriptShow", "Edit &Script", [this] { mnuScriptShow_Click(); }, "Ctrl+E");
  separator(script, "mnuScriptBar0");
  action(script, "mnuScriptRun", "Run Script", [this] { viewer_->RunVBScript(); }, "F5");
  // Enabled only while a script runs, so that Esc otherwise reaches the viewer's keys.
  mnuScriptStop_ = action(script, "mnuScriptStop", "S&top Script", [this] { viewer_->StopScript(); }, "Esc");
  mnuScriptStop_->setEnabled(false);
  separator(script, "mnuScriptBar1");
  QAction* animation = action(script, "mnuScriptAnimation", "&Animation...", [this] { mnuScriptAnimation_Click(); });
  // The tool button sits in the menu bar's corner, so the drawing area keeps its size.
  auto* button = new QToolButton(menuBar());
  button->setObjectName("tbAnimation");
  animation->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
  animation->setToolTip("Animation: keyframe movies");
  button->setDefaultAction(animation);
  button->setToolButtonStyle(Qt::ToolButtonIconOnly);
  button->setAutoRaise(true);
  menuBar()->setCornerWidget(button);

  QMenu* tools = menu("mnuTools", "&Tools");
  action(tools, "mnuToolsConverFiles", "&Convert TIFF Series (Leica)", [this] {
    // One window for the program's life, so that it remembers its last destination folder.
    if (!leica_) leica_ = new series::frmCnvrtLeicaTiff(this);
    leica_->exec();
  });
  action(tools, "mnuImportTifSeries", "Convert &TIFF Series", [this] { series::frmImportTiffSeries(this).exec(); });
  separator(tools, "mnuToolsBar1");
  action(tools, "mnuToolsPalEdit1", "Custom Palette Editor &1", [this] { OpenPaletteEditor(true); });
  action(tools, "mnuToolsPalEdit2", "Custom Palette Editor &2", [this] { OpenPaletteEditor(false); });
  separator(tools, "mnuToolsBar0");
  action(tools, "mnuGIF", "AVI to Animated &GIF", [this] { avi2gif::mnuGIF_Click(this, avi2gif_); });
  action(tools, "mnuToolsRecompressAVI", "&(Re)compress AVI", [this] {
    Viewer::BusyScope busy(*viewer_);  // the progress frame lets other commands run
    RecompressAviWithDialogs(this, *this, *this);
  })->setVisible(false);
  action(tools, "mnuToolsPreferences", "&Preferences...", [this] {
    if (PreferencesDialog(this).exec() == QDialog::Accepted) ApplyMemorySettings();
  });

  mnuPallete_ = menu("mnuPallete", "&Palette");
  mnuPallete_->menuAction()->setVisible(false);

  QMenu* window = menu("mnuWindow", "&Window");
  action(window, "mnuWindowSet", "Set to ...", [this] { mnuWindowSet_Click(); }, "Ctrl+F12");
  separator(window, "mnuWindowBar0");
  const struct {
    const char* name;
    const char* caption;
    const char* key;
    int w, h;
  } presets[] = {{"mnuWindow320x240", "Set to &320x240", "Ctrl+F1", 320, 240},
                 {"mnuWindow640x480", "Set to &640x480", "Ctrl+F2", 640, 480},
                 {"mnuWindow800x600", "Set to &800x600", "Ctrl+F3", 800, 600},
                 {"mnuWindow1024x768", "Set to &1024x768", "Ctrl+F4", 1024, 768}};
  for (const auto& p : presets) {
    const int w = p.w, h = p.h;
    action(window, p.name, p.caption, [this, w, h] { mnuWindowPreset_Click(w, h); }, p.key);
  }

  separator(window, "mnuWindowBar1");  // "View Panel" follows (BuildViewPanel)

  QMenu* help = menu("mnuHelp", "&Help");
  action(help, "mnuHelpContents", "&Contents", [this] { ShowHelp(); }, "F1");
  action(help, "mnuHelpBrowser", "Open Manual in &Browser", [this] { ShowHelpInBrowser(); })
      ->setVisible(widgets::DesktopCanOpenWebPages());
  separator(help, "mnuHelpBar0");
  action(help, "mnuAbout", "&About", [this] { frmAbout(this).exec(); });
}

void frm3D::RefreshViewMenu() {
  const ViewState& v = viewer_->View();
  mnuViewModes_[static_cast<size_t>(v.Mode)]->setChecked(true);  // the group unticks the others
  findChild<QAction*>("mnuViewOrthographic")->setChecked(v.Proj == Projection::Orthographic);
  findChild<QAction*>("mnuViewScaleBar")->setChecked(v.ScaleBar);
  findChild<QAction*>("mnuViewAxes")->setChecked(v.Axes);
  findChild<QAction*>("mnuViewLight")->setChecked(v.LightOn);
}

}  // namespace lumetrix
