#include "render/gl_surface.h"

#include <GL/gl.h>

#include <stdexcept>
#include <vector>

namespace lumetrix {

CapturedFrame GlSurface::CaptureFrame(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (!MakeCurrent()) throw std::runtime_error("There is no drawn frame to save.");
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

}  // namespace lumetrix
