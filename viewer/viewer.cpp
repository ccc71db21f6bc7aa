#include "viewer/viewer.h"

#include <algorithm>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <cctype>
#include <array>
#include <stdexcept>

#include "core/file_helpers.h"
#include "core/frame_size.h"
#include "core/view_value.h"
#include "export/avi/avi_recorder.h"
#include "imaging/available_memory.h"
#include "palettes/lut_bitmap.h"
#include "palettes/ui/standard_palette_folders.h"
#include "scripting/script_file.h"
#include "scripting/script_host.h"
#include "streaming/memory_budget.h"
#include "viewer/draw_object.h"
#include "viewer/render_options.h"
#include "viewer/file_console.h"
#include "viewer/start_transparency.h"
#include "viewer/streamed_volume.h"
#include "viewer/volume_loader.h"
#include "viewer/zarr_volume.h"

namespace lumetrix {

Viewer::Viewer(ViewerSurface& surface, ViewerUi ui) : surface_(surface), ui_(std::move(ui)) {
  surface_.AttachView(&view_);
  surface_.OnFrameDrawn = [this] { OnFrameDrawn(); };
  surface_.OnResized = [this](int32_t w, int32_t h) { OnSurfaceResized(w, h); };
  surface_.OnDetailStatus = [this](const std::string& line) { ShowStatus(line); };
  SetMemoryBudget({});
  LoadLuts();
  view_.ResetParameters();
}

Viewer::~Viewer() {
  host_.reset();
  recorder_.reset();  // ends a recording still open
  surface_.OnFrameDrawn = nullptr;
  surface_.OnResized = nullptr;
  surface_.OnDetailStatus = nullptr;
  surface_.AttachView(nullptr);
}

void Viewer::Notify(ViewerChange change) {
  if (change == ViewerChange::View) {
    FollowRenderMode();
    RequestFrameIfShown();
  }
  for (size_t i = 0; i < observers_.size(); ++i) observers_[i](change);
}

void Viewer::SetMemoryBudget(streaming::MemoryBudget asked) {
  memory_budget_ = asked;
  const streaming::MemoryBudget budget = streaming::BudgetFor(asked, imaging::AvailableMemoryBytes());
  surface_.SetBrickBudgets(BrickBytesOfHost(budget.host), budget.gpu);
}

void Viewer::Yield() {
  if (ui_.yield) ui_.yield();
}

// --- Opening ------------------------------------------------------------------------------------

std::optional<VolumeData> Viewer::ReadForOpen(const std::string& name, std::string& error) {
  EnterBusy();
  reading_ = true;
  VolumeLoadOptions options;
  options.MemoryBudget = memory_budget_.host;
  options.PyramidCacheBound = pyramid_cache_bound_;
  options.PreviewWhilePyramidBuilds = preview_pyramids_ && !script_running_ && !image_member_;
  if (!ChooseSeries(name, options.Series)) {
    reading_ = false;
    LeaveBusy();
    ShowStatus("Opening " + FileNameOf(name) + " cancelled");
    return std::nullopt;
  }
  std::optional<VolumeData> read = ReadVolume(name, ImX_, ui_.progress, error, options);
  reading_ = false;
  LeaveBusy();
  if (!read && !quit_requested_ && ui_.progress.Cancelled()) {
    error.clear();
    ShowStatus("Opening " + FileNameOf(name) + " cancelled");
  }
  return read;
}

bool Viewer::ChooseSeries(const std::string& name, int32_t& series) {
  series = std::max(series_to_open_, 0);
  if (series_to_open_ >= 0 || script_running_ || image_member_ || !ui_.chooseSeries) return true;  // scripts take the first
  const std::vector<imaging::SeriesSummary> list = imaging::ListSeries(name);
  if (list.size() < 2) return true;
  series = ui_.chooseSeries(FileNameOf(name), list);
  return series >= 0 && static_cast<size_t>(series) < list.size();
}

bool Viewer::OpenVolume(const std::string& path) {
  if (busy_) return false;
  const std::string name = VolumePathExists(path) ? path : std::string();
  if (name.empty() || name == last_file_) return false;
  std::string error;
  std::optional<VolumeData> read = ReadForOpen(name, error);
  if (!read) {
    if (!quit_requested_ && !error.empty()) ui_.messages.ShowMessage(error, MessageIcon::Exclamation);
    return false;
  }
  Adopt(std::move(*read), name);
  return true;
}

void Viewer::Adopt(VolumeData volume, const std::string& name) {
  ahead_.reset();
  volume_ = std::move(volume);
  FollowTheFile();
  FollowCalibration();
  last_file_ = name;
  Notify(ViewerChange::View);
  // Palettes colour a volume of one channel only: the menu follows the volume on screen.
  if (volume_.IsGrey != palette_menu_shown_) {
    palette_menu_shown_ = volume_.IsGrey;
    Notify(ViewerChange::Palettes);
  }
}

void Viewer::FollowCalibration() {
  const double* d = volume_.Voxel;
  if (d[0] > 0 && d[1] > 0 && d[2] > 0)
    surface_.ActiveRenderer().SetCalibration({d[0], volume_.VoxelUnit, true});
  else
    surface_.ActiveRenderer().SetCalibration({});
}

namespace {

// glibc keeps the pages of freed heap blocks for reuse: after a large volume's slices and
// staging buffers were freed, hundreds of megabytes would stay with the process.
void GiveBackFreedMemory() {
#ifdef __GLIBC__
  malloc_trim(0);
#endif
}

// What the window showed before an open, for a Cancel while the new volume's textures are built.
struct ShownBefore {
  VolumeData volume;
  ViewState view;
  std::string file;
  bool loaded = false, done = true, palette_menu = false;
};

}  // namespace

// The renderers keep the textures they draw until the new ones are complete, so a cancelled
// build leaves the old volume's textures in place: its data, view and name come back with them.
bool Viewer::ShowOpened(VolumeData read, const std::string& name) {
  ShownBefore before{std::move(volume_), view_, last_file_, volume_loaded_, viewer_done_, palette_menu_shown_};
  Adopt(std::move(read), name);
  volume_loaded_ = true;
  opening_ = true;
  build_cancelled_ = false;
  RunViewer();
  opening_ = false;
  if (build_cancelled_) {
    volume_ = std::move(before.volume);
    view_ = before.view;
    last_file_ = before.file;
    volume_loaded_ = before.loaded;
    viewer_done_ = before.done;
    FollowCalibration();
    if (palette_menu_shown_ != before.palette_menu) {
      palette_menu_shown_ = before.palette_menu;
      Notify(ViewerChange::Palettes);
    }
    ShowStatus("Opening " + FileNameOf(name) + " cancelled");
    Notify(ViewerChange::Channels);
    Notify(ViewerChange::View);
  }
  if (!build_cancelled_) FollowPyramidToBuild();  // before the window hears of the new file
  Notify(ViewerChange::Caption);
  before = {};
  GiveBackFreedMemory();
  // The first frame of a new volume is a coarse one, as while it turns: a large volume shows at
  // once on software drivers, and its full frame follows a moment later.
  if (!build_cancelled_ && !viewer_done_) ReportMotion(ViewMotion::Stepped);
  return !build_cancelled_ && !viewer_done_;
}

bool Viewer::OpenImage(const std::string& path, std::string& reason) {
  if (busy_) {
    reason = "Another volume is being opened";
    return false;
  }
  if (VolumeShown() && path == last_file_) return true;
  if (!VolumePathExists(path)) {
    reason = "The file " + path + " does not exist.";
    return false;
  }
  opening_ = true;
  image_member_ = true;  // the script member never asks for a series
  std::optional<VolumeData> read = ReadForOpen(path, reason);
  image_member_ = false;
  opening_ = false;
  if (!read) {
    if (reason.empty()) reason = "Opening " + path + " was cancelled";
    return false;
  }
  if (ShowOpened(std::move(*read), path)) return true;
  if (build_cancelled_)
    reason = "Opening " + path + " was cancelled";
  else
    reason = "The volume " + path + " could not be drawn";
  return false;
}

bool Viewer::OpenAndRun(const std::string& path) {
  if (busy_) return false;
  // A cancelled dialog, the file on screen again or a file that cannot be read leave the volume
  // shown as it was, with its input.
  const std::string name = VolumePathExists(path) ? path : std::string();
  if (name.empty() || name == last_file_) return false;
  opening_ = true;
  std::string error;
  std::optional<VolumeData> read = ReadForOpen(name, error);
  opening_ = false;
  if (!read) {
    if (!quit_requested_ && !error.empty()) ui_.messages.ShowMessage(error, MessageIcon::Exclamation);
    return false;
  }
  return ShowOpened(std::move(*read), name);
}

bool Viewer::OpenAtStart(const std::string& path) {
  if (!VolumePathExists(path)) {
    ui_.messages.ShowMessage("The file " + path + " does not exist.", MessageIcon::Exclamation);
    return false;
  }
  return OpenAndRun(path);
}

void Viewer::CloseVolume() {
  if (busy_) return;
  pyramid_job_.reset();
  KillGL();
  last_file_.clear();
  Notify(ViewerChange::Caption);
}

// --- Renderer -----------------------------------------------------------------------------------

void Viewer::RunViewer() {
  viewer_done_ = false;
  viewer_done_ = !InitGL();
  if (!viewer_done_) surface_.RequestFrame();
}

bool Viewer::InitGL() {
  std::string error;
  if (!surface_.Activate(error)) {
    ui_.messages.ShowMessage("Could not create the rendering context (" + error + ")", MessageIcon::None);
    return false;
  }
  if (!surface_.MakeCurrent()) {
    ui_.messages.ShowMessage("Could not activate the RC", MessageIcon::None);
    return false;
  }
  ResizeGL(ScaleWidth(), ScaleHeight());
  if (InitGLState()) return true;
  if (!build_cancelled_) ui_.messages.ShowMessage("Could not initialize OpenGL.", MessageIcon::None);
  return false;
}

TextureBuildSettings Viewer::TextureSettings() const {
  TextureBuildSettings settings;
  settings.SliceStep = slice_step_;
  settings.ScaleX = view_.ScaleX;
  settings.ScaleY = view_.ScaleY;
  settings.ScaleZ = view_.ScaleZ;
  settings.Colourer = CurrentColourer();
  settings.EnsureCurrent = [this] { return surface_.MakeCurrent(); };
  return settings;
}

bool Viewer::InitGLState() {
  const TextureBuildSettings settings = TextureSettings();
  TextureBuildReport report;
  EnterBusy();
  try {
    report = surface_.ActiveRenderer().BuildVolume(volume_, settings, ui_.progress);
  } catch (const TextureBuildCancelled&) {
    LeaveBusy();
    build_cancelled_ = true;  // the caller puts back what was shown
    return false;
  } catch (const TextureBuildError& e) {
    LeaveBusy();
    if (!quit_requested_) ui_.messages.ShowMessage(e.what(), MessageIcon::None);
    last_file_.clear();
    return false;
  }
  // The status line tells what the picture does not show as stored: metadata that could not be
  // followed, slices shown downsampled.
  if (ui_.status) {
    std::string line = volume_.Note;
    if (!line.empty() && !report.Message.empty()) line += "  ";
    ui_.status(line + report.Message);
  }
  const bool current = surface_.MakeCurrent();
  if (current) surface_.ActiveRenderer().ShowBuiltVolume(volume_, view_);
  LeaveBusy();
  return current;
}

bool Viewer::RebuildTextures() {
  if (viewer_done_ || busy_ || !surface_.MakeCurrent()) return false;
  return InitGLState();
}

void Viewer::ResizeGL(int32_t width, int32_t height) {
  if (surface_.MakeCurrent()) surface_.ActiveRenderer().ResizeGL(width, height);
}

void Viewer::OnSurfaceResized(int32_t width, int32_t height) {
  if (!script_running_) surface_.ActiveRenderer().ResizeGL(width, height);
}

void Viewer::OnFrameDrawn() {
  if (viewer_done_ || script_running_) return;
  input_.ApplyHeldKeys(view_);
  Notify(ViewerChange::FrameDrawn);
  if (viewer_done_ || script_running_) return;
  ReportMotion(KeepsMoving() ? ViewMotion::Turning : ViewMotion::NotTurning);
  if (KeepsMoving()) surface_.RequestFrame();
}

bool Viewer::KeepsMoving() const { return view_.XSpeed != 0 || view_.YSpeed != 0 || input_.AnyKeyHeld(); }

void Viewer::RequestFrameIfShown() {
  if (viewer_done_ || script_running_ || busy_) return;
  ReportMotion(KeepsMoving() ? ViewMotion::Turning : ViewMotion::NotTurning);
  surface_.ViewChanged(KeepsMoving());
}

void Viewer::ReportMotion(ViewMotion motion) {
  if (!script_running_) surface_.ReportMotion(motion);
}

VolumeShape Viewer::Shape() const {
  const double* d = volume_.Voxel;
  return {volume_.ViewVoxels(), d[0] > 0 && d[1] > 0 && d[2] > 0};
}

void Viewer::EnterBusy() {
  if (busy_++ == 0) surface_.HoldFrames(true);
}

void Viewer::LeaveBusy() {
  if (--busy_ > 0) return;
  surface_.HoldFrames(false);
  RequestFrameIfShown();
}

void Viewer::KeyDown(int code) {
  input_.KeyDown(code, volume_loaded_);
  if (input_.AnyKeyHeld()) RequestFrameIfShown();
}

void Viewer::KillGL() {
  ahead_.reset();
  if (surface_.MakeCurrent()) surface_.ActiveRenderer().ReleaseVolume();
  surface_.Refresh();
  viewer_done_ = true;
}

void Viewer::DrawImage() {
  surface_.DrawFrameNow();
  Notify(ViewerChange::View);
  Yield();
}

void Viewer::Unload() {
  pyramid_job_.reset();
  KillGL();
  Yield();
  quit_requested_ = true;
  StopScript();
  AVIend();
}

// --- View state ---------------------------------------------------------------------------------

void Viewer::SetViewField(ViewField field, float value) {
  FieldOf(view_, field) = CheckedViewValue(value);
  Notify(ViewerChange::View);
}

void Viewer::SetXYRot(float x, float y) {
  const float checked_x = CheckedViewValue(x), checked_y = CheckedViewValue(y);
  view_.XRot = checked_x, view_.YRot = checked_y;
  Notify(ViewerChange::View);
}

void Viewer::SetXRot(float x) { SetViewField(ViewField::XRot, x); }
void Viewer::SetYRot(float y) { SetViewField(ViewField::YRot, y); }
void Viewer::SetScaleX(float v) { SetViewField(ViewField::ScaleX, v); }
void Viewer::SetScaleY(float v) { SetViewField(ViewField::ScaleY, v); }
void Viewer::SetScaleZ(float v) { SetViewField(ViewField::ScaleZ, v); }
void Viewer::Setx(float v) { SetViewField(ViewField::PosX, v); }
void Viewer::Sety(float v) { SetViewField(ViewField::PosY, v); }
void Viewer::SetZ(float v) { SetViewField(ViewField::PosZ, v); }
void Viewer::SetXRotSpeed(float v) { SetViewField(ViewField::XSpeed, v); }
void Viewer::SetYRotSpeed(float v) { SetViewField(ViewField::YSpeed, v); }
void Viewer::SetTransparency(float a) { SetViewField(ViewField::Transparency, a); }

bool Viewer::SetRenderMode(const std::string& mode, std::string& why) {
  const std::optional<RenderMode> parsed = ParseRenderMode(mode);
  if (!parsed) {
    why = kRenderModeWords;
    return false;
  }
  if (!surface_.CanDraw(*parsed, why)) return false;
  view_.Mode = *parsed;
  Notify(ViewerChange::View);
  return true;
}

void Viewer::FollowRenderMode() {
  const RendererKind kind = RayCast(view_.Mode) ? RendererKind::RayCaster : RendererKind::Slices;
  if (following_mode_ || surface_.SelectedRenderer() == kind) return;
  following_mode_ = true;
  std::string why;
  if (!surface_.SelectRenderer(kind, why)) {
    view_.Mode = RenderMode::Additive;
    ui_.messages.ShowMessage(why, MessageIcon::Exclamation);
  } else if (volume_loaded_ && !viewer_done_) {
    RebuildTextures();
  }
  following_mode_ = false;
}

void Viewer::SetIsoLevel(int32_t channel, double value) {
  if (channel < 1 || channel > kIsoChannels)
    throw InvalidViewValue("There is no channel " + std::to_string(channel) + "; channels count from 1 to " +
                           std::to_string(kIsoChannels) + ".");
  view_.IsoLevel[static_cast<size_t>(channel - 1)] = CheckedIsoLevel(value);
  Notify(ViewerChange::View);
}

void Viewer::SetAttenuation(double a) {
  view_.Attenuation = CheckedAttenuation(a);
  Notify(ViewerChange::View);
}

void Viewer::SetCrop(const std::array<double, 6>& limits) {
  view_.Crop = CheckedCrop(limits);
  Notify(ViewerChange::View);
}

void Viewer::SetClipPlane(double nx, double ny, double nz, double d) {
  view_.Clip = CheckedClipPlane(nx, ny, nz, d);
  Notify(ViewerChange::View);
}

void Viewer::ClearClipPlane() {
  view_.Clip.On = false;
  Notify(ViewerChange::View);
}

void Viewer::SetProjection(const std::string& word) {
  view_.Proj = ParseProjection(word);
  Notify(ViewerChange::View);
}

void Viewer::SetQuality(double step) {
  view_.Quality = CheckedQuality(step);
  Notify(ViewerChange::View);
}

void Viewer::ShowCropOutline(bool on) {
  surface_.ShowCropOutline(on);
  RequestFrameIfShown();
}

void Viewer::SetScaleBar(bool on) {
  view_.ScaleBar = on;
  Notify(ViewerChange::View);
}

void Viewer::SetAxes(bool on) {
  view_.Axes = on;
  Notify(ViewerChange::View);
}

void Viewer::SetLight(float r, float g, float b) {
  const std::array<float, 3> c{CheckedViewValue(r), CheckedViewValue(g), CheckedViewValue(b)};
  std::copy(c.begin(), c.end(), view_.LightColor.begin());  // the alpha stays
  Notify(ViewerChange::View);
}

void Viewer::SetColor(float r, float g, float b) {
  view_.Color = {CheckedViewValue(r), CheckedViewValue(g), CheckedViewValue(b)};
  Notify(ViewerChange::View);
}

void Viewer::SwitchLight(bool on) {
  view_.LightOn = on;
  Notify(ViewerChange::View);
}

// The view values the shown file starts with: the transparency for its depth and, with a voxel
// size, its true proportions (ScaleX staying as it is).
void Viewer::FollowTheFile() {
  view_.Transparency = DefaultTransparency(volume_.Depth);
  const double* d = volume_.Voxel;
  if (d[0] > 0 && d[1] > 0 && d[2] > 0) {
    view_.ScaleY = static_cast<float>(view_.ScaleX * d[1] / d[0]);
    view_.ScaleZ = static_cast<float>(view_.ScaleX * d[2] / d[0]);
  }
}

// Back to the start view of the file shown, not of an empty window: its proportions are not lost.
void Viewer::ResetParameters() {
  view_.ResetParameters();
  if (!last_file_.empty()) FollowTheFile();  // a file is open (closing it forgets its name)
  Notify(ViewerChange::View);
}

void Viewer::ShowView(const ViewState& view) {
  ViewState checked = view;
  for (int f = 0; f <= static_cast<int>(ViewField::LightBlue); ++f)
    FieldOf(checked, static_cast<ViewField>(f)) = CheckedViewValue(FieldOf(view, static_cast<ViewField>(f)));
  checked.LightColor[3] = CheckedViewValue(view.LightColor[3]);
  view_ = checked;
  Notify(ViewerChange::View);
}

void Viewer::ResetSpeedParameters() {
  view_.ResetSpeedParameters();
  Notify(ViewerChange::View);
}

void Viewer::MouseDown(MouseButton button, double x, double y, bool ctrl) {
  input_.MouseDown(button, x, y, volume_loaded_, ctrl);
}

void Viewer::MouseMove(double x, double y) {
  if (input_.Dragging()) ReportMotion(ViewMotion::Stepped);
  input_.MouseMove(x, y, view_, Shape());
  Notify(ViewerChange::View);
}

void Viewer::MouseUp(MouseButton button) {
  input_.MouseUp(button);
  if (!input_.Dragging()) ReportMotion(ViewMotion::StepsEnded);
}

void Viewer::Wheel(int delta) {
  InputState::Wheel(delta, view_);
  Notify(ViewerChange::View);
}

void Viewer::WheelTurned(int angle) {
  const float before = view_.PosZ;
  input_.WheelTurned(angle, view_);
  if (view_.PosZ == before) return;
  ReportMotion(ViewMotion::Stepped);
  Notify(ViewerChange::View);
}

std::string Viewer::MainWindowTitle() const {
  std::string title = caption_.empty() ? "3D Image viewer" : caption_;
  if (!last_file_.empty()) title += " - " + FileNameOf(last_file_);
  return title;
}

// --- Frame capture ------------------------------------------------------------------------------

bool Viewer::CaptureFrameBmp(const std::string& path, int32_t x, int32_t y, int32_t width, int32_t height) {
  FinishPyramidForOutput();
  last_frame_ = surface_.CaptureFrame(x, y, width, height);
  WriteFrameBmp(path, last_frame_);
  return true;
}

void Viewer::SaveBMP(const std::string& FileName) {
  CaptureFrameBmp(FileName, 0, 0, ScaleWidth(), ScaleHeight());
}

// The frame goes to the encoder in memory: no file of a fixed name in the shared temporary
// folder, where another user's or job's capture would meet it.
void Viewer::SaveJPG(const std::string& FileName) {
  CaptureShownFrame();
  ImX_.SetJpegFlag(true);
  ImX_.SetJpegQuality(95);
  ImX_.SetPixels(last_frame_.TopFirstBgr(), last_frame_.Width, last_frame_.Height);
  ImX_.SaveImage(FileName, imaging::kFormatJpeg, false);
}

void Viewer::CaptureShownFrame() {
  FinishPyramidForOutput();
  last_frame_ = surface_.CaptureFrame(0, 0, ScaleWidth(), ScaleHeight());
}

// --- Movies -------------------------------------------------------------------------------------

avi::AviRecorder& Viewer::Recorder() {
  if (!recorder_) recorder_ = std::make_unique<avi::AviRecorder>(ui_.messages, ui_.movieOptions);
  return *recorder_;
}

bool Viewer::CheckVolumeForMovie() {
  if (VolumeShown()) return true;
  if (recorder_) recorder_->Abandon();
  ui_.messages.ShowMessage("First open image", MessageIcon::Information);
  return false;
}

bool Viewer::AVIStart(const std::string& FileName, double FrameRate, int32_t Width, int32_t Height) {
  if (!CheckVolumeForMovie()) return false;
  const std::string size = "AVIStart " + std::to_string(Width) + "x" + std::to_string(Height);
  if (std::string problem = DrawingSizeProblem(size, Width, Height, surface_.MaxFrameSide());
      Width != 0 && Height != 0 && !problem.empty()) {
    ui_.messages.ShowMessage(problem, MessageIcon::Exclamation);
    return false;
  }
  if (Width == 0 || Height == 0) {
    Width = ScaleWidth();
    Height = ScaleHeight();
  }
  auto eights = [](int32_t v) { return v % 8 > 0 ? v + 8 - v % 8 : v; };
  SetClientSize(eights(Width), eights(Height));
  ResizeGL(ScaleWidth(), ScaleHeight());
  // The first capture gives the movie its format; it is not a frame of the movie.
  CaptureShownFrame();
  const std::vector<uint8_t> info = last_frame_.BitmapInfo();
  const bool started = Recorder().AVIStart(FileName, FrameRate, avi::DibFrame{info, last_frame_.Pixels});
  if (started) movie_path_ = FileName;
  Yield();
  return started;
}

void Viewer::AVIAdd() {
  if (!Recording() || !CheckVolumeForMovie()) return;
  CaptureShownFrame();
  Yield();
  const std::vector<uint8_t> info = last_frame_.BitmapInfo();
  Recorder().AVIAdd(avi::DibFrame{info, last_frame_.Pixels});
  Yield();
}

void Viewer::AVIend() {
  if (!Recording()) return;
  recorder_->AVIend();
  if (FileExists(movie_path_)) ShowStatus("Saved " + movie_path_);
}

bool Viewer::AVICodec(const std::string& name) { return Recorder().AVICodec(name); }

bool Viewer::Recording() const { return recorder_ && recorder_->IsRecording(); }

// --- Palettes -----------------------------------------------------------------------------------

void Viewer::LoadLuts() {
  const bool table_gone = catalogue_.LoadLuts(StandardPaletteFolders().SearchOrder());
  Notify(ViewerChange::Palettes);
  if (table_gone && volume_.IsGrey) RebuildTextures();
}

void Viewer::ChoosePalette(int index) {
  const bool rebuild = !busy_ && catalogue_.Choose(index, volume_loaded_);
  Notify(ViewerChange::Palettes);  // a menu ticks what it was clicked on; the catalogue decides
  if (rebuild) RebuildTextures();
}

std::string Viewer::UnknownPaletteWarning(const std::string& name) {
  return "Unknown palette \"" + name + "\": the palette stays as it was";
}

void Viewer::SetPalette(const std::string& name) {
  if (catalogue_.IndexOf(name) < 0) return ShowStatus(UnknownPaletteWarning(name));
  if (busy_ || !catalogue_.SetPalette(name, volume_.IsGrey)) return;
  Notify(ViewerChange::Palettes);
  RebuildTextures();
}

SliceColourer Viewer::CurrentColourer() const {
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

// --- Scripts ------------------------------------------------------------------------------------

void Viewer::UseScriptConsole(std::unique_ptr<ScriptConsole> console) {
  host_.reset();  // it refers to the console it was made with
  console_ = std::move(console);
  host_ = std::make_unique<ScriptHost>(static_cast<ScriptRunSite&>(*this), *console_, MakeDrawObject(*this));
  host_->SetUiHost(&Dialogs());
}

ScriptHost& Viewer::Host() {
  if (!host_) UseScriptConsole(std::make_unique<FileConsole>(QString(), QString()));
  return *host_;
}

void Viewer::RunVBScript() { Host().RunVBScript(); }

void Viewer::StopScript() {
  if (host_) host_->StopScript();
}

void Viewer::ScriptReport(const std::string& line) {
  if (console_) console_->Report(QString::fromStdString(line));
}

bool Viewer::RunScriptFile(const std::string& path, std::string& error) {
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

void Viewer::SetScriptRunning(bool running) {
  if (running) {  // a script's frames are full ones, also those it saves
    ReportMotion(ViewMotion::NotTurning);
    ReportMotion(ViewMotion::StepsEnded);
  }
  script_running_ = running;
  Notify(ViewerChange::ScriptRunning);
  if (running) return;
  ResizeGL(ScaleWidth(), ScaleHeight());  // resizes made during the run
  if (!viewer_done_) surface_.RequestFrame();
}

void Viewer::SetWindowCaption(const std::string& caption) {
  caption_ = caption;
  Notify(ViewerChange::Caption);
}

void Viewer::RefuseRunWithoutVolume() { Dialogs().MsgBox("First open image", 1 + 64 /* vbOKCancel + vbInformation */, "Lumetrix"); }

void Viewer::Beep() {
  if (ui_.beep) ui_.beep();
}

}  // namespace lumetrix
