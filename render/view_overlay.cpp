#include "render/view_overlay.h"

#include <GL/gl.h>

#include <cmath>
#include <numbers>

namespace lumetrix {
namespace {

constexpr int32_t kMargin = 10;

void DrawScaleBar(const ViewState& view, int32_t w, int32_t h, int32_t volume_width, const Calibration& c,
                  const TextRaster& raster) {
  const ScaleBarLayout bar = LayoutScaleBar(view, w, h, volume_width, c.VoxelWidth);
  if (bar.Pixels < 1) return;
  glColor3f(1, 1, 1);
  glRectd(kMargin, kMargin, kMargin + bar.Pixels, kMargin + 3);
  if (!raster) return;
  const TextImage text = raster(LengthLabel(bar.Units, c.Unit));
  if (text.Width <= 0) return;
  glRasterPos2i(kMargin, kMargin + 6);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glDrawPixels(text.Width, text.Height, GL_RGBA, GL_UNSIGNED_BYTE, text.Rgba.data());
  glDisable(GL_BLEND);
}

// The model's x, y and z turned as the volume is: red, green and blue lines from one corner.
void DrawAxes(const ViewState& view, int32_t w) {
  const double a = view.XRot * std::numbers::pi / 180, b = view.YRot * std::numbers::pi / 180;
  const double ox = w - kMargin - 25, oy = kMargin + 25, length = 20;
  const double axes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  glBegin(GL_LINES);
  for (int i = 0; i < 3; ++i) {
    // Rotation about y first, then about x (the order the volume is turned in).
    const double x = axes[i][0] * std::cos(b) + axes[i][2] * std::sin(b);
    const double z1 = -axes[i][0] * std::sin(b) + axes[i][2] * std::cos(b);
    const double y = axes[i][1] * std::cos(a) - z1 * std::sin(a);
    glColor3f(i == 0, i == 1, i == 2);
    glVertex2d(ox, oy);
    glVertex2d(ox + length * x, oy + length * y);
  }
  glEnd();
}

}  // namespace

ScaleBarLayout LayoutScaleBar(const ViewState& view, int32_t viewport_w, int32_t viewport_h, int32_t volume_width,
                              double voxel_width) {
  const double distance = std::fabs(view.PosZ);
  if (volume_width <= 0 || !(distance > 0) || !(voxel_width > 0)) return {};
  const double pixels_per_unit = viewport_h / (2 * distance * std::tan(22.5 * std::numbers::pi / 180));
  const double units_per_pixel = voxel_width / (2.0 / volume_width * pixels_per_unit);
  const double units = NiceLength(0.25 * viewport_w * units_per_pixel);
  return {units, units / units_per_pixel};
}

void DrawOverlay(const ViewState& view, int32_t viewport_w, int32_t viewport_h, int32_t volume_width,
                 const Calibration& calibration, const TextRaster& raster) {
  if (!view.ScaleBar && !view.Axes) return;
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, viewport_w, 0, viewport_h, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  if (view.ScaleBar) DrawScaleBar(view, viewport_w, viewport_h, volume_width, calibration, raster);
  if (view.Axes) DrawAxes(view, viewport_w);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
}

}  // namespace lumetrix
