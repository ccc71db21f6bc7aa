#include "render/gl_surface.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <stdexcept>
#include <vector>

namespace lumetrix {

int32_t GlSurface::MaxFrameSide() {
  std::string error;
  if (!Activate(error) || !MakeCurrent()) return 0;
  GLint viewport[2] = {0, 0}, renderbuffer = 0, texture = 0;
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
  int32_t most = 0;
  for (GLint limit : {viewport[0], viewport[1], renderbuffer, texture})
    if (limit > 0 && (most == 0 || limit < most)) most = limit;
  return most;
}

CapturedFrame GlSurface::CaptureFrame(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (!MakeCurrent()) throw std::runtime_error("There is no drawn frame to save.");
  // A saved frame shows every brick its view needs.
  if (kind_ == RendererKind::RayCaster && ray_caster_.Loading()) ray_caster_.RedrawComplete();
  width += 1;
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  if (x + width > viewport[2]) width = viewport[2] - x;
  if (y + height > viewport[3]) height = viewport[3] - y;
  if (width <= 0 || height <= 0) throw std::runtime_error("The drawing area is empty; there is no frame to save.");
  std::vector<uint8_t> rgb(static_cast<size_t>(FrameRowStride(width)) * static_cast<size_t>(height));
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(x, y, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  return FrameFromGlRgb(rgb.data(), width, height);
}

lumetrix::Renderer& GlSurface::ActiveRenderer() {
  if (kind_ == RendererKind::RayCaster) return ray_caster_;
  return renderer_;
}

bool GlSurface::SelectRenderer(RendererKind kind, std::string& why) {
  if (kind == kind_) return true;
  const bool current = MakeCurrent();
  if (kind == RendererKind::RayCaster && current && !ray_caster_.Supported(why)) return false;
  // One renderer holds the volume at a time: the slice stacks are freed while the ray caster
  // draws, and the other way round.
  if (current) ActiveRenderer().ReleaseVolume();
  kind_ = kind;
  if (current) ActiveRenderer().ResizeGL(ClientWidth(), ClientHeight());
  return true;
}

bool GlSurface::CanDraw(RenderMode mode, std::string& why) {
  if (!MakeCurrent()) return true;
  if (RayCast(mode)) return ray_caster_.Supported(why);
  if (mode == RenderMode::Maximum) return renderer_.CanDrawMaximum(why);
  return true;
}

void GlSurface::ShowCropOutline(bool on) {
  renderer_.ShowCropOutline(on);
  ray_caster_.ShowCropOutline(on);
}

void GlSurface::UseContextFunctions(GlRenderer::GlProc (*lookup)(const char*), const TextRaster& text) {
  renderer_.ProcLookup = lookup;
  renderer_.Text = text;
  ray_caster_.ProcLookup = lookup;
  ray_caster_.Text = text;
}

void GlSurface::ResizeRenderers(int32_t width, int32_t height) {
  renderer_.ResizeGL(width, height);
  ray_caster_.ResizeGL(width, height);
}

void GlSurface::ReportDetail(bool only_shortfalls) {
  std::string line;
  if (kind_ == RendererKind::RayCaster) {
    line = ray_caster_.BrickStatus();
    // Without bricks a line says why they could not be made.
    const BrickedVolume* bricks = ray_caster_.Bricked();
    const bool shortfall = !bricks || bricks->Reduced() || !bricks->Error().empty();
    if (only_shortfalls && !shortfall) line.clear();
  }
  if (line == detail_reported_) return;
  detail_reported_ = line;
  if (OnDetailStatus && !line.empty()) OnDetailStatus(line);
}

void GlSurface::ReleaseRenderers() {
  renderer_.ReleaseVolume();
  ray_caster_.ReleaseVolume();
}

}  // namespace lumetrix
