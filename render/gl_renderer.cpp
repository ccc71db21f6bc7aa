#include "render/gl_renderer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstring>
#include <algorithm>

#include "core/held_voxels.h"
#include "render/crop_outline.h"
#include "render/prepared_stacks.h"
#include "render/stack_geometry.h"
#include "render/view_projection.h"

#ifndef GL_FUNC_ADD
#define GL_FUNC_ADD 0x8006
#endif
#ifndef GL_MAX
#define GL_MAX 0x8008
#endif

namespace lumetrix {

bool GlRenderer::CanDrawMaximum(std::string& why) {
  if (!blend_looked_up_) {
    blend_looked_up_ = true;
    for (const char* name : {"glBlendEquation", "glBlendEquationEXT"}) {
      if (blend_equation_ || !ProcLookup) break;
      blend_equation_ = reinterpret_cast<BlendEquationFn>(ProcLookup(name));
    }
    // An entry point alone is no promise: the driver must name OpenGL 1.4 or the extension.
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    int major = 0, minor = 0;
    if (version) std::sscanf(version, "%d.%d", &major, &minor);
    const bool listed = major > 1 || (major == 1 && minor >= 4) ||
                        (extensions && (std::strstr(extensions, "GL_EXT_blend_minmax") || std::strstr(extensions, "GL_ARB_imaging")));
    if (!listed) blend_equation_ = nullptr;
  }
  if (!blend_equation_)
    why = "This OpenGL driver cannot draw a maximum intensity projection (it has no glBlendEquation with GL_MAX).";
  return blend_equation_ != nullptr;
}

bool GlRenderer::ApplyBlend(RenderMode mode) {
  std::string why;
  const bool can = CanDrawMaximum(why);
  if (can) blend_equation_(mode == RenderMode::Maximum ? GL_MAX : GL_FUNC_ADD);
  return can || mode == RenderMode::Additive;
}

void GlRenderer::InitGLState(const ViewState& view) {
  blend_looked_up_ = false;  // the context may be a new one
  blend_equation_ = nullptr;
  glEnable(GL_TEXTURE_2D);
  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glLightfv(GL_LIGHT1, GL_AMBIENT, view.LightColor.data());
  glEnable(GL_LIGHT1);
  glColor4f(view.Color[0], view.Color[1], view.Color[2], view.Transparency);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
}

void GlRenderer::ResizeGL(int32_t width, int32_t height) {
  if (height == 0) height = 1;
  viewport_w_ = width;
  viewport_h_ = height;
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, static_cast<double>(width) / height, 0.1, 100.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void GlRenderer::SetStacks(const VolumeData& volume, int32_t slice_step, TextureStacks stacks) {
  stacks_.Release();
  stacks_ = std::move(stacks);
  width_ = volume.Width;
  height_ = volume.Height;
  depth_ = volume.Depth;
  file_voxels_ = volume.FileVoxels;
  slice_step_ = slice_step;
}

void GlRenderer::ReleaseStacks() { stacks_.Release(); }

TextureBuildReport GlRenderer::BuildVolume(const VolumeData& volume, const TextureBuildSettings& settings,
                                           ProgressSink& progress) {
  built_.Release();
  TextureBuildReport report = BuildTextures(volume, settings, progress, built_);
  built_slice_step_ = settings.SliceStep;
  return report;
}

std::unique_ptr<PreparedVolume> GlRenderer::PlanVolume(const VolumeData& volume, const TextureBuildSettings& settings) {
  return std::make_unique<PreparedStacks>(volume, settings);
}

TextureBuildReport GlRenderer::BuildPrepared(PreparedVolume& prepared) {
  auto* stacks = dynamic_cast<PreparedStacks*>(&prepared);
  if (!stacks) throw TextureBuildError("The prepared volume is not one of slice stacks.");
  built_.Release();
  stacks->Upload(built_);
  built_slice_step_ = stacks->SliceStep();
  return stacks->Report();
}

void GlRenderer::ShowBuiltVolume(const VolumeData& volume, const ViewState& view) {
  SetStacks(volume, built_slice_step_, std::move(built_));
  built_ = {};
  InitGLState(view);
}

void GlRenderer::ReleaseVolume() {
  built_.Release();
  ReleaseStacks();
}

void GlRenderer::DrawScene(ViewState& view, bool advance) {
  ++frames_drawn_;
  // The crop box and the plane count voxels of the file; the volume held may be coarser.
  const ViewState shown = InHeldVoxels(view, file_voxels_, {width_, height_, depth_});
  // The window system may have set its own viewport before this frame.
  glViewport(0, 0, viewport_w_, viewport_h_);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  LoadProjection(shown, viewport_w_, viewport_h_);
  glLoadIdentity();
  if (!stacks_.Empty()) {
    DrawStack(shown);
    for (int i = 0; i < clip_planes_used_; ++i) glDisable(GL_CLIP_PLANE0 + i);
    if (crop_outline_)
      DrawCropOutline(CropBoxInModel(shown.Crop, {{width_, height_, depth_}, calibration_.FromFile}, shown));
    ApplyBlend(RenderMode::Additive);
    DrawOverlay(shown, viewport_w_, viewport_h_, width_, calibration_, Text);
  }
  if (advance) {
    view.XRot += view.XSpeed;
    view.YRot += view.YSpeed;
  }
}

void GlRenderer::DrawStack(const ViewState& view) {
  glTranslatef(view.PosX, view.PosY, view.PosZ);
  glRotatef(view.XRot, 1.0f, 0.0f, 0.0f);
  glRotatef(view.YRot, 0.0f, 1.0f, 0.0f);
  last_stack_ = ChooseStack(view.XRot, view.YRot);
  const VolumeExtent extent{width_, height_, depth_, view.ScaleX, view.ScaleY, view.ScaleZ, calibration_.FromFile};
  ApplyCut(view, extent);

  glLightfv(GL_LIGHT1, GL_AMBIENT, view.LightColor.data());
  if (view.LightOn)
    glEnable(GL_LIGHTING);
  else
    glDisable(GL_LIGHTING);
  const std::vector<Quad> quads = StackQuads(last_stack_, extent, slice_step_);
  // A coarse frame draws every stride-th slice; alpha grows with the spacing as between stacks.
  const size_t stride = coarse_ ? std::max<size_t>(1, (quads.size() + kCoarseSlices - 1) / kCoarseSlices) : 1;
  const float alpha =
      std::min(1.0f, StackAlpha(last_stack_, extent, slice_step_, view.Transparency) * static_cast<float>(stride));
  glColor4f(view.Color[0], view.Color[1], view.Color[2], alpha);
  ApplyBlend(view.Mode);
  const std::vector<uint32_t>& names = stacks_.Of(last_stack_);
  for (size_t i = 0; i < quads.size(); i += stride) {
    const Quad& q = quads[i];
    if (q.Texture < 0 || static_cast<size_t>(q.Texture) >= names.size()) continue;
    glBindTexture(GL_TEXTURE_2D, names[static_cast<size_t>(q.Texture)]);
    glBegin(GL_QUADS);
    glNormal3f(q.Normal[0], q.Normal[1], q.Normal[2]);
    for (const QuadVertex& p : q.Vertices) {
      glTexCoord2f(p.s, p.t);
      glVertex3f(p.x, p.y, p.z);
    }
    glEnd();
  }
}

namespace {

// The axis along which a stack's slices follow each other: x, y or z.
int QuadAxis(Stack stack) { return stack == Stack::YZ ? 0 : stack == Stack::XZ ? 1 : 2; }

}  // namespace

void GlRenderer::ApplyCut(const ViewState& view, const VolumeExtent& e) {
  // OpenGL keeps what a x + b y + c z + d >= 0 meets, in model space. The slices of a stack lie
  // on one edge of their voxels (x: the low side; y and z: the high side), so the limits move a
  // thousandth of a voxel that way to keep the first slice kept and drop the first one cut.
  const double half[3] = {1.0, e.TrueAspect ? double(e.Height) * e.ScaleY / (double(e.Width) * e.ScaleX) : 1.0,
                          double(e.Depth) * e.ScaleZ / (double(e.Width) * e.ScaleX)};
  const double n[3] = {double(e.Width), double(e.Height), double(e.Depth)};
  const auto& L = view.Crop.Limits;
  GLint most = 6;  // every driver has at least six
  glGetIntegerv(GL_MAX_CLIP_PLANES, &most);
  int plane = 0;
  for (int a = 0; a < 3; ++a) {
    if (L[2 * a] <= 0 && L[2 * a + 1] + 1 >= n[a]) continue;
    const double sign = a == 0 ? 1.0 : -1.0;
    double first = std::clamp(double(L[2 * a]), 0.0, n[a]), last = std::clamp(double(L[2 * a + 1]) + 1, 0.0, n[a]);
    double nudge = -sign * 1e-3 * 2 * half[a] / n[a];
    if (a != static_cast<int>(QuadAxis(last_stack_))) {
      // Along a slice the texture blends each texel with the next: a cut at the centre of the
      // last voxel kept lets none of the voxels cut away show.
      nudge = 0;
      if (first > 0) first += 0.5;
      if (last < n[a]) last -= 0.5;
    }
    const double p0 = sign * (-half[a] + 2 * half[a] * first / n[a]) + nudge;
    const double p1 = sign * (-half[a] + 2 * half[a] * last / n[a]) + nudge;
    GLdouble low[4] = {0, 0, 0, -std::min(p0, p1)}, high[4] = {0, 0, 0, std::max(p0, p1)};
    low[a] = 1, high[a] = -1;
    glClipPlane(GL_CLIP_PLANE0 + plane, low);
    glEnable(GL_CLIP_PLANE0 + plane++);
    glClipPlane(GL_CLIP_PLANE0 + plane, high);
    glEnable(GL_CLIP_PLANE0 + plane++);
  }
  if (view.Clip.On) {
    // Voxel coordinates (centres at whole numbers) from model space: v = A p + b.
    GLdouble eq[4] = {0, 0, 0, view.Clip.Plane[3]};
    for (int a = 0; a < 3; ++a) {
      const double sign = a == 0 ? 1.0 : -1.0;
      const double A = sign * n[a] / (2 * half[a]), b = n[a] / 2 - 0.5;
      eq[a] = -view.Clip.Plane[static_cast<size_t>(a)] * A;
      eq[3] -= view.Clip.Plane[static_cast<size_t>(a)] * b;
    }
    if (plane < most) {
      glClipPlane(GL_CLIP_PLANE0 + plane, eq);
      glEnable(GL_CLIP_PLANE0 + plane++);
    }
  }
  clip_planes_used_ = plane;
}

}  // namespace lumetrix
