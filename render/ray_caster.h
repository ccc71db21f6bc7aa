#pragma once
// Draws the volume by casting a ray through every pixel in GLSL: one 3D texture per channel at
// its stored depth, sampled in calibrated space, composited, projected or shaded by the render
// mode, and cut by the crop box and the clipping plane. Needs OpenGL 2.1 with GLSL 1.20.

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/bricked_volume.h"
#include "render/gl_shader_functions.h"
#include "render/ray_shader.h"
#include "render/ray_volume.h"
#include "render/view_overlay.h"
#include "viewer/renderer.h"

namespace lumetrix {

// Where a volume of w x h x d voxels lies in model space: x spans -1..1, y and z keep their
// proportions (by the view's scales; y only with a voxel size from the file), as the slice
// stacks draw it.
struct RayGeometry {
  std::array<float, 3> Half{1, 1, 1};      // the box is -Half..Half
  std::array<int32_t, 3> Voxels{1, 1, 1};  // w, h, d
};
RayGeometry RayGeometryOf(int32_t w, int32_t h, int32_t d, const ViewState& view, bool true_aspect);

class RayCaster : public Renderer {
 public:
  ~RayCaster() override;
  // Whether the current context can ray-cast; `why` says what is missing when not.
  bool Supported(std::string& why);

  TextureBuildReport BuildVolume(const VolumeData& volume, const TextureBuildSettings& settings,
                                 ProgressSink& progress) override;
  // The channels' voxels prepared on any thread (PrepareRayVolume); the upload stays in
  // ShowBuiltVolume.
  std::unique_ptr<PreparedVolume> PlanVolume(const VolumeData& volume, const TextureBuildSettings& settings) override;
  TextureBuildReport BuildPrepared(PreparedVolume& prepared) override;
  void ShowBuiltVolume(const VolumeData& volume, const ViewState& view) override;
  void ReleaseVolume() override;
  void InitGLState(const ViewState& view) override;
  void ResizeGL(int32_t width, int32_t height) override;
  void DrawScene(ViewState& view, bool advance) override;
  bool CanDrawMaximum(std::string& why) override { return Supported(why); }
  void SetCalibration(Calibration calibration) override { calibration_ = std::move(calibration); }
  int64_t FramesDrawn() const override { return frames_drawn_; }

  bool HasVolume() const { return !textures_.empty() || bricked_ != nullptr; }
  // Volumes with a pyramid (VolumeData::Pyramid) are drawn from bricks within these budgets.
  void SetBrickBudgets(const BrickBudgets& budgets) { budgets_ = budgets; }
  // Frames wait for every brick they need (saved frames, movies, batch output).
  void SetWaitForDetail(bool on) { wait_for_detail_ = on; }
  // Bricks uploaded a frame at most, besides the coarsest level's (while the view is watched).
  void SetBricksPerFrame(size_t n) { bricks_per_frame_ = std::max<size_t>(n, 1); }
  // The last frame of a pyramid's volume lacked bricks it needs: another frame will show more.
  bool Loading() const { return bricked_ && !bricked_->Complete(); }
  // Draws the last frame again, waiting for every brick it needs (before it is saved).
  void RedrawComplete();
  // "level 2 of 4 shown, loading 45%" for a pyramid's volume; empty otherwise.
  std::string BrickStatus() const;
  const BrickedVolume* Bricked() const { return bricked_.get(); }
  // Texture memory the volume takes on the GPU, in bytes.
  uint64_t TextureBytes() const { return texture_bytes_; }
  // A step larger by this factor, cast for half the width and height and stretched (and so a
  // faster frame), while the view moves; 1 when still.
  void SetCoarseness(float factor) { coarseness_ = factor < 1 ? 1 : factor; }
  // The crop box's outline over the volume (while a crop limit is dragged).
  void ShowCropOutline(bool on) { crop_outline_ = on; }

  std::function<GlShaderFunctions::GlProc(const char*)> ProcLookup;
  TextRaster Text;

 private:
  bool EnsureProgram(const ViewState& view, std::string& why);
  // Whether the crop box leaves out any texel (else the samples need no clamp of their own).
  bool CropCutsTexels(const ViewState& view) const;
  // The first and last texel kept along axis a (0 x, 1 y, 2 z), of `texels` along it (the built
  // texture's when 0; the finest level's for bricks).
  std::array<int32_t, 2> TexelsKept(const ViewState& view, int a, int32_t texels = 0) const;
  void DeleteTextures();
  // The channels and sizes of built_ made those of the bricks of `pyramid`.
  void ShowPyramid(const streaming::BrickSource& pyramid);
  // Plans and uploads the bricks of this frame and marks those dark for its display; `g` and `view`
  // as DrawBox has them (the model matrix loaded, the viewport the pixels cast).
  void UpdateBricks(const RayGeometry& g, const ViewState& view);
  void DrawBox(const RayGeometry& g, const ViewState& view);
  // The per-channel transfer table for this frame, uploaded when it changed.
  void UploadTransfer(double transparency, double step);
  // Stretches the w x h frame at the bottom left over the whole viewport.
  void StretchToViewport(int32_t w, int32_t h);

  GlShaderFunctions gl_;
  bool loaded_ = false, load_failed_ = false;
  std::string load_error_;
  uint32_t program_ = 0;
  RayProgramOptions program_options_;
  std::vector<uint32_t> textures_;  // one per channel
  uint32_t palette_texture_ = 0;
  uint32_t reduced_texture_ = 0;  // the frame cast at half size while the view moves
  uint32_t transfer_texture_ = 0;
  std::vector<double> transfer_inputs_;  // transparency, step and each channel's gamma and colour of the table held
  uint64_t texture_bytes_ = 0;
  RayVolume built_;  // what the textures hold (without the voxels)
  RayVolume pending_;
  bool has_pending_ = false;
  int32_t viewport_w_ = 1, viewport_h_ = 1;
  int64_t frames_drawn_ = 0;
  float coarseness_ = 1;
  bool crop_outline_ = false;
  Calibration calibration_;
  std::shared_ptr<const streaming::BrickSource> pending_pyramid_;
  std::unique_ptr<BrickedVolume> bricked_;
  BrickBudgets budgets_;
  bool wait_for_detail_ = false;
  size_t bricks_per_frame_ = 16;
  ViewState last_view_;  // as the last frame drew it (in voxels of the volume held)
  std::array<int32_t, 3> file_voxels_{0, 0, 0};  // VolumeData::FileVoxels of the volume shown
  std::string brick_error_;  // why the pyramid's volume is shown from memory
};

}  // namespace lumetrix
