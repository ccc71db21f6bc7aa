#pragma once
// The main window's drawing area: a QOpenGLWidget with a compatibility context.

#include <QOpenGLWidget>

#include "render/gl_surface.h"

namespace lumetrix {

class GlView : public QOpenGLWidget, public GlSurface {
  Q_OBJECT
 public:
  explicit GlView(QWidget* parent = nullptr);
  ~GlView() override;

  // Shows the window, brings it forward with the keyboard focus here, and waits for the context.
  bool Activate(std::string& error) override;
  bool MakeCurrent() override;
  void ViewChanged(bool moves) override;
  void DoneCurrent() override;
  int32_t ClientWidth() const override;
  int32_t ClientHeight() const override;
  // Resizes the top-level window around this widget; the menu bar keeps its height.
  void SetClientSize(int32_t width, int32_t height) override;
  void RequestFrame() override;
  void DrawFrameNow() override;
  void Refresh() override;

 protected:
  void initializeGL() override;
  void resizeGL(int w, int h) override;
  void paintGL() override;

 private:
  QSize AroundClientArea() const;

  bool advance_pending_ = false;
  bool advanced_ = false;
};

// Requests a double-buffered compatibility context with a 16-bit depth buffer for every
// OpenGL surface of the program; call before the application object is made.
void SetDefaultSurfaceFormat();

}  // namespace lumetrix
