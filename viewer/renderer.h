#pragma once
// What the viewer draws through: a renderer turns the volume into what it draws from (textures)
// and draws frames of a view with the current context of the surface it belongs to. The model
// knows renderers only through this interface; the OpenGL ones live in render/.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/progress_sink.h"
#include "core/view_state.h"
#include "viewer/volume_data.h"

namespace lumetrix {

// What one voxel measures along x; without a voxel size from the file one voxel counts as 1 px.
struct Calibration {
  double VoxelWidth = 1.0;
  std::string Unit = "px";
  bool FromFile = false;  // the file gave the voxel size: pages keep their true aspect
};

// Colours a grey slice through the chosen lookup table: from width x height grey bytes to the
// blue, green, red image the table gives, `columns` wide (the width rounded up to 4, the extra
// columns showing table entry 32).
using SliceColourer =
    std::function<void(const std::vector<uint8_t>& grey, int32_t width, int32_t height, std::vector<uint8_t>& bgr,
                       int32_t& columns)>;

struct TextureBuildSettings {
  int32_t SliceStep = 4;
  float ScaleX = 30, ScaleY = 30, ScaleZ = 100;
  SliceColourer Colourer;  // empty: no table
  // Grey volumes without a table become one-byte luminance textures (false: RGB, as colour).
  bool Luminance = true;
  // Textures rescaled to power-of-two sizes by the GLU builder even where the driver takes any
  // size (what drivers without that support get).
  bool PowerOfTwoOnly = false;
  // Worker threads that prepare slices; 0: one per processor core.
  int Threads = 0;
  // Bytes the textures may take; 0: half of the memory the system has available.
  uint64_t MemoryBudget = 0;
  // Called after each progress report, which may have let other windows draw: makes the
  // context that receives the textures current again.
  std::function<bool()> EnsureCurrent;
};

class TextureBuildError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The progress sink said Cancelled while the build went on: nothing new is kept.
class TextureBuildCancelled : public TextureBuildError {
 public:
  using TextureBuildError::TextureBuildError;
};

struct TextureBuildReport {
  int Steps = 0;        // halvings per side that made the textures fit
  std::string Message;  // for the status bar when the slices were downsampled
};

// A volume's textures made ready without a context, for a later upload by the renderer that
// planned them (the next time point while the current one shows).
class PreparedVolume {
 public:
  virtual ~PreparedVolume() = default;
  // Makes the textures' contents from `volume`, shaped as the volume planned from; on any thread,
  // once. Throws (TextureBuildError when `stop` was set).
  virtual void Prepare(const VolumeData& volume, const std::atomic<bool>& stop) = 0;
};

class Renderer {
 public:
  virtual ~Renderer() = default;
  // Builds what `volume` is drawn from, with progress (the context current). On failure nothing
  // new is kept and TextureBuildError carries the reason.
  virtual TextureBuildReport BuildVolume(const VolumeData& volume, const TextureBuildSettings& settings,
                                         ProgressSink& progress) = 0;
  // A build split in two for volumes shaped as `volume`: planned here (the context current),
  // prepared on any thread, uploaded by BuildPrepared. nullptr: this renderer builds only
  // through BuildVolume. Throws TextureBuildError when the volume cannot be built.
  virtual std::unique_ptr<PreparedVolume> PlanVolume(const VolumeData& volume, const TextureBuildSettings& settings) {
    (void)volume, (void)settings;
    return nullptr;
  }
  // Uploads a prepared volume of PlanVolume (the context current) as the one built last; no
  // progress, since only the upload is left. On failure nothing new is kept (TextureBuildError).
  virtual TextureBuildReport BuildPrepared(PreparedVolume& prepared) {
    (void)prepared;
    throw TextureBuildError("This renderer uploads no prepared volumes.");
  }
  // Makes the volume built last the one drawn, with the fixed state for `view`.
  virtual void ShowBuiltVolume(const VolumeData& volume, const ViewState& view) = 0;
  // Deletes what was built (the context that made it must be current).
  virtual void ReleaseVolume() = 0;
  // The fixed state of the context, for the given view (light and colour).
  virtual void InitGLState(const ViewState& view) = 0;
  // Viewport and projection; a height of 0 counts as 1.
  virtual void ResizeGL(int32_t width, int32_t height) = 0;
  // One frame; with `advance` the rotation then moves on by the speeds.
  virtual void DrawScene(ViewState& view, bool advance) = 0;
  // Whether the current context can draw a maximum intensity projection; `why` says what is
  // missing when not.
  virtual bool CanDrawMaximum(std::string& why) = 0;
  // What a voxel measures, for the scale bar.
  virtual void SetCalibration(Calibration calibration) = 0;
  // Frames drawn so far, with or without a volume.
  virtual int64_t FramesDrawn() const = 0;
};

}  // namespace lumetrix
