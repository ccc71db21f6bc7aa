#pragma once
// A drawing area without a window: an OpenGL framebuffer of a set size, for rendering from the
// command line and for scripts run without a window.

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <memory>

#include "render/egl_offscreen.h"
#include "render/gl_surface.h"

namespace lumetrix {

// An OpenGL entry point of the current context, Qt's or EGL's.
GlRenderer::GlProc CurrentGlProc(const char* name);
// A line of white text drawn by Qt, for the scale bar's label.
TextImage QtTextImage(const std::string& text);

class OffscreenView : public GlSurface {
 public:
  // Nobody watches frames fill in: each waits for every brick it needs.
  OffscreenView() {
    UseContextFunctions(CurrentGlProc, QtTextImage);
    ray_caster_.SetWaitForDetail(true);
  }
  ~OffscreenView() override;

  // Creates the context unless there is one: Qt's, or without a display Mesa's surfaceless EGL
  // one; false (with `error`) when neither can be made.
  bool Activate(std::string& error) override;
  // The drawing area's size; the framebuffer is made anew.
  bool SetSize(int32_t width, int32_t height);

  bool MakeCurrent() override;
  void DoneCurrent() override;
  int32_t ClientWidth() const override { return width_; }
  int32_t ClientHeight() const override { return height_; }
  void SetClientSize(int32_t width, int32_t height) override { SetSize(width, height); }
  // Draws one frame; nothing follows it, as nobody watches (no OnFrameDrawn).
  void RequestFrame() override { DrawFrameNow(); }
  void DrawFrameNow() override;
  void Refresh() override;

 private:
  QOffscreenSurface surface_;
  QOpenGLContext context_;
  std::unique_ptr<QOpenGLFramebufferObject> fbo_;
  std::unique_ptr<EglOffscreen> egl_;  // set when Qt offers no OpenGL
  int32_t width_ = 400, height_ = 400;
};

}  // namespace lumetrix
