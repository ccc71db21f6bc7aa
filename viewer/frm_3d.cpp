#include "viewer/frm_3d.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cstdio>
#include <filesystem>

#include "export/avi/avi_reader.h"
#include "export/avi/avi_recompressor.h"
#include "export/avi/avi_recorder.h"
#include "export/avi2gif_ui/frm_avi2gif.h"
#include "export/avi_ui/dialog_options_source.h"
#include "export/series/frm_cnvrt_leica_tiff.h"
#include "export/series/frm_import_tiff_series.h"
#include "palettes/lut_bitmap.h"
#include "scripting/frm_parameters.h"
#include "scripting/script_file.h"
#include "scripting/script_host.h"
#include "scripting/frm_vb_editor.h"
#include "palettes/ui/frm_palette.h"
#include "palettes/ui/frm_palette2.h"
#include "palettes/ui/standard_palette_folders.h"
#include "viewer/app_paths.h"
#include "core/file_helpers.h"
#include "viewer/frm_about.h"
#include "viewer/frm_set_window.h"
#include "viewer/gl_view.h"
#include "viewer/key_codes.h"
#include "widgets/message_box_icon.h"
#include "viewer/offscreen_view.h"
#include "viewer/script_binding.h"
#include "viewer/texture_stacks.h"
#include "viewer/volume_loader.h"

namespace lumetrix {
namespace {

MouseButton ButtonOf(Qt::MouseButton b) {
  if (b == Qt::LeftButton) return MouseButton::Left;
  if (b == Qt::RightButton) return MouseButton::Right;
  return MouseButton::Other;
}

}  // namespace

frm3D::frm3D(bool headless, QWidget* parent) : QMainWindow(parent), headless_(headless) {
  setWindowTitle("3D Image viewer");
  setObjectName("frm3D");
  BuildMenus();
  BuildClientArea();

  // Window load.
  QuitRequested = false;
  VolumeLoaded = false;
  SliceStep = 4;
  mru_.SetNumber(5);
  mru_.Load();
  mru_.Update(*this);
  if (!headless_) {
    editor_ = std::make_unique<frmVBEditor>();  // hidden until "Edit Script"
    connect(editor_.get(), &frmVBEditor::runScriptRequested, this, &frm3D::RunVBScript);
    // Esc in the editor stops a running script as well.
    editor_->addAction(mnuScriptStop_);
  }
  LoadLuts();
  ResetParameters();
  SetClientSize(400, 400);
}

frm3D::~frm3D() {
  if (!unloaded_) Unload();
}

avi::AviRecorder& frm3D::Recorder() {
  if (!recorder_) {
    // Without a window nobody can answer a dialog: the remembered choice is used.
    if (headless_)
      movie_options_ = std::make_unique<avi::RememberedOptionsSource>();
    else
      movie_options_ = std::make_unique<avi::DialogOptionsSource>(this);
    recorder_ = std::make_unique<avi::AviRecorder>(*this, *movie_options_);
  }
  return *recorder_;
}

ViewerSurface* frm3D::Surface() const {
  if (offscreen_) return offscreen_.get();
  return gl_;
}

void frm3D::BuildMenus() {
  auto action = [this](QMenu* menu, const char* name, const QString& caption, QKeySequence shortcut = {}) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    return a;
  };
  auto separator = [](QMenu* menu, const char* name) { menu->addSeparator()->setObjectName(name); };
  QMenuBar* bar = menuBar();

  QMenu* file = bar->addMenu("&File");
  file->setObjectName("MnuFile");
  connect(action(file, "mnuFileOpen", "&Open Image"), &QAction::triggered, this, &frm3D::mnuFileOpen_Click);
  separator(file, "MnuFileBar2");
  mnuFileSaveBMP_ = action(file, "MnuFileSaveBMP", "&Save BMP Image");
  connect(mnuFileSaveBMP_, &QAction::triggered, this, [this] { mnuFileSaveImage_Click(false); });
  mnuFileSaveJPG_ = action(file, "MnuFileSaveJPG", "Save &JPG Image");
  connect(mnuFileSaveJPG_, &QAction::triggered, this, [this] { mnuFileSaveImage_Click(true); });
  separator(file, "mnuFileBar0");
  for (int i = 0; i < 5; ++i) {
    QAction* entry = file->addAction("..");
    entry->setObjectName(QString("mnuMRUFiles%1").arg(i));
    entry->setVisible(false);
    connect(entry, &QAction::triggered, this, [this, i] { mnuMRUFiles_Click(i); });
    mnuMRUFiles_[static_cast<size_t>(i)] = entry;
  }
  separator(file, "MnuFileBar1");
  connect(action(file, "mnuFileClose", "&Close Image"), &QAction::triggered, this, &frm3D::mnuFileClose_Click);
  separator(file, "MnuFileBar3");
  connect(action(file, "mnuFileExit", "&Exit"), &QAction::triggered, this, &QWidget::close);

  QMenu* control = bar->addMenu("&Control");
  control->setObjectName("mnuControl");
  connect(action(control, "mnuControlShowParameters", "&Show Parameters", QKeySequence("Ctrl+P")),
          &QAction::triggered, this, &frm3D::mnuControlShowParameters_Click);
  QAction* hide = action(control, "mnuControlHideParameters", "&Hide Parameters", QKeySequence("Ctrl+H"));
  hide->setVisible(false);
  connect(hide, &QAction::triggered, this, [this] {
    if (parameters_) parameters_->hide();
  });
  separator(control, "MnuControlBar0");
  connect(action(control, "mnuResetSpeedParameters", "Stop &Motion", QKeySequence("Ctrl+S")), &QAction::triggered,
          this, &frm3D::ResetSpeedParameters);
  separator(control, "MnuControlBar1");
  connect(action(control, "mnuResetParameters", "&Reset Parameters", QKeySequence("Ctrl+R")), &QAction::triggered,
          this, &frm3D::ResetParameters);

  QMenu* script = bar->addMenu("&Script");
  script->setObjectName("mnuScript");
  connect(action(script, "mnuScriptShow", "Edit &Script", QKeySequence("Ctrl+E")), &QAction::triggered, this,
          &frm3D::mnuScriptShow_Click);
  separator(script, "mnuScriptBar0");
  connect(action(script, "mnuScriptRun", "Run Script", QKeySequence("F5")), &QAction::triggered, this,
          &frm3D::RunVBScript);
  // Enabled only while a script runs, so that Esc otherwise reaches the viewer's keys.
  mnuScriptStop_ = action(script, "mnuScriptStop", "S&top Script", QKeySequence("Esc"));
  mnuScriptStop_->setEnabled(false);
  connect(mnuScriptStop_, &QAction::triggered, this, &frm3D::StopScript);

  QMenu* tools = bar->addMenu("&Tools");
  tools->setObjectName("mnuTools");
  connect(action(tools, "mnuToolsConverFiles", "&Convert TIFF Series (Leica)"), &QAction::triggered, this, [this] {
    // One window for the program's life, so that it remembers its last destination folder.
    if (!leica_) leica_ = new series::frmCnvrtLeicaTiff(this);
    leica_->exec();
  });
  connect(action(tools, "mnuImportTifSeries", "Convert &TIFF Series"), &QAction::triggered, this, [this] {
    series::frmImportTiffSeries window(this);
    window.exec();
  });
  separator(tools, "mnuToolsBar1");
  connect(action(tools, "mnuToolsPalEdit1", "Custom Palette Editor &1"), &QAction::triggered, this,
          [this] { OpenPaletteEditor(true); });
  connect(action(tools, "mnuToolsPalEdit2", "Custom Palette Editor &2"), &QAction::triggered, this,
          [this] { OpenPaletteEditor(false); });
  separator(tools, "mnuToolsBar0");
  connect(action(tools, "mnuGIF", "AVI  to Animated &GIF"), &QAction::triggered, this, &frm3D::mnuGIF_Click);
  QAction* recompress = action(tools, "mnuToolsRecompressAVI", "&(Re)compress AVI");
  recompress->setVisible(false);
  connect(recompress, &QAction::triggered, this, &frm3D::mnuToolsRecompressAVI_Click);

  mnuPallete_ = bar->addMenu("&Palette");
  mnuPallete_->setObjectName("mnuPallete");
  mnuPallete_->menuAction()->setVisible(false);

  QMenu* window = bar->addMenu("&Window");
  window->setObjectName("mnuWindow");
  connect(action(window, "mnuWindowSet", "Set to ...", QKeySequence("Ctrl+F12")), &QAction::triggered, this,
          &frm3D::mnuWindowSet_Click);
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
    connect(action(window, p.name, p.caption, QKeySequence(p.key)), &QAction::triggered, this,
            [this, w, h] { mnuWindowPreset_Click(w, h); });
  }

  QMenu* help = bar->addMenu("&Help");
  help->setObjectName("mnuHelp");
  connect(action(help, "mnuHelpContents", "&Contents", QKeySequence("F1")), &QAction::triggered, this,
          &frm3D::ShowHelp);
  separator(help, "mnuHelpBar0");
  connect(action(help, "mnuAbout", "&About"), &QAction::triggered, this, &frm3D::mnuAbout_Click);
}

void frm3D::BuildClientArea() {
  client_ = new QWidget(this);
  client_->setObjectName("ClientArea");
  auto* layout = new QVBoxLayout(client_);
  layout->setContentsMargins(0, 0, 0, 0);
  if (headless_) {
    offscreen_ = std::make_unique<OffscreenView>(view_);
  } else {
    gl_ = new GlView(view_, client_);
    layout->addWidget(gl_);
    gl_->installEventFilter(this);
    connect(gl_, &GlView::FrameDrawn, this, &frm3D::OnFrameDrawn);
    gl_->OnResized = [this](int32_t w, int32_t h) { OnSurfaceResized(w, h); };
  }
  setCentralWidget(client_);

  frmProgress_ = new QGroupBox("Progress", client_);
  frmProgress_->setObjectName("frmProgress");
  auto* inner = new QVBoxLayout(frmProgress_);
  pBar_ = new QProgressBar(frmProgress_);
  pBar_->setObjectName("pBar");
  pBar_->setTextVisible(false);
  inner->addWidget(pBar_);
  frmProgress_->resize(260, 64);
  frmProgress_->hide();
  client_->installEventFilter(this);
}

void frm3D::CentreProgress() {
  frmProgress_->move(client_->width() / 2 - frmProgress_->width() / 2,
                     client_->height() / 2 - frmProgress_->height() / 2);
}

bool frm3D::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) CentreProgress();
  if (watched == gl_) {
    switch (event->type()) {
      case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        input_.MouseDown(ButtonOf(e->button()), e->position().x(), e->position().y(), VolumeLoaded);
        return true;
      }
      case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        input_.MouseMove(e->position().x(), e->position().y(), view_);
        return true;
      }
      case QEvent::MouseButtonRelease:
        input_.MouseUp(ButtonOf(static_cast<QMouseEvent*>(event)->button()));
        return true;
      case QEvent::Wheel: {
        // Touchpads report small steps; they add up to the 120 of a mouse notch.
        wheel_rest_ += static_cast<QWheelEvent*>(event)->angleDelta().y();
        while (wheel_rest_ >= 120 || wheel_rest_ <= -120) {
          const int notch = wheel_rest_ > 0 ? 120 : -120;
          InputState::Wheel(notch, view_);
          wheel_rest_ -= notch;
        }
        return true;
      }
      default: break;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void frm3D::keyPressEvent(QKeyEvent* event) {
  input_.KeyDown(VirtualKeyOf(*event), VolumeLoaded);
}

void frm3D::keyReleaseEvent(QKeyEvent* event) {
  if (event->isAutoRepeat()) return;  // the key is still held
  input_.KeyUp(VirtualKeyOf(*event), VolumeLoaded);
}

void frm3D::changeEvent(QEvent* event) {
  // Keys released while another window has the keyboard never report it here.
  if (event->type() == QEvent::ActivationChange && !isActiveWindow()) input_.ReleaseAllKeys();
  QMainWindow::changeEvent(event);
}

void frm3D::Yield() { QCoreApplication::processEvents(); }

// --- Progress frame -------------------------------------------------------------------------

void frm3D::ShowProgress(const std::string& caption, int32_t start, int32_t maximum) {
  frmProgress_->setTitle(QString::fromStdString(caption));
  CentreProgress();
  frmProgress_->show();
  frmProgress_->raise();
  pBar_->setMinimum(0);
  pBar_->setMaximum(std::max(maximum, 0));
  pBar_->setMinimum(std::min(start, pBar_->maximum()));
  Yield();
}

void frm3D::SetProgress(int32_t value) {
  Yield();
  pBar_->setValue(std::clamp(value, pBar_->minimum(), pBar_->maximum()));
  Yield();
}

void frm3D::HideProgress() {
  frmProgress_->hide();
  pBar_->setValue(0);
  Yield();
}

int32_t frm3D::GetProgress() const { return pBar_->value(); }

void frm3D::ShowMessage(const std::string& text, MessageIcon icon) {
  if (headless_) {
    std::fprintf(stderr, "%s\n", text.c_str());
    return;
  }
  QMessageBox box(MessageBoxIcon(icon), "Lumetrix", QString::fromStdString(text), QMessageBox::Ok, this);
  box.exec();
}

void frm3D::SetMruEntry(int index, const std::string& caption, bool visible) {
  if (index < 0 || index >= MruEntryCount()) return;
  QAction* entry = mnuMRUFiles_[static_cast<size_t>(index)];
  if (visible) entry->setText(QString::fromStdString(caption));
  entry->setVisible(visible);
}

// --- Window size ------------------------------------------------------------------------------

int32_t frm3D::ScaleWidth() const { return Surface()->ClientWidth(); }
int32_t frm3D::ScaleHeight() const { return Surface()->ClientHeight(); }

void frm3D::SetClientSize(int32_t width, int32_t height) {
  if (width < 1 || height < 1) return;
  if (offscreen_) {
    offscreen_->SetSize(width, height);
    return;
  }
  const qreal ratio = devicePixelRatioF();
  const int w = static_cast<int>(width / ratio + 0.5), h = static_cast<int>(height / ratio + 0.5);
  // Only the drawing area's size is set; the menu bar keeps its height.
  auto extra = [this] {
    return isVisible() ? size() - client_->size() : QSize(0, menuBar()->sizeHint().height());
  };
  const QSize around = extra();
  resize(w + around.width(), h + around.height());
  if (isVisible()) {
    // The window system applies the new size a little later; wait for it briefly.
    QElapsedTimer clock;
    clock.start();
    while (client_->size() != QSize(w, h) && clock.elapsed() < 1000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
      if (client_->size() != QSize(w, h)) {
        const QSize still = extra();
        resize(w + still.width(), h + still.height());
      }
    }
  }
}

void frm3D::mnuWindowPreset_Click(int width, int height) {
  showNormal();
  SetClientSize(width, height);
}

void frm3D::mnuWindowSet_Click() {
  frmSetWindow dialog(this);
  dialog.exec();
  showNormal();
  const int16_t w = frmSetWindow::StoredWidth(), h = frmSetWindow::StoredHeight();
  if (w > 0 && h > 0) SetClientSize(w, h);
}

void frm3D::ShowHelp() {
  const QString page = HelpIndexPath();
  if (page.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(page)))
    ShowMessage("The manual could not be opened" + (page.isEmpty() ? std::string(": it is not installed.")
                                                                    : " (" + page.toStdString() + ")."),
                MessageIcon::Information);
}

void frm3D::mnuAbout_Click() {
  frmAbout about(this);
  about.exec();
}

// --- Opening ----------------------------------------------------------------------------------

bool frm3D::OpenVolume(const std::string& path) {
  if (busy_) return false;  // a volume or its textures are being read
  std::string name;
  if (!path.empty()) {
    name = FileExists(path) ? path : std::string();
  } else {
    const QString chosen = QFileDialog::getOpenFileName(
        this, "Open TIF File", QString::fromStdString(LastFile),
        "TIF Files (*.tif *.tiff *.TIF *.TIFF);;All Files (*)");
    name = chosen.isEmpty() ? LastFile : chosen.toStdString();
  }
  if (name.empty() || name == LastFile) return false;

  ++busy_;
  std::string error;
  std::optional<VolumeData> read = ReadVolume(name, ImX_, *this, error);
  --busy_;
  if (!read) {
    if (!QuitRequested) ShowMessage(error, MessageIcon::Exclamation);
    return false;
  }
  volume_ = std::move(*read);
  view_.Transparency = volume_.Depth == 1 ? 1.0f : 0.3f;
  LastFile = name;
  if (volume_.IsGrey) mnuPallete_->menuAction()->setVisible(true);
  emit VolumeOpened();
  return true;
}

void frm3D::mnuFileOpen_Click() {
  if (busy_) return;
  VolumeLoaded = OpenVolume({});
  if (VolumeLoaded) {
    mru_.Add(LastFile);
    mru_.Update(*this);
    mru_.Save();
    RunViewer();
  }
}

void frm3D::mnuMRUFiles_Click(int index) {
  if (busy_) return;
  VolumeLoaded = OpenVolume(mnuMRUFiles_[static_cast<size_t>(index)]->text().toStdString());
  if (VolumeLoaded) RunViewer();
}

bool frm3D::OpenAtStart(const std::string& path) {
  if (!FileExists(path)) {
    ShowMessage("The file " + path + " does not exist.", MessageIcon::Exclamation);
    return false;
  }
  VolumeLoaded = OpenVolume(path);
  if (!VolumeLoaded) return false;
  if (!headless_) {
    mru_.Add(LastFile);
    mru_.Update(*this);
    mru_.Save();
  }
  RunViewer();
  return !ViewerDone;
}

void frm3D::mnuFileClose_Click() {
  if (busy_) return;
  KillGL();
  LastFile.clear();
}

// --- Renderer -----------------------------------------------------------------------------------

void frm3D::RunViewer() {
  ViewerDone = false;
  ViewerDone = !InitGL();
  if (!ViewerDone) Surface()->RequestFrame();
}

bool frm3D::InitGL() {
  if (offscreen_) {
    std::string error;
    if (!offscreen_->MakeCurrent() && !offscreen_->Create(error)) {
      ShowMessage("Could not create the rendering context (" + error + ")", MessageIcon::None);
      return false;
    }
  } else {
    show();
    raise();
    activateWindow();
    gl_->setFocus();
    // The widget makes its context when it is first shown.
    QElapsedTimer clock;
    clock.start();
    while (!gl_->isValid() && clock.elapsed() < 3000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (!gl_->isValid() || !gl_->context()) {
      ShowMessage("Could not create the rendering context", MessageIcon::None);
      return false;
    }
  }
  if (!Surface()->MakeCurrent()) {
    ShowMessage("Could not activate the RC", MessageIcon::None);
    return false;
  }
  ResizeGL(ScaleWidth(), ScaleHeight());
  if (InitGLState()) return true;
  ShowMessage("Could not initialize OpenGL.", MessageIcon::None);
  return false;
}

bool frm3D::InitGLState() {
  TextureBuildSettings settings;
  settings.SliceStep = SliceStep;
  settings.ScaleX = view_.ScaleX;
  settings.ScaleY = view_.ScaleY;
  settings.ScaleZ = view_.ScaleZ;
  settings.Colourer = CurrentColourer();
  ViewerSurface* surface = Surface();
  settings.EnsureCurrent = [surface] { return surface->MakeCurrent(); };
  TextureStacks stacks;
  ++busy_;
  try {
    BuildTextures(volume_, settings, *this, stacks);
  } catch (const TextureBuildError& e) {
    --busy_;
    if (!QuitRequested) ShowMessage(e.what(), MessageIcon::None);
    LastFile.clear();
    return false;
  }
  --busy_;
  if (!surface->MakeCurrent()) return false;
  surface->Renderer().SetStacks(volume_, SliceStep, std::move(stacks));
  surface->Renderer().InitGLState(view_);
  return true;
}

bool frm3D::RebuildTextures() {
  if (ViewerDone || busy_ || !Surface()->MakeCurrent()) return false;
  return InitGLState();
}

void frm3D::ResizeGL(int32_t width, int32_t height) {
  if (Surface()->MakeCurrent()) Surface()->Renderer().ResizeGL(width, height);
}

void frm3D::OnSurfaceResized(int32_t width, int32_t height) {
  if (!ScriptRunning) Surface()->Renderer().ResizeGL(width, height);
}

void frm3D::OnFrameDrawn() {
  if (ViewerDone || ScriptRunning) return;
  input_.ApplyHeldKeys(view_);
  Surface()->RequestFrame();
}

void frm3D::ResumeViewer() {
  if (!ViewerDone && !ScriptRunning) Surface()->RequestFrame();
}

void frm3D::KillGL() {
  ViewerSurface* surface = Surface();
  if (surface->MakeCurrent()) surface->Renderer().ReleaseStacks();
  surface->Refresh();
  ViewerDone = true;
}

void frm3D::DrawImage() {
  Surface()->DrawFrameNow();
  Yield();
}

// --- View state setters -------------------------------------------------------------------------

void frm3D::SetXYRot(float x, float y) { view_.XRot = x, view_.YRot = y; }
void frm3D::SetXRot(float x) { view_.XRot = x; }
void frm3D::SetYRot(float y) { view_.YRot = y; }
void frm3D::SetScaleX(float v) { view_.ScaleX = v; }
void frm3D::SetScaleY(float v) { view_.ScaleY = v; }
void frm3D::SetScaleZ(float v) { view_.ScaleZ = v; }
void frm3D::Setx(float v) { view_.PosX = v; }
void frm3D::Sety(float v) { view_.PosY = v; }
void frm3D::SetZ(float v) { view_.PosZ = v; }
void frm3D::SetXRotSpeed(float v) { view_.XSpeed = v; }
void frm3D::SetYRotSpeed(float v) { view_.YSpeed = v; }
void frm3D::SetLight(float r, float g, float b) {
  view_.LightColor[0] = r, view_.LightColor[1] = g, view_.LightColor[2] = b;
}
void frm3D::SetColor(float r, float g, float b) { view_.Color = {r, g, b}; }
void frm3D::SetTransparency(float a) { view_.Transparency = a; }
void frm3D::SetLightOn() { view_.LightOn = true; }
void frm3D::SetLightOff() { view_.LightOn = false; }
void frm3D::ResetParameters() { view_.ResetParameters(); }
void frm3D::ResetSpeedParameters() { view_.ResetSpeedParameters(); }

// --- Frame capture ------------------------------------------------------------------------------

bool frm3D::CaptureFrameBmp(const std::string& path, int32_t x, int32_t y, int32_t width, int32_t height) {
  last_frame_ = Surface()->CaptureFrame(x, y, width, height);
  WriteFrameBmp(path, last_frame_);
  return true;
}

void frm3D::SaveBMP(const std::string& FileName) {
  if (FileExists(FileName)) std::filesystem::remove(FileName);
  CaptureFrameBmp(FileName, 0, 0, ScaleWidth(), ScaleHeight());
}

std::string frm3D::TempFramePath() { return GetTempFolder() + "frame.bmp"; }

void frm3D::SaveJPG(const std::string& FileName) {
  const std::string frame = TempFramePath();
  SaveBMP(frame);
  ImX_.SetJpegFlag(true);
  ImX_.SetJpegQuality(95);
  if (FileExists(FileName)) std::filesystem::remove(FileName);
  if (!ImX_.LoadPage(frame, 0)) throw std::runtime_error("Could not read the captured frame: " + ImX_.LastError());
  ImX_.SaveImage(FileName, imaging::kFormatJpeg, false);
}

void frm3D::mnuFileSaveImage_Click(bool jpeg) {
  if (!VolumeLoaded) return;
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
      SaveJPG(name);
    else
      SaveBMP(name);
  } catch (const std::exception& e) {
    ShowMessage(e.what(), MessageIcon::Exclamation);
  }
}

// --- Palettes -----------------------------------------------------------------------------------

void frm3D::LoadLuts() {
  catalogue_.LoadLuts(StandardPaletteFolders().SearchOrder());
  RefreshPaletteMenu();
}

void frm3D::RefreshPaletteMenu() {
  const auto& entries = catalogue_.Entries();
  while (mnuPal_.size() < entries.size()) {
    const int index = static_cast<int>(mnuPal_.size());
    QAction* entry = mnuPallete_->addAction("----");
    entry->setObjectName(QString("mnuPal%1").arg(index));
    entry->setCheckable(true);
    connect(entry, &QAction::triggered, this, [this, index] { mnuPal_Click(index); });
    mnuPal_.push_back(entry);
  }
  for (size_t i = 0; i < mnuPal_.size(); ++i) {
    const bool present = i < entries.size();
    if (present) mnuPal_[i]->setText(QString::fromStdString(entries[i].caption).replace('&', "&&"));
    mnuPal_[i]->setVisible(present);
    mnuPal_[i]->setChecked(static_cast<int32_t>(i) == catalogue_.CheckedIndex());
  }
}

void frm3D::mnuPal_Click(int Index) {
  const bool rebuild = !busy_ && catalogue_.Choose(Index, VolumeLoaded);
  RefreshPaletteMenu();  // the menu ticks what it was clicked on; the catalogue decides
  if (rebuild) RebuildTextures();
}

void frm3D::SetPalette(const std::string& name) {
  if (busy_ || !catalogue_.SetPalette(name, volume_.IsGrey)) return;
  RefreshPaletteMenu();
  RebuildTextures();
}

SliceColourer frm3D::CurrentColourer() const {
  if (!catalogue_.UsesTable(volume_.IsGrey)) return {};
  auto table = std::make_shared<palettes::Lut>(catalogue_.CurrentTable());
  return [table](const std::vector<uint8_t>& grey, int32_t width, int32_t height, std::vector<uint8_t>& bgr,
                 int32_t& columns) {
    palettes::BgrImage image;
    palettes::ColourSlice(grey, width, height, *table, image);
    bgr.swap(image.bgr);
    columns = image.width;
  };
}

void frm3D::OpenPaletteEditor(bool gradient) {
  if (gradient) {
    frmPalette editor(this, StandardPaletteFolders());
    editor.exec();
  } else {
    frmPalette2 editor(this, StandardPaletteFolders());
    editor.exec();
  }
  LoadLuts();
}

// --- Scripts ------------------------------------------------------------------------------------

ScriptHost& frm3D::Host() {
  if (!host_) {
    if (editor_)
      UseScriptConsole(std::make_unique<EditorConsole>(*editor_));
    else
      UseScriptConsole(std::make_unique<FileConsole>(QString(), QString()));
  }
  return *host_;
}

void frm3D::UseScriptConsole(std::unique_ptr<ScriptConsole> console) {
  if (!script_viewer_) script_viewer_ = std::make_unique<WindowScriptViewer>(*this);
  if (!script_ui_) {
    if (headless_)
      script_ui_ = std::make_unique<StdioUiHost>();
    else
      script_ui_ = std::make_unique<DialogUiHost>(this);
  }
  host_.reset();  // it refers to the console it was made with
  console_ = std::move(console);
  host_ = std::make_unique<ScriptHost>(*script_viewer_, *console_);
  host_->SetUiHost(script_ui_.get());
}

void frm3D::RunVBScript() { Host().RunVBScript(); }

void frm3D::StopScript() {
  if (host_) host_->StopScript();
}

void frm3D::SetScriptRunning(bool running) {
  ScriptRunning = running;
  if (mnuScriptStop_) mnuScriptStop_->setEnabled(running);
  if (!running) {
    ResizeGL(ScaleWidth(), ScaleHeight());  // resizes made during the run
    ResumeViewer();
  }
}

bool frm3D::RunScriptFile(const std::string& path, std::string& error) {
  const scripting::ScriptFileText file = scripting::ReadScriptFile(QString::fromStdString(path));
  if (!file.ok) {
    error = file.error.toStdString();
    return false;
  }
  UseScriptConsole(std::make_unique<FileConsole>(QString::fromStdString(path), file.text));
  if (host_->RunVBScript()) return true;
  error = host_->LastError().Number ? ScriptHost::ErrorLine(host_->LastError()).toStdString() : "First open image";
  return false;
}

// --- Movies -------------------------------------------------------------------------------------

bool frm3D::AVIStart(const std::string& FileName, double FrameRate, int32_t Width, int32_t Height) {
  if (Width == 0 || Height == 0) {
    Width = ScaleWidth();
    Height = ScaleHeight();
  }
  auto eights = [](int32_t v) { return v % 8 > 0 ? v + 8 - v % 8 : v; };
  SetClientSize(eights(Width), eights(Height));
  ResizeGL(ScaleWidth(), ScaleHeight());
  // The first capture gives the movie its format; it is not a frame of the movie.
  SaveBMP(TempFramePath());
  const std::vector<uint8_t> info = last_frame_.BitmapInfo();
  const bool started = Recorder().AVIStart(FileName, FrameRate, avi::DibFrame{info, last_frame_.Pixels});
  Yield();
  return started;
}

void frm3D::AVIAdd() {
  if (!Recording()) return;
  SaveBMP(TempFramePath());
  Yield();
  const std::vector<uint8_t> info = last_frame_.BitmapInfo();
  Recorder().AVIAdd(avi::DibFrame{info, last_frame_.Pixels});
  Yield();
}

void frm3D::AVIend() {
  if (recorder_) recorder_->AVIend();
}

bool frm3D::AVICodec(const std::string& name) { return Recorder().AVICodec(name); }

bool frm3D::Recording() const { return recorder_ && recorder_->IsRecording(); }

void frm3D::mnuToolsRecompressAVI_Click() {
  const auto ask = [this](const QString& title, bool save) {
    QFileDialog dialog(this, title, QString(), "AVI Files (*.avi)");
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (!save) dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix("avi");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::string();
    return dialog.selectedFiles().first().toStdString();
  };
  const std::string input = ask("Select AVI File to Recompress", false);
  if (input.empty()) return;
  {
    // The input is looked at before the user is asked where to save.
    avi::AviReader reader;
    if (!reader.Open(input)) {
      ShowMessage(std::string(avi::kMsgErrorWorkingWith) + "\n" + input, MessageIcon::Information);
      return;
    }
  }
  const std::string output = ask("Choose Location and Name to Save New AVI File", true);
  if (output.empty()) return;
  Yield();
  avi::DialogOptionsSource options(this);
  ++busy_;
  avi::RecompressAvi(input, output, options, *this, this);
  --busy_;
}

void frm3D::mnuGIF_Click() {
  if (headless_) return;
  avi2gif::mnuGIF_Click(this, avi2gif_);
}

avi2gif::AVI2GIF* frm3D::AviToGifWindow() const { return avi2gif_; }

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

frmParameters* frm3D::Parameters() const { return parameters_; }

void frm3D::mnuScriptShow_Click() {
  if (!editor_) return;
  editor_->show();
  editor_->setWindowState(editor_->windowState() & ~Qt::WindowMinimized);
  editor_->raise();
  editor_->activateWindow();
}

void frm3D::mnuControlShowParameters_Click() {
  if (headless_) return;
  if (!parameters_) parameters_ = new frmParameters(&view_, this);  // deletes itself when closed
  parameters_->show();
  parameters_->raise();
}

void frm3D::Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  KillGL();
  Yield();
  QuitRequested = true;
  StopScript();
  AVIend();
  if (parameters_) parameters_->close();
  editor_.reset();  // asked about its script in closeEvent already
  if (leica_) leica_->close();
  if (avi2gif_) avi2gif_->close();
  emit Unloading();
}

}  // namespace lumetrix
