#include "viewer/gl_view.h"

#include <QOpenGLContext>
#include <QSurfaceFormat>

namespace lumetrix {

void SetDefaultSurfaceFormat() {
  QSurfaceFormat format;
  format.setRenderableType(QSurfaceFormat::OpenGL);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  format.setVersion(2, 1);
  format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
  format.setRedBufferSize(8);
  format.setGreenBufferSize(8);
  format.setBlueBufferSize(8);
  format.setDepthBufferSize(16);
  QSurfaceFormat::setDefaultFormat(format);
}

GlView::GlView(ViewState& view, QWidget* parent) : QOpenGLWidget(parent), view_(view) {
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(false);
  connect(this, &QOpenGLWidget::frameSwapped, this, [this] {
    if (advanced_) {
      advanced_ = false;
      emit FrameDrawn();
    }
  });
}

GlView::~GlView() {
  if (!context()) return;
  disconnect(context(), nullptr, this, nullptr);
  if (MakeCurrent()) {
    renderer_.ReleaseStacks();
    doneCurrent();
  }
}

void GlView::initializeGL() {
  connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
    if (MakeCurrent()) {
      if (OnContextLost) OnContextLost();
      renderer_.ReleaseStacks();
    }
  });
  renderer_.ResizeGL(ClientWidth(), ClientHeight());
  if (OnContextReady) OnContextReady();
}

void GlView::resizeGL(int, int) {
  if (OnResized) OnResized(ClientWidth(), ClientHeight());
}

void GlView::paintGL() {
  renderer_.DrawScene(view_, advance_pending_);
  advanced_ = advanced_ || advance_pending_;
  advance_pending_ = false;
}

bool GlView::MakeCurrent() {
  if (!context() || !isValid()) return false;
  makeCurrent();
  return QOpenGLContext::currentContext() == context();
}

void GlView::DoneCurrent() { doneCurrent(); }

int32_t GlView::ClientWidth() const { return static_cast<int32_t>(width() * devicePixelRatioF() + 0.5); }
int32_t GlView::ClientHeight() const { return static_cast<int32_t>(height() * devicePixelRatioF() + 0.5); }

void GlView::RequestFrame() {
  advance_pending_ = true;
  update();
}

void GlView::DrawFrameNow() {
  advance_pending_ = true;
  if (isVisible()) {
    repaint();
  } else if (MakeCurrent()) {
    paintGL();
  }
}

void GlView::Refresh() { update(); }

}  // namespace lumetrix
