#pragma once
// frm3D: the main window. Its client area is the OpenGL drawing surface; it owns the menus, the
// volume on screen, the view state and the viewer-core flags, and its public methods are what
// scripts and the other windows call.

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <vector>
#include <memory>
#include <string>

#include "imaging/image_box.h"
#include "palettes/palette_catalogue.h"
#include "viewer/input_state.h"
#include "core/messages.h"
#include "core/progress_sink.h"
#include "viewer/frame_bmp.h"
#include "viewer/recent_files.h"
#include "viewer/texture_stacks.h"
#include "core/view_state.h"
#include "viewer/volume_data.h"

class QAction;
class QGroupBox;
class QMenu;
class QProgressBar;

namespace lumetrix {

class GlView;
class frmVBEditor;
class ScriptHost;
class ScriptConsole;
class WindowScriptViewer;
class frmParameters;
namespace vbs {
class UiHost;
}
namespace avi {
class AviRecorder;
class CompressionOptionsSource;
}
namespace series {
class frmCnvrtLeicaTiff;
}
namespace avi2gif {
class AVI2GIF;
}
class OffscreenView;
class ViewerSurface;

class frm3D : public QMainWindow, public ProgressSink, public MruMenu, public MessageSink {
  Q_OBJECT
 public:
  // headless: never shown; draws into an offscreen framebuffer of the client size.
  explicit frm3D(bool headless = false, QWidget* parent = nullptr);
  ~frm3D() override;

  // Viewer-core flags.
  bool VolumeLoaded = false;
  bool ViewerDone = true;
  bool QuitRequested = false;
  bool ScriptRunning = false;
  std::string LastFile;
  int32_t SliceStep = 4;

  const VolumeData& Volume() const { return volume_; }
  ViewState& View() { return view_; }
  InputState& Input() { return input_; }
  ViewerSurface* Surface() const;
  imaging::ImageBox& ImX() { return ImX_; }
  cMRU& RecentFiles() { return mru_; }

  // Reads a volume: path empty asks with the open dialog. True when a new volume was read.
  bool OpenVolume(const std::string& path);
  // Starts drawing the opened volume (returns at once; frames follow until ViewerDone).
  void RunViewer();
  bool InitGL();
  bool InitGLState();
  // Builds the textures anew while the viewer runs (a palette was chosen); false on failure.
  bool RebuildTextures();
  // Asks for frames again after a script run.
  void ResumeViewer();
  void ResizeGL(int32_t width, int32_t height);
  void KillGL();
  // One frame now, shown, then pending events: what scripts call per frame.
  void DrawImage();
  // Opens a file at start (from the command line); false with a message when it cannot be read.
  bool OpenAtStart(const std::string& path);

  // View state setters (scripts, the parameters window).
  void SetXYRot(float x, float y);
  void SetXRot(float x);
  void SetYRot(float y);
  void SetScaleX(float v);
  void SetScaleY(float v);
  void SetScaleZ(float v);
  void Setx(float v);
  void Sety(float v);
  void SetZ(float v);
  void SetXRotSpeed(float v);
  void SetYRotSpeed(float v);
  void SetLight(float r, float g, float b);
  void SetColor(float r, float g, float b);
  void SetTransparency(float a);
  void SetLightOn();
  void SetLightOff();
  void ResetParameters();
  void ResetSpeedParameters();

  // Frame capture and still images. Raise std::runtime_error when the file cannot be written.
  bool CaptureFrameBmp(const std::string& path, int32_t x, int32_t y, int32_t width, int32_t height);
  void SaveBMP(const std::string& FileName);
  void SaveJPG(const std::string& FileName);
  // Movie recording for scripts: the drawing area is sized to multiples of 8, every frame is
  // captured (and written to "frame.bmp") and appended as a key frame.
  bool AVIStart(const std::string& FileName, double FrameRate, int32_t Width, int32_t Height);
  void AVIAdd();
  void AVIend();
  // Chooses the codec of later recordings without the options dialog ("" asks again).
  bool AVICodec(const std::string& name);
  bool Recording() const;
  // "(Re)compress AVI".
  void mnuToolsRecompressAVI_Click();
  // "AVI  to Animated GIF": asks for a movie and opens it in the AVI-to-GIF window.
  void mnuGIF_Click();
  avi2gif::AVI2GIF* AviToGifWindow() const;

  // The drawing area, in pixels.
  int32_t ScaleWidth() const;
  int32_t ScaleHeight() const;
  // Sizes the window so that its drawing area is width x height pixels.
  void SetClientSize(int32_t width, int32_t height);
  void ShowHelp();

  // Progress frame.
  void ShowProgress(const std::string& caption, int32_t start, int32_t maximum) override;
  void SetProgress(int32_t value) override;
  void HideProgress() override;
  bool Cancelled() const override { return QuitRequested; }
  int32_t GetProgress() const override;

  // Message boxes titled "Lumetrix"; printed to stderr when there is no window.
  void ShowMessage(const std::string& text, MessageIcon icon) override;

  // Recent-file entries of the File menu.
  int MruEntryCount() const override { return static_cast<int>(mnuMRUFiles_.size()); }
  void SetMruEntry(int index, const std::string& caption, bool visible) override;

  QMenu* PaletteMenu() const { return mnuPallete_; }
  // The script editor (loaded hidden with the window; none without a window).
  frmVBEditor* Editor() const { return editor_.get(); }
  frmParameters* Parameters() const;
  void mnuScriptShow_Click();

  // Runs the editor's script (menu "Run Script", F5, the editor's Run command).
  void RunVBScript();
  // Asks the running script to stop ("Stop Script", Esc while a script runs).
  void StopScript();
  // Runs a script file without the editor (the command line); false after an error, whose
  // line ("Error: ... at line: ...") is then in `error`.
  bool RunScriptFile(const std::string& path, std::string& error);
  void SetScriptRunning(bool running);
  ScriptHost& Host();
  // Makes the script host report to `console` (the editor, or a script file's stand-in).
  void UseScriptConsole(std::unique_ptr<ScriptConsole> console);
  void mnuControlShowParameters_Click();
  // The last frame captured, as it was written.
  const CapturedFrame& LastCapturedFrame() const { return last_frame_; }
  // The temporary capture file "frame.bmp" in the temporary folder.
  static std::string TempFramePath();
  bool Headless() const { return headless_; }

  // Palette menu: the built-in tables and the palette files, and the one in use.
  void LoadLuts();
  void mnuPal_Click(int Index);
  void SetPalette(const std::string& name);
  const palettes::PaletteCatalogue& Palettes() const { return catalogue_; }
  int32_t PaletteIndex() const { return catalogue_.PaletteIndex(); }

 signals:
  void VolumeOpened();
  // The window unloads: the other windows close.
  void Unloading();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  void BuildClientArea();
  void CentreProgress();
  void Yield();
  void OnFrameDrawn();
  void OnSurfaceResized(int32_t width, int32_t height);
  void mnuFileOpen_Click();
  void mnuMRUFiles_Click(int index);
  void mnuFileClose_Click();
  void mnuFileSaveImage_Click(bool jpeg);
  void mnuWindowPreset_Click(int width, int height);
  void mnuWindowSet_Click();
  void mnuAbout_Click();
  void Unload();
  void RefreshPaletteMenu();
  avi::AviRecorder& Recorder();
  SliceColourer CurrentColourer() const;
  void OpenPaletteEditor(bool gradient);

  const bool headless_;
  VolumeData volume_;
  ViewState view_;
  InputState input_;
  imaging::ImageBox ImX_;
  cMRU mru_;
  int busy_ = 0;  // long operations in progress (they yield to the event queue)
  int wheel_rest_ = 0;
  bool unloaded_ = false;

  GlView* gl_ = nullptr;
  std::unique_ptr<OffscreenView> offscreen_;
  QWidget* client_ = nullptr;
  QGroupBox* frmProgress_ = nullptr;
  QProgressBar* pBar_ = nullptr;
  QMenu* mnuPallete_ = nullptr;
  std::array<QAction*, 5> mnuMRUFiles_{};
  QAction* mnuFileSaveBMP_ = nullptr;
  QAction* mnuFileSaveJPG_ = nullptr;
  CapturedFrame last_frame_;
  palettes::PaletteCatalogue catalogue_;
  std::vector<QAction*> mnuPal_;
  QPointer<series::frmCnvrtLeicaTiff> leica_;
  QPointer<avi2gif::AVI2GIF> avi2gif_;  // the AVI-to-GIF window while it is open
  std::unique_ptr<frmVBEditor> editor_;  // loaded hidden with the window; no owner
  std::unique_ptr<WindowScriptViewer> script_viewer_;
  std::unique_ptr<ScriptConsole> console_;
  std::unique_ptr<vbs::UiHost> script_ui_;
  std::unique_ptr<ScriptHost> host_;
  QAction* mnuScriptStop_ = nullptr;
  QPointer<frmParameters> parameters_;
  std::unique_ptr<avi::CompressionOptionsSource> movie_options_;
  std::unique_ptr<avi::AviRecorder> recorder_;
};

}  // namespace lumetrix
