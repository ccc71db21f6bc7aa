#pragma once
// Draws the volume with fixed-function OpenGL: the stack that faces the viewer best, every
// slice blended additively at one common alpha. Needs a current compatibility context.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/view_state.h"
#include "render/stack_geometry.h"
#include "render/texture_stacks.h"
#include "render/view_overlay.h"
#include "viewer/renderer.h"
#include "viewer/volume_data.h"

namespace lumetrix {

class GlRenderer : public Renderer {
 public:
  // Builds the three stacks (BuildTextures); they are drawn from ShowBuiltVolume on.
  TextureBuildReport BuildVolume(const VolumeData& volume, const TextureBuildSettings& settings,
                                 ProgressSink& progress) override;
  // PreparedStacks: the slices prepared on worker threads, uploaded as the stacks built.
  std::unique_ptr<PreparedVolume> PlanVolume(const VolumeData& volume, const TextureBuildSettings& settings) override;
  TextureBuildReport BuildPrepared(PreparedVolume& prepared) override;
  void ShowBuiltVolume(const VolumeData& volume, const ViewState& view) override;
  void ReleaseVolume() override;
  void InitGLState(const ViewState& view) override;
  // Viewport and a 45 degree perspective; a height of 0 counts as 1.
  void ResizeGL(int32_t width, int32_t height) override;
  // Draws only the background when no stacks are set; `advance` is set for a drawn frame of the
  // viewer or a script.
  void DrawScene(ViewState& view, bool advance) override;

  // The volume whose textures are current; the stacks are owned by the renderer, and the
  // previous ones are deleted.
  void SetStacks(const VolumeData& volume, int32_t slice_step, TextureStacks stacks);
  void ReleaseStacks();
  // Looks up an OpenGL entry point of the current context (set by the surface); functions past
  // OpenGL 1.1 are found only through it.
  using GlProc = void (*)();
  std::function<GlProc(const char*)> ProcLookup;
  // Whether the current context can draw a maximum intensity projection (glBlendEquation with
  // GL_MAX); `why` says what is missing when not.
  bool CanDrawMaximum(std::string& why) override;
  // Draws the scale bar's label (set by the surface; without it the bar has no label).
  TextRaster Text;
  // What a voxel measures, for the scale bar.
  void SetCalibration(Calibration calibration) override { calibration_ = std::move(calibration); }
  // The crop box's outline over the volume (while a crop limit is dragged).
  void ShowCropOutline(bool on) { crop_outline_ = on; }
  bool HasStacks() const { return !stacks_.Empty(); }
  // Coarse frames (while the view moves, and the first after an open) draw a stack of more than
  // kCoarseSlices slices thinned to about that many, each more opaque, so that software drivers
  // keep up with the input; full frames draw every slice.
  static constexpr size_t kCoarseSlices = 64;
  void SetCoarse(bool on) { coarse_ = on; }
  bool ThinsCoarseFrames() const {
    return std::max({stacks_.XY.size(), stacks_.YZ.size(), stacks_.XZ.size()}) > kCoarseSlices + 1;
  }
  const TextureStacks& Stacks() const { return stacks_; }
  Stack LastDrawnStack() const { return last_stack_; }
  // Frames drawn so far, drawn or not with a volume.
  int64_t FramesDrawn() const override { return frames_drawn_; }
  int32_t ViewportWidth() const { return viewport_w_; }
  int32_t ViewportHeight() const { return viewport_h_; }

 private:
  void DrawStack(const ViewState& view);
  // The crop box and the clipping plane as OpenGL clip planes (model space current).
  void ApplyCut(const ViewState& view, const VolumeExtent& extent);
  // Sets the blend equation for the mode; false when the driver lacks it (then additive).
  bool ApplyBlend(RenderMode mode);

  TextureStacks stacks_;
  TextureStacks built_;  // built, not yet shown
  int32_t built_slice_step_ = 4;
  int32_t width_ = 0, height_ = 0, depth_ = 0, slice_step_ = 4;
  std::array<int32_t, 3> file_voxels_{0, 0, 0};  // VolumeData::FileVoxels of the volume shown
  int32_t viewport_w_ = 1, viewport_h_ = 1;
  Stack last_stack_ = Stack::XY;
  int64_t frames_drawn_ = 0;
  int clip_planes_used_ = 0;
  bool crop_outline_ = false;
  bool coarse_ = false;
  Calibration calibration_;
  using BlendEquationFn = void (*)(unsigned);
  BlendEquationFn blend_equation_ = nullptr;
  bool blend_looked_up_ = false;
};

}  // namespace lumetrix
