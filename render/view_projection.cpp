#include "render/view_projection.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

namespace lumetrix {
namespace {

constexpr double kPi = 3.14159265358979323846;

// R_y(-b) R_x(-a) v: eye space back into model space.
std::array<double, 3> Unrotate(const ViewState& view, std::array<double, 3> v) {
  const double a = view.XRot * kPi / 180, b = view.YRot * kPi / 180;
  const double y = std::cos(a) * v[1] + std::sin(a) * v[2];
  const double z = -std::sin(a) * v[1] + std::cos(a) * v[2];
  return {std::cos(b) * v[0] - std::sin(b) * z, y, std::sin(b) * v[0] + std::cos(b) * z};
}

}  // namespace

double OrthographicHalfHeight(const ViewState& view) {
  return std::fmax(std::fabs(view.PosZ) * std::tan(22.5 * kPi / 180), 1e-3);
}

void LoadProjection(const ViewState& view, int32_t width, int32_t height) {
  if (height == 0) height = 1;
  const double aspect = static_cast<double>(width) / height;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  if (view.Proj == Projection::Orthographic) {
    const double h = OrthographicHalfHeight(view);
    glOrtho(-h * aspect, h * aspect, -h, h, 0.1, 100.0);
  } else {
    gluPerspective(45.0, aspect, 0.1, 100.0);
  }
  glMatrixMode(GL_MODELVIEW);
}

std::array<double, 3> EyeInModel(const ViewState& view) {
  return Unrotate(view, {-static_cast<double>(view.PosX), -static_cast<double>(view.PosY), -static_cast<double>(view.PosZ)});
}

std::array<double, 3> LookInModel(const ViewState& view) { return Unrotate(view, {0, 0, -1}); }

}  // namespace lumetrix
