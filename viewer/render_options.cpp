#include "viewer/render_options.h"

#include <cctype>
#include <cmath>

#include "core/view_value.h"

namespace lumetrix {
namespace {

std::string Lower(std::string word) {
  for (char& ch : word) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return word;
}

constexpr struct {
  RenderMode mode;
  const char* name;
} kModes[] = {{RenderMode::Additive, "additive"}, {RenderMode::Maximum, "max"},       {RenderMode::Volume, "volume"},
              {RenderMode::Mip, "mip"},           {RenderMode::Attenuated, "attenuated"}, {RenderMode::MinIP, "minip"},
              {RenderMode::Iso, "iso"}};

}  // namespace

const char* const kRenderModeWords =
    "The render mode is \"additive\", \"max\", \"volume\", \"mip\", \"attenuated\", \"minip\" or \"iso\".";

std::optional<RenderMode> ParseRenderMode(const std::string& word) {
  const std::string w = Lower(word);
  for (const auto& m : kModes)
    if (w == m.name) return m.mode;
  return std::nullopt;
}

const char* RenderModeName(RenderMode mode) {
  for (const auto& m : kModes)
    if (m.mode == mode) return m.name;
  return "additive";
}

Projection ParseProjection(const std::string& word) {
  const std::string w = Lower(word);
  if (w == "perspective") return Projection::Perspective;
  if (w == "orthographic" || w == "ortho") return Projection::Orthographic;
  throw InvalidViewValue("The projection is \"perspective\" or \"orthographic\".");
}

const char* ProjectionName(Projection p) { return p == Projection::Orthographic ? "orthographic" : "perspective"; }

CropBox CheckedCrop(const std::array<double, 6>& limits) {
  CropBox box;
  for (size_t i = 0; i < 6; ++i) {
    if (!std::isfinite(limits[i])) throw InvalidViewValue("The crop box's limits must be finite numbers.");
    if (limits[i] < 0) throw InvalidViewValue("The crop box's limits count voxels from 0; they cannot be negative.");
    box.Limits[i] = static_cast<float>(std::fmin(limits[i], kCropToEnd));
  }
  for (size_t axis = 0; axis < 3; ++axis)
    if (limits[2 * axis] > limits[2 * axis + 1])
      throw InvalidViewValue(std::string("The crop box's ") + "xyz"[axis] +
                             " limits are the wrong way round: the first must not exceed the second.");
  return box;
}

ClipPlane CheckedClipPlane(double nx, double ny, double nz, double d) {
  ClipPlane clip;
  clip.On = true;
  clip.Plane = {CheckedViewValue(nx), CheckedViewValue(ny), CheckedViewValue(nz), CheckedViewValue(d)};
  if (clip.Plane[0] == 0 && clip.Plane[1] == 0 && clip.Plane[2] == 0)
    throw InvalidViewValue("The clipping plane needs a normal that is not zero.");
  return clip;
}

float CheckedQuality(double step) {
  if (!std::isfinite(step) || !(step > 0) || step > 4)
    throw InvalidViewValue("The quality is the step along a ray in voxels: above 0 and at most 4.");
  return static_cast<float>(step);
}

float CheckedAttenuation(double a) {
  if (!std::isfinite(a) || a < 0 || a > 1e6) throw InvalidViewValue("The attenuation must be a number from 0 up.");
  return static_cast<float>(a);
}

float CheckedIsoLevel(double value) {
  if (value == kIsoMiddle) return kIsoMiddle;
  if (!std::isfinite(value) || value < 0 || value > 1e9)
    throw InvalidViewValue("The iso level is a stored value of the channel, from 0 up.");
  return static_cast<float>(value);
}

}  // namespace lumetrix
