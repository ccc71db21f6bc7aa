#include "render/crop_outline.h"

#include <GL/gl.h>

#include <algorithm>

namespace lumetrix {

ModelBox CropBoxInModel(const CropBox& crop, const VolumeShape& shape, const ViewState& view) {
  const std::array<double, 3> half = ModelHalf(shape, view);
  ModelBox box;
  for (size_t a = 0; a < 3; ++a) {
    const double n = std::max(shape.Voxels[a], 1), h = half[a], sign = a == 0 ? 1.0 : -1.0;
    const double first = std::clamp<double>(crop.Limits[2 * a], 0, n);
    const double last = std::clamp<double>(double(crop.Limits[2 * a + 1]) + 1, 0, n);
    const double p0 = sign * (-h + 2 * h * first / n), p1 = sign * (-h + 2 * h * last / n);
    box.Min[a] = static_cast<float>(std::min(p0, p1));
    box.Max[a] = static_cast<float>(std::max(p0, p1));
  }
  return box;
}

void DrawCropOutline(const ModelBox& box) {
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glLineWidth(1.0f);
  glColor3f(1.0f, 0.85f, 0.2f);
  glBegin(GL_LINES);
  // Each edge runs along one axis, at one of the four corners of the other two.
  for (int axis = 0; axis < 3; ++axis)
    for (int corner = 0; corner < 4; ++corner) {
      float from[3], to[3];
      for (int a = 0, bit = 0; a < 3; ++a) {
        if (a == axis) {
          from[a] = box.Min[a], to[a] = box.Max[a];
        } else {
          from[a] = to[a] = (corner >> bit++) & 1 ? box.Max[a] : box.Min[a];
        }
      }
      glVertex3fv(from);
      glVertex3fv(to);
    }
  glEnd();
  glPopAttrib();
}

}  // namespace lumetrix
