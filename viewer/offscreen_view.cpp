#include "viewer/offscreen_view.h"

#include <GL/gl.h>

namespace lumetrix {

OffscreenView::~OffscreenView() {
  if (context_.isValid() && MakeCurrent()) {
    renderer_.ReleaseStacks();
    fbo_.reset();
    context_.doneCurrent();
  }
}

bool OffscreenView::Activate(std::string& error) {
  if (MakeCurrent()) return true;
  context_.setFormat(QSurfaceFormat::defaultFormat());
  if (!context_.create()) {
    error = "This display offers no OpenGL context.";
    return false;
  }
  surface_.setFormat(context_.format());
  surface_.create();
  if (!surface_.isValid() || !context_.makeCurrent(&surface_)) {
    error = "Could not activate the OpenGL context.";
    return false;
  }
  return SetSize(width_, height_);
}

bool OffscreenView::SetSize(int32_t width, int32_t height) {
  if (width < 1 || height < 1) return false;
  if (!context_.isValid()) {  // the framebuffer is made with the context
    width_ = width;
    height_ = height;
    return true;
  }
  if (!context_.makeCurrent(&surface_)) return false;
  if (fbo_ && width == width_ && height == height_) return fbo_->bind();  // keeps the frame drawn
  QOpenGLFramebufferObjectFormat format;
  format.setAttachment(QOpenGLFramebufferObject::Depth);
  auto fbo = std::make_unique<QOpenGLFramebufferObject>(width, height, format);
  if (!fbo->isValid()) return false;
  fbo_ = std::move(fbo);
  width_ = width;
  height_ = height;
  fbo_->bind();
  renderer_.ResizeGL(width_, height_);
  return true;
}

bool OffscreenView::MakeCurrent() {
  if (!context_.isValid() || !fbo_ || !context_.makeCurrent(&surface_)) return false;
  return fbo_->bind();
}

void OffscreenView::DoneCurrent() { context_.doneCurrent(); }

void OffscreenView::DrawFrameNow() {
  if (!view_ || !MakeCurrent()) return;
  renderer_.DrawScene(*view_, true);
  glFinish();
}

void OffscreenView::Refresh() {
  if (!view_ || !MakeCurrent()) return;
  ViewState still = *view_;
  renderer_.DrawScene(still, false);
  glFinish();
}

}  // namespace lumetrix
