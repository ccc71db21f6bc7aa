#pragma once
// The words and numbers that choose how the volume is drawn, checked the same way for scripts,
// the command line, keyframe files and the windows. Every check raises InvalidViewValue with
// the reason in words.

#include <array>
#include <optional>
#include <string>

#include "core/view_state.h"

namespace lumetrix {

// "additive", "max", "volume", "mip", "attenuated", "minip", "iso" in any case; nothing for
// another word.
std::optional<RenderMode> ParseRenderMode(const std::string& word);
const char* RenderModeName(RenderMode mode);
// The sentence for a word that names no mode.
extern const char* const kRenderModeWords;

// "perspective" or "orthographic" (also "ortho"), in any case.
Projection ParseProjection(const std::string& word);
const char* ProjectionName(Projection p);

// x0, x1, y0, y1, z0, z1 in voxels from 0: finite, not negative, each first limit at most its
// second.
CropBox CheckedCrop(const std::array<double, 6>& limits);
// A plane with a normal that is not zero, all four finite; it is switched on.
ClipPlane CheckedClipPlane(double nx, double ny, double nz, double d);
// Above 0, at most 4 voxels.
float CheckedQuality(double step);
// Not negative.
float CheckedAttenuation(double a);
// A channel's iso level: finite and not negative (kIsoMiddle sets it back to the middle of the
// display range).
float CheckedIsoLevel(double value);

}  // namespace lumetrix
