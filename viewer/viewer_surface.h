#pragma once
// Where the viewer draws: the main window's OpenGL widget, or an offscreen framebuffer when the
// program runs without a window (command-line rendering and scripts). Both live in render/.

#include <cstdint>
#include <functional>
#include <string>

#include "core/view_state.h"
#include "viewer/frame_bmp.h"
#include "viewer/renderer.h"
#include "viewer/view_motion.h"

namespace lumetrix {

// The slice stacks draw the Additive and Maximum modes, the ray caster the others.
enum class RendererKind { Slices, RayCaster };

class ViewerSurface {
 public:
  virtual ~ViewerSurface() = default;
  // The view state every frame is drawn from (the viewer's own).
  void AttachView(ViewState* view) { view_ = view; }

  // Makes sure there is a context to draw with (shows the window the surface sits in); false,
  // with the reason, when none can be made.
  virtual bool Activate(std::string& error) = 0;
  // Makes the surface's context current (and its framebuffer bound); false when it has none.
  virtual bool MakeCurrent() = 0;
  virtual void DoneCurrent() = 0;
  // Drawing area in pixels.
  virtual int32_t ClientWidth() const = 0;
  virtual int32_t ClientHeight() const = 0;
  // Sizes the drawing area to width x height pixels (a window keeps its position).
  virtual void SetClientSize(int32_t width, int32_t height) = 0;
  // The largest side of a drawing area the driver can draw and read back (making the context
  // when there is none); 0 when that cannot be asked.
  virtual int32_t MaxFrameSide() { return 0; }
  // Schedules one drawn frame (the rotation advances); frames follow each other while the
  // owner keeps asking after every OnFrameDrawn.
  virtual void RequestFrame() = 0;
  // The view changed while nothing draws frames: a surface that is watched shows it (one frame
  // without turning), or starts the frames again when the view `moves` by itself. Surfaces that
  // draw only on demand ignore it.
  virtual void ViewChanged(bool moves) { (void)moves; }
  // How the view moves (see view_motion.h): a watched surface may draw coarser frames while it
  // moves and draws a full one once it is still. Frames read back are always full ones.
  virtual void ReportMotion(ViewMotion motion) { (void)motion; }
  // Draws the crop box's outline over the volume from the next frame on (while a crop limit is
  // dragged); off by default.
  virtual void ShowCropOutline(bool on) { (void)on; }
  // Draws one frame now and shows it.
  virtual void DrawFrameNow() = 0;
  // Repaints the current state without advancing (after Close: the empty area).
  virtual void Refresh() = 0;
  // The renderer that draws the frames.
  virtual lumetrix::Renderer& ActiveRenderer() = 0;
  // Chooses the renderer that draws from now on; with the context current, what the other one
  // built is freed. False, with the reason, when the driver cannot run it.
  virtual bool SelectRenderer(RendererKind kind, std::string& why) {
    if (kind == RendererKind::Slices) return true;
    why = "This surface cannot ray-cast volumes.";
    return false;
  }
  virtual RendererKind SelectedRenderer() const { return RendererKind::Slices; }
  // Whether the current driver can draw `mode` (true while there is no context to ask); `why`
  // says what is missing when not.
  virtual bool CanDraw(RenderMode mode, std::string& why) {
    (void)mode, (void)why;
    return true;
  }
  // Bytes the bricks of a volume larger than memory may take in host memory and on the GPU.
  virtual void SetBrickBudgets(uint64_t host, uint64_t gpu) { (void)host, (void)gpu; }
  // The level of detail shown and the loading of a volume larger than memory, after a frame
  // ("level 2 of 4 shown, loading 45%"); called when it changes.
  std::function<void(const std::string&)> OnDetailStatus;
  // While held, repaints draw nothing (the window keeps showing its last frame).
  void HoldFrames(bool hold) { hold_ = hold; }

  // Reads the rectangle with lower-left corner (x, y) of the last drawn frame, clipped to the
  // viewport, as the frame BMP stores it. The width is widened by one pixel first.
  virtual CapturedFrame CaptureFrame(int32_t x, int32_t y, int32_t width, int32_t height) = 0;

  // A frame asked for with RequestFrame has been drawn and shown.
  std::function<void()> OnFrameDrawn;
  // The drawing area changed size; called with the context current.
  std::function<void(int32_t, int32_t)> OnResized;

 protected:
  ViewState* view_ = nullptr;
  bool hold_ = false;
};

}  // namespace lumetrix
