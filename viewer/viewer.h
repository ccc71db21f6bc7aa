#pragma once
// The viewer without a window: the volume on screen, its view state and input, the texture
// stacks drawn through a ViewerSurface, the palette catalogue, frame capture, movie recording and
// the script host. It is the object scripts call "Draw", and what the main window shows; the
// command line drives it over an offscreen surface. Whatever it needs of a user interface comes
// through ViewerUi; whatever changes in it is told to its observers.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/progress_sink.h"
#include "core/view_parameters.h"
#include "imaging/image_box.h"
#include "imaging/tiff_series.h"
#include "streaming/memory_budget.h"
#include "streaming/pyramid_build_job.h"
#include "palettes/palette_catalogue.h"
#include "scripting/script_console.h"
#include "scripting/script_run_site.h"
#include "scripting/vbscript/host_object.h"
#include "viewer/channel_histogram.h"
#include "viewer/frame_bmp.h"
#include "viewer/input_state.h"
#include "viewer/renderer.h"
#include "viewer/time_point_ahead.h"
#include "viewer/view_history.h"
#include "viewer/viewer_surface.h"
#include "viewer/volume_data.h"

namespace lumetrix {

class ScriptHost;
namespace avi {
class AviRecorder;
class CompressionOptionsSource;
}  // namespace avi

// What the viewer is given by the program around it.
struct ViewerUi {
  ProgressSink& progress;
  MessageSink& messages;
  // The movie compression choice of AVIStart (a dialog, or the remembered choice).
  avi::CompressionOptionsSource& movieOptions;
  // Lets the event queue run (long operations, frames of scripts); may be empty.
  std::function<void()> yield = {};
  // The error beep of a failed script run; may be empty.
  std::function<void()> beep = {};
  // MsgBox and InputBox of scripts; nullptr: the engine's console (standard output and input).
  vbs::UiHost* dialogs = nullptr;
  // A line for the status bar ("" clears it); may be empty.
  std::function<void(const std::string&)> status = {};
  // Asked which series to open of a file with several: the chosen one (0-based), or -1 for
  // Cancel; may be empty (the first series).
  std::function<int32_t(const std::string& name, const std::vector<imaging::SeriesSummary>&)> chooseSeries = {};
};

// What changed, for the windows that show it.
enum class ViewerChange {
  View,           // a view value (setter, input, a drawn frame of a script)
  FrameDrawn,     // a frame of the viewer's own loop, which also turned the view by its speeds
  Palettes,       // the palette entries, the ticked one, or the Palette menu's visibility
  ScriptRunning,  // a run started or ended
  Caption,        // the main window's caption (WindowCaption)
  Channels,       // a channel's colour, visibility, range or gamma, or the time point shown
};

class Viewer : public ViewParameters, private ScriptRunSite {
 public:
  Viewer(ViewerSurface& surface, ViewerUi ui);
  ~Viewer() override;
  Viewer(const Viewer&) = delete;
  Viewer& operator=(const Viewer&) = delete;

  // Viewer-core flags.
  bool VolumeLoaded() const override { return volume_loaded_; }
  // A volume is loaded and drawn (not after Close Image).
  bool VolumeShown() const { return volume_loaded_ && !viewer_done_; }
  bool ViewerDone() const { return viewer_done_; }
  bool QuitRequested() const { return quit_requested_; }
  bool ScriptRunning() const { return script_running_; }
  const std::string& LastFile() const { return last_file_; }
  int32_t SliceStep() const { return slice_step_; }
  // A volume is being read or its textures are being built (both yield to the event queue).
  bool Busy() const { return busy_ > 0; }
  // A volume file is being read (its progress can be cancelled).
  bool Reading() const { return reading_; }
  // A volume is being opened: read, then its textures built. Cancel at any stage keeps the
  // volume shown before, with its input ("Opening NAME cancelled" on the status line).
  bool Opening() const { return opening_; }
  // Marks a long operation of the window (opens and palette choices wait for its end).
  class BusyScope {
   public:
    explicit BusyScope(Viewer& viewer) : viewer_(viewer) { viewer_.EnterBusy(); }
    ~BusyScope() { viewer_.LeaveBusy(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    Viewer& viewer_;
  };

  const VolumeData& Volume() const { return volume_; }
  const ViewState& View() const override { return view_; }
  ViewerSurface& Surface() const { return surface_; }
  imaging::ImageBox& ImX() { return ImX_; }

  void Observe(std::function<void(ViewerChange)> observer) { observers_.push_back(std::move(observer)); }

  // Reads a volume file. False, with nothing changed, for an empty path, a path that is no
  // file, the file on screen, and a file that cannot be read (with a message).
  bool OpenVolume(const std::string& path);
  // The open command: VolumeLoaded := OpenVolume(path), and on success RunViewer. True when the
  // volume is shown.
  bool OpenAndRun(const std::string& path);
  // OpenAndRun for a file named at start, with a message when it does not exist.
  bool OpenAtStart(const std::string& path);
  // The series (0-based) every later opening takes, instead of asking (command line --series).
  void SetSeriesToOpen(int32_t series) { series_to_open_ = series; }
  // Bytes the bricks of a volume larger than memory may take in host memory and on the GPU
  // (--memory, Preferences); 0: from the memory available. A pyramid whose finest level needs
  // more than the host budget is streamed.
  void SetMemoryBudget(streaming::MemoryBudget asked);
  // Bytes the cache of pyramids built for files without one may take; 0: its default.
  void SetPyramidCacheBound(uint64_t bytes) { pyramid_cache_bound_ = bytes; }
  // The window's openings (not scripts') of a file without a pyramid show a preview at once and
  // build the pyramid on a thread of their own; otherwise the opening waits for the pyramid.
  void SetPreviewWhilePyramidBuilds(bool on) { preview_pyramids_ = on; }
  // The build of the pyramid of the file shown: its progress on the status line; once it has
  // ended, the preview replaced by the streamed volume (the view and display settings kept), or
  // the reason it could not be. True while a build runs or its volume waits to be shown (the
  // caller asks again later); the swap waits while a script runs or the viewer is busy.
  bool PollPyramidBuild();
  bool BuildingPyramid() const { return pyramid_job_ != nullptr; }
  // Blocks until the build has ended (for callers that must not go on without it).
  void WaitForPyramidBuild();
  // The script member OpenImage: shows the volume at `path` in place of the one shown (True at
  // once when it is shown already). False, with the reason in `reason` and the view unchanged,
  // when it cannot be read or drawn.
  bool OpenImage(const std::string& path, std::string& reason);
  // "&Close Image": the frames stop and the file can be opened again.
  void CloseVolume();
  // Starts drawing the opened volume (returns at once; frames follow until ViewerDone).
  void RunViewer();
  bool InitGL();
  bool InitGLState();
  // Builds the textures anew while the viewer runs (a palette was chosen); false on failure.
  bool RebuildTextures();
  void ResizeGL(int32_t width, int32_t height);
  void KillGL();
  // One frame now, shown, then pending events: what scripts call per frame.
  void DrawImage();
  // The window goes: the frames stop, a script is asked to stop, a recording is ended.
  void Unload();

  // The drawing area, in pixels.
  int32_t ScaleWidth() const { return surface_.ClientWidth(); }
  int32_t ScaleHeight() const { return surface_.ClientHeight(); }
  void SetClientSize(int32_t width, int32_t height) { surface_.SetClientSize(width, height); }

  // View state setters. Every value passes CheckedViewValue (InvalidViewValue, nothing stored,
  // for NaN and infinities); finite values are stored as given.
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
  // A word of ParseRenderMode; false, with the reason, for another word or a driver that cannot
  // draw the mode. The ray-cast modes switch to the ray caster (the volume is built for it).
  bool SetRenderMode(const std::string& mode, std::string& why);
  // Ray casting, cutting and projection; a value out of range throws InvalidViewValue (see
  // render_options.h). Channels count from 1.
  void SetIsoLevel(int32_t channel, double value);
  void SetAttenuation(double a);
  void SetCrop(const std::array<double, 6>& limits);
  void SetClipPlane(double nx, double ny, double nz, double d);
  void ClearClipPlane();
  void SetProjection(const std::string& word);
  void SetQuality(double step);
  // The crop box's outline over the volume, while the window's crop sliders are dragged.
  void ShowCropOutline(bool on);
  void SetScaleBar(bool on);
  void SetAxes(bool on);
  // The channels and time points of the shown volume, counting from 1 (0 without a volume).
  // The setters show the change at once; a channel, time point or value out of range throws
  // InvalidViewValue.
  int32_t ChannelCount() const override;
  int32_t TimePointCount() const override;
  int32_t TimePoint() const override;
  void SetChannel(int32_t n, bool visible);
  void SetChannelColor(int32_t n, int32_t r, int32_t g, int32_t b);
  void SetDisplayRange(int32_t n, double min, double max);
  void SetGamma(int32_t n, double gamma);
  void AutoContrast(int32_t n);
  // The colour and range the channel opened with, visible, gamma 1.
  void ResetChannel(int32_t n);
  void SetTimePoint(int32_t t);
  // Time-lapse playback: makes time point t ready on worker threads while the shown one stays
  // (one at a time; another t replaces it), so that SetTimePoint(t) then only uploads. Nothing
  // happens for a time point out of range or shown. True when t is being prepared or ready;
  // false when this renderer or volume builds only at SetTimePoint.
  bool PrepareTimePoint(int32_t t);
  // SetTimePoint(t) would now only upload: t is prepared for the display as it is.
  bool TimePointReady(int32_t t) const;
  // Time points shown by only uploading what was prepared (for benchmarks and tests).
  int64_t TimePointsFromPreparation() const { return prepared_shown_; }
  // Every channel's look and the time point of the shown volume (no channels without one).
  DisplaySettings Display() const;
  // All of them at once, drawn once; nothing happens when they are as shown. Throws as the
  // setters do, changing nothing, for settings that do not fit the volume.
  void ShowDisplaySettings(const DisplaySettings& display);
  // Channel n's samples at the time point shown, in 256 bins over their span.
  ChannelHistogram Histogram(int32_t n);
  void SetLightOn() { SwitchLight(true); }
  void SetLightOff() { SwitchLight(false); }
  void ResetParameters();
  void ResetSpeedParameters();
  // Every view value at once (a frame of a keyframe movie); values not finite are refused.
  void ShowView(const ViewState& view);
  void SetViewField(ViewField field, float value) override;
  void SwitchLight(bool on) override;

  // Mouse and keys on the drawing area (they act only while a volume is loaded). A left drag
  // begun with Ctrl held moves the clipping plane (see InputState).
  void MouseDown(MouseButton button, double x, double y, bool ctrl = false);
  void MouseMove(double x, double y);
  void MouseUp(MouseButton button);
  // One notch: -120 nearer, +120 farther.
  void Wheel(int delta);
  // A turn of any size, as the window reports it: whole notches act.
  void WheelTurned(int angle);
  void SetWheelAwayZoomsIn(bool on) { input_.SetWheelAwayZoomsIn(on); }
  bool WheelAwayZoomsIn() const { return input_.WheelAwayZoomsIn(); }
  void KeyDown(int code);
  void KeyUp(int code) { input_.KeyUp(code, volume_loaded_); }
  void ReleaseAllKeys() { input_.ReleaseAllKeys(); }

  // Undo and redo of view changes (rotation, position, scale, render and display settings) of
  // the file shown. The window calls SettleViewStep where a person's step ends (a button or key
  // goes down or up); what changed since then is one step. Script runs are not steps of their own.
  void SettleViewStep();
  bool CanUndoView();
  bool CanRedoView();
  void UndoView();
  void RedoView();

  // Frame capture and still images. Raise std::runtime_error when the file cannot be written.
  bool CaptureFrameBmp(const std::string& path, int32_t x, int32_t y, int32_t width, int32_t height);
  void SaveBMP(const std::string& FileName);
  void SaveJPG(const std::string& FileName);
  // The last frame captured, as it was written.
  const CapturedFrame& LastCapturedFrame() const { return last_frame_; }

  // Movie recording for scripts: the drawing area is sized to multiples of 8, every frame is
  // captured (and written to "frame.bmp") and appended as a key frame. A name ending in ".mp4"
  // records H.264 MP4. Without a volume on screen nothing is recorded: "First open image", and a
  // recording open then is dropped.
  bool AVIStart(const std::string& FileName, double FrameRate, int32_t Width, int32_t Height);
  void AVIAdd();
  void AVIend();
  // Chooses the codec of later recordings without the options dialog ("" asks again).
  bool AVICodec(const std::string& name);
  bool Recording() const;
  // Where recordings get their compression (a dialog in the window).
  avi::CompressionOptionsSource& MovieOptions() { return ui_.movieOptions; }

  // Palettes: the built-in tables and the palette files, and the one in use.
  void LoadLuts();
  // The user chose Palette menu entry `index`.
  void ChoosePalette(int index);
  // The script member SetPalette: the entry captioned `name` (any case), grey volumes only. A name
  // that no entry has is warned of on the status line (standard error without a window), and
  // the palette in use stays.
  void SetPalette(const std::string& name);
  const palettes::PaletteCatalogue& Palettes() const { return catalogue_; }
  // The warning of a palette name that the Palette menu does not have.
  static std::string UnknownPaletteWarning(const std::string& name);
  // A line for the status bar (standard error without a window); nothing when there is none.
  void ShowStatus(const std::string& line) const {
    if (ui_.status) ui_.status(line);
  }
  int32_t PaletteIndex() const { return catalogue_.PaletteIndex(); }
  // The Palette menu shows from the first grey volume on.
  bool PaletteMenuShown() const { return palette_menu_shown_; }

  // Scripts. The console is the editor, or a script file's stand-in.
  void UseScriptConsole(std::unique_ptr<ScriptConsole> console);
  void RunVBScript();
  // Asks the running script to stop at its next statement.
  void StopScript();
  // A line for the script's output pane (standard error when scripts run without a window).
  void ScriptReport(const std::string& line);
  // Runs a script file (the command line); false after an error, whose line ("Error: ... at
  // line: ...") is then in `error`.
  bool RunScriptFile(const std::string& path, std::string& error);
  ScriptHost& Host();
  const std::string& WindowCaption() const { return caption_; }
  // The main window's title: the script's caption (or the program's) and the file on screen.
  std::string MainWindowTitle() const;

 private:
  // ScriptRunSite.
  void SetScriptRunning(bool running) override;
  void SetWindowCaption(const std::string& caption) override;
  void RefuseRunWithoutVolume() override;
  void Beep() override;

  void Notify(ViewerChange change);
  // Lets the renderer of the surface follow the render mode: switching between the slice stacks
  // and the ray caster builds the volume for the one that takes over. A driver that cannot
  // ray-cast leaves the additive mode, with a message.
  // The drawing area's frame into last_frame_.
  void CaptureShownFrame();
  void FollowTheFile();
  void FollowRenderMode();
  // Takes a volume that was read as the one shown.
  void Adopt(VolumeData volume, const std::string& name);
  // Starts building the pyramid of the preview shown (none for other volumes), stopping any other.
  void FollowPyramidToBuild();
  // The preview replaced by the volume streamed from the pyramid just built (the job ended), or
  // the reason it could not be.
  void ShowBuiltPyramid();
  // A frame about to be saved shows the streamed volume, not its preview: waits for the build
  // (progress "Building the pyramid"; Cancel saves the preview's frame) and draws the frame again.
  void FinishPyramidForOutput();
  // The scale bar's calibration from the volume shown.
  void FollowCalibration();
  // Adopts a volume just read and draws it (see Opening); false when it is not drawn.
  bool ShowOpened(VolumeData read, const std::string& name);
  // Reads `name` for an open; nothing when it cannot be read (`error` says why, empty when the
  // reading was cancelled: the status line says so).
  std::optional<VolumeData> ReadForOpen(const std::string& name, std::string& error);
  // The series to open of `name`: false when the user cancelled the choice.
  bool ChooseSeries(const std::string& name, int32_t& series);
  TextureBuildSettings TextureSettings() const;
  // What time point t would be built for now, to compare with the one prepared.
  TimePointBuild BuildFor(int32_t t) const;
  // Shows the prepared time point t when it fits the display as it is; false otherwise.
  bool ShowPreparedTimePoint(int32_t t);
  ChannelDisplay& ChannelAt(int32_t n);
  void ChangeChannel(int32_t n, const std::function<void(ChannelDisplay&)>& change);
  void ShowDisplay();
  // "First open image" when nothing is shown, dropping a recording; true when something is.
  bool CheckVolumeForMovie();
  // While busy no frames are drawn (the old volume would be drawn over and over while a new one
  // loads); leaving starts them again.
  void EnterBusy();
  void LeaveBusy();
  // Frames follow each other only while the view changes by itself: it spins or a held key acts.
  bool KeepsMoving() const;
  // The view changed: the surface shows it (and starts turning when it moves).
  void RequestFrameIfShown();
  // Tells the surface how the view moves (not while a script draws its frames).
  void ReportMotion(ViewMotion motion);
  // The volume shown, as the renderers place it.
  VolumeShape Shape() const;
  void Yield();
  void OnFrameDrawn();
  void OnSurfaceResized(int32_t width, int32_t height);
  avi::AviRecorder& Recorder();
  vbs::UiHost& Dialogs() { return ui_.dialogs ? *ui_.dialogs : default_dialogs_; }
  SliceColourer CurrentColourer() const;
  ViewSnapshot Snapshot() const;
  // Starts the history afresh when another file is shown; false when there is nothing to undo
  // in (no file shown, or a script runs).
  bool HistoryFollowsFile();
  void ShowSnapshot(const ViewSnapshot& state);

  ViewerSurface& surface_;
  ViewerUi ui_;
  int32_t series_to_open_ = -1;
  streaming::MemoryBudget memory_budget_;
  uint64_t pyramid_cache_bound_ = 0;  // -1: ask ui_.chooseSeries, outside scripts
  bool preview_pyramids_ = false;
  std::unique_ptr<streaming::PyramidBuildJob> pyramid_job_;
  int32_t pyramid_percent_shown_ = -1;
  bool image_member_ = false;    // OpenImage is reading
  bool volume_loaded_ = false;
  bool viewer_done_ = true;
  bool quit_requested_ = false;
  bool script_running_ = false;
  std::string last_file_;
  int32_t slice_step_ = 4;
  int busy_ = 0;
  bool following_mode_ = false;
  bool reading_ = false;
  bool opening_ = false;
  bool build_cancelled_ = false;  // the last texture build was cancelled
  bool palette_menu_shown_ = false;

  VolumeData volume_;
  ViewState view_;
  InputState input_;
  imaging::ImageBox ImX_;
  CapturedFrame last_frame_;
  palettes::PaletteCatalogue catalogue_;
  std::unique_ptr<avi::AviRecorder> recorder_;
  std::string movie_path_;  // of the recording started last
  vbs::UiHost default_dialogs_;
  std::unique_ptr<ScriptConsole> console_;
  std::unique_ptr<ScriptHost> host_;
  std::string caption_;
  std::vector<std::function<void(ViewerChange)>> observers_;
  ViewHistory history_;
  std::string history_file_;  // the file the history belongs to
  int64_t prepared_shown_ = 0;
  std::unique_ptr<TimePointAhead> ahead_;  // last: its worker stops before the rest goes
};

}  // namespace lumetrix
