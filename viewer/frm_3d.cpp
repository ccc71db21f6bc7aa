#include "viewer/frm_3d.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QStatusBar>
#include <QUrl>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "core/file_helpers.h"
#include "export/avi2gif_ui/frm_avi2gif.h"
#include "export/avi_ui/dialog_options_source.h"
#include "export/series/frm_cnvrt_leica_tiff.h"
#include "export/series/frm_import_tiff_series.h"
#include "palettes/ui/frm_palette.h"
#include "palettes/ui/frm_palette2.h"
#include "palettes/ui/standard_palette_folders.h"
#include "scripting/frm_parameters.h"
#include "scripting/frm_vb_editor.h"
#include "viewer/app_paths.h"
#include "viewer/file_console.h"
#include "viewer/frm_about.h"
#include "viewer/frm_animation.h"
#include "viewer/frm_display.h"
#include "viewer/frm_set_window.h"
#include "viewer/gl_view.h"
#include "viewer/key_codes.h"
#include "viewer/recompress_command.h"
#include "viewer/script_binding.h"
#include "widgets/frm_help.h"
#include "widgets/message_box_icon.h"

namespace lumetrix {
namespace {

MouseButton ButtonOf(Qt::MouseButton b) {
  if (b == Qt::LeftButton) return MouseButton::Left;
  if (b == Qt::RightButton) return MouseButton::Right;
  return MouseButton::Other;
}

}  // namespace

frm3D::frm3D(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle("3D Image viewer");
  setObjectName("frm3D");
  setAcceptDrops(true);
  BuildMenus();
  BuildClientArea();
  movie_options_ = std::make_unique<avi::DialogOptionsSource>(this);
  script_ui_ = std::make_unique<DialogUiHost>(this);
  viewer_ = std::make_unique<Viewer>(
      *gl_, ViewerUi{*this, *this, *movie_options_, [] { QCoreApplication::processEvents(); },
                     [] { QApplication::beep(); }, script_ui_.get(), [this](const std::string& line) { ShowStatus(line); }});
  viewer_->Observe([this](ViewerChange change) { OnViewerChange(change); });

  // Window load.
  mru_.SetNumber(5);
  mru_.Load();
  mru_.Update(*this);
  editor_ = std::make_unique<frmVBEditor>();  // hidden until "Edit Script"
  connect(editor_.get(), &frmVBEditor::runScriptRequested, this, [this] { viewer_->RunVBScript(); });
  editor_->addAction(mnuScriptStop_);  // Esc in the editor stops a running script as well
  viewer_->UseScriptConsole(std::make_unique<EditorConsole>(*editor_));
  RefreshPaletteMenu();
  viewer_->SetClientSize(400, 400);
}

void frm3D::ShowStatus(const std::string& line) {
  // The bar appears with its first line, so windows that never need it keep their layout.
  if (line.empty() && !findChild<QStatusBar*>()) return;
  statusBar()->showMessage(QString::fromStdString(line));
}

frm3D::~frm3D() {
  if (!unloaded_) Unload();
}

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
  action(file, "mnuFileOpen", "&Open Image", [this] { mnuFileOpen_Click(); });
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
  separator(control, "MnuControlBar1");
  action(control, "mnuResetParameters", "&Reset Parameters", [this] { viewer_->ResetParameters(); }, "Ctrl+R");
  action(control, "mnuControlDisplay", "&Display...", [this] {
    if (!display_) display_ = new frmDisplay(*viewer_, this);
    display_->show();
    display_->raise();
  });

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

  QMenu* help = menu("mnuHelp", "&Help");
  action(help, "mnuHelpContents", "&Contents", [this] { ShowHelp(); }, "F1");
  action(help, "mnuHelpBrowser", "Open Manual in &Browser", [this] { ShowHelpInBrowser(); })
      ->setVisible(widgets::DesktopCanOpenWebPages());
  separator(help, "mnuHelpBar0");
  action(help, "mnuAbout", "&About", [this] { frmAbout(this).exec(); });
}

void frm3D::BuildClientArea() {
  client_ = new QWidget(this);
  client_->setObjectName("ClientArea");
  auto* layout = new QVBoxLayout(client_);
  layout->setContentsMargins(0, 0, 0, 0);
  gl_ = new GlView(client_);
  layout->addWidget(gl_);
  gl_->installEventFilter(this);
  setCentralWidget(client_);

  frmProgress_ = new QGroupBox("Progress", client_);
  frmProgress_->setObjectName("frmProgress");
  // Opaque in the window's own colours: it stands over the drawing area, which is often black.
  frmProgress_->setAutoFillBackground(true);
  frmProgress_->setBackgroundRole(QPalette::Window);
  auto* inner = new QHBoxLayout(frmProgress_);
  pBar_ = new QProgressBar(frmProgress_);
  pBar_->setObjectName("pBar");
  inner->addWidget(pBar_, 1);
  cmdCancel_ = new QPushButton("Cancel", frmProgress_);
  cmdCancel_->setObjectName("cmdCancelProgress");
  cmdCancel_->setFocusPolicy(Qt::NoFocus);  // the keys stay with the viewer
  connect(cmdCancel_, &QPushButton::clicked, this, [this] { cancel_requested_ = true; });
  inner->addWidget(cmdCancel_);
  frmProgress_->resize(320, frmProgress_->sizeHint().height());
  frmProgress_->hide();
  client_->installEventFilter(this);
}

void frm3D::OnViewerChange(ViewerChange change) {
  switch (change) {
    case ViewerChange::View:
      if (parameters_) parameters_->Refresh();
      break;
    case ViewerChange::FrameDrawn:
      if (parameters_) parameters_->RefreshSoon();
      break;
    case ViewerChange::Palettes: RefreshPaletteMenu(); break;
    case ViewerChange::ScriptRunning: mnuScriptStop_->setEnabled(viewer_->ScriptRunning()); break;
    case ViewerChange::Caption:
      UpdateTitle();
      if (display_) display_->Refresh();
      break;
    case ViewerChange::Channels:
      if (display_) display_->Refresh();
      break;
  }
}

void frm3D::UpdateTitle() {
  QString title = QString::fromStdString(viewer_->WindowCaption());
  if (title.isEmpty()) title = "3D Image viewer";
  if (!viewer_->LastFile().empty()) title += " - " + QString::fromStdString(FileNameOf(viewer_->LastFile()));
  setWindowTitle(title);
}

// --- Files dropped on the window ----------------------------------------------------------------

namespace {

// The first local TIFF file among dropped items; empty when there is none.
QString DroppedTiff(const QMimeData* data) {
  for (const QUrl& url : data->urls()) {
    const QString path = url.toLocalFile();
    if (!path.isEmpty() && (path.endsWith(".tif", Qt::CaseInsensitive) || path.endsWith(".tiff", Qt::CaseInsensitive)))
      return path;
  }
  return {};
}

}  // namespace

void frm3D::dragEnterEvent(QDragEnterEvent* event) {
  if (!viewer_->Busy() && !DroppedTiff(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void frm3D::dropEvent(QDropEvent* event) {
  const QString path = DroppedTiff(event->mimeData());
  if (path.isEmpty() || viewer_->Busy()) return;
  event->acceptProposedAction();
  if (viewer_->OpenAndRun(path.toStdString())) AddRecentFile();
}

// --- Input --------------------------------------------------------------------------------------

bool frm3D::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) CentreProgress();
  if (watched != gl_ || !viewer_) return QMainWindow::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* e = static_cast<QMouseEvent*>(event);
      viewer_->MouseDown(ButtonOf(e->button()), e->position().x(), e->position().y());
      return true;
    }
    case QEvent::MouseMove: {
      auto* e = static_cast<QMouseEvent*>(event);
      viewer_->MouseMove(e->position().x(), e->position().y());
      return true;
    }
    case QEvent::MouseButtonRelease:
      viewer_->MouseUp(ButtonOf(static_cast<QMouseEvent*>(event)->button()));
      return true;
    case QEvent::Wheel:
      // Touchpads report small steps; they add up to the 120 of a mouse notch.
      wheel_rest_ += static_cast<QWheelEvent*>(event)->angleDelta().y();
      while (wheel_rest_ >= 120 || wheel_rest_ <= -120) {
        const int notch = wheel_rest_ > 0 ? 120 : -120;
        viewer_->Wheel(notch);
        wheel_rest_ -= notch;
      }
      return true;
    default: return QMainWindow::eventFilter(watched, event);
  }
}

void frm3D::keyPressEvent(QKeyEvent* event) { viewer_->KeyDown(VirtualKeyOf(*event)); }

void frm3D::keyReleaseEvent(QKeyEvent* event) {
  if (!event->isAutoRepeat()) viewer_->KeyUp(VirtualKeyOf(*event));  // else the key is still held
}

void frm3D::changeEvent(QEvent* event) {
  // Keys released while another window has the keyboard never report it here.
  if (event->type() == QEvent::ActivationChange && !isActiveWindow() && viewer_) viewer_->ReleaseAllKeys();
  QMainWindow::changeEvent(event);
}

// --- Progress frame and messages ----------------------------------------------------------------

void frm3D::CentreProgress() {
  frmProgress_->move(client_->width() / 2 - frmProgress_->width() / 2,
                     client_->height() / 2 - frmProgress_->height() / 2);
}

void frm3D::ShowProgress(const std::string& caption, int32_t start, int32_t maximum) {
  frmProgress_->setTitle(QString::fromStdString(caption));
  // Only reading can be cancelled: the volume on screen stays as it was.
  cancel_requested_ = false;
  cmdCancel_->setVisible(viewer_->Reading());
  pBar_->setFormat(viewer_->Reading() ? "page %v of %m" : "%v of %m");
  CentreProgress();
  frmProgress_->show();
  frmProgress_->raise();
  pBar_->setMinimum(0);
  pBar_->setMaximum(std::max(maximum, 0));
  pBar_->setMinimum(std::min(start, pBar_->maximum()));
  QCoreApplication::processEvents();
}

void frm3D::SetProgress(int32_t value) {
  QCoreApplication::processEvents();
  pBar_->setValue(std::clamp(value, pBar_->minimum(), pBar_->maximum()));
  QCoreApplication::processEvents();
}

void frm3D::HideProgress() {
  frmProgress_->hide();
  pBar_->setValue(0);
  QCoreApplication::processEvents();
}

int32_t frm3D::GetProgress() const { return pBar_->value(); }

void frm3D::ShowMessage(const std::string& text, MessageIcon icon) {
  QMessageBox box(MessageBoxIcon(icon), "Lumetrix", QString::fromStdString(text), QMessageBox::Ok, this);
  box.exec();
}

// --- File menu ----------------------------------------------------------------------------------

void frm3D::SetMruEntry(int index, const std::string& caption, bool visible) {
  if (index < 0 || index >= MruEntryCount()) return;
  QAction* entry = mnuMRUFiles_[static_cast<size_t>(index)];
  if (visible) entry->setText(QString::fromStdString(caption));
  entry->setVisible(visible);
}

void frm3D::AddRecentFile() {
  mru_.Add(viewer_->LastFile());
  mru_.Update(*this);
  mru_.Save();
}

void frm3D::mnuFileOpen_Click() {
  if (viewer_->Busy()) return;
  const QString chosen =
      QFileDialog::getOpenFileName(this, "Open TIF File", QString::fromStdString(viewer_->LastFile()),
                                   "TIF Files (*.tif *.tiff *.TIF *.TIFF);;All Files (*)");
  // Cancelled, or the file on screen: nothing changes.
  if (viewer_->OpenAndRun(chosen.toStdString())) AddRecentFile();
}

void frm3D::mnuMRUFiles_Click(int index) {
  viewer_->OpenAndRun(mnuMRUFiles_[static_cast<size_t>(index)]->text().toStdString());
}

bool frm3D::OpenAtStart(const std::string& path) {
  const bool shown = viewer_->OpenAtStart(path);
  if (shown) AddRecentFile();
  return shown;
}

void frm3D::mnuFileSaveImage_Click(bool jpeg) {
  if (!viewer_->VolumeLoaded()) return;
  QFileDialog dialog(this, jpeg ? "Save JPG File" : "Save BMP File", QString(),
                     jpeg ? "JPEG Files (*.jpg)" : "BMP Files (*.bmp)");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(jpeg ? "jpg" : "bmp");
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const std::string name = dialog.selectedFiles().first().toStdString();
  if (name.empty()) return;
  try {
    if (jpeg)
      viewer_->SaveJPG(name);
    else
      viewer_->SaveBMP(name);
  } catch (const std::exception& e) {
    ShowMessage(e.what(), MessageIcon::Exclamation);
  }
}

// --- Window and help ----------------------------------------------------------------------------

void frm3D::mnuWindowPreset_Click(int width, int height) {
  showNormal();
  viewer_->SetClientSize(width, height);
}

void frm3D::mnuWindowSet_Click() {
  frmSetWindow(this).exec();
  showNormal();
  const int16_t w = frmSetWindow::StoredWidth(), h = frmSetWindow::StoredHeight();
  if (w > 0 && h > 0) viewer_->SetClientSize(w, h);
}

void frm3D::ShowHelp() {
  const QString page = HelpIndexPath();
  if (page.isEmpty()) {
    ShowMessage("The manual could not be opened: it is not installed.", MessageIcon::Information);
    return;
  }
  if (!help_) help_ = new widgets::frmHelp(page, this);
  help_->show();
  help_->raise();
  help_->activateWindow();
}

void frm3D::ShowHelpInBrowser() {
  const QString page = HelpIndexPath();
  if (page.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(page)))
    ShowMessage("The manual could not be opened in a browser" +
                    (page.isEmpty() ? std::string(": it is not installed.") : " (" + page.toStdString() + ")."),
                MessageIcon::Information);
}

// --- Palettes, scripts, parameters --------------------------------------------------------------

void frm3D::RefreshPaletteMenu() {
  const auto& entries = viewer_->Palettes().Entries();
  while (mnuPal_.size() < entries.size()) {
    const int index = static_cast<int>(mnuPal_.size());
    QAction* entry = mnuPallete_->addAction("----");
    entry->setObjectName(QString("mnuPal%1").arg(index));
    entry->setCheckable(true);
    connect(entry, &QAction::triggered, this, [this, index] { viewer_->ChoosePalette(index); });
    mnuPal_.push_back(entry);
  }
  for (size_t i = 0; i < mnuPal_.size(); ++i) {
    const bool present = i < entries.size();
    if (present) mnuPal_[i]->setText(QString::fromStdString(entries[i].caption).replace('&', "&&"));
    mnuPal_[i]->setVisible(present);
    mnuPal_[i]->setChecked(static_cast<int32_t>(i) == viewer_->Palettes().CheckedIndex());
  }
  mnuPallete_->menuAction()->setVisible(viewer_->PaletteMenuShown());
}

void frm3D::OpenPaletteEditor(bool gradient) {
  if (gradient)
    frmPalette(this, StandardPaletteFolders()).exec();
  else
    frmPalette2(this, StandardPaletteFolders()).exec();
  viewer_->LoadLuts();
}

void frm3D::mnuScriptShow_Click() {
  if (!editor_) return;
  editor_->show();
  editor_->setWindowState(editor_->windowState() & ~Qt::WindowMinimized);
  editor_->raise();
  editor_->activateWindow();
}

void frm3D::mnuScriptAnimation_Click() {
  if (!animation_) {
    animation_ = new frmAnimation(*viewer_, this);
    animation_->setAttribute(Qt::WA_DeleteOnClose);
  }
  animation_->show();
  animation_->raise();
  animation_->activateWindow();
}

frmParameters* frm3D::Parameters() const { return parameters_; }
avi2gif::AVI2GIF* frm3D::AviToGifWindow() const { return avi2gif_; }

void frm3D::mnuControlShowParameters_Click() {
  if (!parameters_) parameters_ = new frmParameters(*viewer_, this);  // deletes itself when closed
  parameters_->show();
  parameters_->raise();
}

// --- Unload -------------------------------------------------------------------------------------

void frm3D::closeEvent(QCloseEvent* event) {
  // The editor asks about an unsaved script first: a Cancel there keeps the whole program
  // running, rather than leaving the editor behind without its main window.
  if (editor_) {
    editor_->setQuitRequested(true);
    if (!editor_->close()) {
      editor_->setQuitRequested(false);
      event->ignore();
      return;
    }
  }
  Unload();
  event->accept();
}

void frm3D::Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  viewer_->Unload();
  if (parameters_) parameters_->close();
  viewer_->UseScriptConsole(std::make_unique<FileConsole>(QString(), QString()));  // the editor goes
  editor_.reset();  // asked about its script in closeEvent already
  if (leica_) leica_->close();
  if (avi2gif_) avi2gif_->close();
  if (help_) help_->close();
  emit Unloading();
}

}  // namespace lumetrix
