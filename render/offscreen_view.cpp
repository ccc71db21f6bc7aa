#include "render/offscreen_view.h"

#include <GL/gl.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>


namespace lumetrix {
namespace {

// Qt's offscreen and minimal platforms offer no OpenGL of their own without a display, and with
// one (the offscreen platform's GLX) their framebuffers came out 1 x 1: EGL draws for both.
bool QtHasNoOpenGL() {
  const QString platform = QGuiApplication::platformName();
  return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

}  // namespace

GlRenderer::GlProc CurrentGlProc(const char* name) {
  if (QOpenGLContext* qt = QOpenGLContext::currentContext()) return qt->getProcAddress(name);
  return EglOffscreen::ProcAddress(name);
}

TextImage QtTextImage(const std::string& text) {
  QFont font;
  font.setPixelSize(12);
  const QString line = QString::fromStdString(text);
  const QFontMetrics metrics(font);
  QImage image(metrics.horizontalAdvance(line) + 2, metrics.height(), QImage::Format_RGBA8888);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(1, metrics.ascent(), line);
  painter.end();
  image = image.mirrored();  // bottom row first
  TextImage out{image.width(), image.height(), {}};
  for (int y = 0; y < image.height(); ++y) {
    const uchar* row = image.constScanLine(y);
    out.Rgba.insert(out.Rgba.end(), row, row + image.width() * 4);
  }
  return out;
}

OffscreenView::~OffscreenView() {
  if (egl_ && MakeCurrent()) ReleaseRenderers();
  if (context_.isValid() && MakeCurrent()) {
    ReleaseRenderers();
    fbo_.reset();
    context_.doneCurrent();
  }
}

bool OffscreenView::Activate(std::string& error) {
  if (MakeCurrent()) return true;
  context_.setFormat(QSurfaceFormat::defaultFormat());
  if (QtHasNoOpenGL() || !context_.create()) {
    // No display (Qt's offscreen platform): Mesa's EGL draws without one.
    auto egl = std::make_unique<EglOffscreen>();
    if (!egl->Create(error)) return false;
    egl_ = std::move(egl);
    return SetSize(width_, height_);
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
  if (!context_.isValid() && !egl_) {  // the framebuffer is made with the context
    width_ = width;
    height_ = height;
    return true;
  }
  if (egl_) {
    if (egl_->HasFramebuffer() && width == width_ && height == height_) return egl_->MakeCurrent();
    if (!egl_->SetFramebufferSize(width, height)) return false;
    width_ = width;
    height_ = height;
    ResizeRenderers(width_, height_);
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
  ResizeRenderers(width_, height_);
  return true;
}

bool OffscreenView::MakeCurrent() {
  if (egl_) return egl_->HasFramebuffer() && egl_->MakeCurrent();
  if (!context_.isValid() || !fbo_ || !context_.makeCurrent(&surface_)) return false;
  return fbo_->bind();
}

void OffscreenView::DoneCurrent() {
  if (egl_)
    egl_->DoneCurrent();
  else
    context_.doneCurrent();
}

void OffscreenView::DrawFrameNow() {
  if (!view_ || !MakeCurrent()) return;
  ActiveRenderer().DrawScene(*view_, true);
  glFinish();
  ReportDetail(true);
}

void OffscreenView::Refresh() {
  if (!view_ || !MakeCurrent()) return;
  ViewState still = *view_;
  ActiveRenderer().DrawScene(still, false);
  glFinish();
  ReportDetail(true);
}

}  // namespace lumetrix
