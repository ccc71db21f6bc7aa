#include "viewer_ui/gl_view.h"

#include "render/offscreen_view.h"

#include <QCoreApplication>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QLayout>
#include <QOpenGLContext>
#include <QStatusBar>
#include <QStyle>
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

GlView::GlView(QWidget* parent) : QOpenGLWidget(parent) {
  UseContextFunctions(CurrentGlProc, QtTextImage);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(false);
  steps_pause_.setSingleShot(true);
  steps_pause_.setInterval(150);
  connect(&steps_pause_, &QTimer::timeout, this, [this] { ReportMotion(ViewMotion::StepsEnded); });
  connect(this, &QOpenGLWidget::frameSwapped, this, [this] {
    if (!advanced_) return;
    advanced_ = false;
    if (OnFrameDrawn) OnFrameDrawn();
  });
}

GlView::~GlView() {
  if (!context()) return;
  disconnect(context(), nullptr, this, nullptr);
  if (MakeCurrent()) {
    ReleaseRenderers();
    doneCurrent();
  }
}

void GlView::initializeGL() {
  connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
    if (MakeCurrent()) ReleaseRenderers();
  });
  ResizeRenderers(ClientWidth(), ClientHeight());
}

void GlView::resizeGL(int, int) {
  if (OnResized) OnResized(ClientWidth(), ClientHeight());
}

void GlView::paintGL() {
  if (!view_ || hold_) return;
  const bool ray = kind_ == RendererKind::RayCaster;
  const float coarseness = motion_.NextFrame(ray || renderer_.ThinsCoarseFrames());
  ray_caster_.SetCoarseness(coarseness);
  renderer_.SetCoarse(!ray && coarseness > 1);
  ActiveRenderer().DrawScene(*view_, advance_pending_);
  ray_caster_.SetCoarseness(1);
  renderer_.SetCoarse(false);
  ReportDetail(false);
  // Bricks still on their way: another frame shows them as they arrive.
  if (ray && ray_caster_.Loading()) QTimer::singleShot(30, this, [this] { update(); });
  advanced_ = advanced_ || advance_pending_;
  advance_pending_ = false;
}

bool GlView::Activate(std::string& error) {
  QWidget* top = window();
  top->show();
  top->raise();
  top->activateWindow();
  setFocus();
  // The widget makes its context when it is first shown.
  QElapsedTimer clock;
  clock.start();
  while (!isValid() && clock.elapsed() < 3000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  if (isValid() && context()) return true;
  error = "this display offers no OpenGL context";
  return false;
}

bool GlView::MakeCurrent() {
  if (!context() || !isValid()) return false;
  makeCurrent();
  return QOpenGLContext::currentContext() == context();
}

void GlView::DoneCurrent() { doneCurrent(); }

int32_t GlView::ClientWidth() const { return static_cast<int32_t>(width() * devicePixelRatioF() + 0.5); }
int32_t GlView::ClientHeight() const { return static_cast<int32_t>(height() * devicePixelRatioF() + 0.5); }

QSize GlView::AroundClientArea() const {
  const QWidget* top = window();
  if (top->isVisible()) return top->size() - size();
  // Not laid out yet: the menu bar above the drawing area, a status bar below it, and docked panels
  // beside it at their wished width with the separator the layout puts between.
  const QWidget* bar = top->layout() ? top->layout()->menuBar() : nullptr;
  QSize around(0, bar ? bar->sizeHint().height() : 0);
  if (const auto* status = top->findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly); status && !status->isHidden())
    around.rheight() +=
        status->sizeHint().expandedTo(status->minimumSize()).boundedTo(status->maximumSize()).height();
  for (const QDockWidget* dock : top->findChildren<QDockWidget*>(QString(), Qt::FindDirectChildrenOnly))
    if (!dock->isHidden() && !dock->isFloating())
      around.rwidth() += dock->sizeHint().width() + top->style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, top);
  return around;
}

void GlView::SetClientSize(int32_t width, int32_t height) {
  if (width < 1 || height < 1) return;
  const qreal ratio = devicePixelRatioF();
  const QSize wanted(static_cast<int>(width / ratio + 0.5), static_cast<int>(height / ratio + 0.5));
  QWidget* top = window();
  top->resize(wanted + AroundClientArea());
  if (!top->isVisible()) return;
  // The window system applies the new size a little later; wait for it briefly.
  QElapsedTimer clock;
  clock.start();
  while (size() != wanted && clock.elapsed() < 1000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (size() != wanted) top->resize(wanted + AroundClientArea());
  }
}

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

void GlView::ReportMotion(ViewMotion motion) {
  if (motion == ViewMotion::Stepped) steps_pause_.start();
  if (motion == ViewMotion::StepsEnded) steps_pause_.stop();
  if (motion_.Report(motion)) update();
}

CapturedFrame GlView::CaptureFrame(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (motion_.LastFrameCoarse() && view_ && MakeCurrent()) {
    ViewState still = *view_;
    ActiveRenderer().DrawScene(still, false);
    motion_.FullFrameDrawn();
  }
  return GlSurface::CaptureFrame(x, y, width, height);
}

void GlView::ViewChanged(bool moves) {
  if (moves)
    RequestFrame();
  else
    update();
}

}  // namespace lumetrix
