#pragma once
// The main window's drawing area: a QOpenGLWidget with a compatibility context.

#include <QOpenGLWidget>
#include <functional>

#include "viewer/viewer_surface.h"

namespace lumetrix {

class GlView : public QOpenGLWidget, public ViewerSurface {
  Q_OBJECT
 public:
  explicit GlView(ViewState& view, QWidget* parent = nullptr);
  ~GlView() override;

  bool MakeCurrent() override;
  void DoneCurrent() override;
  int32_t ClientWidth() const override;
  int32_t ClientHeight() const override;
  void RequestFrame() override;
  void DrawFrameNow() override;
  void Refresh() override;

  // Set once the context exists; called with it current.
  std::function<void()> OnContextReady;
  // Called with the context current whenever the drawing area changes size.
  std::function<void(int32_t, int32_t)> OnResized;
  // Called with the context current just before it goes away.
  std::function<void()> OnContextLost;

 signals:
  // A frame that advanced the rotation has been drawn and shown.
  void FrameDrawn();

 protected:
  void initializeGL() override;
  void resizeGL(int w, int h) override;
  void paintGL() override;

 private:
  ViewState& view_;
  bool advance_pending_ = false;
  bool advanced_ = false;
};

// Requests a double-buffered compatibility context with a 16-bit depth buffer for every
// OpenGL surface of the program; call before the application object is made.
void SetDefaultSurfaceFormat();

}  // namespace lumetrix
