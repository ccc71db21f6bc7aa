#include "scripting/view_state_text.h"

#include "scripting/number_text.h"

namespace lumetrix::scripting {

const char* RenderModeText(RenderMode mode) {
  switch (mode) {
    case RenderMode::Additive: return "Additive";
    case RenderMode::Maximum: return "Maximum";
    case RenderMode::Volume: return "Volume";
    case RenderMode::Mip: return "MIP";
    case RenderMode::Attenuated: return "Attenuated";
    case RenderMode::MinIP: return "MinIP";
    case RenderMode::Iso: return "Iso";
  }
  return "Additive";
}

const char* ProjectionText(Projection projection) {
  return projection == Projection::Orthographic ? "Orthographic" : "Perspective";
}

std::string CropText(const CropBox& crop) {
  if (crop == CropBox{}) return "whole volume";
  const auto limit = [](float v) { return v >= kCropToEnd ? std::string("end") : EditText(v); };
  std::string text = "crop";
  for (size_t axis = 0; axis < 3; ++axis)
    text += std::string(axis ? ", " : " ") + "xyz"[axis] + " " + limit(crop.Limits[2 * axis]) + "-" +
            limit(crop.Limits[2 * axis + 1]);
  return text;
}

std::string ClipText(const ClipPlane& clip) {
  if (!clip.On) return "no plane";
  std::string text = "plane";
  for (size_t i = 0; i < 4; ++i) text += (i ? ", " : " ") + EditText(clip.Plane[i]);
  return text;
}

}  // namespace lumetrix::scripting
