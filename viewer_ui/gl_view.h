#pragma once
// The main window's drawing area: a QOpenGLWidget with a compatibility context. While the view
// moves, the ray caster draws with a coarser step; a full frame follows once it is still (told by
// the viewer, or a short pause after the last drag step or wheel notch), and a frame read back
// is always a full one.

#include <QOpenGLWidget>
#include <QTimer>

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
  // Resizes the top-level window around this widget; the menu bar, a status bar and docked panels
  // keep their sizes.
  void SetClientSize(int32_t width, int32_t height) override;
  void RequestFrame() override;
  void DrawFrameNow() override;
  void Refresh() override;
  void ReportMotion(ViewMotion motion) override;
  // A coarse last frame is drawn again at full quality before it is read.
  CapturedFrame CaptureFrame(int32_t x, int32_t y, int32_t width, int32_t height) override;
  bool LastFrameCoarse() const { return motion_.LastFrameCoarse(); }

 protected:
  void initializeGL() override;
  void resizeGL(int w, int h) override;
  void paintGL() override;

 private:
  QSize AroundClientArea() const;

  bool advance_pending_ = false;
  bool advanced_ = false;
  MotionQuality motion_;
  QTimer steps_pause_;  // no drag step or wheel notch for a moment: the steps have ended
};

// Requests a double-buffered compatibility context with a 16-bit depth buffer for every
// OpenGL surface of the program; call before the application object is made.
void SetDefaultSurfaceFormat();

}  // namespace lumetrix
