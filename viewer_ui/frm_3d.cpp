#include "viewer_ui/frm_3d.h"
#include "viewer_ui/streaming_settings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDockWidget>
#include <QDropEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QMessageBox>
#include <QMouseEvent>
#include <QStatusBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "core/file_helpers.h"
#include "imaging/zarr/zarr_reader.h"
#include "export/avi2gif_ui/frm_avi2gif.h"
#include "export/avi_ui/dialog_options_source.h"
#include "export/series/frm_cnvrt_leica_tiff.h"
#include "palettes/ui/frm_palette.h"
#include "palettes/ui/frm_palette2.h"
#include "palettes/ui/standard_palette_folders.h"
#include "scripting/frm_parameters.h"
#include "scripting/frm_vb_editor.h"
#include "viewer/file_console.h"
#include "viewer_ui/app_paths.h"
#include "viewer_ui/series_chooser.h"
#include "viewer_ui/frm_animation.h"
#include "viewer_ui/frm_display.h"
#include "viewer_ui/frm_set_window.h"
#include "viewer_ui/gl_view.h"
#include "viewer_ui/key_codes.h"
#include "viewer_ui/open_volume_dialog.h"
#include "viewer_ui/progress_frame.h"
#include "viewer_ui/status_panes.h"
#include "viewer_ui/script_binding.h"
#include "viewer_ui/time_controls.h"
#include "viewer_ui/time_player.h"
#include "viewer_ui/view_step_marker.h"
#include "viewer_ui/tool_window_place.h"
#include "viewer_ui/view_panel.h"
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
                     [] { QApplication::beep(); }, script_ui_.get(), [this](const std::string& line) { ShowStatus(line); },
                     [this](const std::string& name, const std::vector<imaging::SeriesSummary>& series) {
                       return SeriesChooser::Choose(this, name, series);
                     }});
  viewer_->Observe([this](ViewerChange change) { OnViewerChange(change); });
  viewer_->SetPreviewWhilePyramidBuilds(true);
  pyramid_poll_ = new QTimer(this);
  pyramid_poll_->setInterval(250);
  connect(pyramid_poll_, &QTimer::timeout, this, [this] {
    if (!viewer_->PollPyramidBuild()) pyramid_poll_->stop();
  });
  player_ = TimePlayer::For(*viewer_);
  BuildViewPanel();
  RefreshViewMenu();

  // Window load.
  mru_.SetNumber(5);
  mru_.Load();
  mru_.Update(*this);
  editor_ = std::make_unique<frmVBEditor>();  // hidden until "Edit Script"
  connect(editor_.get(), &frmVBEditor::runScriptRequested, this, [this] { viewer_->RunVBScript(); });
  editor_->addAction(mnuScriptStop_);  // Esc in the editor stops a running script as well
  viewer_->UseScriptConsole(std::make_unique<EditorConsole>(*editor_));
  RefreshPaletteMenu();
  PlaceEmptyHint();
  ApplyMemorySettings();
  const bool wheel_away = QSettings("Lumetrix", "Lumetrix").value("WheelAwayZoomsIn", false).toBool();
  viewer_->SetWheelAwayZoomsIn(wheel_away);
  findChild<QAction*>("mnuControlWheelAwayZoomsIn")->setChecked(wheel_away);
  for (QMenu* menu : menuBar()->findChildren<QMenu*>())
    connect(menu, &QMenu::aboutToShow, this, [this] { viewer_->ReleaseAllKeys(); });
  qApp->installEventFilter(new ViewStepMarker([this] { viewer_->SettleViewStep(); }, this));
  UpdateUndoActions();
  viewer_->SetClientSize(400, 400);
  // Where the user last left the window, and whether the panel was shown, win over the start size.
  QSettings settings("Lumetrix", "Lumetrix");
  restoreGeometry(settings.value("MainWindow/Geometry").toByteArray());
  restoreState(settings.value("MainWindow/State").toByteArray());
}

void frm3D::ShowStatus(const std::string& line) { status_->ShowMessage(line); }

frm3D::~frm3D() {
  if (!unloaded_) Unload();
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
  // The keyboard going to the menu bar or a menu takes the key-ups of the keys held with it.
  menuBar()->installEventFilter(this);

  progress_ = new ProgressFrame(client_);
  status_ = std::make_unique<StatusPanes>(statusBar());
  client_->installEventFilter(this);

  empty_hint_ = new QLabel("Open a stack with File > Open Image,\nor drop a TIFF file here.", client_);
  empty_hint_->setObjectName("lblEmptyHint");
  empty_hint_->setAlignment(Qt::AlignCenter);
  empty_hint_->setStyleSheet("color: #b0b0b0; background: transparent;");
  empty_hint_->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void frm3D::BuildViewPanel() {
  view_dock_ = new QDockWidget("View", this);
  view_dock_->setObjectName("dockView");
  view_dock_->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
  view_panel_ = new ViewPanel(*viewer_);
  view_panel_->TimeSlot()->addWidget(time_controls_ = new TimeControls(*viewer_));
  // Scrolled, so that the panel never makes the window taller than the drawing area asked for.
  auto* scroll = new QScrollArea;
  scroll->setObjectName("scrViewPanel");
  scroll->setWidget(view_panel_);
  scroll->setWidgetResizable(true);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);  // many iso levels may be wider
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setMinimumWidth(view_panel_->sizeHint().width() + scroll->verticalScrollBar()->sizeHint().width());
  view_dock_->setWidget(scroll);
  addDockWidget(Qt::RightDockWidgetArea, view_dock_);
  QAction* toggle = view_dock_->toggleViewAction();
  toggle->setObjectName("mnuWindowViewPanel");
  toggle->setText("View &Panel");
  toggle->setShortcut(QKeySequence("F9"));
  findChild<QMenu*>("mnuWindow")->addAction(toggle);
}

void frm3D::PlaceEmptyHint() {
  empty_hint_->setGeometry(client_->rect());
  empty_hint_->setVisible(viewer_ && viewer_->LastFile().empty());  // Close Image clears it
  empty_hint_->raise();
  progress_->raise();
}

void frm3D::UpdateUndoActions() {
  mnuControlUndo_->setEnabled(viewer_->CanUndoView());
  mnuControlRedo_->setEnabled(viewer_->CanRedoView());
}

void frm3D::OnViewerChange(ViewerChange change) {
  if (change == ViewerChange::View || change == ViewerChange::Channels || change == ViewerChange::Caption)
    UpdateUndoActions();
  if (change != ViewerChange::FrameDrawn) status_->Follow(*viewer_);
  switch (change) {
    case ViewerChange::View:
      if (view_panel_) view_panel_->Refresh();
      RefreshViewMenu();
      if (parameters_) parameters_->Refresh();
      break;
    case ViewerChange::FrameDrawn:
      if (parameters_) parameters_->RefreshSoon();
      break;
    case ViewerChange::Palettes: RefreshPaletteMenu(); break;
    case ViewerChange::ScriptRunning: mnuScriptStop_->setEnabled(viewer_->ScriptRunning()); break;
    case ViewerChange::Caption:
      if (viewer_->BuildingPyramid()) pyramid_poll_->start();
      UpdateTitle();
      PlaceEmptyHint();
      if (view_panel_) view_panel_->Refresh();
      if (time_controls_) time_controls_->Refresh();
      if (display_) display_->Refresh();
      break;
    case ViewerChange::Channels:
      PlaceEmptyHint();
      if (view_panel_) view_panel_->Refresh();
      if (time_controls_) time_controls_->Refresh();
      if (display_) display_->Refresh();
      break;
  }
}

void frm3D::UpdateTitle() { setWindowTitle(QString::fromStdString(viewer_->MainWindowTitle())); }

// --- Files dropped on the window ----------------------------------------------------------------

namespace {

// The first local TIFF file or OME-Zarr folder among dropped items; empty when there is none.
QString DroppedTiff(const QMimeData* data) {
  for (const QUrl& url : data->urls()) {
    const QString path = url.toLocalFile();
    if (!path.isEmpty() && (path.endsWith(".tif", Qt::CaseInsensitive) || path.endsWith(".tiff", Qt::CaseInsensitive)))
      return path;
    if (!path.isEmpty() && imaging::IsZarrPath(path.toStdString()))
      return QString::fromStdString(imaging::ZarrFolderOf(path.toStdString()));
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
  if (watched == client_ && event->type() == QEvent::Resize) {
    progress_->Centre();
    PlaceEmptyHint();
  }
  if (watched == menuBar() && viewer_ && (event->type() == QEvent::FocusIn || event->type() == QEvent::Show))
    viewer_->ReleaseAllKeys();
  if (watched != gl_ || !viewer_) return QMainWindow::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* e = static_cast<QMouseEvent*>(event);
      viewer_->MouseDown(ButtonOf(e->button()), e->position().x(), e->position().y(),
                         e->modifiers().testFlag(Qt::ControlModifier));
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
      viewer_->WheelTurned(static_cast<QWheelEvent*>(event)->angleDelta().y());
      return true;
    default: return QMainWindow::eventFilter(watched, event);
  }
}

void frm3D::keyPressEvent(QKeyEvent* event) {
  // Keys typed in the menu bar (after Alt) come here when the bar does not use them; they are
  // the menus' keys, not the view's, and their key-up may never come here.
  if (focusWidget() == menuBar() || QApplication::activePopupWidget()) return;
  // Nor are keys a control of the View panel leaves unused (a letter on a check box).
  if (view_dock_ && view_dock_->isAncestorOf(focusWidget())) return;
  viewer_->KeyDown(VirtualKeyOf(*event));
}

void frm3D::keyReleaseEvent(QKeyEvent* event) {
  if (!event->isAutoRepeat()) viewer_->KeyUp(VirtualKeyOf(*event));  // else the key is still held
}

void frm3D::changeEvent(QEvent* event) {
  // Keys released while another window has the keyboard never report it here.
  if (event->type() == QEvent::ActivationChange && !isActiveWindow() && viewer_) viewer_->ReleaseAllKeys();
  QMainWindow::changeEvent(event);
}

// --- Progress frame and messages ----------------------------------------------------------------

void frm3D::ShowProgress(const std::string& caption, int32_t start, int32_t maximum) {
  // An open can be cancelled at every stage: the volume on screen stays as it was.
  progress_->Start(caption, start, maximum, viewer_->Opening(), viewer_->Reading());
}

void frm3D::SetProgress(int32_t value) { progress_->SetValue(value); }
void frm3D::HideProgress() { progress_->Stop(); }
int32_t frm3D::GetProgress() const { return progress_->Value(); }

// The program closes, or Cancel was clicked while a volume is opened.
bool frm3D::Cancelled() const { return progress_->CancelClicked() || (viewer_ && viewer_->QuitRequested()); }

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
  const QString chosen = ChooseVolumeToOpen(this, QString::fromStdString(viewer_->LastFile()));
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
    ShowStatus("Saved " + name);
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
  ShowToolWindow(*animation_, *this);
  animation_->activateWindow();
}

frmParameters* frm3D::Parameters() const { return parameters_; }
avi2gif::AVI2GIF* frm3D::AviToGifWindow() const { return avi2gif_; }

void frm3D::mnuControlShowParameters_Click() {
  if (!parameters_) parameters_ = new frmParameters(*viewer_, this);  // deletes itself when closed
  ShowToolWindow(*parameters_, *this);
}

// --- Unload -------------------------------------------------------------------------------------

void frm3D::closeEvent(QCloseEvent* event) {
  if (animation_ && !animation_->KeyframesMayGo()) return event->ignore();  // keyframes not saved
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
  // Remembered only here: windows that are merely destroyed (tests, a failed start) leave no trace.
  QSettings settings("Lumetrix", "Lumetrix");
  settings.setValue("MainWindow/Geometry", saveGeometry());
  settings.setValue("MainWindow/State", saveState());
  Unload();
  event->accept();
}

void frm3D::Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  pyramid_poll_->stop();
  viewer_->Unload();
  if (parameters_) parameters_->close();
  viewer_->UseScriptConsole(std::make_unique<FileConsole>(QString(), QString()));  // the editor goes
  editor_.reset();  // asked about its script in closeEvent already
  if (leica_) leica_->close();
  if (avi2gif_) avi2gif_->close();
  if (help_) help_->close();
  emit Unloading();
}

void frm3D::ApplyMemorySettings() {
  // Megabytes from Preferences; 0: from the memory available (or the cache's default bound).
  const StreamingSettings s = LoadStreamingSettings();
  viewer_->SetMemoryBudget({uint64_t(s.host_cache_mb) << 20, uint64_t(s.gpu_cache_mb) << 20});
  viewer_->SetPyramidCacheBound(uint64_t(s.pyramid_cache_mb) << 20);
}

}  // namespace lumetrix
