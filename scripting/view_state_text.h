#pragma once
// How the parameters window names the ways the volume is drawn: the render mode, the projection,
// the crop box and the clipping plane of a view state.

#include <string>

#include "core/view_state.h"

namespace lumetrix::scripting {

// "Additive", "Maximum", "Volume", "MIP", "Attenuated", "MinIP" or "Iso".
const char* RenderModeText(RenderMode mode);
// "Perspective" or "Orthographic".
const char* ProjectionText(Projection projection);
// "whole volume" for the start box, else "crop x 0-63, y 0-63, z 0-31" (a limit at kCropToEnd
// shows as "end").
std::string CropText(const CropBox& crop);
// "no plane" when it is off, else "plane 0, 0, 1, 10" (Nx, Ny, Nz, D).
std::string ClipText(const ClipPlane& clip);

}  // namespace lumetrix::scripting
