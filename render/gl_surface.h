#pragma once
// A surface that draws with OpenGL through the slice-stack renderer: what the window's widget
// and the offscreen framebuffer share.

#include <cstdint>

#include "render/gl_renderer.h"
#include "viewer/viewer_surface.h"

namespace lumetrix {

class GlSurface : public ViewerSurface {
 public:
  lumetrix::Renderer& ActiveRenderer() override { return renderer_; }
  GlRenderer& Renderer() { return renderer_; }
  // Reads the frame back with glReadPixels.
  CapturedFrame CaptureFrame(int32_t x, int32_t y, int32_t width, int32_t height) override;

 protected:
  GlRenderer renderer_;
};

}  // namespace lumetrix
