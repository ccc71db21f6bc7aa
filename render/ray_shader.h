#pragma once
// The GLSL 1.20 program of the ray caster, written for a number of channels (each a sampler of
// its own: GLSL 1.20 cannot index samplers by a loop counter).

#include <string>

namespace lumetrix {

// Modes as the shader's u_mode takes them.
enum RayShaderMode { kRayComposite = 0, kRayMip = 1, kRayAttenuated = 2, kRayMinIp = 3, kRayIso = 4 };

std::string RayVertexShader();
// `channels` 1..8; with `palette` the first channel's level looks its colour up in u_palette;
// with `clip` the voxels beyond the clipping plane are read as empty near it.
std::string RayFragmentShader(int channels, bool palette, bool clip);

}  // namespace lumetrix
