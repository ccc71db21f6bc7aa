#pragma once
// A surface that draws with OpenGL, through the slice stacks or the ray caster: what the
// window's widget and the offscreen framebuffer share.

#include <cstdint>
#include <string>

#include "render/gl_renderer.h"
#include "render/ray_caster.h"
#include "viewer/viewer_surface.h"

namespace lumetrix {

class GlSurface : public ViewerSurface {
 public:
  lumetrix::Renderer& ActiveRenderer() override;
  GlRenderer& Renderer() { return renderer_; }
  RayCaster& Caster() { return ray_caster_; }
  bool SelectRenderer(RendererKind kind, std::string& why) override;
  RendererKind SelectedRenderer() const override { return kind_; }
  bool CanDraw(RenderMode mode, std::string& why) override;
  void SetBrickBudgets(uint64_t host, uint64_t gpu) override { ray_caster_.SetBrickBudgets({host, gpu}); }
  // Both renderers draw it or not.
  void ShowCropOutline(bool on) override;
  // Reads the frame back with glReadPixels.
  CapturedFrame CaptureFrame(int32_t x, int32_t y, int32_t width, int32_t height) override;
  // The smallest of the viewport, renderbuffer and texture limits: the framebuffer is one of these.
  int32_t MaxFrameSide() override;

 protected:
  // Both renderers look OpenGL functions up with `lookup` and draw text with `text`.
  void UseContextFunctions(GlRenderer::GlProc (*lookup)(const char*), const TextRaster& text);
  // Both renderers take the size (the context current).
  void ResizeRenderers(int32_t width, int32_t height);
  // Both renderers free what they built (the context current).
  void ReleaseRenderers();
  // Tells OnDetailStatus the ray caster's level of detail when it changed; with `only_shortfalls`
  // only when the memory budget or a read error kept detail out (batch output).
  void ReportDetail(bool only_shortfalls);

  GlRenderer renderer_;
  RayCaster ray_caster_;
  RendererKind kind_ = RendererKind::Slices;
  std::string detail_reported_;
};

}  // namespace lumetrix
