#include "render/ray_caster.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>

#include "core/held_voxels.h"
#include "render/gl_program.h"
#include "render/crop_outline.h"
#include "render/ray_shader.h"
#include "render/ray_thresholds.h"
#include "render/ray_transfer.h"
#include "render/view_projection.h"
#include "render/volume_texture.h"

namespace lumetrix {

RayGeometry RayGeometryOf(int32_t w, int32_t h, int32_t d, const ViewState& view, bool true_aspect) {
  RayGeometry g;
  g.Voxels = {std::max(w, 1), std::max(h, 1), std::max(d, 1)};
  const double W = g.Voxels[0];
  g.Half[1] = true_aspect ? static_cast<float>(g.Voxels[1] * double(view.ScaleY) / (W * view.ScaleX)) : 1.0f;
  g.Half[2] = static_cast<float>(g.Voxels[2] * double(view.ScaleZ) / (W * view.ScaleX));
  return g;
}

RayCaster::~RayCaster() = default;  // textures die with their context

bool RayCaster::Supported(std::string& why) {
  if (!loaded_ && !load_failed_) {
    loaded_ = gl_.Load(ProcLookup, load_error_);
    load_failed_ = !loaded_;
  }
  if (load_failed_) why = load_error_;
  return loaded_;
}

bool RayCaster::EnsureProgram(const ViewState& view, std::string& why) {
  RayProgramOptions options;
  options.Channels = static_cast<int>(built_.Channels.size());
  options.Palette = !built_.Palette.empty();
  options.Clip = view.Clip.On;
  options.Crop = CropCutsTexels(view);
  options.Bricked = bricked_ != nullptr;
  if (program_ && program_options_ == options) return true;
  if (program_) gl_.DeleteProgram(program_);
  program_ = 0;
  const uint32_t program = BuildProgram(gl_, RayVertexShader(), RayFragmentShader(options), why);
  if (!program) return false;
  program_ = program, program_options_ = options;
  return true;
}

namespace {

RayLimits LimitsOfContext(const TextureBuildSettings& settings) {
  RayLimits limits;
  GLint max3d = 0;
  glGetIntegerv(GL_MAX_3D_TEXTURE_SIZE, &max3d);
  if (max3d > 0) limits.Max3DSize = max3d;
  limits.MemoryBudget = settings.MemoryBudget;
  return limits;
}

class PreparedRayVolume : public PreparedVolume {
 public:
  PreparedRayVolume(SliceColourer colourer, RayLimits limits) : colourer_(std::move(colourer)), limits_(limits) {}
  void Prepare(const VolumeData& volume, const std::atomic<bool>& stop) override {
    if (stop) throw TextureBuildError("Preparing the textures was stopped.");
    keep_ = volume.Stack;  // the channels' voxels may lie in its planes
    ray_ = PrepareRayVolume(volume, colourer_, limits_, report_.Message);
    pyramid_ = volume.Pyramid;
    report_.Steps = ray_.Steps;
    prepared_ = true;
  }
  bool prepared_ = false;
  RayVolume ray_;
  std::shared_ptr<const streaming::BrickSource> pyramid_;
  TextureBuildReport report_;

 private:
  SliceColourer colourer_;
  RayLimits limits_;
  std::shared_ptr<const imaging::Hyperstack> keep_;
};

}  // namespace

std::unique_ptr<PreparedVolume> RayCaster::PlanVolume(const VolumeData& volume, const TextureBuildSettings& settings) {
  (void)volume;
  std::string why;
  if (!Supported(why)) throw TextureBuildError(why);
  return std::make_unique<PreparedRayVolume>(settings.Colourer, LimitsOfContext(settings));
}

TextureBuildReport RayCaster::BuildPrepared(PreparedVolume& prepared) {
  auto* ray = dynamic_cast<PreparedRayVolume*>(&prepared);
  if (!ray || !ray->prepared_) throw TextureBuildError("The prepared volume is not one for ray casting.");
  pending_ = std::move(ray->ray_);
  pending_pyramid_ = ray->pyramid_;
  has_pending_ = true;
  return ray->report_;
}

TextureBuildReport RayCaster::BuildVolume(const VolumeData& volume, const TextureBuildSettings& settings,
                                          ProgressSink& progress) {
  std::string why;
  if (!Supported(why)) throw TextureBuildError(why);
  const RayLimits limits = LimitsOfContext(settings);
  TextureBuildReport report;
  progress.ShowProgress("Building the volume textures", 0, 1);
  // Asked before and after the one long step; a cancelled build keeps nothing.
  const auto cancelled = [&] {
    if (!progress.Cancelled()) return;
    pending_ = {};
    has_pending_ = false;
    progress.HideProgress();
    throw TextureBuildCancelled("Building the volume textures was stopped.");
  };
  cancelled();
  pending_ = PrepareRayVolume(volume, settings.Colourer, limits, report.Message);
  pending_pyramid_ = volume.Pyramid;
  report.Steps = pending_.Steps;
  has_pending_ = true;
  cancelled();
  progress.HideProgress();
  if (settings.EnsureCurrent && !settings.EnsureCurrent()) throw TextureBuildError("The OpenGL context went away.");
  return report;
}

void RayCaster::ShowBuiltVolume(const VolumeData& volume, const ViewState& view) {
  file_voxels_ = volume.FileVoxels;
  if (!has_pending_) return;
  std::shared_ptr<const streaming::BrickSource> pyramid = std::move(pending_pyramid_);
  pending_pyramid_ = nullptr;
  // The bricks loaded so far stay while the same pyramid shows (another time point, new ranges).
  std::unique_ptr<BrickedVolume> bricked;
  if (bricked_ && pyramid && &bricked_->Source() == pyramid.get()) bricked = std::move(bricked_);
  DeleteTextures();
  built_ = std::move(pending_);
  has_pending_ = false;
  pending_ = {};
  if (pyramid) {
    brick_error_.clear();
    if (!bricked) {
      GLint max3d = 0;
      glGetIntegerv(GL_MAX_3D_TEXTURE_SIZE, &max3d);
      // Without room for bricks the level in memory is shown, as for any volume.
      try {
        bricked = std::make_unique<BrickedVolume>(pyramid, budgets_, max3d > 0 ? max3d : 2048, gl_);
      } catch (const std::exception& e) {
        brick_error_ = e.what();
      }
    }
    bricked_ = std::move(bricked);
    if (bricked_) {
      bricked_->SetTimePoint(std::max(volume.Display.TimePoint, 1) - 1);
      ShowPyramid(*pyramid);
      texture_bytes_ = bricked_->TextureBytes();
    }
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (RayChannel& ch : built_.Channels) {
    if (bricked_) break;
    // Samples stay inside the volume, so a texel beyond an edge is only read as the outer
    // neighbour of an edge texel, which mirroring makes that edge texel, as clamping would. Mesa's
    // llvmpipe samples one channel faster on this path than on its clamped 8-bit one.
    const GLuint name = NewVolumeTexture(GL_LINEAR, GL_MIRRORED_REPEAT);
    const bool wide = ch.Bits == 16;
    gl_.TexImage3D(GL_TEXTURE_3D, 0, wide ? GL_LUMINANCE16 : GL_LUMINANCE8, built_.Width, built_.Height, built_.Depth, 0,
                   GL_LUMINANCE, wide ? GL_UNSIGNED_SHORT : GL_UNSIGNED_BYTE, ch.Voxels);
    textures_.push_back(name);
    texture_bytes_ += static_cast<uint64_t>(built_.Width) * built_.Height * built_.Depth * (wide ? 2 : 1);
    ch.Owned = {};  // the GPU keeps the one copy
    ch.Voxels = nullptr;
  }
  glBindTexture(GL_TEXTURE_3D, 0);
  if (!built_.Palette.empty()) {
    glGenTextures(1, &palette_texture_);
    glBindTexture(GL_TEXTURE_1D, palette_texture_);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage1D(GL_TEXTURE_1D, 0, GL_RGB8, 256, 0, GL_RGB, GL_UNSIGNED_BYTE, built_.Palette.data());
    glBindTexture(GL_TEXTURE_1D, 0);
  }
  InitGLState(view);
}

void RayCaster::ShowPyramid(const streaming::BrickSource& pyramid) {
  // The textures' place is taken by the bricks: the ranges are of the pyramid's held values, and
  // the crop box is kept in voxels of its finest level.
  const imaging::StoredValues values = pyramid.Values();
  for (RayChannel& ch : built_.Channels) {
    ch.Min = values.Internal(ch.Values.Stored(ch.Min));
    ch.Max = values.Internal(ch.Values.Stored(ch.Max));
    ch.Values = values;
    ch.Bits = pyramid.Bits();
    ch.Owned = {};
    ch.Voxels = nullptr;
  }
  const streaming::PyramidLevel& finest = pyramid.Levels().front();
  built_.Width = finest.width, built_.Height = finest.height, built_.Depth = finest.depth;
}

std::string RayCaster::BrickStatus() const {
  if (!brick_error_.empty()) return brick_error_;
  if (!bricked_) return {};
  const std::string error = bricked_->Error();
  return error.empty() ? bricked_->Status() : bricked_->Status() + ". " + error;
}

void RayCaster::UpdateBricks(const RayGeometry& g, const ViewState& view) {
  streaming::BrickView v;
  GLint viewport[4] = {0, 0, 1, 1};
  glGetIntegerv(GL_VIEWPORT, viewport);
  v.width = std::max(viewport[2], 1), v.height = std::max(viewport[3], 1);
  // Finest-level voxels -> model space (x from -Half, y and z from +Half downwards) -> clip.
  const streaming::PyramidLevel& finest = bricked_->Source().Levels().front();
  const double n0[3] = {double(finest.width), double(finest.height), double(finest.depth)};
  double p[16], m[16];
  glGetDoublev(GL_PROJECTION_MATRIX, p);
  glGetDoublev(GL_MODELVIEW_MATRIX, m);
  double t[16] = {0};
  for (int a = 0; a < 3; ++a) {
    const double h = g.Half[size_t(a)], sign = a == 0 ? 1.0 : -1.0;
    t[a * 5] = sign * 2 * h / n0[a];
    t[12 + a] = -sign * h;
  }
  t[15] = 1;
  auto mul = [](const double* a, const double* b, double* out) {
    for (int c = 0; c < 4; ++c)
      for (int r = 0; r < 4; ++r) {
        double sum = 0;
        for (int k = 0; k < 4; ++k) sum += a[k * 4 + r] * b[c * 4 + k];
        out[c * 4 + r] = sum;
      }
  };
  double mt[16];
  mul(m, t, mt);
  mul(p, mt, v.voxel_to_clip.data());
  // The crop box and the plane are in voxels of the volume in memory (the plane's centres at
  // whole numbers): taken to the finest level.
  const auto& L = view.Crop.Limits;
  double s[3];
  for (int a = 0; a < 3; ++a) {
    const double N = g.Voxels[size_t(a)];
    s[a] = N / n0[a];
    v.crop_lo[size_t(a)] = std::clamp(double(L[2 * a]), 0.0, N) / s[a];
    v.crop_hi[size_t(a)] = std::clamp(double(L[2 * a + 1]) + 1, 0.0, N) / s[a];
  }
  v.clip = view.Clip.On;
  const auto& P = view.Clip.Plane;
  v.plane = {P[0] * s[0], P[1] * s[1], P[2] * s[2], P[3] + 0.5 * (double(P[0]) + P[1] + P[2])};
  bricked_->SetDarkBelow(DarkBelow(view, built_.Channels));
  bricked_->Update(v, wait_for_detail_, bricks_per_frame_);
}

void RayCaster::DeleteTextures() {
  if (!textures_.empty()) glDeleteTextures(static_cast<GLsizei>(textures_.size()), textures_.data());
  textures_.clear();
  if (palette_texture_) glDeleteTextures(1, &palette_texture_);
  palette_texture_ = 0;
  if (reduced_texture_) glDeleteTextures(1, &reduced_texture_);
  reduced_texture_ = 0;
  if (transfer_texture_) glDeleteTextures(1, &transfer_texture_);
  transfer_texture_ = 0;
  transfer_inputs_.clear();
  texture_bytes_ = 0;
  if (bricked_) bricked_->Release();
  bricked_ = nullptr;
}

void RayCaster::ReleaseVolume() {
  DeleteTextures();
  built_ = {};
  pending_ = {};
  pending_pyramid_ = nullptr;
  has_pending_ = false;
  if (program_ && loaded_) gl_.DeleteProgram(program_);
  program_ = 0;
}

void RayCaster::InitGLState(const ViewState& view) {
  (void)view;
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
}

void RayCaster::ResizeGL(int32_t width, int32_t height) {
  if (height == 0) height = 1;
  viewport_w_ = width;
  viewport_h_ = height;
  glViewport(0, 0, width, height);
}

void RayCaster::RedrawComplete() {
  const bool waited = wait_for_detail_;
  wait_for_detail_ = true;
  ViewState still = last_view_;
  DrawScene(still, false);
  wait_for_detail_ = waited;
}

void RayCaster::DrawScene(ViewState& view, bool advance) {
  ++frames_drawn_;
  // The crop box and the plane count voxels of the file; the volume held may be coarser.
  const ViewState shown = InHeldVoxels(view, file_voxels_, {built_.FullWidth, built_.FullHeight, built_.FullDepth});
  last_view_ = shown;
  glViewport(0, 0, viewport_w_, viewport_h_);
  glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  LoadProjection(shown, viewport_w_, viewport_h_);
  glLoadIdentity();
  std::string why;
  if (HasVolume() && EnsureProgram(shown, why)) {
    const RayGeometry g = RayGeometryOf(built_.FullWidth, built_.FullHeight, built_.FullDepth, shown, calibration_.FromFile);
    // While the view moves the rays are cast for a quarter of the pixels, then stretched.
    const bool reduced = coarseness_ > 1 && viewport_w_ >= 32 && viewport_h_ >= 32;
    const int32_t w = reduced ? viewport_w_ / 2 : viewport_w_, h = reduced ? viewport_h_ / 2 : viewport_h_;
    if (reduced) glViewport(0, 0, w, h);
    DrawBox(g, shown);
    if (reduced) StretchToViewport(w, h);
    DrawOverlay(shown, viewport_w_, viewport_h_, built_.FullWidth, calibration_, Text);
  }
  if (advance) {
    view.XRot += view.XSpeed;
    view.YRot += view.YSpeed;
  }
}

namespace {

// Binds a 2D texture read with `filter` and clamped to its edge texels.
void BindEdgeClampedTexture(GLuint name, GLint filter) {
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

}  // namespace

void RayCaster::UploadTransfer(double transparency, double step) {
  // The table depends on these alone: it is worked out again only when one of them changed.
  // (and the palette, which stays until the volume's textures go).
  std::vector<double> inputs = {transparency, step};
  for (const RayChannel& ch : built_.Channels) inputs.insert(inputs.end(), {ch.Gamma, ch.Red, ch.Green, ch.Blue});
  if (transfer_texture_ && inputs == transfer_inputs_) return;
  const std::vector<uint16_t> table = RayTransferTable(built_.Channels, built_.Palette, transparency, step);
  if (!transfer_texture_) glGenTextures(1, &transfer_texture_);
  BindEdgeClampedTexture(transfer_texture_, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16, kRayTransferEntries, static_cast<GLsizei>(2 * built_.Channels.size()), 0,
               GL_RGBA, GL_UNSIGNED_SHORT, table.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  transfer_inputs_ = std::move(inputs);
}

void RayCaster::StretchToViewport(int32_t w, int32_t h) {
  if (!reduced_texture_) glGenTextures(1, &reduced_texture_);
  BindEdgeClampedTexture(reduced_texture_, GL_LINEAR);
  glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, w, h, 0);
  glViewport(0, 0, viewport_w_, viewport_h_);
  glClear(GL_COLOR_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0), glVertex2f(-1, -1);
  glTexCoord2f(1, 0), glVertex2f(1, -1);
  glTexCoord2f(1, 1), glVertex2f(1, 1);
  glTexCoord2f(0, 1), glVertex2f(-1, 1);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

std::array<int32_t, 2> RayCaster::TexelsKept(const ViewState& view, int a, int32_t texels) const {
  const int32_t full = a == 0 ? built_.FullWidth : a == 1 ? built_.FullHeight : built_.FullDepth;
  const float N = static_cast<float>(std::max(full, 1));  // voxels of the file
  const float n = texels > 0 ? float(texels)
                  : a == 0   ? float(built_.Width)
                  : a == 1   ? float(built_.Height)
                             : float(built_.Depth);
  const auto& L = view.Crop.Limits;
  const float first = std::clamp(L[2 * a], 0.0f, N), last = std::clamp(L[2 * a + 1] + 1, 0.0f, N);
  const auto lo = static_cast<int32_t>(std::floor(first * n / N));
  return {lo, std::max(lo, static_cast<int32_t>(std::ceil(last * n / N)) - 1)};
}

bool RayCaster::CropCutsTexels(const ViewState& view) const {
  const int32_t texels[3] = {built_.Width, built_.Height, built_.Depth};
  for (int a = 0; a < 3; ++a) {
    const std::array<int32_t, 2> kept = TexelsKept(view, a);
    if (kept[0] > 0 || kept[1] < texels[a] - 1) return true;
  }
  return false;
}

void RayCaster::DrawBox(const RayGeometry& g, const ViewState& view) {
  glPushMatrix();
  glTranslatef(view.PosX, view.PosY, view.PosZ);
  glRotatef(view.XRot, 1.0f, 0.0f, 0.0f);
  glRotatef(view.YRot, 0.0f, 1.0f, 0.0f);

  // Voxel v (from 0, inclusive crop limits) spans [v, v + 1) of N along an axis; model space
  // runs -Half..Half along x and +Half..-Half along y (rows top first) and z (page 0 in front).
  const auto& L = view.Crop.Limits;
  float box_min[3], box_max[3], kept_lo[3], kept_hi[3], grid[3], scale[3], offset[3], texel[3];
  // The rays march in voxels of the texture, or of the finest level when bricks are read.
  std::array<int32_t, 3> marched{built_.Width, built_.Height, built_.Depth};
  if (bricked_) {
    const streaming::PyramidLevel& finest = bricked_->Source().Levels().front();
    marched = {finest.width, finest.height, finest.depth};
  }
  for (int a = 0; a < 3; ++a) {
    const float N = static_cast<float>(g.Voxels[a]);  // voxels of the file
    const float n = a == 0 ? float(built_.Width) : a == 1 ? float(built_.Height) : float(built_.Depth);  // texels
    const float first = std::clamp(L[2 * a], 0.0f, N), last = std::clamp(L[2 * a + 1] + 1, 0.0f, N);
    const float h = g.Half[a];
    const float sign = a == 0 ? 1.0f : -1.0f;
    const float p0 = sign * (-h + 2 * h * first / N), p1 = sign * (-h + 2 * h * last / N);
    box_min[a] = std::min(p0, p1), box_max[a] = std::max(p0, p1);
    scale[a] = sign * 0.5f / h;
    offset[a] = 0.5f;
    texel[a] = 1.0f / n;
    // Samples stay between the centres of the first and last texels kept, so that voxels cut
    // away do not bleed in through the interpolation.
    const std::array<int32_t, 2> kept = TexelsKept(view, a, marched[size_t(a)]);
    grid[a] = float(marched[size_t(a)]);
    kept_lo[a] = static_cast<float>(kept[0]) + 0.5f;
    kept_hi[a] = static_cast<float>(kept[1]) + 0.5f;
  }
  if (box_min[0] >= box_max[0] || box_min[1] >= box_max[1] || box_min[2] >= box_max[2]) {
    glPopMatrix();
    return;
  }
  const float quality = view.Quality * coarseness_;
  if (bricked_) UpdateBricks(g, view);

  gl_.UseProgram(program_);
  auto loc = [&](const std::string& name) { return gl_.GetUniformLocation(program_, name.c_str()); };
  const bool ortho = view.Proj == Projection::Orthographic;
  const auto eye = EyeInModel(view), look = LookInModel(view);
  int mode = kRayComposite;
  switch (view.Mode) {
    case RenderMode::Mip: mode = kRayMip; break;
    case RenderMode::Attenuated: mode = kRayAttenuated; break;
    case RenderMode::MinIP: mode = kRayMinIp; break;
    case RenderMode::Iso: mode = kRayIso; break;
    default: break;
  }
  gl_.Uniform1i(loc("u_mode"), mode);
  gl_.Uniform1i(loc("u_ortho"), ortho);
  gl_.Uniform3f(loc("u_eye"), float(eye[0]), float(eye[1]), float(eye[2]));
  gl_.Uniform3f(loc("u_dir"), float(look[0]), float(look[1]), float(look[2]));
  gl_.Uniform3f(loc("u_box_min"), box_min[0], box_min[1], box_min[2]);
  gl_.Uniform3f(loc("u_box_max"), box_max[0], box_max[1], box_max[2]);
  gl_.Uniform3f(loc("u_tex_scale"), scale[0], scale[1], scale[2]);
  gl_.Uniform3f(loc("u_tex_offset"), offset[0], offset[1], offset[2]);
  float lattice[3] = {1024, 1024, 1024};  // per voxel marched; when bricked, per voxel of the finest level drawn
  if (bricked_) {
    const auto& levels = bricked_->Source().Levels();
    const streaming::PyramidLevel& shown = levels[size_t(std::max(bricked_->FinestDrawnLevel(), 0))];
    for (int a = 0; a < 3; ++a) lattice[a] /= float(shown.factor[a]);
  }
  gl_.Uniform3f(loc("u_grid"), grid[0], grid[1], grid[2]);
  gl_.Uniform3f(loc("u_lattice"), lattice[0], lattice[1], lattice[2]);
  gl_.Uniform3f(loc("u_kept_lo"), kept_lo[0], kept_lo[1], kept_lo[2]);
  gl_.Uniform3f(loc("u_kept_hi"), kept_hi[0], kept_hi[1], kept_hi[2]);
  if (bricked_) {
    const auto atlas = bricked_->AtlasTexels();
    for (int a = 0; a < 3; ++a) texel[a] = 1.0f / float(atlas[size_t(a)]);
  }
  gl_.Uniform3f(loc("u_texel"), texel[0], texel[1], texel[2]);
  // The plane in voxel coordinates (centres at whole numbers) taken into model space.
  const auto& P = view.Clip.Plane;
  float n_model[3], d_model = P[3];
  for (int a = 0; a < 3; ++a) {
    const float vox = static_cast<float>(g.Voxels[a]);
    const float sign = a == 0 ? 1.0f : -1.0f;
    const float A = sign * vox / (2 * g.Half[a]), b = vox / 2 - 0.5f;
    n_model[a] = P[static_cast<size_t>(a)] * A;
    d_model -= P[static_cast<size_t>(a)] * b;
  }
  gl_.Uniform1i(loc("u_clip"), view.Clip.On);
  gl_.Uniform4f(loc("u_plane_vox"), P[0], P[1], P[2], P[3]);
  gl_.Uniform3f(loc("u_full"), float(g.Voxels[0]), float(g.Voxels[1]), float(g.Voxels[2]));
  gl_.Uniform3f(loc("u_texels"), float(built_.Width), float(built_.Height), float(built_.Depth));
  gl_.Uniform4f(loc("u_plane"), n_model[0], n_model[1], n_model[2], d_model);
  // The step is measured in voxels of the finest level drawn: while finer bricks are on their way
  // the rays need no more samples than the coarser ones shown hold.
  float vox[3] = {g.Voxels[0] / (2 * g.Half[0]), g.Voxels[1] / (2 * g.Half[1]), g.Voxels[2] / (2 * g.Half[2])};
  if (bricked_) {
    const auto& levels = bricked_->Source().Levels();
    const streaming::PyramidLevel& shown = levels[size_t(std::max(bricked_->FinestDrawnLevel(), 0))];
    const int32_t n0[3] = {levels.front().width, levels.front().height, levels.front().depth};
    for (int a = 0; a < 3; ++a) vox[a] = float(n0[a]) / shown.factor[a] / (2 * g.Half[a]);
  }
  gl_.Uniform3f(loc("u_vox"), vox[0], vox[1], vox[2]);
  gl_.Uniform1f(loc("u_quality"), quality);
  gl_.Uniform1f(loc("u_alpha"), view.Transparency);
  gl_.Uniform1f(loc("u_atten"), view.Attenuation);
  gl_.Uniform1i(loc("u_light_on"), view.LightOn);
  gl_.Uniform3f(loc("u_ambient"), view.LightColor[0], view.LightColor[1], view.LightColor[2]);
  gl_.Uniform3f(loc("u_colour"), view.Color[0], view.Color[1], view.Color[2]);
  for (size_t c = 0; c < built_.Channels.size(); ++c) {
    const RayChannel& ch = built_.Channels[c];
    const std::string n = std::to_string(c);
    const double top = ch.Bits == 16 ? 65535.0 : 255.0;
    if (!bricked_) {
      gl_.ActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(c));
      glBindTexture(GL_TEXTURE_3D, textures_[c]);
      gl_.Uniform1i(loc("u_vol" + n), static_cast<GLint>(c));
    }
    gl_.Uniform4f(loc("u_look" + n), float(ch.Min / top), float(ch.Max / top), float(ch.Gamma), ch.Visible ? 1.0f : 0.0f);
    const std::array<double, 2> entry = RayTransferColumn(ch);
    gl_.Uniform2f(loc("u_entry" + n), float(entry[0]), float(entry[1]));
    gl_.Uniform3f(loc("u_rgb" + n), ch.Red, ch.Green, ch.Blue);
    gl_.Uniform1f(loc("u_iso" + n), float(HeldIsoLevel(view, c, ch) / top));
  }
  UploadTransfer(view.Transparency, quality);
  {
    const GLenum unit = static_cast<GLenum>(built_.Channels.size() + 1);
    gl_.ActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, transfer_texture_);
    gl_.Uniform1i(loc("u_transfer"), static_cast<GLint>(unit));
  }
  // Units: the channels, the palette, the transfer table, then the page table.
  if (bricked_) bricked_->Bind(program_, 0, static_cast<uint32_t>(built_.Channels.size() + 2));
  if (palette_texture_) {
    const GLenum unit = static_cast<GLenum>(built_.Channels.size());
    gl_.ActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_1D, palette_texture_);
    gl_.Uniform1i(loc("u_palette"), static_cast<GLint>(unit));
  }

  // The crop box's back faces: every pixel the box covers runs one ray, also with the eye inside.
  glEnable(GL_CULL_FACE);
  glCullFace(GL_FRONT);
  glFrontFace(GL_CCW);
  const float x0 = box_min[0], x1 = box_max[0], y0 = box_min[1], y1 = box_max[1], z0 = box_min[2], z1 = box_max[2];
  const float faces[6][4][3] = {
      {{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}}, {{x1, y0, z0}, {x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}},
      {{x1, y0, z1}, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}}, {{x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}},
      {{x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}, {x0, y1, z0}}, {{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}}};
  glBegin(GL_QUADS);
  for (const auto& face : faces)
    for (const auto& v : face) glVertex3f(v[0], v[1], v[2]);
  glEnd();
  glDisable(GL_CULL_FACE);
  gl_.UseProgram(0);
  for (size_t c = 0; c <= built_.Channels.size() + 2; ++c) {
    gl_.ActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(c));
    glBindTexture(GL_TEXTURE_3D, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindTexture(GL_TEXTURE_1D, 0);
  }
  gl_.ActiveTexture(GL_TEXTURE0);
  if (crop_outline_) DrawCropOutline({{x0, y0, z0}, {x1, y1, z1}});
  glPopMatrix();
}

}  // namespace lumetrix
